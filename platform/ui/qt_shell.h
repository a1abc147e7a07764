// The shell service on QDesktopServices: web addresses and mail links go to
// the user's browser and mail program, files to the program the desktop
// associates with them. Programs are never started directly: opening is
// all this service does.
#pragma once

#include "platform/shell.h"

#include <QUrl>

class TQtShell : public TShell {
public:
    int ShellExecute(QObject* owner, const QString& verb, const QString& file,
                     const QString& params, const QString& dir, int show) override;

    // What ShellExecute would open: a URL when file carries a scheme
    // ("http:", "mailto:", ...), otherwise the local file, taken relative to
    // dir when it is relative.
    static QUrl TargetUrl(const QString& file, const QString& dir);
};
