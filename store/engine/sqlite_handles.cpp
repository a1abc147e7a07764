// Opening, preparing and running SQLite with the engine's settings.
#include "store/engine/sqlite_handles.h"

#include "store/engine/engine_error.h"

#include <sqlite3.h>

void TSqliteCloser::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

void TSqliteFinalizer::operator()(sqlite3_stmt* stmt) const {
    sqlite3_finalize(stmt);
}

TSqliteDb OpenSqlite(const std::string& path, int flags, const std::string& shownAs) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    // SQLite hands out a handle even when the open fails; it carries the
    // message and must be closed all the same.
    TSqliteDb db(raw);
    if (rc != SQLITE_OK)
        ThrowSqlite(rc, raw, shownAs);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    return db;
}

TSqliteStmt PrepareSqlite(sqlite3* db, const std::string& sql, const std::string& shownAs,
                          unsigned prepareFlags) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v3(db, sql.c_str(), int(sql.size()), prepareFlags, &stmt, nullptr);
    if (rc != SQLITE_OK)
        ThrowSqlite(rc, db, shownAs);
    return TSqliteStmt(stmt);
}

void ExecSqlite(sqlite3* db, const std::string& sql, const std::string& shownAs) {
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        ThrowSqlite(rc, db, shownAs);
}
