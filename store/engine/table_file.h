// The table file: one SQLite database per table. It holds
//   dbe_meta(name, value)          format marker, key and index columns,
//                                  password salt and hash;
//   dbe_fields(fldnum, name, type, size)  the column definitions in order;
//   records(...)                   one SQL column per field, plus dbe_order
//                                  (REAL) in tables without a key, which keep
//                                  their stored order through it.
// An autoincrement primary key is the row id itself (INTEGER PRIMARY KEY
// AUTOINCREMENT), so numbers are never reused. Blank strings are stored as
// '', blank integers as NULL.
#pragma once

#include "store/engine/dbengine.h"
#include "store/engine/sqlite_handles.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

struct TFieldInfo {
    std::string Name;
    uint16_t Type = 0;
    uint16_t Size = 0;   // characters, strings only
    uint16_t Offset = 0; // of the blank flag in a record buffer
    uint16_t Len = 0;    // bytes of the value in the record buffer and GetField
};

struct TTableSchema {
    std::vector<TFieldInfo> Fields;
    uint16_t KeyField = 0;   // 1-based, 0 = none
    uint16_t IndexField = 0; // 1-based, 0 = none
    std::string PasswordSalt;
    std::string PasswordHash;
    uint16_t RecordSize = 0;

    bool Protected() const { return !PasswordHash.empty(); }
    // The key is the row id (an integer primary key).
    bool RowidKey() const;
    // Lays out the record buffer; false when it would not fit 64 KiB.
    bool ComputeLayout();
};

// Record buffers start with this marker, so that a buffer nobody filled is
// refused instead of read.
constexpr uint32_t kRecordMagic = 0x31524244; // "DBR1"
constexpr uint16_t kRecordHeader = 8;

// SQL identifier quoting.
std::string QuoteName(std::string_view name);

// The existing file in `dir` named `name` ignoring case (exact match first).
std::optional<std::filesystem::path> FindFileIgnoringCase(const std::filesystem::path& dir,
                                                          std::string_view name);

// True when the table file must be opened read-only: no write permission
// (including a file whose write bits are all clear, like the read-only
// attribute, which holds for root too), a read-only mount, or a directory
// where the journal cannot be written.
bool IsReadOnlyFile(const std::filesystem::path& file);

// Opens a connection to a table file with the engine's settings (see
// OpenSqlite) and full sync. A read-only connection to a file that a dead
// writer left with a hot journal first has the journal rolled back. Throws
// TEngineError.
TSqliteDb OpenConnection(const std::string& path, bool readOnly);

// Reads and validates the schema. Throws TEngineError (DBE_ERR_NOTATABLE,
// DBE_ERR_CORRUPT ...).
TTableSchema ReadSchema(sqlite3* db, const std::string& path);

// Creates a new table file in `dir` (made when missing). Throws.
void CreateTableFile(const std::filesystem::path& dir, const DbeTableDesc& desc);

// Problems found in the table file; empty when it is sound. Damage to its
// structure or definitions is also marked (see damage_mark.h). Throws only
// when the file cannot be read at all.
std::vector<std::string> CheckTableFile(const std::string& path);

// Copies the table file into `destDir` consistently (online backup to a
// temporary file there, fsync, rename). Throws.
void CopyTableFile(const std::filesystem::path& file, const std::filesystem::path& destDir);
