// The shell service on QDesktopServices. Only opening is offered: other
// verbs (print, edit, run) fail as "no association", and nothing is ever
// executed directly.
#include "platform/ui/qt_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {

// "C:" looks like a scheme to QUrl; a real scheme has at least two letters.
bool HasScheme(const QString& file) {
    const qsizetype colon = file.indexOf(QLatin1Char(':'));
    if (colon < 2)
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = file[i];
        const bool ok = c.isLetter() || (i > 0 && (c.isDigit() || c == QLatin1Char('+') ||
                                                   c == QLatin1Char('-') || c == QLatin1Char('.')));
        if (!ok || c.unicode() > 0x7F)
            return false;
    }
    return true;
}

} // namespace

QUrl TQtShell::TargetUrl(const QString& file, const QString& dir) {
    if (HasScheme(file))
        return QUrl(file, QUrl::TolerantMode);
    QString path = file;
    if (QFileInfo(path).isRelative() && !dir.isEmpty())
        path = QDir(dir).filePath(path);
    return QUrl::fromLocalFile(path);
}

int TQtShell::ShellExecute(QObject*, const QString& verb, const QString& file, const QString&,
                           const QString& dir, int) {
    const QString action = verb.trimmed().toLower();
    if (!action.isEmpty() && action != QLatin1String("open") && action != QLatin1String("explore"))
        return SE_ERR_NOASSOC;
    const QUrl url = TargetUrl(file, dir);
    if (!url.isValid())
        return SE_ERR_FNF;
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return SE_ERR_FNF;
    if (!QDesktopServices::openUrl(url))
        return SE_ERR_NOASSOC;
    return SE_SUCCESS;
}
