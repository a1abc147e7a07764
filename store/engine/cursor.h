// TCursor: an open table with a position. The position is before the first
// record, after the last, on a record, or in a gap; a record or gap point is
// the pair (order value, row id), so that neighbours are found by one indexed
// lookup and a step costs the same whatever the table's size. The sequence
// number follows the steps (+1, -1) and is counted afresh only after a jump.
// A cursor holds no SQLite statement or transaction open between calls
// (except inside a batch), so other processes can use the file at any time.
//
// A place on a record is sought afresh by the record's row id inside the
// very statement that reads its neighbours: another process may renumber
// the order column between two calls, and only one statement is sure to
// read one state of the file. The order value the cursor keeps stands in
// only for a gap, or for a record that is gone.
//
// Walking reads ahead: one statement execution fills a window of the
// records that follow (or precede) the current one, and the steps after it
// are served from memory. Every change made through this engine to the
// table, by any cursor of the process, and every jump drops the window; so
// does a commit by any other connection, which SQLite's data version tells.
// Asking for it takes a read lock on the file, so a step asks only when the
// last answer is a few milliseconds old: no person steps faster, and a walk
// by a program pays for it once per few thousand steps. Reads that lock a
// record, and every change, always go to the file.
#pragma once

#include "store/engine/dbengine.h"
#include "store/engine/record_locks.h"
#include "store/engine/sqlite_handles.h"
#include "store/engine/table_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class TCursor {
public:
    // Opens `path` (the table file). `shownAs` is the table as its users
    // know it, which the messages name. Throws TEngineError. Damage met
    // in the file by this cursor or found by anyone (see damage_mark.h)
    // makes every change and the record count fail with DBE_ERR_CORRUPT.
    TCursor(std::string name, std::string path, std::string shownAs, DbeOpenMode openMode,
            DbeShareMode shareMode, const std::vector<std::string>& passwords,
            const std::string& indexName);
    TCursor(const TCursor&) = delete;
    TCursor& operator=(const TCursor&) = delete;
    ~TCursor();

    void GetProps(DbeCurProps& props) const;
    void GetFieldDescs(DbeFldDesc* descs) const;
    const TTableSchema& Schema() const { return schema_; }
    const std::string& Path() const { return path_; }

    void SetToBegin();
    void SetToEnd();
    void GetCurrent(DbeLockType lock, void* buf, DbeRecProps* props);
    void GetNext(DbeLockType lock, void* buf, DbeRecProps* props);
    void GetPrior(DbeLockType lock, void* buf, DbeRecProps* props);
    void GetBookMark(void* bookmark) const;
    void SetToBookMark(const void* bookmark);

    void InitRecord(void* buf) const;
    void GetField(uint16_t field, const void* buf, void* dest, size_t cbDest, int16_t* blank) const;
    void PutField(uint16_t field, void* buf, const void* src) const;

    void Insert(DbeLockType lock, void* buf);
    void Modify(const void* buf, bool freeLock);
    void Delete();
    void ReleaseLock(bool all);
    void MakeGap();
    uint32_t Count();

    void BeginBatch();
    void CommitBatch();
    void RollbackBatch();

    static constexpr uint16_t kBookMarkSize = 24;

