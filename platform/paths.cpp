// File names on Linux are bytes; the program treats them as UTF-8 throughout.
#include "platform/paths.h"

#include "platform/drive_map.h"

#include <QByteArray>

QString ResolvePath(const QString& windowsOrLinuxPath) {
    const QByteArray utf8 = windowsOrLinuxPath.toUtf8();
    const auto resolved = ResolveWindowsPath(std::string_view(utf8.constData(), utf8.size()));
    if (!resolved)
        return {};
    return QString::fromStdString(resolved->string());
}

QString DriveRoot(QChar letter) {
    if (letter.unicode() > 0x7F)
        return {};
    const auto dir = DriveDirectory(static_cast<char>(letter.unicode()));
    return QString::fromStdString(dir.string());
}
