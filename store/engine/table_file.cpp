// Creating, opening, checking and copying table files. Every change to a
// file goes through SQLite with the rollback journal and synchronous=FULL, so
// a posted change is on disk when the call returns and a crash at any moment
// leaves either the old or the new state.
#include "store/engine/table_file.h"

#include "store/engine/damage_mark.h"
#include "store/engine/engine_error.h"
#include "store/engine/password_hash.h"
#include "store/engine/path_names.h"
#include "store/engine/record_locks.h"
#include "store/engine/sqlite_handles.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kFormat = "questoes-dbengine";
constexpr int kFormatVersion = 1;
std::string ColumnText(sqlite3_stmt* s, int col) {
    const unsigned char* t = sqlite3_column_text(s, col);
    return t ? std::string(reinterpret_cast<const char*>(t), size_t(sqlite3_column_bytes(s, col)))
             : std::string();
}

bool ValidFieldName(std::string_view name) {
    if (name.empty() || name.size() > DBE_MAXNAMELEN)
        return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '_'))
            return false;
    return NamesMatch(name, "dbe_order") == false && NamesMatch(name, "rowid") == false;
}

std::string RandomSuffix() {
    std::random_device rd;
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s;
    for (int i = 0; i < 10; ++i)
        s += digits[rd() % 36];
    return s;
}

