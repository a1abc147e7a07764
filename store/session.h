// The database session: it loads and starts the Database Engine on its first
// locked use, holds the table passwords (inside the engine), the databases it
// has opened and the process-wide session lock. One default session,
// Session(), serves the whole program.
#pragma once

#include "store/engine/dbengine.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TDatabase;
struct TEngineApi;

class TSession {
public:
    explicit TSession(QString sessionName = QStringLiteral("Default"));
    // Closes its databases and tells the engine to exit.
    ~TSession();
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    const QString& SessionName() const { return sessionName_; }
    // Started: the engine is loaded and the session handle taken.
    bool Active() const { return handle_ != nullptr; }
    hDbeSes Handle() const { return handle_; }

    // Enters the process-wide lock (only the first entry takes it) and starts
    // the engine when it is not started yet.
    void LockSession();
    void UnlockSession();
    int LockCount() const { return lockCount_; }

    // Hands a table password to the engine; an empty text does nothing. At
    // most 255 characters are kept.
    void AddPassword(const QString& password);

    // The open database of that name, or a temporary one created and
    // connected on demand; its use count goes up by one.
    TDatabase* OpenDatabase(const QString& databaseName);
    // Gives back one use; the database stays connected for later opens.
    void CloseDatabase(TDatabase* database);
    TDatabase* FindDatabase(const QString& databaseName) const;
    int DatabaseCount() const { return static_cast<int>(databases_.size()); }
    TDatabase* Databases(int index) const { return databases_.at(index).get(); }

    // Asks for the password of a table that the engine refused; true when one
    // was given (it has then been added). OnPassword, when set, answers in
    // place of the dialogs service.
    bool GetPassword(const QString& tableName);
    std::function<std::optional<QString>(const QString& tableName)> OnPassword;

    // The engine's entry points; only valid while the session is active.
    const TEngineApi& Api() const { return *api_; }
    // Raises EDBEngineError for a failed engine call.
    void Check(DbeResult result) const;
    [[noreturn]] void RaiseEngineError(DbeResult result) const;

private:
    void StartSession();
    [[noreturn]] void RaiseInitError(int code);

    QString sessionName_;
    hDbeSes handle_ = nullptr;
    void* module_ = nullptr;
    bool initialized_ = false;
    int lockCount_ = 0;
    std::unique_ptr<TEngineApi> api_;
    std::vector<std::unique_ptr<TDatabase>> databases_;
};

// Holds the session lock for a scope.
class TSessionLock {
public:
    explicit TSessionLock(TSession& session) : session_(session) { session_.LockSession(); }
    ~TSessionLock() { session_.UnlockSession(); }
    TSessionLock(const TSessionLock&) = delete;
    TSessionLock& operator=(const TSessionLock&) = delete;

private:
    TSession& session_;
};

// The default session of the program.
TSession& Session();
