// Internal consistency checks of the extended status bar. A failed check
// raises EExStatusBarAssertion, whose message carries the text and the unit
// name; checks in destructors and at program end cannot raise and are
// reported instead (to the log and to a handler tests can install).
#pragma once

#include "platform/exceptions.h"

#include <QString>

#include <functional>

class EExStatusBarAssertion : public Exception {
public:
    explicit EExStatusBarAssertion(const QString& text);
};

// The message of a failed check: "<text> (unit ExStatusBar)".
QString ExStatusBarAssertMessage(const QString& text);
[[noreturn]] void ExStatusBarAssertFailed(const QString& text);
// For places that must not throw.
void ExStatusBarReport(const QString& text);
// Receives every reported check (the log gets it too); empty by default.
std::function<void(const QString& message)>& ExStatusBarReportHandler();

// The program-end checks: a keyboard hook still installed is removed and
// reported, unbalanced timer registrations are reported, a loaded monitor
// library is unloaded. Runs by itself when the program ends.
void ExStatusBarFinalize();