void SyncPath(const fs::path& p, bool directory) {
    int fd = ::open(p.c_str(), (directory ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

void RemoveQuietly(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
}

} // namespace

std::string QuoteName(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

bool TTableSchema::RowidKey() const {
    if (KeyField == 0 || KeyField > Fields.size())
        return false;
    uint16_t t = Fields[KeyField - 1].Type;
    return t == DBE_FLD_AUTOINC || t == DBE_FLD_INTEGER;
}

bool TTableSchema::ComputeLayout() {
    uint32_t offset = kRecordHeader;
    for (TFieldInfo& f : Fields) {
        f.Offset = uint16_t(offset);
        f.Len = f.Type == DBE_FLD_STRING ? uint16_t(4 * f.Size + 1) : uint16_t(4);
        offset += 1u + (f.Type == DBE_FLD_STRING ? f.Len : 8u);
        if (offset > 0xFFFF)
            return false;
    }
    RecordSize = uint16_t(offset);
    return true;
}

std::optional<fs::path> FindFileIgnoringCase(const fs::path& dir, std::string_view name) {
    std::error_code ec;
    fs::path exact = dir / std::string(name);
    if (fs::exists(exact, ec))
        return exact;
    std::optional<std::string> best;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string candidate = it->path().filename().string();
        if (NamesMatch(candidate, name) && (!best || candidate < *best))
            best = candidate;
    }
    if (!best)
        return std::nullopt;
    return dir / *best;
}

bool IsReadOnlyFile(const fs::path& file) {
    struct stat st = {};
    if (::stat(file.c_str(), &st) != 0)
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    if (::access(file.c_str(), W_OK) != 0)
        return true;
    struct statvfs vfs = {};
    if (::statvfs(file.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY))
        return true;
    // The rollback journal is written beside the table.
    fs::path dir = file.parent_path();
    return ::access(dir.empty() ? "." : dir.c_str(), W_OK) != 0;
}

namespace {

// Reads the schema page, which is where SQLite notices a hot journal.
int Probe(sqlite3* db) {
    return sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
}

int OpenFlags(bool readOnly) {
    return readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
}

} // namespace

TSqliteDb OpenConnection(const std::string& path, bool readOnly) {
    TSqliteDb db = OpenSqlite(path, OpenFlags(readOnly), path);
    if (readOnly && Probe(db.get()) == SQLITE_READONLY_ROLLBACK) {
        // A writer died in the middle of a change and left its journal. A
        // read-only connection cannot roll it back; a short read-write one
        // can, when the file may be written at all.
        db.reset();
        if (IsReadOnlyFile(path))
            throw TEngineError(DBE_ERR_TABLEREADONLY,
                               {"Table: " + path, "An interrupted change must be undone, "
                                                  "but the file is read-only"});
        {
            TSqliteDb writer = OpenSqlite(path, OpenFlags(false), path);
            int rc = Probe(writer.get());
            if (rc != SQLITE_OK)
                ThrowSqlite(rc, writer.get(), path);
        }
        db = OpenSqlite(path, OpenFlags(true), path);
    }
    ExecSqlite(db.get(), "PRAGMA synchronous=FULL", path);
    // Pages stay cached between calls while no other connection changes
    // the file, so a table of a few hundred thousand records is read from
    // the disk once, not again on every walk.
    ExecSqlite(db.get(), "PRAGMA cache_size=-32768", path);
    return db;
}

TTableSchema ReadSchema(sqlite3* db, const std::string& path) {
    TTableSchema schema;
    std::string format;
    int version = 0;
    {
        TSqliteStmt meta = PrepareSqlite(db, "SELECT name, value FROM dbe_meta", path);
        int rc;
        while ((rc = sqlite3_step(meta.get())) == SQLITE_ROW) {
            std::string name = ColumnText(meta.get(), 0);
            if (name == "format")
                format = ColumnText(meta.get(), 1);
            else if (name == "version")
                version = sqlite3_column_int(meta.get(), 1);
            else if (name == "key_field")
                schema.KeyField = uint16_t(sqlite3_column_int(meta.get(), 1));
            else if (name == "index_field")
                schema.IndexField = uint16_t(sqlite3_column_int(meta.get(), 1));
            else if (name == "password_salt")
                schema.PasswordSalt = ColumnText(meta.get(), 1);
            else if (name == "password_hash")
                schema.PasswordHash = ColumnText(meta.get(), 1);
        }
        if (rc != SQLITE_DONE)
            ThrowSqlite(rc, db, path);
    }
    if (format != kFormat || version != kFormatVersion)
        throw TEngineError(DBE_ERR_NOTATABLE, {"Table: " + path});
    TSqliteStmt fields =
        PrepareSqlite(db, "SELECT fldnum, name, type, size FROM dbe_fields ORDER BY fldnum", path);
    int rc;
    int autoincs = 0;
    while ((rc = sqlite3_step(fields.get())) == SQLITE_ROW) {
        TFieldInfo f;
        int num = sqlite3_column_int(fields.get(), 0);
        f.Name = ColumnText(fields.get(), 1);
        int type = sqlite3_column_int(fields.get(), 2);
        int size = sqlite3_column_int(fields.get(), 3);
        bool typeOk = type == DBE_FLD_STRING || type == DBE_FLD_INTEGER || type == DBE_FLD_AUTOINC;
        bool sizeOk = type == DBE_FLD_STRING ? size >= 1 && size <= 4000 : size == 0;
        if (num != int(schema.Fields.size()) + 1 || !ValidFieldName(f.Name) || !typeOk || !sizeOk)
            throw TEngineError(DBE_ERR_CORRUPT,
                               {"Table: " + path, "Bad column definition " + std::to_string(num)});
        autoincs += type == DBE_FLD_AUTOINC;
        f.Type = uint16_t(type);
        f.Size = uint16_t(size);
        schema.Fields.push_back(f);
    }
    if (rc != SQLITE_DONE)
        ThrowSqlite(rc, db, path);
    size_t n = schema.Fields.size();
    if (n == 0 || n > 255 || schema.KeyField > n || schema.IndexField > n || autoincs > 1 ||
        (schema.IndexField && schema.Fields[schema.IndexField - 1].Type != DBE_FLD_STRING) ||
        !schema.ComputeLayout())
        throw TEngineError(DBE_ERR_CORRUPT, {"Table: " + path, "Bad table definition"});
    return schema;
}

namespace {

// The schema a table description asks for, checked and laid out. Throws
// DBE_ERR_INVALIDPARAM naming what is wrong.
TTableSchema SchemaOfDescription(const DbeTableDesc& desc) {
    if (!desc.szTblName || !*desc.szTblName ||
        std::string_view(desc.szTblName).find('/') != std::string_view::npos || desc.iFields == 0 ||
        desc.iFields > 255 || !desc.pFields || desc.iKeyField > desc.iFields ||
        desc.iIndexField > desc.iFields)
        throw TEngineError(DBE_ERR_INVALIDPARAM, {"Invalid table description"});
    std::string name = desc.szTblName;
    if (name == "." || name == "..")
        throw TEngineError(DBE_ERR_INVALIDPARAM, {"Invalid table name: " + name});
    TTableSchema schema;
    std::set<std::string> seen;
    int autoincs = 0;
    for (uint16_t i = 0; i < desc.iFields; ++i) {
        const DbeFieldDef& d = desc.pFields[i];
        std::string fname(d.szName, strnlen(d.szName, sizeof d.szName));
        std::string lower;
        for (char c : fname)
            lower += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        bool typeOk = d.iFldType == DBE_FLD_STRING || d.iFldType == DBE_FLD_INTEGER ||
                      d.iFldType == DBE_FLD_AUTOINC;
        if (!ValidFieldName(fname) || !seen.insert(lower).second || !typeOk ||
            (d.iFldType == DBE_FLD_STRING && (d.iUnits1 < 1 || d.iUnits1 > 4000)))
            throw TEngineError(DBE_ERR_INVALIDPARAM, {"Invalid column definition: " + fname});
        autoincs += d.iFldType == DBE_FLD_AUTOINC;
        TFieldInfo f;
        f.Name = fname;
        f.Type = d.iFldType;
        f.Size = d.iFldType == DBE_FLD_STRING ? d.iUnits1 : 0;
        schema.Fields.push_back(f);
    }
    schema.KeyField = desc.iKeyField;
    schema.IndexField = desc.iIndexField;
    if (autoincs > 1 || !schema.ComputeLayout() ||
        (schema.IndexField && schema.Fields[schema.IndexField - 1].Type != DBE_FLD_STRING))
        throw TEngineError(DBE_ERR_INVALIDPARAM, {"Invalid table definition: " + name});
    return schema;
}

// Makes `dir` when it is missing; refuses a table of that name in any case.
void PrepareDirectory(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec))
        throw TEngineError(DBE_ERR_DIRNOTFOUND, {"Directory: " + dir.string()});
    if (auto existing = FindFileIgnoringCase(dir, name))
        throw TEngineError(DBE_ERR_TABLEEXISTS, {"Table: " + existing->string()});
}

// The SQL definition of the records table: one column per field, and the
// order column where there is no key.
std::string RecordsDefinition(const TTableSchema& schema) {
    std::string cols;
    for (size_t i = 0; i < schema.Fields.size(); ++i) {
        const TFieldInfo& f = schema.Fields[i];
        if (!cols.empty())
            cols += ", ";
        cols += QuoteName(f.Name);
        cols += f.Type == DBE_FLD_STRING ? " TEXT NOT NULL DEFAULT ''" : " INTEGER";
        if (schema.KeyField == i + 1)
            cols += f.Type == DBE_FLD_AUTOINC ? " PRIMARY KEY AUTOINCREMENT" : " PRIMARY KEY";
        else if (f.Type == DBE_FLD_AUTOINC)
            cols += " UNIQUE";
    }
    if (!schema.KeyField)
        cols += ", dbe_order REAL NOT NULL";
    return "CREATE TABLE records(" + cols + ")";
}

// Steps a statement that returns no rows and makes it ready for the next
// values.
void StepOnce(sqlite3* db, sqlite3_stmt* stmt, const std::string& shownAs) {
    int step = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (step != SQLITE_DONE)
        ThrowSqlite(step, db, shownAs);
}

// Writes the format marker, the key, the index and the password into
// dbe_meta.
void WriteMeta(sqlite3* db, const TTableSchema& schema, const DbeTableDesc& desc,
               const std::string& shownAs) {
    TSqliteStmt meta =
        PrepareSqlite(db, "INSERT INTO dbe_meta(name, value) VALUES(?1, ?2)", shownAs);
    auto putText = [&](const char* key, const std::string& value) {
        sqlite3_bind_text(meta.get(), 1, key, -1, SQLITE_STATIC);
        sqlite3_bind_text(meta.get(), 2, value.c_str(), int(value.size()), SQLITE_TRANSIENT);
        StepOnce(db, meta.get(), shownAs);
    };
    auto putNumber = [&](const char* key, int value) {
        sqlite3_bind_text(meta.get(), 1, key, -1, SQLITE_STATIC);
        sqlite3_bind_int(meta.get(), 2, value);
        StepOnce(db, meta.get(), shownAs);
    };
    putText("format", kFormat);
    putNumber("version", kFormatVersion);
    putText("table", desc.szTblName);
    putNumber("key_field", schema.KeyField);
    putNumber("index_field", schema.IndexField);
    if (desc.szPassword && *desc.szPassword) {
        std::string salt = NewPasswordSalt();
        putText("password_salt", salt);
        putText("password_hash", HashPassword(desc.szPassword, salt));
    }
}

// Writes the column definitions into dbe_fields, in field order.
void WriteFields(sqlite3* db, const TTableSchema& schema, const std::string& shownAs) {
    TSqliteStmt fields = PrepareSqlite(
        db, "INSERT INTO dbe_fields(fldnum, name, type, size) VALUES(?1,?2,?3,?4)", shownAs);
    for (size_t i = 0; i < schema.Fields.size(); ++i) {
        const TFieldInfo& f = schema.Fields[i];
        sqlite3_bind_int(fields.get(), 1, int(i + 1));
        sqlite3_bind_text(fields.get(), 2, f.Name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(fields.get(), 3, f.Type);
        sqlite3_bind_int(fields.get(), 4, f.Size);
        StepOnce(db, fields.get(), shownAs);
    }
}

// Writes a whole new table into the empty file `file`, in one transaction.
void WriteNewTable(const fs::path& file, const TTableSchema& schema, const DbeTableDesc& desc,
                   const std::string& shownAs) {
    TSqliteDb db = OpenSqlite(file.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, shownAs);
    ExecSqlite(db.get(), "PRAGMA synchronous=FULL; BEGIN", shownAs);
    ExecSqlite(db.get(),
               "CREATE TABLE dbe_meta(name TEXT PRIMARY KEY, value) WITHOUT ROWID;"
               "CREATE TABLE dbe_fields(fldnum INTEGER PRIMARY KEY, name TEXT NOT NULL,"
               " type INTEGER NOT NULL, size INTEGER NOT NULL)",
               shownAs);
    ExecSqlite(db.get(), RecordsDefinition(schema), shownAs);
    if (!schema.KeyField)
        ExecSqlite(db.get(), "CREATE INDEX records_order ON records(dbe_order)", shownAs);
    if (schema.IndexField)
        ExecSqlite(db.get(),
                   "CREATE INDEX records_index ON records(" +
                       QuoteName(schema.Fields[schema.IndexField - 1].Name) + ")",
                   shownAs);
    WriteMeta(db.get(), schema, desc, shownAs);
    WriteFields(db.get(), schema, shownAs);
    ExecSqlite(db.get(), "COMMIT", shownAs);
}

// Gives the finished file `temp` the name `final` without ever replacing a
// file there. `temp` is gone afterwards.
void LinkIntoPlace(const fs::path& temp, const fs::path& final) {
    if (::link(temp.c_str(), final.c_str()) == 0) {
        RemoveQuietly(temp);
        return;
    }
    int err = errno;
    if (err != EEXIST) {
        // File systems without hard links (a FAT stick): a rename that
        // refuses to replace.
        if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, final.c_str(), RENAME_NOREPLACE) == 0)
            return;
        err = errno;
    }
    RemoveQuietly(temp);
    if (err == EEXIST)
        throw TEngineError(DBE_ERR_TABLEEXISTS, {"Table: " + final.string()});
    throw TEngineError(err == ENOSPC ? DBE_ERR_DISKFULL : DBE_ERR_IO,
                       {"Table: " + final.string(), std::string("Detail: ") + std::strerror(err)});
}

} // namespace

