// The guard around every entry from Qt (slot, event override, timer tick,
// posted message). No exception may unwind into Qt's event loop: Dispatch runs
// the code, swallows EAbort (the silent abort) and hands every other failure,
// as a message for the user, to the installed exception handler. The
// application object installs a handler that shows the message box; until
// then the message goes to stderr.
#pragma once

#include <QString>
#include <exception>
#include <functional>

using TExceptionHandler = std::function<void(const QString& message)>;

// Runs fn under the guard. True when fn ran to its end, false when it raised
// (EAbort included).
bool Dispatch(const std::function<void()>& fn);

// Installs the handler that reports a failure; an empty handler puts back the
// default one (stderr).
void SetExceptionHandler(TExceptionHandler handler);

// Reports a message through the installed handler, as Dispatch does for a
// caught exception. A handler that throws is itself caught and the message
// goes to stderr.
void HandleException(const QString& message);

// The user's message for a caught exception: Exception's message, what() of a
// standard exception (out of memory in words), and a fixed text for anything
// else. Empty for EAbort.
QString ExceptionMessage(const std::exception_ptr& error);
