#include "store/session.h"

#include "platform/dialogs.h"
#include "platform/library.h"
#include "store/database.h"
#include "store/database_error.h"
#include "store/engine_api.h"
#include "store/field.h"

#include <QByteArray>
#include <QList>
#include <cstring>
#include <mutex>
#include <utility>

namespace {
// The one lock of the process; each session counts its own entries so that
// only the first takes it.
std::recursive_mutex& ProcessSessionLock() {
    static std::recursive_mutex lock;
    return lock;
}

int LoadErrorCode(TLoadError error) {
    switch (error) {
    case TLoadError::NotFound:
        return DBE_ERR_FILENOTFOUND;
    case TLoadError::OutOfMemory:
        return DBE_ERR_NOMEMORY;
    default:
        return DBE_ERR_LOADFAILED;
    }
}
} // namespace

TSession::TSession(QString sessionName) : sessionName_(std::move(sessionName)) {}

TSession::~TSession() {
    // Tables still open on our databases are closed first (TDatabase::Close),
    // then the engine is told to exit.
    databases_.clear();
    if (initialized_ && api_)
        api_->Exit();
    // The library stays mapped until the process ends: its own static state
    // must outlive any later session, and unmapping it would orphan it.
}

void TSession::LockSession() {
    if (lockCount_ == 0) {
        ProcessSessionLock().lock();
        ++lockCount_;
        try {
            if (!Active())
                StartSession();
        } catch (...) {
            UnlockSession();
            throw;
        }
    } else {
        ++lockCount_;
    }
}

void TSession::UnlockSession() {
    if (lockCount_ <= 0)
        return;
    if (--lockCount_ == 0)
        ProcessSessionLock().unlock();
}

void TSession::RaiseInitError(int code) {
    const QString message = QString::fromLatin1(StoreMessages::InitError).arg(HexCode(code));
    throw EDBEngineError(code, {TDBError(code, 0, message)}, message);
}

void TSession::StartSession() {
    const TLoadResult loaded = LoadLibraryEx(QStringLiteral("DBENGINE.DLL"));
    if (!loaded.Ok())
        RaiseInitError(LoadErrorCode(loaded.Error));
    auto api = std::make_unique<TEngineApi>();
    const char* missing = nullptr;
    if (!api->Resolve(loaded.Handle, &missing)) {
        FreeLibrary(loaded.Handle);
        RaiseInitError(DBE_ERR_MISSINGENTRY);
    }
    DbeEnv env;
    std::memset(&env, 0, sizeof env);
    std::strcpy(env.szLang, "0009");
    const DbeResult init = api->InitFn(DBE_INTERFACE_VERSION, &env);
    // Once called into, the library stays mapped (see ~TSession).
    if (init != DBE_OK && init != DBE_ERR_ALREADYINIT)
        RaiseInitError(init);
    hDbeSes handle = nullptr;
    const DbeResult current = api->GetCurrSession(&handle);
    if (current != DBE_OK || !handle) {
        if (init == DBE_OK)
            api->Exit();
        RaiseInitError(current != DBE_OK ? current : DBE_ERR_NOTINITIALIZED);
    }
    module_ = loaded.Handle;
    api_ = std::move(api);
    // Only the session that started the engine stops it.
    initialized_ = init == DBE_OK;
    handle_ = handle;
}

void TSession::RaiseEngineError(DbeResult result) const {
    // The context lines first: they belong to the failure just answered.
    QList<QString> context;
    char line[DBE_MAXMSGLEN + 1];
    for (uint16_t entry = 0; entry < 32; ++entry) {
        std::memset(line, 0, sizeof line);
        const DbeResult status = api_->GetErrorContext(entry, line);
        line[DBE_MAXMSGLEN] = '\0';
        if (status != DBE_OK || line[0] == '\0')
            break;
        context << QString::fromUtf8(line);
    }
    char text[DBE_MAXMSGLEN + 1];
    std::memset(text, 0, sizeof text);
    if (api_->GetErrorString(result, text) != DBE_OK)
        text[0] = '\0';
    text[DBE_MAXMSGLEN] = '\0';
    const QString message = EngineErrorMessage(result, QString::fromUtf8(text), context);
    QList<TDBError> errors;
    errors << TDBError(result, 0, QString::fromUtf8(text));
    for (const QString& contextLine : context)
        errors << TDBError(result, 0, contextLine);
    throw EDBEngineError(result, std::move(errors), message);
}

void TSession::Check(DbeResult result) const {
    if (result != DBE_OK)
        RaiseEngineError(result);
}

void TSession::AddPassword(const QString& password) {
    if (password.isEmpty())
        return;
    TSessionLock lock(*this);
    const QByteArray text = CutToCharacters(password, DBE_MAXPASSWORDLEN).toUtf8();
    Check(api_->AddPassword(text.constData()));
}

bool TSession::GetPassword(const QString& tableName) {
    std::optional<QString> password;
    if (OnPassword)
        password = OnPassword(tableName);
    else
        password = Dialogs().PromptPassword(tableName);
    if (!password)
        return false;
    AddPassword(*password);
    return true;
}

TDatabase* TSession::FindDatabase(const QString& databaseName) const {
    for (const auto& database : databases_) {
        if (database->DatabaseName().compare(databaseName, Qt::CaseInsensitive) == 0)
            return database.get();
    }
    return nullptr;
}

TDatabase* TSession::OpenDatabase(const QString& databaseName) {
    TSessionLock lock(*this);
    TDatabase* database = FindDatabase(databaseName);
    if (!database) {
        auto created = std::make_unique<TDatabase>(this, databaseName);
        created->SetTemporary(true);
        created->Open(); // a failure drops the new object
        database = created.get();
        databases_.push_back(std::move(created));
    } else if (!database->Connected()) {
        database->Open();
    }
    ++database->refCount_;
    return database;
}

void TSession::CloseDatabase(TDatabase* database) {
    if (database && database->refCount_ > 0)
        --database->refCount_;
}

TSession& Session() {
    static TSession session;
    return session;
}
