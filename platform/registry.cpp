// Registry lookups over the registry.conf files (format in registry.h). The
// files are tiny and read rarely, so they are parsed on each lookup.
#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QTextStream>

namespace {

QMutex& FileMutex() {
    static QMutex mutex;
    return mutex;
}

QString& SystemFileOverride() {
    static QString path;
    return path;
}

QString ConfigHome() {
    const QString value = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (value.startsWith(QLatin1Char('/')))
        return value;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString Unquote(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('"')) &&
        trimmed.endsWith(QLatin1Char('"')))
        return trimmed.mid(1, trimmed.size() - 2);
    return trimmed;
}

// The key path in one spelling: `\` separators, no doubled or trailing
// separator, the root written out, upper case.
QString NormalKey(const QString& key) {
    QString text = key.trimmed();
    text.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QStringList parts = text.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = part.trimmed().toUpper();
    if (!parts.isEmpty()) {
        if (parts.front() == QLatin1String("HKLM"))
            parts.front() = QStringLiteral("HKEY_LOCAL_MACHINE");
        else if (parts.front() == QLatin1String("HKCU"))
            parts.front() = QStringLiteral("HKEY_CURRENT_USER");
    }
    return parts.join(QLatin1Char('\\'));
}

std::optional<QString> ReadFromFile(const QString& path, const QString& key, const QString& name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    bool inKey = false;
    std::optional<QString> found;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inKey = NormalKey(line.mid(1, line.size() - 2)) == key;
            continue;
        }
        if (!inKey)
            continue;
        const auto eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (Unquote(line.left(eq)).compare(name, Qt::CaseInsensitive) == 0)
            found = Unquote(line.mid(eq + 1)); // a later line for the same value wins
    }
    return found;
}

} // namespace

QStringList RegistryFiles() {
    QString system;
    {
        const QMutexLocker lock(&FileMutex());
        system = SystemFileOverride();
    }
    if (system.isEmpty())
        system = QStringLiteral("/etc/questoes/registry.conf");
    return {ConfigHome() + QStringLiteral("/questoes/registry.conf"), system};
}

void SetSystemRegistryFile(const QString& path) {
    const QMutexLocker lock(&FileMutex());
    SystemFileOverride() = path;
}

std::optional<QString> ReadRegistryValue(const QString& keyPath, const QString& valueName) {
    const QString key = NormalKey(keyPath);
    const QString name = valueName.trimmed();
    for (const QString& file : RegistryFiles()) {
        if (auto value = ReadFromFile(file, key, name))
            return value;
    }
    return std::nullopt;
}
