// LoadLibrary over dlopen. Failures are classified from dlopen's message,
// which is the only report it gives; its texts carry the errno strings of the
// open that failed.
#include "platform/library.h"

#include "platform/paths.h"
#include "platform/registry.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <dlfcn.h>

namespace {

thread_local TLoadError lastError = TLoadError::None;
thread_local QString lastErrorText;

TLoadError Classify(const QString& text) {
    // A missing file, a missing library it needs, or a bad folder in the path.
    if (text.contains(QLatin1String("No such file or directory")) ||
        text.contains(QLatin1String("Not a directory")))
        return TLoadError::NotFound;
    if (text.contains(QLatin1String("Cannot allocate memory"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("out of memory"), Qt::CaseInsensitive))
        return TLoadError::OutOfMemory;
    return TLoadError::Other;
}

TLoadResult Open(const QString& file) {
    TLoadResult result;
    result.Path = file;
    dlerror(); // clear a stale message
    result.Handle = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    if (result.Handle)
        return result;
    const char* message = dlerror();
    result.Text =
        message ? QString::fromLocal8Bit(message) : QStringLiteral("%1: load failed").arg(file);
    result.Error = Classify(result.Text);
    return result;
}

bool HasDirectory(const QString& name) {
    return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
           (name.size() >= 2 && name[1] == QLatin1Char(':'));
}

// Splits a DLLPATH list at `;` and at `:`, except the colon of a drive
// letter ("C:\Engine:/opt/lib" is two entries).
QStringList SplitPathList(const QString& list) {
    QStringList entries;
    QString current;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QChar c = list[i];
        const bool driveColon = c == QLatin1Char(':') && current.size() == 1 &&
                                current[0].isLetter() && current[0].unicode() < 0x80 &&
                                (i + 1 == list.size() || list[i + 1] == QLatin1Char('\\') ||
                                 list[i + 1] == QLatin1Char('/'));
        if ((c == QLatin1Char(';') || c == QLatin1Char(':')) && !driveColon) {
            entries << current;
            current.clear();
            continue;
        }
        current += c;
    }
    entries << current;
    QStringList result;
    for (const QString& entry : entries) {
        if (!entry.trimmed().isEmpty())
            result << entry.trimmed();
    }
    return result;
}

} // namespace

QString LinuxLibraryName(const QString& name) {
    QString base = name.trimmed();
    if (base.endsWith(QLatin1String(".so")) || base.contains(QLatin1String(".so.")))
        return base;
    if (base.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive))
        base.chop(4);
    return QStringLiteral("lib") + base.toLower() + QStringLiteral(".so");
}

QStringList DllPathDirectories() {
    const auto value = ReadRegistryValue(QString::fromLatin1(kDatabaseEngineKey),
                                         QString::fromLatin1(kDllPathValue));
    if (!value)
        return {};
    QStringList dirs;
    for (const QString& entry : SplitPathList(*value)) {
        // Windows paths go through the drive map; a relative Linux entry is
        // taken from the current directory, as a relative PATH entry would.
        const QString resolved = ResolvePath(entry);
        dirs << (resolved.isEmpty() ? QDir::current().absoluteFilePath(entry) : resolved);
    }
    return dirs;
}

TLoadResult LoadLibraryEx(const QString& name) {
    TLoadResult result;
    if (name.trimmed().isEmpty()) {
        result.Error = TLoadError::NotFound;
        result.Text = QStringLiteral("empty library name");
        return result;
    }

    if (HasDirectory(name)) {
        const QString trimmed = name.trimmed();
        qsizetype cut =
            std::max(trimmed.lastIndexOf(QLatin1Char('/')), trimmed.lastIndexOf(QLatin1Char('\\')));
        if (cut < 0)
            cut = 1; // "C:name": the drive's root
        const QString dirPart = trimmed.left(cut + 1);
        QString dir = ResolvePath(dirPart);
        if (dir.isEmpty()) {
            QString relative = dirPart;
            relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
            dir = QDir::current().absoluteFilePath(relative);
        }
        const QString file = QDir(dir).filePath(LinuxLibraryName(trimmed.mid(cut + 1)));
        if (!QFileInfo::exists(file)) {
            result.Error = TLoadError::NotFound;
            result.Path = file;
            result.Text = QStringLiteral("%1: No such file or directory").arg(file);
            return result;
        }
        return Open(file);
    }

    const QString file = LinuxLibraryName(name);
    QStringList dirs{QDir::currentPath()};
    dirs << DllPathDirectories();
    for (const QString& dir : dirs) {
        const QString candidate = QDir(dir).filePath(file);
        if (QFileInfo(candidate).isFile())
            return Open(candidate);
    }
    return Open(file);
}

HMODULE LoadLibrary(const QString& name) {
    const TLoadResult result = LoadLibraryEx(name);
    lastError = result.Error;
    lastErrorText = result.Text;
    return result.Handle;
}

TLoadError LastLoadError() {
    return lastError;
}

QString LastLoadErrorText() {
    return lastErrorText;
}

void* GetProcAddress(HMODULE module, const char* name) {
    if (!module || !name)
        return nullptr;
    return dlsym(module, name);
}

bool FreeLibrary(HMODULE module) {
    if (!module)
        return false;
    return dlclose(module) == 0;
}
