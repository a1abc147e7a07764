// The C entries of the engine. Each entry takes the engine's lock, checks
// its handles against the live objects, runs, and turns any failure into a
// result code; the failure (code and context lines) is kept in the session
// for DbeGetErrorContext. Nothing thrown inside ever crosses this boundary.
#include "store/engine/dbengine.h"

#include "store/engine/cursor.h"
#include "store/engine/engine_config.h"
#include "store/engine/engine_error.h"
#include "store/engine/path_names.h"
#include "store/engine/table_file.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace fs = std::filesystem;

struct DbeCursorRec {
    std::unique_ptr<TCursor> Cursor;
    hDbeDb Database = nullptr;
};

struct DbeDatabaseRec {
    std::string Alias;
    fs::path Directory;
    std::string Written; // the directory as the configuration or the caller wrote it
    std::set<hDbeCur> Cursors;
};

struct DbeSessionRec {
    std::vector<std::string> Passwords;
    std::set<hDbeDb> Databases;
    DbeResult LastCode = DBE_OK;
    std::vector<std::string> LastContext;
};

namespace {

struct TEngine {
    std::mutex Mutex; // no entry calls another, so the lock is never taken twice
    bool Initialised = false;
    std::string ConfigFile;
    std::unique_ptr<DbeSessionRec> Session;
    std::unordered_set<hDbeCur> Cursors;
    hDbeCur LastCursor = nullptr; // the live cursor most recently used
};

// Made when the library loads; lives as long as the process.
TEngine* const TheEngine = new TEngine;

TEngine& Engine() {
    return *TheEngine;
}

void Record(DbeResult code, std::vector<std::string> context) {
    TEngine& e = Engine();
    if (!e.Session)
        return;
    e.Session->LastCode = code;
    e.Session->LastContext = std::move(context);
}

// Runs `body` under the engine lock with the failure bookkeeping.
template <class F> DbeResult Guard(bool needInit, F&& body) {
    TEngine& e = Engine();
    std::lock_guard<std::mutex> lock(e.Mutex);
    if (needInit && !e.Initialised)
        return DBE_ERR_NOTINITIALIZED;
    try {
        body();
        // A walk makes many successful calls in a row: nothing to change then.
        if (e.Session && (e.Session->LastCode != DBE_OK || !e.Session->LastContext.empty()))
            Record(DBE_OK, {});
        return DBE_OK;
    } catch (const TEngineError& error) {
        Record(error.Code(), error.Context());
        return error.Code();
    } catch (const std::bad_alloc&) {
        Record(DBE_ERR_NOMEMORY, {});
        return DBE_ERR_NOMEMORY;
    } catch (const std::filesystem::filesystem_error& error) {
        Record(DBE_ERR_IO, {std::string("Detail: ") + error.what()});
        return DBE_ERR_IO;
    } catch (const std::exception& error) {
        Record(DBE_ERR_IO, {std::string("Detail: ") + error.what()});
        return DBE_ERR_IO;
    } catch (...) {
        Record(DBE_ERR_IO, {});
        return DBE_ERR_IO;
    }
}

TCursor& CursorOf(hDbeCur hCur) {
    TEngine& e = Engine();
    // A walk asks for the same cursor call after call.
    if (hCur && hCur == e.LastCursor) {
        assert(e.Cursors.count(hCur) && "closing a cursor forgets it as the last one used");
        return *hCur->Cursor;
    }
    if (!hCur || !e.Cursors.count(hCur))
        throw TEngineError(DBE_ERR_INVALIDHNDL, {"Invalid cursor handle"});
    e.LastCursor = hCur;
    return *hCur->Cursor;
}

DbeDatabaseRec& DatabaseOf(hDbeDb hDb) {
    TEngine& e = Engine();
    if (!hDb || !e.Session || !e.Session->Databases.count(hDb))
        throw TEngineError(DBE_ERR_INVALIDHNDL, {"Invalid database handle"});
    return *hDb;
}

void Require(const void* p) {
    if (!p)
        throw TEngineError(DBE_ERR_INVALIDPARAM, {"A required argument is missing"});
}

// Copies `text` into a caller buffer; refuses when it does not fit.
void CopyOut(const std::string& text, char* dest, size_t cb) {
    Require(dest);
    if (text.size() + 1 > cb)
        throw TEngineError(DBE_ERR_BUFTOOSMALL,
                           {"Needed: " + std::to_string(text.size() + 1) + " bytes"});
    std::memcpy(dest, text.c_str(), text.size() + 1);
}

std::string CheckedName(const char* name) {
    if (!name || !*name)
        throw TEngineError(DBE_ERR_INVALIDPARAM, {"Missing table name"});
    std::string s(name);
    if (s.size() > DBE_MAXPATHLEN || s.find('/') != std::string::npos ||
        s.find('\\') != std::string::npos || s == "." || s == "..")
        throw TEngineError(DBE_ERR_INVALIDPARAM, {"Invalid table name: " + s});
    return s;
}

fs::path ResolveOrThrow(const std::string& dir, const std::string& what) {
    auto path = ResolveDirectory(dir);
    if (!path)
        throw TEngineError(DBE_ERR_DIRNOTFOUND, {what + dir});
    return *path;
}

// The file of table `name` in the database; the error names the path.
fs::path TableFile(const DbeDatabaseRec& db, const std::string& name) {
    std::error_code ec;
    if (!fs::is_directory(db.Directory, ec))
        throw TEngineError(DBE_ERR_NOSUCHTABLE, {"Table: " + (db.Directory / name).string(),
                                                 "Directory not found: " + db.Directory.string()});
    auto file = FindFileIgnoringCase(db.Directory, name);
    if (!file)
        throw TEngineError(DBE_ERR_NOSUCHTABLE, {"Table: " + (db.Directory / name).string()});
    if (!fs::is_regular_file(*file, ec))
        throw TEngineError(DBE_ERR_NOTATABLE, {"Table: " + file->string()});
    return *file;
}

// Table `name` as the people who use it know it: under the database's
// Windows directory when it was written as one (the program's own messages
// speak of drives), otherwise by its name alone, since a directory of this
// machine means nothing to the person reading the message.
std::string ShownAs(const DbeDatabaseRec& db, const std::string& name) {
    const std::string& dir = db.Written;
    const bool windows = dir.size() >= 2 && dir[1] == ':' &&
                         ((dir[0] >= 'A' && dir[0] <= 'Z') || (dir[0] >= 'a' && dir[0] <= 'z'));
    if (!windows)
        return name;
    return dir.back() == '\\' || dir.back() == ':' ? dir + name : dir + '\\' + name;
}

void CloseCursorRec(hDbeCur hCur) {
    TEngine& e = Engine();
    e.Cursors.erase(hCur);
    if (e.LastCursor == hCur)
        e.LastCursor = nullptr;
    if (hCur->Database)
        hCur->Database->Cursors.erase(hCur);
    delete hCur;
}

void CloseDatabaseRec(hDbeDb hDb) {
    while (!hDb->Cursors.empty())
        CloseCursorRec(*hDb->Cursors.begin());
    Engine().Session->Databases.erase(hDb);
    delete hDb;
}

} // namespace

