// The session's entry table predates the family calls, so they are looked up
// here in the same engine library the session has loaded (loading it again
// only raises its use count), while the session lock keeps the engine
// started.
#include "store/table_family.h"

#include "platform/exceptions.h"
#include "platform/library.h"
#include "store/engine_api.h"
#include "store/session.h"

#include <vector>

namespace {

// A database handle on a plain folder, closed on every way out.
class TFolderDatabase {
public:
    TFolderDatabase(TSession& session, const QString& directory) : session_(session) {
        const TEngineApi& api = session_.Api();
        session_.Check(
            api.OpenDatabase(nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED, nullptr, &handle_));
        try {
            session_.Check(api.SetDirectory(handle_, directory.toUtf8().constData()));
        } catch (...) {
            api.CloseDatabase(&handle_);
            throw;
        }
    }
    ~TFolderDatabase() {
        if (handle_)
            session_.Api().CloseDatabase(&handle_);
    }
    TFolderDatabase(const TFolderDatabase&) = delete;
    TFolderDatabase& operator=(const TFolderDatabase&) = delete;
    hDbeDb Handle() const { return handle_; }

private:
    TSession& session_;
    hDbeDb handle_ = nullptr;
};

// The engine library once more, for the entries the session's table lacks.
class TFamilyEntries {
public:
    TFamilyEntries() {
        const TLoadResult loaded = LoadLibraryEx(QStringLiteral("DBENGINE.DLL"));
        if (!loaded.Ok())
            throw Exception(QStringLiteral("Database Engine não encontrado: %1").arg(loaded.Text));
        module_ = loaded.Handle;
        GetFamily = reinterpret_cast<decltype(&DbeGetTableFamily)>(
            GetProcAddress(module_, "DbeGetTableFamily"));
        CopyFamily = reinterpret_cast<decltype(&DbeCopyTableFamily)>(
            GetProcAddress(module_, "DbeCopyTableFamily"));
        CheckTable =
            reinterpret_cast<decltype(&DbeCheckTable)>(GetProcAddress(module_, "DbeCheckTable"));
        if (!GetFamily || !CopyFamily || !CheckTable) {
            FreeLibrary(module_);
            module_ = nullptr;
            throw Exception(
                QStringLiteral("O Database Engine não sabe copiar tabelas (versão antiga)"));
        }
    }
    ~TFamilyEntries() {
        if (module_)
            FreeLibrary(module_);
    }
    TFamilyEntries(const TFamilyEntries&) = delete;
    TFamilyEntries& operator=(const TFamilyEntries&) = delete;

    decltype(&DbeGetTableFamily) GetFamily = nullptr;
    decltype(&DbeCopyTableFamily) CopyFamily = nullptr;
    decltype(&DbeCheckTable) CheckTable = nullptr;

private:
    HMODULE module_ = nullptr;
};

} // namespace

QStringList TableFamily(TSession& session, const QString& directory, const QString& tableName) {
    TSessionLock lock(session);
    TFamilyEntries entries;
    TFolderDatabase db(session, directory);
    std::vector<char> list(64 * 1024, '\0');
    session.Check(
        entries.GetFamily(db.Handle(), tableName.toUtf8().constData(), list.data(), list.size()));
    return QString::fromUtf8(list.data()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void CopyTableFamily(TSession& session, const QString& directory, const QString& tableName,
                     const QString& destDirectory) {
    TSessionLock lock(session);
    TFamilyEntries entries;
    TFolderDatabase db(session, directory);
    session.Check(entries.CopyFamily(db.Handle(), tableName.toUtf8().constData(),
                                     destDirectory.toUtf8().constData()));
}

void CheckTableFile(TSession& session, const QString& directory, const QString& tableName) {
    TSessionLock lock(session);
    TFamilyEntries entries;
    TFolderDatabase db(session, directory);
    session.Check(entries.CheckTable(db.Handle(), tableName.toUtf8().constData()));
}
