/*
** The Database Engine: the C interface of libdbengine.so.
**
** The record store loads this library at run time and reaches it only through
** the entry points declared here (looked up by name; in C++ the type of an
** entry is decltype(&DbeOpenTable) and so on). Every call returns a 16-bit
** result code, 0 for success. After a failure the calling session keeps the
** code and a few context lines (the table's path, the record concerned ...)
** until its next call: DbeGetErrorString gives the text of a code and
** DbeGetErrorContext the context lines.
**
** Storage. A database is a directory; a table is one SQLite file in it, named
** by the table name ("QUESTOES.DB"), matched ignoring case among the files
** that exist. The file holds the records, the column definitions, the primary
** key, the secondary index and the table's password protection (a salted
** hash). Posted changes are atomic and durable. Record locks live in a lock
** file beside the table ("QUESTOES.DB.lck"), which is not data.
**
** Damage. A read that meets damage in a table file answers DBE_ERR_CORRUPT
** (never a partial result), and so does DbeCheckTable when it finds the file
** damaged. Either marks the table in a file beside it ("QUESTOES.DB.damaged",
** not data): from then on, in every process, each change (insert, modify,
** delete, a write-locked read, beginning or committing a batch) and the
** record counts answer DBE_ERR_CORRUPT, with context lines that name the
** table and say to restore it from a backup copy or create it anew. Reads
** that do not meet the damage still work. Re-creating the table, or copying
** a sound file over it (DbeCopyTableFamily), lifts the mark.
**
** Record numbers. Cursors number records by sequence (numbering mode 1): the
** 1-based position in the current order (key order for keyed tables, stored
** order for tables without a key). A cursor stands before the first record
** (begin), after the last (end), on a record, or in a gap between records (after
** a delete or a make-gap). From a gap, "next" reads the record after the gap
** and "prior" the one before it; "current" fails with DBE_ERR_NOCURRREC.
**
** Record buffers belong to the caller: DbeGetCursorProps gives their size
** (iRecBufSize); the layout inside is private to the engine. A buffer is made
** valid by DbeInitRecord or by reading a record into it. Buffers may be copied
** with memcpy.
**
** Field values, by type family:
**   DBE_FLD_STRING  zero-terminated UTF-8 text; iUnits1 is the size in
**                   characters, iLen the bytes a value needs (4 * size + 1).
**                   DbePutField cuts a longer text to the size in characters,
**                   never inside a character; text that is not UTF-8 is refused.
**                   An empty text is blank.
**   DBE_FLD_INTEGER, DBE_FLD_AUTOINC
**                   an int32_t (native byte order), iLen = 4. An autoincrement
**                   field left blank is assigned by DbeInsertRecord; a value put
**                   into it is kept on insert (it must be unique) and ignored
**                   by DbeModifyRecord.
**
** Threads: the entries may be called from any thread; they are serialised
** inside the library. Names and paths are UTF-8. A directory or alias path
** may be a Windows path ("C:\ZQ\Questoes\", resolved through the drive map) or
** an absolute Linux path.
**
** Configuration: aliases are read, at every open-database call, from
** $XDG_CONFIG_HOME/questoes/dbengine.conf (default ~/.config/...), then from
** /etc/questoes/dbengine.conf; the first file that names the alias wins. The
** format is INI:
**     ; comment (also # comment)
**     [Aliases]
**     Questoes=C:\ZQ\Questoes\
** Alias names and section names are matched ignoring ASCII case; blanks
** around names and values are dropped; other sections are ignored.
*/
#ifndef QUESTOES_STORE_ENGINE_DBENGINE_H
#define QUESTOES_STORE_ENGINE_DBENGINE_H

#include <stddef.h>
#include <stdint.h>

#if defined(DBENGINE_BUILDING)
#define DBE_API __attribute__((visibility("default")))
#else
#define DBE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint16_t DbeResult;

/* ---- Result codes. The high byte is the category. ---------------------- */
#define DBE_OK 0x0000