void CreateTableFile(const fs::path& dir, const DbeTableDesc& desc) {
    TTableSchema schema = SchemaOfDescription(desc);
    std::string name = desc.szTblName;
    PrepareDirectory(dir, name);
    // Built under a temporary name and linked into place, so that a table of
    // that name appears whole or not at all, and an existing one is never
    // replaced.
    fs::path final = dir / name;
    fs::path temp = dir / ("." + name + ".new-" + RandomSuffix());
    try {
        WriteNewTable(temp, schema, desc, final.string());
    } catch (...) {
        RemoveQuietly(temp);
        throw;
    }
    SyncPath(temp, false);
    LinkIntoPlace(temp, final);
    SyncPath(dir, true);
    // A mark left by a damaged table of this name speaks of another file.
    ForgetDamage(final.string());
}

namespace {

// Damage to the file's structure: SQLite's integrity check, and the
// columns the records table must carry.
std::vector<std::string> StructureProblems(sqlite3* db, const TTableSchema& schema,
                                           const std::string& path) {
    std::vector<std::string> problems;
    {
        TSqliteStmt check = PrepareSqlite(db, "PRAGMA integrity_check", path);
        int rc;
        while ((rc = sqlite3_step(check.get())) == SQLITE_ROW) {
            std::string line = ColumnText(check.get(), 0);
            if (line != "ok")
                problems.push_back(line);
        }
        if (rc != SQLITE_DONE) {
            problems.push_back(sqlite3_errmsg(db));
            return problems;
        }
    }
    std::set<std::string> columns;
    {
        TSqliteStmt info = PrepareSqlite(db, "PRAGMA table_info(records)", path);
        while (sqlite3_step(info.get()) == SQLITE_ROW)
            columns.insert(ColumnText(info.get(), 1));
    }
    for (const TFieldInfo& f : schema.Fields)
        if (!columns.count(f.Name))
            problems.push_back("Column missing from the records: " + f.Name);
    if (!schema.KeyField && !columns.count("dbe_order"))
        problems.push_back("Order column missing from the records");
    return problems;
}

// Values that the cursor could not hand out intact: text too long or not
// text, numbers that are not integers. Another program may have written
// them; the cursor cuts them, so they are findings, not damage.
std::vector<std::string> ValueProblems(sqlite3* db, const TTableSchema& schema,
                                       const std::string& path) {
    std::vector<std::string> problems;
    for (const TFieldInfo& f : schema.Fields) {
        std::string column = QuoteName(f.Name);
        std::string sql = f.Type == DBE_FLD_STRING ? "SELECT COUNT(*) FROM records WHERE typeof(" +
                                                         column + ") <> 'text' OR length(" +
                                                         column + ") > " + std::to_string(f.Size)
                                                   : "SELECT COUNT(*) FROM records WHERE typeof(" +
                                                         column + ") NOT IN ('integer', 'null')";
        TSqliteStmt bad = PrepareSqlite(db, sql, path);
        int rc = sqlite3_step(bad.get());
        if (rc != SQLITE_ROW) {
            // Damage met on the way is a finding; anything else (a busy
            // file) is why the check could not be made.
            if (!IsDamage(rc))
                ThrowSqlite(rc, db, path);
            MarkDamaged(path, sqlite3_errmsg(db));
            problems.push_back("Field " + f.Name + ": " + sqlite3_errmsg(db));
        } else if (int64_t n = sqlite3_column_int64(bad.get(), 0); n > 0) {
            problems.push_back("Field " + f.Name + ": " + std::to_string(n) +
                               " value(s) of the wrong type or size");
        }
    }
    return problems;
}

// Copies every page of the table file `source` into the new file `temp`.
void BackUpInto(const std::string& source, const fs::path& temp, const std::string& shownAs) {
    TSqliteDb src = OpenConnection(source, true);
    TSqliteDb dest = OpenSqlite(temp.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, shownAs);
    // The temporary file is thrown away on any failure, so it needs no
    // journal of its own (which saves writes on slow removable media); it is
    // flushed before it takes the destination's name. Being our own file, it
    // may go without the journal that the defensive setting insists on.
    sqlite3_db_config(dest.get(), SQLITE_DBCONFIG_DEFENSIVE, 0, nullptr);
    ExecSqlite(dest.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=FULL", shownAs);
    sqlite3_backup* backup = sqlite3_backup_init(dest.get(), "main", src.get(), "main");
    if (!backup)
        ThrowSqlite(sqlite3_errcode(dest.get()), dest.get(), shownAs);
    // One step copies every page under a single read transaction, so the copy
    // is a snapshot even while other processes post changes; a writer that
    // holds the file makes us wait a little and try again.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int rc;
    do {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < deadline);
    int finish = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        ThrowSqlite(rc == SQLITE_OK ? finish : rc, src.get(), shownAs);
    if (finish != SQLITE_OK)
        ThrowSqlite(finish, dest.get(), shownAs);
}

} // namespace

std::vector<std::string> CheckTableFile(const std::string& path) {
    TSqliteDb db = OpenConnection(path, true);
    TTableSchema schema;
    try {
        schema = ReadSchema(db.get(), path);
    } catch (const TEngineError& e) {
        std::vector<std::string> problems{ErrorText(e.Code())};
        for (size_t i = 1; i < e.Context().size(); ++i)
            problems.push_back(e.Context()[i]);
        // A file that is not one of our tables is no damage to remember;
        // broken definitions in one of ours are.
        if (e.Code() == DBE_ERR_CORRUPT)
            MarkDamaged(path, problems.back());
        return problems;
    }
    std::vector<std::string> damage = StructureProblems(db.get(), schema, path);
    if (!damage.empty()) {
        MarkDamaged(path, damage.front());
        return damage;
    }
    return ValueProblems(db.get(), schema, path);
}

void CopyTableFile(const fs::path& file, const fs::path& destDir) {
    std::string path = file.string();
    std::error_code ec;
    if (!fs::is_directory(destDir, ec))
        throw TEngineError(DBE_ERR_DIRNOTFOUND, {"Directory: " + destDir.string()});
    std::string name = file.filename().string();
    fs::path final = destDir / name;
    if (auto existing = FindFileIgnoringCase(destDir, name))
        final = *existing;
    fs::path temp = destDir / ("." + name + ".copy-" + RandomSuffix());

    // Writers hold back while the copy is taken (see TRecordLocks).
    TRecordLocks gate;
    gate.Open(path + ".lck", false);
    if (!gate.RaiseIntent(kBusyTimeoutMs))
        throw TEngineError(DBE_ERR_BUSY, {"Table: " + path, "Another copy is being made"});
    try {
        BackUpInto(path, temp, final.string());
    } catch (...) {
        RemoveQuietly(temp);
        RemoveQuietly(temp.string() + "-journal");
        throw;
    }
    gate.LowerIntent();
    SyncPath(temp, false);
    // A stale journal beside the file we replace belongs to the old file.
    RemoveQuietly(final.string() + "-journal");
    if (::rename(temp.c_str(), final.c_str()) != 0) {
        int err = errno;
        RemoveQuietly(temp);
        throw TEngineError(
            err == ENOSPC ? DBE_ERR_DISKFULL : DBE_ERR_IO,
            {"Table: " + final.string(), std::string("Detail: ") + std::strerror(err)});
    }
    SyncPath(destDir, true);
    // The file replaced may have been marked damaged; this one is new.
    ForgetDamage(final.string());
}
