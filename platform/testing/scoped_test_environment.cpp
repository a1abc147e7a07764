// The per-test environment: a temporary directory, the variables that point
// into it, and the record of what was there before so it can be put back.
#include "platform/testing/scoped_test_environment.h"

#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <unistd.h>

extern char** environ;

namespace {

constexpr char kDrivePrefix[] = "QUESTOES_DRIVE_";

std::vector<QByteArray> DriveVariablesSet() {
    std::vector<QByteArray> names;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const QByteArray assignment(*entry);
        if (assignment.startsWith(kDrivePrefix))
            names.push_back(assignment.left(assignment.indexOf('=')));
    }
    return names;
}

QByteArray DriveVariable(char letter) {
    return QByteArray(kDrivePrefix) + QByteArray(1, letter).toUpper();
}

void MakeDirectory(const QString& path) {
    if (!QDir().mkpath(path))
        ADD_FAILURE() << "Cannot create test directory " << path.toStdString();
}

} // namespace

ScopedTestEnvironment::ScopedTestEnvironment() {
    if (!root_.isValid()) {
        ADD_FAILURE() << "Cannot create the test's temporary directory: "
                      << root_.errorString().toStdString();
    }
    // Drive overrides of whoever started the tests must not leak in.
    for (const QByteArray& name : DriveVariablesSet())
        SetVariable(name, std::nullopt);

    const QString folders[] = {DataHome(),        ConfigHome(),     TempDir(),
                               Root() + "/cache", Root() + "/home", ConfigDir()};
    for (const QString& folder : folders)
        MakeDirectory(folder);
    SetVariable("XDG_DATA_HOME", QFile::encodeName(DataHome()));
    SetVariable("XDG_CONFIG_HOME", QFile::encodeName(ConfigHome()));
    SetVariable("XDG_CACHE_HOME", QFile::encodeName(Root() + "/cache"));
    SetVariable("TMPDIR", QFile::encodeName(TempDir()));
    SetVariable("HOME", QFile::encodeName(Root() + "/home"));

    // The machine's own /etc/questoes/registry.conf must not reach a test.
    SetSystemRegistryFile(SystemRegistryFile());

    dialogs_ = std::make_unique<TScriptedDialogs>();
    shell_ = std::make_unique<TScriptedShell>();
}

ScopedTestEnvironment::~ScopedTestEnvironment() {
    shell_.reset();
    dialogs_.reset();
    SetSystemRegistryFile(QString());
    // A drive the test pointed somewhere by hand goes too.
    for (const QByteArray& name : DriveVariablesSet())
        qunsetenv(name.constData());
    // Last change first, so a variable changed twice gets its first value.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second)
            qputenv(it->first.constData(), *it->second);
        else
            qunsetenv(it->first.constData());
    }
}

QString ScopedTestEnvironment::Root() const {
    return root_.path();
}

QString ScopedTestEnvironment::DataHome() const {
    return Root() + QStringLiteral("/data");
}

QString ScopedTestEnvironment::ConfigHome() const {
    return Root() + QStringLiteral("/config");
}

QString ScopedTestEnvironment::TempDir() const {
    return Root() + QStringLiteral("/tmp");
}

QString ScopedTestEnvironment::ConfigDir() const {
    return ConfigHome() + QStringLiteral("/questoes");
}

QString ScopedTestEnvironment::MapDrive(char letter) {
    const QString folder =
        Root() + QStringLiteral("/drives/") + QChar::fromLatin1(letter).toLower();
    MakeDirectory(folder);
    MapDrive(letter, folder);
    return folder;
}

void ScopedTestEnvironment::MapDrive(char letter, const QString& directory) {
    SetVariable(DriveVariable(letter), QFile::encodeName(directory));
}

void ScopedTestEnvironment::AppendDrivesConf(const QString& line) {
    AppendConfigLine(QStringLiteral("drives.conf"), line);
}

void ScopedTestEnvironment::AppendRegistryConf(const QString& line) {
    AppendConfigLine(QStringLiteral("registry.conf"), line);
}

QString ScopedTestEnvironment::SystemRegistryFile() const {
    return Root() + QStringLiteral("/etc/questoes/registry.conf");
}

void ScopedTestEnvironment::AppendSystemRegistryConf(const QString& line) {
    MakeDirectory(QFileInfo(SystemRegistryFile()).absolutePath());
    QFile file(SystemRegistryFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) ||
        file.write((line + QLatin1Char('\n')).toUtf8()) < 0) {
        ADD_FAILURE() << "Cannot write " << SystemRegistryFile().toStdString();
    }
}

void ScopedTestEnvironment::AppendDbEngineConf(const QString& line) {
    AppendConfigLine(QStringLiteral("dbengine.conf"), line);
}

QString ScopedTestEnvironment::AppendConfigLine(const QString& fileName, const QString& line) {
    const QString path = ConfigDir() + QLatin1Char('/') + fileName;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) ||
        file.write((line + QLatin1Char('\n')).toUtf8()) < 0) {
        ADD_FAILURE() << "Cannot write " << path.toStdString();
    }
    return path;
}

QString ScopedTestEnvironment::WriteFile(const QString& relativePath, const QByteArray& contents) {
    const QString path = QDir(Root()).filePath(relativePath);
    MakeDirectory(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(contents) != contents.size()) {
        ADD_FAILURE() << "Cannot write " << path.toStdString();
    }
    return path;
}

void ScopedTestEnvironment::Remember(const QByteArray& name) {
    for (const auto& entry : saved_)
        if (entry.first == name)
            return;
    std::optional<QByteArray> value;
    if (qEnvironmentVariableIsSet(name.constData()))
        value = qgetenv(name.constData());
    saved_.emplace_back(name, value);
}

void ScopedTestEnvironment::SetVariable(const QByteArray& name,
                                        const std::optional<QByteArray>& value) {
    Remember(name);
    if (value)
        qputenv(name.constData(), *value);
    else
        qunsetenv(name.constData());
}