#define DBE_CAT_IO 0x21
#define DBE_ERR_IO 0x2101           /* input/output error */
#define DBE_ERR_CORRUPT 0x2102      /* the table file is damaged */
#define DBE_ERR_NOTATABLE 0x2103    /* the file is not a table of this engine */
#define DBE_ERR_NOSUCHTABLE 0x2104  /* table does not exist */
#define DBE_ERR_TABLEEXISTS 0x2105  /* table already exists (create) */
#define DBE_ERR_DISKFULL 0x2106     /* no space left on the device */
#define DBE_ERR_DIRNOTFOUND 0x2107  /* directory does not exist */
#define DBE_ERR_FILENOTFOUND 0x2108 /* file, path or module not found (also loader) */
#define DBE_ERR_LOADFAILED 0x2109   /* library could not be loaded (loader) */

#define DBE_CAT_NOTFOUND 0x22      /* cursor position and record not found */
#define DBE_ERR_BOF 0x2201         /* at the beginning of the table */
#define DBE_ERR_EOF 0x2202         /* at the end of the table */
#define DBE_ERR_RECDELETED 0x2203  /* the record is gone (deleted by another user) */
#define DBE_ERR_NOCURRREC 0x2204   /* no current record (cursor in a gap) */
#define DBE_ERR_RECNOTFOUND 0x2205 /* bookmarked record not found */

#define DBE_CAT_RESOURCE 0x25
#define DBE_ERR_NOMEMORY 0x2501 /* out of memory */

#define DBE_CAT_INTEGRITY 0x26
#define DBE_ERR_KEYVIOL 0x2601 /* key violation: the key value exists */

#define DBE_CAT_INVALIDREQ 0x27
#define DBE_ERR_INVALIDHNDL 0x2701  /* invalid handle */
#define DBE_ERR_INVALIDPARAM 0x2702 /* invalid parameter */
#define DBE_ERR_OUTOFRANGE 0x2703   /* field number or index out of range */
#define DBE_ERR_NOTSUPPORTED 0x2704 /* not supported for this table */
#define DBE_ERR_INVALIDREC 0x2705   /* the record buffer is not initialised */
#define DBE_ERR_TRANSACTION 0x2706  /* batch already active, or none active */
#define DBE_ERR_BUFTOOSMALL 0x2707  /* destination buffer too small */

#define DBE_CAT_LOCK 0x29
#define DBE_ERR_LOCKED 0x2901             /* record locked by another user */
#define DBE_ERR_NOTSUFFTABLERIGHTS 0x2902 /* insufficient table rights (password) */
#define DBE_ERR_TABLELOCKED 0x2903        /* table in use by another user (exclusive) */
#define DBE_ERR_BUSY 0x2904               /* the file stayed busy: timed out */

#define DBE_CAT_CONFIG 0x2A
#define DBE_ERR_UNKNOWNALIAS 0x2A01   /* unknown database alias */
#define DBE_ERR_UNKNOWNDRIVER 0x2A02  /* driver other than "NATIVE" */
#define DBE_ERR_NOTINITIALIZED 0x2A03 /* DbeInitFn was not called */
#define DBE_ERR_VERSION 0x2A04        /* interface version not supported */
#define DBE_ERR_MISSINGENTRY 0x2A06   /* library lacks an entry point (loader) */
#define DBE_ERR_ALREADYINIT 0x2A07    /* engine already initialised */
#define DBE_ERR_NOINDEX 0x2A08        /* unknown index name */
#define DBE_ERR_TABLEREADONLY 0x2A0B  /* table is read-only */

#define DBE_ERR_CATEGORY(code) ((uint8_t)((code) >> 8))

/* ---- Sizes. ------------------------------------------------------------ */
#define DBE_INTERFACE_VERSION 500
#define DBE_MAXNAMELEN 31      /* field and index names, in bytes */
#define DBE_MAXPATHLEN 1023    /* paths and table names, in bytes */
#define DBE_MAXMSGLEN 511      /* error texts and context lines, in bytes */
#define DBE_MAXPASSWORDLEN 255 /* characters */

/* ---- Handles (opaque). ------------------------------------------------- */
typedef struct DbeSessionRec* hDbeSes;
typedef struct DbeDatabaseRec* hDbeDb;
typedef struct DbeCursorRec* hDbeCur;

/* ---- Enumerations. ----------------------------------------------------- */
typedef enum DbeOpenMode { dbeREADWRITE = 0, dbeREADONLY = 1 } DbeOpenMode;
typedef enum DbeShareMode { dbeOPENSHARED = 0, dbeOPENEXCL = 1 } DbeShareMode;
typedef enum DbeLockType { dbeNOLOCK = 0, dbeWRITELOCK = 1 } DbeLockType;

