// Consistency checks of the extended status bar and its program-end audit.
#include "statusbar/ex_assert.h"

#include "statusbar/ex_status_panels.h"
#include "statusbar/kb_monitor.h"
#include "statusbar/keyboard_watch.h"

#include <QtGlobal>

QString ExStatusBarAssertMessage(const QString& text) {
    return text + QStringLiteral(" (unit ExStatusBar)");
}

EExStatusBarAssertion::EExStatusBarAssertion(const QString& text)
    : Exception(ExStatusBarAssertMessage(text)) {}

void ExStatusBarAssertFailed(const QString& text) {
    throw EExStatusBarAssertion(text);
}

std::function<void(const QString& message)>& ExStatusBarReportHandler() {
    static std::function<void(const QString&)> handler;
    return handler;
}

void ExStatusBarReport(const QString& text) {
    const QString message = ExStatusBarAssertMessage(text);
    qCritical("%s", qPrintable(message));
    if (ExStatusBarReportHandler())
        ExStatusBarReportHandler()(message);
}

void ExStatusBarFinalize() {
    if (keyboardwatch::RemoveHook())
        ExStatusBarReport(QStringLiteral("TExStatusBar: Keyboard hook still installed"));
    if (TimerRegistrationCount() != 0)
        ExStatusBarReport(QStringLiteral("TExStatusBar: Unbalanced timer registrations"));
    if (exkb::MonitorLoaded())
        exkb::UnloadMonitor();
}
