// Result codes and their texts, and the mapping of SQLite failures onto them.
#include "store/engine/engine_error.h"

#include <sqlite3.h>

DbeResult CodeForSqlite(int sqliteResult) {
    switch (sqliteResult & 0xff) {
    case SQLITE_OK:
        return DBE_OK;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DBE_ERR_BUSY;
    case SQLITE_NOMEM:
        return DBE_ERR_NOMEMORY;
    case SQLITE_READONLY:
        return DBE_ERR_TABLEREADONLY;
    case SQLITE_CORRUPT:
        return DBE_ERR_CORRUPT;
    case SQLITE_NOTADB:
        return DBE_ERR_NOTATABLE;
    case SQLITE_FULL:
        return DBE_ERR_DISKFULL;
    case SQLITE_CANTOPEN:
        return DBE_ERR_FILENOTFOUND;
    case SQLITE_CONSTRAINT:
        return DBE_ERR_KEYVIOL;
    case SQLITE_ERROR:
    case SQLITE_SCHEMA:
    case SQLITE_MISMATCH:
        // A statement that does not fit the file: the file is not one of ours
        // (or was changed behind the engine's back).
        return DBE_ERR_NOTATABLE;
    default:
        return DBE_ERR_IO;
    }
}

bool IsDamage(int sqliteResult) {
    return (sqliteResult & 0xff) == SQLITE_CORRUPT || (sqliteResult & 0xff) == SQLITE_NOTADB;
}

void ThrowSqlite(int sqliteResult, sqlite3* db, const std::string& tablePath) {
    TEngineError error(CodeForSqlite(sqliteResult));
    if (!tablePath.empty())
        error.Add("Table: " + tablePath);
    const char* detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(sqliteResult);
    if (detail && *detail)
        error.Add(std::string("Detail: ") + detail);
    throw error;
}

const char* ErrorText(DbeResult code) {
    switch (code) {
    case DBE_OK:
        return "Operation succeeded";
    case DBE_ERR_IO:
        return "Input/output error on a table file";
    case DBE_ERR_CORRUPT:
        return "Corrupt table file";
    case DBE_ERR_NOTATABLE:
        return "The file is not a table of the Database Engine";
    case DBE_ERR_NOSUCHTABLE:
        return "Table does not exist";
    case DBE_ERR_TABLEEXISTS:
        return "Table already exists";
    case DBE_ERR_DISKFULL:
        return "Insufficient disk space";
    case DBE_ERR_DIRNOTFOUND:
        return "Directory not found";
    case DBE_ERR_FILENOTFOUND:
        return "File or directory does not exist";
    case DBE_ERR_LOADFAILED:
        return "Could not load the library";
    case DBE_ERR_BOF:
        return "At beginning of table";
    case DBE_ERR_EOF:
        return "At end of table";
    case DBE_ERR_RECDELETED:
        return "Record was deleted by another user";
    case DBE_ERR_NOCURRREC:
        return "No current record";
    case DBE_ERR_RECNOTFOUND:
        return "Record not found";
    case DBE_ERR_NOMEMORY:
        return "Insufficient memory for this operation";
    case DBE_ERR_KEYVIOL:
        return "Key violation";
    case DBE_ERR_INVALIDHNDL:
        return "Invalid handle to the function";
    case DBE_ERR_INVALIDPARAM:
        return "Invalid parameter";
    case DBE_ERR_OUTOFRANGE:
        return "Number out of range";
    case DBE_ERR_NOTSUPPORTED:
        return "Capability not supported";
    case DBE_ERR_INVALIDREC:
        return "Invalid record buffer";
    case DBE_ERR_TRANSACTION:
        return "Invalid batch state";
    case DBE_ERR_BUFTOOSMALL:
        return "Buffer too small";
    case DBE_ERR_LOCKED:
        return "Record locked by another user";
    case DBE_ERR_NOTSUFFTABLERIGHTS:
        return "Insufficient table rights for operation. Password required";
    case DBE_ERR_TABLELOCKED:
        return "Table is busy: opened exclusively by another user";
    case DBE_ERR_BUSY:
        return "Table file is busy: timed out waiting for another user";
    case DBE_ERR_UNKNOWNALIAS:
        return "Unknown database alias";
    case DBE_ERR_UNKNOWNDRIVER:
        return "Unknown driver";
    case DBE_ERR_NOTINITIALIZED:
        return "The Database Engine is not initialized";
    case DBE_ERR_VERSION:
        return "Interface version not supported";
    case DBE_ERR_MISSINGENTRY:
        return "Entry point not found in the library";
    case DBE_ERR_ALREADYINIT:
        return "The Database Engine is already initialized";
    case DBE_ERR_NOINDEX:
        return "Index does not exist";
    case DBE_ERR_TABLEREADONLY:
        return "Table is read only";
    default:
        return "";
    }
}