#define DBE_FLD_STRING 1
#define DBE_FLD_INTEGER 2
#define DBE_FLD_AUTOINC 3

/* ---- Structures. ------------------------------------------------------- */

/* Environment of DbeInitFn; zero it and set the language ("0009"). An empty
   szConfigFile means the normal search for dbengine.conf; otherwise only that
   file is read. */
typedef struct DbeEnv {
    char szLang[64];
    char szConfigFile[DBE_MAXPATHLEN + 1];
} DbeEnv;

typedef struct DbeCurProps {
    char szName[DBE_MAXPATHLEN + 1]; /* table name as opened */
    char szPath[DBE_MAXPATHLEN + 1]; /* full path of the table file */
    uint16_t iFields;
    uint16_t iRecBufSize;   /* bytes of a record buffer */
    uint16_t iBookMarkSize; /* bytes of a bookmark */
    uint16_t iKeyField;     /* 1-based field of the primary key, 0 = none */
    uint16_t iIndexField;   /* field the cursor orders by, 0 = stored order */
    DbeOpenMode eOpenMode;  /* dbeREADONLY when the cursor cannot modify */
    DbeShareMode eShareMode;
    uint16_t iSeqNums;  /* numbering mode: 1 = sequence numbers */
    int16_t bProtected; /* the table has a password */
} DbeCurProps;

typedef struct DbeFldDesc {
    uint16_t iFldNum; /* 1-based */
    char szName[DBE_MAXNAMELEN + 1];
    uint16_t iFldType; /* DBE_FLD_... */
    uint16_t iUnits1;  /* size in characters (strings), else 0 */
    uint16_t iLen;     /* bytes of a value in DbeGetField */
} DbeFldDesc;

typedef struct DbeRecProps {
    uint32_t iSeqNum;    /* 1-based position in the cursor's order */
    uint32_t iPhyRecNum; /* physical record number (stable while the record lives) */
    uint16_t iRecStatus; /* 0 = stored */
    int16_t bLocked;     /* this cursor holds the record's write lock */
} DbeRecProps;

/* A column of a new table. */
typedef struct DbeFieldDef {
    char szName[DBE_MAXNAMELEN + 1];
    uint16_t iFldType; /* DBE_FLD_... ; at most one DBE_FLD_AUTOINC */
    uint16_t iUnits1;  /* size in characters for strings (1 to 4000) */
} DbeFieldDef;

/* A new table. iKeyField: the primary key column (1-based) or 0 for a table
   kept in stored order; iIndexField: a string column with a secondary index,
   or 0; its index is named by the column. szPassword: NULL or "" for none. */
typedef struct DbeTableDesc {
    const char* szTblName;
    uint16_t iFields;
    const DbeFieldDef* pFields;
    uint16_t iKeyField;
    uint16_t iIndexField;
    const char* szPassword;
} DbeTableDesc;

/* ---- Engine and session. ----------------------------------------------- */

/* Starts the engine; iVersion must be 500. A second call answers
   DBE_ERR_ALREADYINIT and changes nothing. */
DBE_API DbeResult DbeInitFn(uint16_t iVersion, const DbeEnv* pEnv);
/* Stops the engine: closes every cursor and database, forgets passwords. */
DBE_API DbeResult DbeExit(void);
DBE_API DbeResult DbeGetCurrSession(hDbeSes* phSes);
/* Adds a table password to the current session (at most 255 characters
   kept). Protected tables then open without DBE_ERR_NOTSUFFTABLERIGHTS. */
DBE_API DbeResult DbeAddPassword(const char* szPassword);

/* ---- Databases. -------------------------------------------------------- */

/* Opens a database by alias. A NULL or empty alias opens the standard
   database, whose directory is then set with DbeSetDirectory. Unknown alias:
   DBE_ERR_UNKNOWNALIAS. szDbType and szPassword may be NULL. */
DBE_API DbeResult DbeOpenDatabase(const char* szAlias, const char* szDbType, DbeOpenMode eOpenMode,
                                  DbeShareMode eShareMode, const char* szPassword, hDbeDb* phDb);
