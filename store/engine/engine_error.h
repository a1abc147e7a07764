// The failure that travels inside the engine: a result code and the context
// lines the caller reads back with DbeGetErrorContext. The C entries catch it
// at the boundary and keep it as the session's last failure; nothing thrown
// inside the library ever reaches the caller.
#pragma once

#include "store/engine/dbengine.h"

#include <string>
#include <utility>
#include <vector>

struct sqlite3;

class TEngineError {
public:
    explicit TEngineError(DbeResult code, std::vector<std::string> context = {})
        : code_(code), context_(std::move(context)) {}

    DbeResult Code() const { return code_; }
    const std::vector<std::string>& Context() const { return context_; }
    TEngineError& Add(std::string line) {
        context_.push_back(std::move(line));
        return *this;
    }

private:
    DbeResult code_;
    std::vector<std::string> context_;
};

// The engine code for an SQLite result (SQLITE_BUSY -> DBE_ERR_BUSY ...).
DbeResult CodeForSqlite(int sqliteResult);

// True for the SQLite results that tell of a damaged file: corrupt, or no
// longer a database.
bool IsDamage(int sqliteResult);

// Throws the engine error for a failed SQLite call on `db`, with SQLite's own
// message and the table path as context.
[[noreturn]] void ThrowSqlite(int sqliteResult, sqlite3* db, const std::string& tablePath);

// The English text of an engine code; empty for an unknown code.
const char* ErrorText(DbeResult code);
