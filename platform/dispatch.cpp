// Dispatch and the process-wide exception handler. There is one user-interface
// thread, but the handler is guarded by a mutex anyway so that a worker thread
// that reports through HandleException cannot tear it.
#include "platform/dispatch.h"

#include "platform/exceptions.h"

#include <QByteArray>
#include <cstdio>
#include <mutex>
#include <new>
#include <utility>

namespace {

std::mutex& HandlerMutex() {
    static std::mutex mutex;
    return mutex;
}

TExceptionHandler& InstalledHandler() {
    static TExceptionHandler handler;
    return handler;
}

void WriteToStderr(const QString& message) {
    const QByteArray text = message.toUtf8();
    std::fprintf(stderr, "%s\n", text.constData());
    std::fflush(stderr);
}

} // namespace

void SetExceptionHandler(TExceptionHandler handler) {
    const std::lock_guard lock(HandlerMutex());
    InstalledHandler() = std::move(handler);
}

void HandleException(const QString& message) {
    TExceptionHandler handler;
    {
        const std::lock_guard lock(HandlerMutex());
        handler = InstalledHandler();
    }
    if (!handler) {
        WriteToStderr(message);
        return;
    }
    try {
        handler(message);
    } catch (...) {
        // The handler's own failure must not escape either; the original
        // message is the one that matters.
        WriteToStderr(message);
    }
}

QString ExceptionMessage(const std::exception_ptr& error) {
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return {};
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Memória insuficiente");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Erro inesperado");
    }
}

bool Dispatch(const std::function<void()>& fn) {
    if (!fn)
        return true;
    try {
        fn();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (...) {
        HandleException(ExceptionMessage(std::current_exception()));
        return false;
    }
}