/* Sets the directory of a database (Windows or Linux path). */
DBE_API DbeResult DbeSetDirectory(hDbeDb hDb, const char* szDir);
/* The resolved Linux directory of a database. */
DBE_API DbeResult DbeGetDirectory(hDbeDb hDb, char* szDir, size_t cbDir);
/* Closes a database and every cursor still open on it. */
DBE_API DbeResult DbeCloseDatabase(hDbeDb* phDb);

/* ---- Tables. ----------------------------------------------------------- */

/* Opens a table. szDriver NULL, "" or "NATIVE". szIndexName NULL or "" for
   the default order (primary key, or stored order), or the name of the
   secondary index. A protected table needs its password in the session
   (DBE_ERR_NOTSUFFTABLERIGHTS). A table file that cannot be written answers
   DBE_ERR_TABLEREADONLY to a read-write open; opened dbeREADONLY it works and
   refuses changes. bTranslate is accepted and ignored (tables are UTF-8).
   The cursor stands before the first record. */
DBE_API DbeResult DbeOpenTable(hDbeDb hDb, const char* szTableName, const char* szDriver,
                               const char* szIndexName, DbeOpenMode eOpenMode,
                               DbeShareMode eShareMode, int16_t bTranslate, hDbeCur* phCur);
/* Creates a table; refuses (DBE_ERR_TABLEEXISTS) when a file of that name
   exists, whatever its case. Never leaves a half-made table behind. */
DBE_API DbeResult DbeCreateTable(hDbeDb hDb, const DbeTableDesc* pDesc);
/* Table names of the database (files ending in ".DB", any case), one per
   line, each followed by '\n', sorted. */
DBE_API DbeResult DbeListTables(hDbeDb hDb, char* szList, size_t cbList);
/* The files that make up a table (full paths, one per line, each followed by
   '\n'). The lock file is not data and is not listed. */
DBE_API DbeResult DbeGetTableFamily(hDbeDb hDb, const char* szTableName, char* szList,
                                    size_t cbList);
/* Copies a table's family into szDestDir (Windows or Linux path) as a
   consistent snapshot, even while other processes write: each file is
   written under a temporary name, flushed, then renamed over the destination
   (a file there that matches ignoring case is replaced). The destination never
   holds a half-written table. */
DBE_API DbeResult DbeCopyTableFamily(hDbeDb hDb, const char* szTableName, const char* szDestDir);
/* Checks a table's file; DBE_ERR_CORRUPT (or DBE_ERR_NOTATABLE) with the
   findings as context lines when it is not sound. Needs no password. */
DBE_API DbeResult DbeCheckTable(hDbeDb hDb, const char* szTableName);

/* ---- Cursors. ---------------------------------------------------------- */

DBE_API DbeResult DbeGetCursorProps(hDbeCur hCur, DbeCurProps* pProps);
/* Fills pFldDescs[0 .. iFields-1]. */
DBE_API DbeResult DbeGetFieldDescs(hDbeCur hCur, DbeFldDesc* pFldDescs);
DBE_API DbeResult DbeSetToBegin(hDbeCur hCur);
DBE_API DbeResult DbeSetToEnd(hDbeCur hCur);
/* Record reads. pRecBuf and pRecProps may be NULL. eLock = dbeWRITELOCK takes
   the record's write lock first (DBE_ERR_LOCKED when another cursor or process
   holds it) and reads its latest stored values. At the ends: DBE_ERR_BOF /
   DBE_ERR_EOF, and the cursor stands before the first / after the last
   record. Sequence numbers follow each step (+1 / -1) and are counted afresh
   after a jump (end, bookmark, insert); changes made meanwhile by other
   cursors are seen by the next jump. */
DBE_API DbeResult DbeGetRecord(hDbeCur hCur, DbeLockType eLock, void* pRecBuf,
                               DbeRecProps* pRecProps);
DBE_API DbeResult DbeGetNextRecord(hDbeCur hCur, DbeLockType eLock, void* pRecBuf,
                                   DbeRecProps* pRecProps);
DBE_API DbeResult DbeGetPriorRecord(hDbeCur hCur, DbeLockType eLock, void* pRecBuf,
                                    DbeRecProps* pRecProps);
/* pBookMark has iBookMarkSize bytes and may be copied freely. Setting to a
   bookmark whose record is gone answers DBE_ERR_RECNOTFOUND and leaves the
   cursor in the gap where the record was (before the first record when the
   cursor orders by a text column). */