private:
    enum class EPos { Begin, End, On, Gap };
    struct TKey {
        int Type = 0; // SQLite type of the order value
        int64_t Int = 0;
        double Real = 0;
        std::string Text;
    };
    // Where the cursor stands, kept across a read that may move it and then
    // fail or find nothing.
    struct TSavedPosition {
        EPos Pos;
        TKey Key;
        int64_t Rowid;
    };
    TSavedPosition SavePosition() const { return {pos_, key_, rowid_}; }
    void RestorePosition(TSavedPosition saved);

    // The steps of opening, in order.
    void OpenFile();
    void CheckPassword(const std::vector<std::string>& passwords) const;
    void ChooseOrder(const std::string& indexName);
    void TakeTableLock();
    void PrepareReads();
    void PrepareChanges();

    TSqliteStmt Prepare(const std::string& sql);
    // Binds the cursor's place to a statement that compares with it (?1 the
    // order value, ?2 the row id, ?4 the record to seek it by).
    void BindPlace(sqlite3_stmt* stmt) const;
    // Steps `stmt` (already bound); on a row takes the position from it and
    // fills `buf`. Always resets the statement.
    bool Fetch(sqlite3_stmt* stmt, void* buf);
    bool FetchByRowid(int64_t rowid, void* buf);
    // Takes the position from the row `stmt` stands on and fills `buf`.
    void ReadRow(sqlite3_stmt* stmt, void* buf);
    void ReadPosition(sqlite3_stmt* stmt);
    // Writes the meaningful bytes of field `field` (0-based) of the row
    // `stmt` stands on to `slot`: the blank flag, then the number or the
    // terminated text (valid UTF-8, cut to the field's size). Returns how
    // many bytes it wrote.
    size_t ReadSlot(sqlite3_stmt* stmt, size_t field, unsigned char* slot) const;
    static size_t BlankSlot(const TFieldInfo& f, unsigned char* slot);
    void WriteHeader(unsigned char* record) const;
    // Read-ahead: fills the window from `stmt` (bound, rows in the order of
    // travel) and stands on its first row. False when there is none.
    bool FillWindow(sqlite3_stmt* stmt, bool forward, void* buf);
    // Steps within the window; false when the window cannot serve the step.
    bool StepInWindow(bool forward, void* buf);
    bool WindowValid() const;
    // True when no other connection committed since the window was filled,
    // as far as the last check (at most kDataVersionAge old) can tell.
    bool WindowUnchangedOutside();
    uint64_t DataVersion() const;
    void DropWindow();
    void StandOnWindowRow(size_t index, void* buf);
    // Tells every cursor of this process on the table that it changed.
    void Changed();
    void RefreshKey();
    void Move(bool forward, DbeLockType lock, void* buf, DbeRecProps* props);
    // A step read from the file (into the window when `ahead`); false when
    // there is no record that way.
    bool ReadStep(EPos from, bool forward, bool ahead, void* buf);
    sqlite3_stmt* NeighbourStatement(EPos from, bool forward, bool windowed) const;
    void FillProps(DbeRecProps* props);
    int64_t CountBefore();
    void CheckBuffer(const void* buf) const;
    bool InBatch() const;
    // Refuses a change to a read-only or damaged table.
    void CheckChangesAllowed();
    void RefuseIfDamaged();
    void CheckLockFree(int64_t rowid);
    void YieldToReaders();
    double OrderForInsert();
    void Renumber();
    void BindRecord(sqlite3_stmt* stmt, const void* buf, bool skipAutoinc) const;
    [[noreturn]] void Fail(DbeResult code, std::string detail = {}) const;
    // Throws the engine error for a failed SQLite call, remembering damage.
    [[noreturn]] void SqliteFailed(int rc);
    void Exec(const char* sql);

    std::string name_;
    std::string path_;
    std::string shownAs_;
    bool readOnly_ = false;
    bool exclusive_ = false;
    TTableSchema schema_;
    uint16_t orderField_ = 0; // field the cursor orders by, 0 = row id / stored order
    bool rowidOrder_ = false;
    int firstColumn_ = 2; // column of the first field in the cursor's queries
    TSqliteDb db_;
    TRecordLocks locks_;
    std::optional<std::string> metDamage_; // what this cursor's reads found damaged

    EPos pos_ = EPos::Begin;
    TKey key_;
    int64_t rowid_ = 0;
    bool seqKnown_ = true;
    int64_t seq_ = 0; // On: its number; Gap: the number of the record after it

    // Declared after db_, so they are finalised before it closes.
    TSqliteStmt first_, last_, after_, atOrAfter_, before_, byRowid_, count_, countBefore_;
    TSqliteStmt insert_, update_, delete_, maxAutoinc_;
    TSqliteStmt winFirst_, winLast_, winAfter_, winBefore_;
    TSqliteStmt dataVersion_;

    // The read-ahead window, in ascending order: each row's position (its
    // order value, a text one kept in winBytes_, and its row id) and where
    // its slots start in winSlots_ (one per field, in field order, each the
    // slot's meaningful bytes in winBytes_). Valid while the table's change
    // count in this process is still winChange_ and the cursor stands on
    // row winIndex_.
    struct TWinRow {
        int KeyType = 0;
        int64_t KeyInt = 0;
        double KeyReal = 0;
        uint32_t KeyText = 0;
        uint32_t KeyTextLength = 0;
        int64_t Rowid = 0;
        size_t FirstSlot = 0;
    };
    struct TWinSlot {
        uint32_t Offset = 0;
        uint32_t Length = 0;
    };
    std::vector<TWinRow> winRows_;
    std::vector<TWinSlot> winSlots_;
    std::vector<unsigned char> winBytes_;
    size_t winUsed_ = 0; // bytes of winBytes_ in use
    size_t winIndex_ = 0;
    uint64_t winChange_ = 0;
    uint64_t winDataVersion_ = 0;     // the connection's data version at the fill
    int64_t checkedAtMs_ = 0;         // when the data version was last asked for
    uint64_t* changeCount_ = nullptr; // shared by the process's cursors on the table
    size_t winSize_ = 0;              // rows asked for by the next fill; grows while walking
};