extern "C" {

DbeResult DbeInitFn(uint16_t iVersion, const DbeEnv* pEnv) {
    TEngine& e = Engine();
    std::lock_guard<std::mutex> lock(e.Mutex);
    if (e.Initialised)
        return DBE_ERR_ALREADYINIT;
    if (iVersion != DBE_INTERFACE_VERSION)
        return DBE_ERR_VERSION;
    try {
        e.ConfigFile.clear();
        if (pEnv)
            e.ConfigFile.assign(pEnv->szConfigFile,
                                strnlen(pEnv->szConfigFile, sizeof pEnv->szConfigFile));
        e.Session = std::make_unique<DbeSessionRec>();
    } catch (const std::bad_alloc&) {
        return DBE_ERR_NOMEMORY;
    }
    e.Initialised = true;
    return DBE_OK;
}

DbeResult DbeExit(void) {
    return Guard(true, [] {
        TEngine& e = Engine();
        while (!e.Session->Databases.empty())
            CloseDatabaseRec(*e.Session->Databases.begin());
        while (!e.Cursors.empty())
            CloseCursorRec(*e.Cursors.begin());
        e.Session.reset();
        e.Initialised = false;
    });
}

DbeResult DbeGetCurrSession(hDbeSes* phSes) {
    return Guard(true, [&] {
        Require(phSes);
        *phSes = Engine().Session.get();
    });
}

DbeResult DbeAddPassword(const char* szPassword) {
    return Guard(true, [&] {
        Require(szPassword);
        std::string pw(szPassword);
        // At most 255 characters are kept, never cutting a character.
        size_t chars = 0, i = 0;
        while (i < pw.size() && chars < DBE_MAXPASSWORDLEN) {
            unsigned char c = static_cast<unsigned char>(pw[i]);
            i += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            ++chars;
        }
        pw.resize(std::min(i, pw.size()));
        if (pw.empty())
            return;
        auto& list = Engine().Session->Passwords;
        if (std::find(list.begin(), list.end(), pw) == list.end())
            list.push_back(pw);
    });
}

DbeResult DbeOpenDatabase(const char* szAlias, const char* szDbType, DbeOpenMode eOpenMode,
                          DbeShareMode eShareMode, const char* szPassword, hDbeDb* phDb) {
    (void)szDbType, (void)eOpenMode, (void)eShareMode, (void)szPassword;
    return Guard(true, [&] {
        Require(phDb);
        *phDb = nullptr;
        auto db = std::make_unique<DbeDatabaseRec>();
        if (szAlias && *szAlias) {
            db->Alias = szAlias;
            auto dir = LookUpAlias(db->Alias, Engine().ConfigFile);
            if (!dir) {
                TEngineError error(DBE_ERR_UNKNOWNALIAS, {"Alias: " + db->Alias});
                for (const std::string& file : EngineConfigFiles(Engine().ConfigFile))
                    error.Add("Configuration: " + file);
                throw error;
            }
            auto path = ResolveDirectory(*dir);
            if (!path)
                throw TEngineError(DBE_ERR_DIRNOTFOUND,
                                   {"Alias: " + db->Alias, "Directory: " + *dir});
            db->Directory = *path;
            db->Written = *dir;
        } else {
            std::error_code ec;
            db->Directory = fs::current_path(ec);
        }
        hDbeDb handle = db.release();
        Engine().Session->Databases.insert(handle);
        *phDb = handle;
    });
}

DbeResult DbeSetDirectory(hDbeDb hDb, const char* szDir) {
    return Guard(true, [&] {
        DbeDatabaseRec& db = DatabaseOf(hDb);
        Require(szDir);
        db.Directory = ResolveOrThrow(szDir, "Directory: ");
        db.Written = szDir;
    });
}

DbeResult DbeGetDirectory(hDbeDb hDb, char* szDir, size_t cbDir) {
    return Guard(true, [&] { CopyOut(DatabaseOf(hDb).Directory.string(), szDir, cbDir); });
}

DbeResult DbeCloseDatabase(hDbeDb* phDb) {
    return Guard(true, [&] {
        Require(phDb);
        DatabaseOf(*phDb);
        CloseDatabaseRec(*phDb);
        *phDb = nullptr;
    });
}

DbeResult DbeOpenTable(hDbeDb hDb, const char* szTableName, const char* szDriver,
                       const char* szIndexName, DbeOpenMode eOpenMode, DbeShareMode eShareMode,
                       int16_t bTranslate, hDbeCur* phCur) {
    (void)bTranslate;
    return Guard(true, [&] {
        Require(phCur);
        *phCur = nullptr;
        DbeDatabaseRec& db = DatabaseOf(hDb);
        std::string name = CheckedName(szTableName);
        if (szDriver && *szDriver && !NamesMatch(szDriver, "NATIVE"))
            throw TEngineError(DBE_ERR_UNKNOWNDRIVER, {std::string("Driver: ") + szDriver});
        if (eOpenMode != dbeREADWRITE && eOpenMode != dbeREADONLY)
            throw TEngineError(DBE_ERR_INVALIDPARAM, {"Invalid open mode"});
        if (eShareMode != dbeOPENSHARED && eShareMode != dbeOPENEXCL)
            throw TEngineError(DBE_ERR_INVALIDPARAM, {"Invalid share mode"});
        fs::path file = TableFile(db, name);
        auto rec = std::make_unique<DbeCursorRec>();
        rec->Cursor =
            std::make_unique<TCursor>(name, file.string(), ShownAs(db, name), eOpenMode, eShareMode,
                                      Engine().Session->Passwords, szIndexName ? szIndexName : "");
        rec->Database = hDb;
        hDbeCur handle = rec.release();
        Engine().Cursors.insert(handle);
        db.Cursors.insert(handle);
        *phCur = handle;
    });
}

DbeResult DbeCreateTable(hDbeDb hDb, const DbeTableDesc* pDesc) {
    return Guard(true, [&] {
        DbeDatabaseRec& db = DatabaseOf(hDb);
        Require(pDesc);
        CheckedName(pDesc->szTblName);
        CreateTableFile(db.Directory, *pDesc);
    });
}

DbeResult DbeListTables(hDbeDb hDb, char* szList, size_t cbList) {
    return Guard(true, [&] {
        DbeDatabaseRec& db = DatabaseOf(hDb);
        std::vector<std::string> names;
        std::error_code ec;
        if (!fs::is_directory(db.Directory, ec))
            throw TEngineError(DBE_ERR_DIRNOTFOUND, {"Directory: " + db.Directory.string()});
        for (fs::directory_iterator it(db.Directory, ec), end; !ec && it != end; it.increment(ec)) {
            std::string n = it->path().filename().string();
            if (n.size() > 3 && NamesMatch(n.substr(n.size() - 3), ".DB") && n.front() != '.' &&
                it->is_regular_file(ec))
                names.push_back(n);
        }
        std::sort(names.begin(), names.end());
        std::string out;
        for (const std::string& n : names)
            out += n + "\n";
        CopyOut(out, szList, cbList);
    });
}

DbeResult DbeGetTableFamily(hDbeDb hDb, const char* szTableName, char* szList, size_t cbList) {
    return Guard(true, [&] {
        DbeDatabaseRec& db = DatabaseOf(hDb);
        fs::path file = TableFile(db, CheckedName(szTableName));
        CopyOut(file.string() + "\n", szList, cbList);
    });
}

DbeResult DbeCopyTableFamily(hDbeDb hDb, const char* szTableName, const char* szDestDir) {
    return Guard(true, [&] {
        DbeDatabaseRec& db = DatabaseOf(hDb);
        fs::path file = TableFile(db, CheckedName(szTableName));
        Require(szDestDir);
        CopyTableFile(file, ResolveOrThrow(szDestDir, "Directory: "));
    });
}

DbeResult DbeCheckTable(hDbeDb hDb, const char* szTableName) {
    return Guard(true, [&] {
        DbeDatabaseRec& db = DatabaseOf(hDb);
        fs::path file = TableFile(db, CheckedName(szTableName));
        std::vector<std::string> problems = CheckTableFile(file.string());
        if (problems.empty())
            return;
        std::vector<std::string> context{"Table: " + file.string()};
        for (size_t i = 0; i < problems.size() && i < 20; ++i)
            context.push_back(problems[i]);
        bool notOurs = problems.front() == ErrorText(DBE_ERR_NOTATABLE);
        throw TEngineError(notOurs ? DBE_ERR_NOTATABLE : DBE_ERR_CORRUPT, context);
    });
}

DbeResult DbeGetCursorProps(hDbeCur hCur, DbeCurProps* pProps) {
    return Guard(true, [&] {
        TCursor& c = CursorOf(hCur);
        Require(pProps);
        c.GetProps(*pProps);
    });
}

DbeResult DbeGetFieldDescs(hDbeCur hCur, DbeFldDesc* pFldDescs) {
    return Guard(true, [&] {
        TCursor& c = CursorOf(hCur);
        Require(pFldDescs);
        c.GetFieldDescs(pFldDescs);
    });
}

DbeResult DbeSetToBegin(hDbeCur hCur) {
    return Guard(true, [&] { CursorOf(hCur).SetToBegin(); });
}

DbeResult DbeSetToEnd(hDbeCur hCur) {
    return Guard(true, [&] { CursorOf(hCur).SetToEnd(); });
}

DbeResult DbeGetRecord(hDbeCur hCur, DbeLockType eLock, void* pRecBuf, DbeRecProps* pRecProps) {
    return Guard(true, [&] { CursorOf(hCur).GetCurrent(eLock, pRecBuf, pRecProps); });
}

DbeResult DbeGetNextRecord(hDbeCur hCur, DbeLockType eLock, void* pRecBuf, DbeRecProps* pRecProps) {
    return Guard(true, [&] { CursorOf(hCur).GetNext(eLock, pRecBuf, pRecProps); });
}

DbeResult DbeGetPriorRecord(hDbeCur hCur, DbeLockType eLock, void* pRecBuf,
                            DbeRecProps* pRecProps) {
    return Guard(true, [&] { CursorOf(hCur).GetPrior(eLock, pRecBuf, pRecProps); });
}

DbeResult DbeGetBookMark(hDbeCur hCur, void* pBookMark) {
    return Guard(true, [&] {
        TCursor& c = CursorOf(hCur);
        Require(pBookMark);
        c.GetBookMark(pBookMark);
    });
}

DbeResult DbeSetToBookMark(hDbeCur hCur, const void* pBookMark) {
    return Guard(true, [&] {
        TCursor& c = CursorOf(hCur);
        Require(pBookMark);
        c.SetToBookMark(pBookMark);
    });
}

DbeResult DbeInitRecord(hDbeCur hCur, void* pRecBuf) {
    return Guard(true, [&] {
        TCursor& c = CursorOf(hCur);
        Require(pRecBuf);
        c.InitRecord(pRecBuf);
    });
}

DbeResult DbeGetField(hDbeCur hCur, uint16_t iField, const void* pRecBuf, void* pDest,
                      size_t cbDest, int16_t* pbBlank) {
    return Guard(true, [&] { CursorOf(hCur).GetField(iField, pRecBuf, pDest, cbDest, pbBlank); });
}

DbeResult DbePutField(hDbeCur hCur, uint16_t iField, void* pRecBuf, const void* pSrc) {
    return Guard(true, [&] { CursorOf(hCur).PutField(iField, pRecBuf, pSrc); });
}

DbeResult DbeInsertRecord(hDbeCur hCur, DbeLockType eLock, void* pRecBuf) {
    return Guard(true, [&] { CursorOf(hCur).Insert(eLock, pRecBuf); });
}

DbeResult DbeModifyRecord(hDbeCur hCur, const void* pRecBuf, int16_t bFreeLock) {
    return Guard(true, [&] { CursorOf(hCur).Modify(pRecBuf, bFreeLock != 0); });
}

DbeResult DbeDeleteRecord(hDbeCur hCur, void* pRecBuf) {
    (void)pRecBuf;
    return Guard(true, [&] { CursorOf(hCur).Delete(); });
}

DbeResult DbeRelRecordLock(hDbeCur hCur, int16_t bAll) {
    return Guard(true, [&] { CursorOf(hCur).ReleaseLock(bAll != 0); });
}

DbeResult DbeMakeGap(hDbeCur hCur) {
    return Guard(true, [&] { CursorOf(hCur).MakeGap(); });
}

DbeResult DbeGetExactRecordCount(hDbeCur hCur, uint32_t* piRecCount) {
    return Guard(true, [&] {
        TCursor& c = CursorOf(hCur);
        Require(piRecCount);
        *piRecCount = c.Count();
    });
}

DbeResult DbeGetRecordCount(hDbeCur hCur, uint32_t* piRecCount) {
    return DbeGetExactRecordCount(hCur, piRecCount);
}

DbeResult DbeCloseCursor(hDbeCur* phCur) {
    return Guard(true, [&] {
        Require(phCur);
        CursorOf(*phCur);
        CloseCursorRec(*phCur);
        *phCur = nullptr;
    });
}

DbeResult DbeBeginBatch(hDbeCur hCur) {
    return Guard(true, [&] { CursorOf(hCur).BeginBatch(); });
}

DbeResult DbeCommitBatch(hDbeCur hCur) {
    return Guard(true, [&] { CursorOf(hCur).CommitBatch(); });
}

DbeResult DbeRollbackBatch(hDbeCur hCur) {
    return Guard(true, [&] { CursorOf(hCur).RollbackBatch(); });
}

DbeResult DbeGetErrorString(DbeResult rslt, char* szMsg) {
    if (!szMsg)
        return DBE_ERR_INVALIDPARAM;
    std::snprintf(szMsg, DBE_MAXMSGLEN + 1, "%s", ErrorText(rslt));
    return DBE_OK;
}

DbeResult DbeGetLastError(DbeResult* pCode) {
    TEngine& e = Engine();
    std::lock_guard<std::mutex> lock(e.Mutex);
    if (!pCode)
        return DBE_ERR_INVALIDPARAM;
    *pCode = e.Session ? e.Session->LastCode : DBE_OK;
    return DBE_OK;
}

DbeResult DbeGetErrorContext(uint16_t iEntry, char* szLine) {
    TEngine& e = Engine();
    std::lock_guard<std::mutex> lock(e.Mutex);
    if (!szLine)
        return DBE_ERR_INVALIDPARAM;
    szLine[0] = 0;
    if (!e.Session || iEntry >= e.Session->LastContext.size())
        return DBE_ERR_OUTOFRANGE;
    std::snprintf(szLine, DBE_MAXMSGLEN + 1, "%s", e.Session->LastContext[iEntry].c_str());
    return DBE_OK;
}

} // extern "C"
