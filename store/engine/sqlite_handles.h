// The engine's hold on SQLite: owning handles for connections and prepared
// statements, and the one place where a connection gets the engine's
// settings. Every connection the engine makes, to a table or to a file it is
// building, is opened by OpenSqlite, so every one of them waits the same
// time for a busy file and reads foreign files defensively.
#pragma once

#include <memory>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// How long a call waits for another user of a table file to let go of it
// (SQLite's busy timeout, and a writer's wait while a copy is being taken)
// before it gives up with DBE_ERR_BUSY.
constexpr int kBusyTimeoutMs = 5000;

struct TSqliteCloser {
    void operator()(sqlite3* db) const;
};
struct TSqliteFinalizer {
    void operator()(sqlite3_stmt* stmt) const;
};
using TSqliteDb = std::unique_ptr<sqlite3, TSqliteCloser>;
using TSqliteStmt = std::unique_ptr<sqlite3_stmt, TSqliteFinalizer>;

// Opens `path` with SQLite's open `flags`, without SQLite's own mutex (the
// engine serialises its calls), with the busy timeout, extended result codes
// and the defensive settings: a table file may come from anywhere. A failure
// throws TEngineError naming `shownAs`.
TSqliteDb OpenSqlite(const std::string& path, int flags, const std::string& shownAs);

// Prepares `sql` with sqlite3_prepare_v3's `prepareFlags`. Throws
// TEngineError naming `shownAs`.
TSqliteStmt PrepareSqlite(sqlite3* db, const std::string& sql, const std::string& shownAs,
                          unsigned prepareFlags = 0);

// Runs statements that return no rows. Throws TEngineError naming `shownAs`.
void ExecSqlite(sqlite3* db, const std::string& sql, const std::string& shownAs);