DBE_API DbeResult DbeGetBookMark(hDbeCur hCur, void* pBookMark);
DBE_API DbeResult DbeSetToBookMark(hDbeCur hCur, const void* pBookMark);
/* Blank record. */
DBE_API DbeResult DbeInitRecord(hDbeCur hCur, void* pRecBuf);
/* Value of field iField (1-based) into pDest (cbDest bytes; iLen of the field
   is always enough); *pbBlank (may be NULL) tells a blank field, which reads
   as "" or 0. */
DBE_API DbeResult DbeGetField(hDbeCur hCur, uint16_t iField, const void* pRecBuf, void* pDest,
                              size_t cbDest, int16_t* pbBlank);
/* pSrc NULL makes the field blank. Strings are cut to size (see above). */
DBE_API DbeResult DbePutField(hDbeCur hCur, uint16_t iField, void* pRecBuf, const void* pSrc);
/* Inserts a record (the store passes dbeNOLOCK; dbeWRITELOCK also locks the
   new record). Tables without a key place it before the record after the
   cursor's gap (or before the current record); after DbeSetToEnd it is
   appended, after DbeSetToBegin it goes first. Keyed tables place it by its
   key. The autoincrement value is assigned and written back into pRecBuf; the
   cursor stands on the new record (its sequence number is counted afresh). */
DBE_API DbeResult DbeInsertRecord(hDbeCur hCur, DbeLockType eLock, void* pRecBuf);
/* Replaces the current record; bFreeLock releases its write lock. Refused
   with DBE_ERR_LOCKED when another user holds the record's lock, and with
   DBE_ERR_RECDELETED (not-found category) when the record is gone. */
DBE_API DbeResult DbeModifyRecord(hDbeCur hCur, const void* pRecBuf, int16_t bFreeLock);
/* Deletes the current record; the cursor stays in the gap it left (next reads
   the following record, prior the one before). Refused with DBE_ERR_LOCKED
   when another user holds its lock; DBE_ERR_RECDELETED when it was already
   gone. pRecBuf is unused and may be NULL. */
DBE_API DbeResult DbeDeleteRecord(hDbeCur hCur, void* pRecBuf);
/* Releases the current record's lock, or every lock of the cursor (bAll). */
DBE_API DbeResult DbeRelRecordLock(hDbeCur hCur, int16_t bAll);
/* Puts the cursor in the gap before its current record (unchanged when it is
   already in a gap or at an end). */
DBE_API DbeResult DbeMakeGap(hDbeCur hCur);
/* Exact and ordinary record counts (the same number here); DBE_ERR_CORRUPT
   for a table marked damaged. */
DBE_API DbeResult DbeGetExactRecordCount(hDbeCur hCur, uint32_t* piRecCount);
DBE_API DbeResult DbeGetRecordCount(hDbeCur hCur, uint32_t* piRecCount);
/* Frees the cursor and its locks; *phCur becomes NULL. */
DBE_API DbeResult DbeCloseCursor(hDbeCur* phCur);

/* Batch: inserts, modifies and deletes between begin and commit are stored
   all together or, after a rollback (or a close, or a crash), not at all. */
DBE_API DbeResult DbeBeginBatch(hDbeCur hCur);
DBE_API DbeResult DbeCommitBatch(hDbeCur hCur);
DBE_API DbeResult DbeRollbackBatch(hDbeCur hCur);

/* ---- Errors. ----------------------------------------------------------- */

/* Text of a code (English, at most DBE_MAXMSGLEN bytes; szMsg must hold
   DBE_MAXMSGLEN + 1 bytes). Empty for an unknown code. */
DBE_API DbeResult DbeGetErrorString(DbeResult rslt, char* szMsg);
/* Code of the last failure of the calling session (0 if the last call
   succeeded). */
DBE_API DbeResult DbeGetLastError(DbeResult* pCode);
/* Context line iEntry (0-based) of the last failure ("Table: /path/QUESTOES.DB",
   "Record: 12" ...), into szLine (DBE_MAXMSGLEN + 1 bytes). Past the last line:
   DBE_ERR_OUTOFRANGE and an empty line. Reading errors does not clear them. */
DBE_API DbeResult DbeGetErrorContext(uint16_t iEntry, char* szLine);

#ifdef __cplusplus
}
#endif

#endif /* QUESTOES_STORE_ENGINE_DBENGINE_H */
