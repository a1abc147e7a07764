// The table cursor over a table file.
//
// Order. Keyed tables whose key is an integer order by row id; other keyed
// tables by (key, row id); tables without a key by (dbe_order, row id); a
// cursor opened on the secondary index by (column, row id). Every neighbour
// query compares that pair with SQLite's row values and is answered from an
// index. Records inserted into a table without a key get an order value
// halfway between their neighbours; when no value fits between them any more
// the whole order column is renumbered once (rare: it takes about fifty
// inserts at the same spot).
#include "store/engine/cursor.h"

#include "store/engine/damage_mark.h"
#include "store/engine/engine_error.h"
#include "store/engine/password_hash.h"
#include "store/engine/path_names.h"
#include "store/engine/utf8_text.h"

#include <sqlite3.h>

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>
#include <ctime>
#include <map>
#include <type_traits>

namespace {

constexpr uint32_t kBookMarkMagic = 0x4d424244; // "DBBM"
constexpr double kOrderStep = 1024.0;
constexpr const char* kDamagedAdvice =
    "The table is damaged and takes no changes until it is restored from a backup copy or "
    "created anew";
// Rows read ahead: the first fill after a jump is small (a form that shows
// one record reads little more than it shows), each further fill doubles up
// to the largest window.
constexpr size_t kWindowFirst = 16;
constexpr size_t kWindowMax = 1024;
// How old, in milliseconds, the last look for other connections' commits
// may be before a step from the window looks again.
constexpr int64_t kDataVersionAgeMs = 3;

// Copies the few bytes of one field value. Values are short (a few tens
// of bytes), where a call to the library's copy costs more than the copy:
// blocks of sixteen, eight or four bytes, the last of which may overlap
// the one before.
inline void CopyValue(void* dest, const void* src, size_t n) {
    auto* d = static_cast<unsigned char*>(dest);
    auto* s = static_cast<const unsigned char*>(src);
    auto block = [&](size_t at, auto size) { std::memcpy(d + at, s + at, size); };
    if (n >= 16) {
        for (size_t i = 0; i + 16 < n; i += 16)
            block(i, std::integral_constant<size_t, 16>{});
        block(n - 16, std::integral_constant<size_t, 16>{});
    } else if (n >= 8) {
        block(0, std::integral_constant<size_t, 8>{});
        block(n - 8, std::integral_constant<size_t, 8>{});
    } else if (n >= 4) {
        block(0, std::integral_constant<size_t, 4>{});
        block(n - 4, std::integral_constant<size_t, 4>{});
    } else if (n > 0) {
        d[0] = s[0];
        d[n / 2] = s[n / 2];
        d[n - 1] = s[n - 1];
    }
}

// How many changes this process made to each table, by any cursor. A
// cursor's window is good while the count is what it was at the fill.
// Engine calls are serialised, so the map needs no lock; it lives as long
// as the process, as the cursors that point into it may.
uint64_t* ChangeCountOf(const std::string& path) {
    static auto* counts = new std::map<std::string, uint64_t>;
    return &(*counts)[path];
}

// Resets a statement when the scope ends, so no read lock stays behind.
struct TResetter {
    sqlite3_stmt* Stmt;
    ~TResetter() {
        sqlite3_reset(Stmt);
        sqlite3_clear_bindings(Stmt);
    }
};

// The hash is slow on purpose; a session opens the same tables again and
// again with the same passwords. Engine calls are serialised, so the cache
// needs no lock of its own.
const std::string& CachedPasswordHash(const std::string& password, const std::string& salt) {
    static std::map<std::string, std::string> cache;
    std::string key = salt + '\0' + password;
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    if (cache.size() >= 64)
        cache.clear();
    return cache.emplace(key, HashPassword(password, salt)).first->second;
}

} // namespace

// ---- Opening ------------------------------------------------------------------

TCursor::TCursor(std::string name, std::string path, std::string shownAs, DbeOpenMode openMode,
                 DbeShareMode shareMode, const std::vector<std::string>& passwords,
                 const std::string& indexName)
    : name_(std::move(name)), path_(std::move(path)), shownAs_(std::move(shownAs)),
      readOnly_(openMode == dbeREADONLY), exclusive_(shareMode == dbeOPENEXCL) {
    try {
        OpenFile();
        CheckPassword(passwords);
        ChooseOrder(indexName);
        TakeTableLock();
        PrepareReads();
        if (!readOnly_)
            PrepareChanges();
    } catch (const TEngineError& error) {
        // Damage that keeps the table from opening here may not keep a
        // cursor that opened it earlier from writing.
        if (error.Code() == DBE_ERR_CORRUPT)
            MarkDamaged(path_, error.Context().empty() ? "" : error.Context().back());
        throw;
    }
    changeCount_ = ChangeCountOf(path_);
}

TCursor::~TCursor() {
    if (db_ && InBatch())
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TCursor::OpenFile() {
    bool fileReadOnly = IsReadOnlyFile(path_);
    if (fileReadOnly && !readOnly_)
        Fail(DBE_ERR_TABLEREADONLY);
    db_ = OpenConnection(path_, readOnly_ || fileReadOnly);
    schema_ = ReadSchema(db_.get(), path_);
    if (!readOnly_ && sqlite3_db_readonly(db_.get(), "main") == 1)
        Fail(DBE_ERR_TABLEREADONLY);
}

void TCursor::CheckPassword(const std::vector<std::string>& passwords) const {
    if (!schema_.Protected())
        return;
    for (const std::string& pw : passwords)
        if (CachedPasswordHash(pw, schema_.PasswordSalt) == schema_.PasswordHash)
            return;
    Fail(DBE_ERR_NOTSUFFTABLERIGHTS);
}

void TCursor::ChooseOrder(const std::string& indexName) {
    if (!indexName.empty()) {
        uint16_t found = 0;
        for (size_t i = 0; i < schema_.Fields.size(); ++i)
            if (NamesMatch(schema_.Fields[i].Name, indexName))
                found = uint16_t(i + 1);
        if (found == 0 || (found != schema_.IndexField && found != schema_.KeyField))
            Fail(DBE_ERR_NOINDEX, "Index: " + indexName);
        if (found == schema_.IndexField && found != schema_.KeyField)
            orderField_ = found;
    }
    if (!orderField_ && schema_.KeyField && !schema_.RowidKey())
        orderField_ = schema_.KeyField;
    rowidOrder_ = !orderField_ && schema_.KeyField;
}

void TCursor::TakeTableLock() {
    if (!locks_.Open(path_ + ".lck", !readOnly_) && !readOnly_)
        Fail(DBE_ERR_IO, "Cannot open the lock file " + path_ + ".lck");
    if (!locks_.LockTable(exclusive_))
        Fail(DBE_ERR_TABLELOCKED);
}

void TCursor::PrepareReads() {
    const std::string order = rowidOrder_   ? "rowid"
                              : orderField_ ? QuoteName(schema_.Fields[orderField_ - 1].Name)
                                            : "dbe_order";
    // The row id, the order value (unless it is the row id itself), then
    // the fields.
    std::string select = rowidOrder_ ? "SELECT rowid" : "SELECT rowid, " + order;
    firstColumn_ = rowidOrder_ ? 1 : 2;
    for (const TFieldInfo& f : schema_.Fields)
        select += ", " + QuoteName(f.Name);
    select += " FROM records";
    // Compared with the place (?1, ?2); the order value of the record ?4,
    // while it lives, in place of ?1 (see BindPlace).
    auto cmp = [&](const char* op) {
        return rowidOrder_ ? std::string(" WHERE rowid ") + op + " ?2"
                           : " WHERE (" + order + ", rowid) " + op + " (coalesce((SELECT " + order +
                                 " FROM records WHERE rowid = ?4), ?1), ?2)";
    };
    std::string asc = rowidOrder_ ? " ORDER BY rowid" : " ORDER BY " + order + ", rowid";
    std::string desc =
        rowidOrder_ ? " ORDER BY rowid DESC" : " ORDER BY " + order + " DESC, rowid DESC";
    first_ = Prepare(select + asc + " LIMIT 1");
    last_ = Prepare(select + desc + " LIMIT 1");
    after_ = Prepare(select + cmp(">") + asc + " LIMIT 1");
    atOrAfter_ = Prepare(select + cmp(">=") + asc + " LIMIT 1");
    before_ = Prepare(select + cmp("<") + desc + " LIMIT 1");
    byRowid_ = Prepare(select + " WHERE rowid = ?2");
    count_ = Prepare("SELECT COUNT(*) FROM records");
    countBefore_ = Prepare("SELECT COUNT(*) FROM records" + cmp("<"));
    winFirst_ = Prepare(select + asc + " LIMIT ?3");
    winLast_ = Prepare(select + desc + " LIMIT ?3");
    winAfter_ = Prepare(select + cmp(">") + asc + " LIMIT ?3");
    winBefore_ = Prepare(select + cmp("<") + desc + " LIMIT ?3");
    dataVersion_ = Prepare("PRAGMA data_version");
}

void TCursor::PrepareChanges() {
    std::string cols, values, sets;
    int n = 0;
    for (size_t i = 0; i < schema_.Fields.size(); ++i) {
        const TFieldInfo& f = schema_.Fields[i];
        std::string param = "?";
        param += std::to_string(i + 1);
        cols += (i ? ", " : "") + QuoteName(f.Name);
        values += (i ? ", " : "") + param;
        if (f.Type != DBE_FLD_AUTOINC)
            sets += (n++ ? ", " : "") + QuoteName(f.Name) + " = " + param;
    }
    if (!schema_.KeyField) {
        cols += ", dbe_order";
        values += ", ?" + std::to_string(schema_.Fields.size() + 1);
    }
    insert_ = Prepare("INSERT INTO records(" + cols + ") VALUES(" + values + ")");
    std::string rowParam = "?" + std::to_string(schema_.Fields.size() + 2);
    if (!sets.empty())
        update_ = Prepare("UPDATE records SET " + sets + " WHERE rowid = " + rowParam);
    delete_ = Prepare("DELETE FROM records WHERE rowid = ?1");
    for (const TFieldInfo& f : schema_.Fields)
        if (f.Type == DBE_FLD_AUTOINC)
            maxAutoinc_ = Prepare("SELECT max(" + QuoteName(f.Name) + ") FROM records");
}

void TCursor::Fail(DbeResult code, std::string detail) const {
    TEngineError error(code, {"Table: " + shownAs_});
    if (!detail.empty())
        error.Add(std::move(detail));
    throw error;
}

void TCursor::SqliteFailed(int rc) {
    if (IsDamage(rc)) {
        metDamage_ = sqlite3_errmsg(db_.get());
        MarkDamaged(path_, *metDamage_);
    }
    ThrowSqlite(rc, db_.get(), shownAs_);
}

TSqliteStmt TCursor::Prepare(const std::string& sql) {
    return PrepareSqlite(db_.get(), sql, shownAs_, SQLITE_PREPARE_PERSISTENT);
}

void TCursor::Exec(const char* sql) {
    int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        SqliteFailed(rc);
}

bool TCursor::InBatch() const {
    return sqlite3_get_autocommit(db_.get()) == 0;
}

void TCursor::GetProps(DbeCurProps& props) const {
    std::memset(&props, 0, sizeof props);
    std::snprintf(props.szName, sizeof props.szName, "%s", name_.c_str());
    std::snprintf(props.szPath, sizeof props.szPath, "%s", path_.c_str());
    props.iFields = uint16_t(schema_.Fields.size());
    props.iRecBufSize = schema_.RecordSize;
    props.iBookMarkSize = kBookMarkSize;
    props.iKeyField = schema_.KeyField;
    props.iIndexField = orderField_ ? orderField_ : schema_.KeyField;
    props.eOpenMode = readOnly_ ? dbeREADONLY : dbeREADWRITE;
    props.eShareMode = exclusive_ ? dbeOPENEXCL : dbeOPENSHARED;
    props.iSeqNums = 1;
    props.bProtected = schema_.Protected() ? 1 : 0;
}

void TCursor::GetFieldDescs(DbeFldDesc* descs) const {
    for (size_t i = 0; i < schema_.Fields.size(); ++i) {
        const TFieldInfo& f = schema_.Fields[i];
        DbeFldDesc& d = descs[i];
        std::memset(&d, 0, sizeof d);
        d.iFldNum = uint16_t(i + 1);
        std::snprintf(d.szName, sizeof d.szName, "%s", f.Name.c_str());
        d.iFldType = f.Type;
        d.iUnits1 = f.Size;
        d.iLen = f.Len;
    }
}

// ---- Positioning ----------------------------------------------------------

void TCursor::BindPlace(sqlite3_stmt* stmt) const {
    if (!rowidOrder_) {
        switch (key_.Type) {
        case SQLITE_INTEGER:
            sqlite3_bind_int64(stmt, 1, key_.Int);
            break;
        case SQLITE_FLOAT:
            sqlite3_bind_double(stmt, 1, key_.Real);
            break;
        case SQLITE_TEXT:
            sqlite3_bind_text(stmt, 1, key_.Text.data(), int(key_.Text.size()), SQLITE_TRANSIENT);
            break;
        default:
            sqlite3_bind_null(stmt, 1);
        }
        // On a record, the statement seeks the record's order value as it
        // is now. A gap has no record of its own (its row id may even come
        // back for a new record), so it keeps to its order value.
        if (pos_ == EPos::On)
            sqlite3_bind_int64(stmt, 4, rowid_);
        else
            sqlite3_bind_null(stmt, 4);
    }
    sqlite3_bind_int64(stmt, 2, rowid_);
}

bool TCursor::Fetch(sqlite3_stmt* stmt, void* buf) {
    TResetter reset{stmt};
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        SqliteFailed(rc);
    ReadRow(stmt, buf);
    return true;
}

void TCursor::ReadPosition(sqlite3_stmt* stmt) {
    rowid_ = sqlite3_column_int64(stmt, 0);
    pos_ = EPos::On;
    if (rowidOrder_) {
        // The order value is the row id itself.
        key_.Type = SQLITE_INTEGER;
        key_.Int = rowid_;
        return;
    }
    sqlite3_value* value = sqlite3_column_value(stmt, 1);
    key_.Type = sqlite3_value_type(value);
    if (key_.Type == SQLITE_INTEGER)
        key_.Int = sqlite3_value_int64(value);
    else if (key_.Type == SQLITE_FLOAT)
        key_.Real = sqlite3_value_double(value);
    else if (key_.Type == SQLITE_TEXT)
        key_.Text.assign(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                         size_t(sqlite3_value_bytes(value)));
}

// Inlined into the window's fill, where it runs for every field of every row.
[[gnu::always_inline]] inline size_t TCursor::ReadSlot(sqlite3_stmt* stmt, size_t field,
                                                       unsigned char* slot) const {
    // Only a slot's blank flag and its value bytes carry meaning: a blank
    // slot is never read, a filled string is terminated. Leaving the rest
    // of the (several-KB) buffer alone keeps a record read cheap.
    //
    // Connections are opened without their own mutex (the engine serialises
    // every call), so a column's value may be read through the value calls:
    // one lookup of the column instead of one per question asked of it.
    const TFieldInfo& f = schema_.Fields[field];
    sqlite3_value* value = sqlite3_column_value(stmt, firstColumn_ + int(field));
    if (f.Type != DBE_FLD_STRING) {
        if (sqlite3_value_type(value) == SQLITE_NULL)
            return BlankSlot(f, slot);
        int64_t v = sqlite3_value_int64(value);
        slot[0] = 0;
        std::memcpy(slot + 1, &v, sizeof v);
        return 1 + sizeof v;
    }
    // No text is a blank value, or a conversion that ran out of memory.
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (!text) {
        if (sqlite3_value_type(value) == SQLITE_NULL)
            return BlankSlot(f, slot);
        throw TEngineError(DBE_ERR_NOMEMORY, {"Table: " + shownAs_});
    }
    std::string_view view(text, size_t(sqlite3_value_bytes(value)));
    // Whatever another program wrote, hand out at most Size characters
    // (when there are no more bytes than characters allowed, nothing to cut).
    if (view.size() > f.Size || !IsValidUtf8(view))
        view = CutToCharacters(view, f.Size);
    if (view.empty())
        return BlankSlot(f, slot);
    assert(view.size() < f.Len && "a value cut to its size and its terminator fit the slot");
    slot[0] = 0;
    CopyValue(slot + 1, view.data(), view.size());
    slot[1 + view.size()] = 0;
    return view.size() + 2;
}

size_t TCursor::BlankSlot(const TFieldInfo& f, unsigned char* slot) {
    size_t length = f.Type == DBE_FLD_STRING ? 1 : sizeof(int64_t);
    slot[0] = 1;
    std::memset(slot + 1, 0, length);
    return 1 + length;
}

void TCursor::WriteHeader(unsigned char* record) const {
    std::memset(record, 0, kRecordHeader);
    uint32_t magic = kRecordMagic;
    uint16_t count = uint16_t(schema_.Fields.size());
    std::memcpy(record, &magic, 4);
    std::memcpy(record + 4, &count, 2);
}

void TCursor::ReadRow(sqlite3_stmt* stmt, void* buf) {
    ReadPosition(stmt);
    if (!buf)
        return;
    auto* record = static_cast<unsigned char*>(buf);
    WriteHeader(record);
    for (size_t i = 0; i < schema_.Fields.size(); ++i)
        ReadSlot(stmt, i, record + schema_.Fields[i].Offset);
}

bool TCursor::FetchByRowid(int64_t rowid, void* buf) {
    sqlite3_bind_int64(byRowid_.get(), 2, rowid);
    return Fetch(byRowid_.get(), buf);
}

void TCursor::RestorePosition(TSavedPosition saved) {
    pos_ = saved.Pos;
    key_ = std::move(saved.Key);
    rowid_ = saved.Rowid;
}

void TCursor::RefreshKey() {
    // The order value of the current record may have changed (renumbering,
    // a modified key): take it afresh by row id, which costs one lookup.
    if (pos_ != EPos::On || rowidOrder_)
        return;
    TSavedPosition saved = SavePosition();
    if (!FetchByRowid(rowid_, nullptr))
        RestorePosition(std::move(saved));
}

int64_t TCursor::CountBefore() {
    TResetter reset{countBefore_.get()};
    BindPlace(countBefore_.get());
    int rc = sqlite3_step(countBefore_.get());
    if (rc != SQLITE_ROW)
        SqliteFailed(rc);
    return sqlite3_column_int64(countBefore_.get(), 0);
}

void TCursor::FillProps(DbeRecProps* props) {
    if (!props)
        return;
    if (!seqKnown_) {
        seq_ = CountBefore() + 1;
        seqKnown_ = true;
    }
    std::memset(props, 0, sizeof *props);
    props->iSeqNum = uint32_t(seq_);
    props->iPhyRecNum = uint32_t(rowid_);
    props->iRecStatus = 0;
    props->bLocked = locks_.Holds(rowid_) ? 1 : 0;
}

void TCursor::SetToBegin() {
    DropWindow();
    winSize_ = 0;
    pos_ = EPos::Begin;
    seq_ = 0;
    seqKnown_ = true;
}

void TCursor::SetToEnd() {
    DropWindow();
    winSize_ = 0;
    pos_ = EPos::End;
    seqKnown_ = false;
}

// ---- Read-ahead window ------------------------------------------------------

bool TCursor::WindowValid() const {
    return !winRows_.empty() && pos_ == EPos::On && winChange_ == *changeCount_ &&
           winIndex_ < winRows_.size() && winRows_[winIndex_].Rowid == rowid_;
}

void TCursor::Changed() {
    ++*changeCount_;
    DropWindow();
}

void TCursor::DropWindow() {
    winRows_.clear();
    winSlots_.clear();
    winUsed_ = 0;
}

void TCursor::StandOnWindowRow(size_t index, void* buf) {
    assert(index < winRows_.size() && "the cursor stands on a row of its window");
    winIndex_ = index;
    const TWinRow& row = winRows_[index];
    rowid_ = row.Rowid;
    key_.Type = row.KeyType;
    key_.Int = row.KeyInt;
    key_.Real = row.KeyReal;
    if (row.KeyType == SQLITE_TEXT)
        key_.Text.assign(reinterpret_cast<const char*>(winBytes_.data()) + row.KeyText,
                         row.KeyTextLength);
    pos_ = EPos::On;
    if (!buf)
        return;
    auto* record = static_cast<unsigned char*>(buf);
    WriteHeader(record);
    const TWinSlot* slot = winSlots_.data() + row.FirstSlot;
    for (const TFieldInfo& f : schema_.Fields) {
        CopyValue(record + f.Offset, winBytes_.data() + slot->Offset, slot->Length);
        ++slot;
    }
}

uint64_t TCursor::DataVersion() const {
    // The version of the file this connection saw at its last read; moves
    // on when a read finds that another connection committed meanwhile.
    unsigned int version = 0;
    sqlite3_file_control(db_.get(), "main", SQLITE_FCNTL_DATA_VERSION, &version);
    return version;
}

bool TCursor::WindowUnchangedOutside() {
    // The coarse clock is read without entering the kernel.
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    const int64_t nowMs = int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    if (nowMs - checkedAtMs_ < kDataVersionAgeMs)
        return true;
    checkedAtMs_ = nowMs;
    {
        // A read of the file's header, where SQLite notices another
        // connection's commit.
        TResetter reset{dataVersion_.get()};
        int rc = sqlite3_step(dataVersion_.get());
        if (rc != SQLITE_ROW)
            return false; // busy or failing: the refill will say why
    }
    return DataVersion() == winDataVersion_;
}

bool TCursor::StepInWindow(bool forward, void* buf) {
    if (!WindowValid())
        return false;
    if (!WindowUnchangedOutside()) {
        // Read afresh from the current record, whose place may have moved.
        DropWindow();
        return false;
    }
    if (forward ? winIndex_ + 1 >= winRows_.size() : winIndex_ == 0)
        return false;
    StandOnWindowRow(forward ? winIndex_ + 1 : winIndex_ - 1, buf);
    return true;
}

bool TCursor::FillWindow(sqlite3_stmt* stmt, bool forward, void* buf) {
    // The statement runs once, so the read lock is taken and dropped once
    // for the whole window, and all of its rows come from one state of the
    // file.
    DropWindow();
    size_t want = winSize_ < kWindowFirst ? kWindowFirst : winSize_;
    TSavedPosition saved = SavePosition();
    sqlite3_bind_int64(stmt, 3, int64_t(want));
    const size_t fields = schema_.Fields.size();
    const size_t largest = schema_.RecordSize - kRecordHeader;
    winRows_.reserve(want);
    winSlots_.reserve(want * fields);
    {
        TResetter reset{stmt};
        for (size_t n = 0; n < want; ++n) {
            int rc = sqlite3_step(stmt);
            if (rc == SQLITE_DONE)
                break;
            if (rc != SQLITE_ROW) {
                // Nothing of a fill that failed half-way is handed out.
                DropWindow();
                RestorePosition(std::move(saved));
                SqliteFailed(rc);
            }
            // The window keeps each slot's meaningful bytes, packed: a few
            // hundred rows take a few tens of KB instead of whole record
            // buffers, and a step copies each slot with one move.
            ReadPosition(stmt);
            // Room for the largest row and its order text; the bytes grow,
            // and are kept, as the window needs them.
            const size_t keyText = key_.Type == SQLITE_TEXT ? key_.Text.size() : 0;
            if (winBytes_.size() < winUsed_ + largest + keyText)
                winBytes_.resize(std::max(2 * winBytes_.size(), winUsed_ + largest + keyText));
            unsigned char* bytes = winBytes_.data();
            size_t used = winUsed_;
            winRows_.push_back({key_.Type, key_.Int, key_.Real, uint32_t(used), uint32_t(keyText),
                                rowid_, winSlots_.size()});
            if (keyText)
                std::memcpy(bytes + used, key_.Text.data(), keyText);
            used += keyText;
            for (size_t i = 0; i < fields; ++i) {
                size_t length = ReadSlot(stmt, i, bytes + used);
                winSlots_.push_back({uint32_t(used), uint32_t(length)});
                used += length;
            }
            assert(used <= winBytes_.size() && "the room made for the row holds it");
            winUsed_ = used;
        }
    }
    if (winRows_.empty()) {
        RestorePosition(std::move(saved));
        return false;
    }
    if (!forward) {
        // Rows came in the order of travel; the window keeps them ascending.
        std::reverse(winRows_.begin(), winRows_.end());
    }
    winChange_ = *changeCount_;
    // The fill's read is the last this connection made, so the version is
    // the one of the rows the window holds.
    winDataVersion_ = DataVersion();
    winSize_ = want * 2 > kWindowMax ? kWindowMax : want * 2;
    StandOnWindowRow(forward ? 0 : winRows_.size() - 1, buf);
    return true;
}

// ---- Steps --------------------------------------------------------------------

void TCursor::Move(bool forward, DbeLockType lock, void* buf, DbeRecProps* props) {
    if (lock == dbeWRITELOCK)
        CheckChangesAllowed();
    EPos from = pos_;
    // A step that locks the record reads it from the file, and so does
    // every step inside a batch (the transaction is held already, a single
    // lookup is cheap). Other steps are served from the window or refill it.
    bool ahead = lock != dbeWRITELOCK && !InBatch();
    bool found = (ahead && StepInWindow(forward, buf)) || ReadStep(from, forward, ahead, buf);
    if (forward) {
        if (!found) {
            pos_ = EPos::End;
            seqKnown_ = false;
            DropWindow();
            throw TEngineError(DBE_ERR_EOF);
        }
        if (from == EPos::Begin) {
            seq_ = 1;
            seqKnown_ = true;
        } else if (from == EPos::On && seqKnown_) {
            ++seq_;
        }
        // From a gap, seq_ already is the number of the record after it.
    } else {
        if (!found) {
            SetToBegin();
            throw TEngineError(DBE_ERR_BOF);
        }
        if (from == EPos::End)
            seqKnown_ = false;
        else if (seqKnown_)
            --seq_;
    }
    if (lock == dbeWRITELOCK && !locks_.Lock(rowid_))
        Fail(DBE_ERR_LOCKED);
    FillProps(props);
}

bool TCursor::ReadStep(EPos from, bool forward, bool ahead, void* buf) {
    // At the window's edge the walk goes on: read further ahead next time.
    // Otherwise (a change, a jump) start small again.
    if (!WindowValid())
        winSize_ = 0;
    DropWindow();
    // From a gap the step reads one record: the window starts at records.
    const bool windowed = ahead && from != EPos::Gap;
    sqlite3_stmt* stmt = NeighbourStatement(from, forward, windowed);
    if (!stmt)
        return false;
    if (from == EPos::On || from == EPos::Gap)
        BindPlace(stmt);
    return windowed ? FillWindow(stmt, forward, buf) : Fetch(stmt, buf);
}

sqlite3_stmt* TCursor::NeighbourStatement(EPos from, bool forward, bool windowed) const {
    switch (from) {
    case EPos::Begin:
        return forward ? (windowed ? winFirst_ : first_).get() : nullptr;
    case EPos::End:
        return forward ? nullptr : (windowed ? winLast_ : last_).get();
    case EPos::On:
        return forward ? (windowed ? winAfter_ : after_).get()
                       : (windowed ? winBefore_ : before_).get();
    case EPos::Gap:
        // Forward from a gap includes the record at its place.
        return forward ? atOrAfter_.get() : before_.get();
    }
    return nullptr;
}

void TCursor::GetCurrent(DbeLockType lock, void* buf, DbeRecProps* props) {
    switch (pos_) {
    case EPos::Begin:
        throw TEngineError(DBE_ERR_BOF);
    case EPos::End:
        throw TEngineError(DBE_ERR_EOF);
    case EPos::Gap:
        throw TEngineError(DBE_ERR_NOCURRREC);
    case EPos::On:
        break;
    }
    bool lockedNow = false;
    if (lock == dbeWRITELOCK) {
        CheckChangesAllowed();
        lockedNow = !locks_.Holds(rowid_);
        if (!locks_.Lock(rowid_))
            Fail(DBE_ERR_LOCKED);
    }
    TSavedPosition saved = SavePosition();
    bool found;
    try {
        found = FetchByRowid(rowid_, buf);
    } catch (...) {
        if (lockedNow)
            locks_.Unlock(saved.Rowid);
        throw;
    }
    if (!found) {
        if (lockedNow)
            locks_.Unlock(saved.Rowid);
        RestorePosition(std::move(saved));
        pos_ = EPos::Gap;
        Fail(DBE_ERR_RECDELETED);
    }
    FillProps(props);
}

void TCursor::GetNext(DbeLockType lock, void* buf, DbeRecProps* props) {
    Move(true, lock, buf, props);
}

void TCursor::GetPrior(DbeLockType lock, void* buf, DbeRecProps* props) {
    Move(false, lock, buf, props);
}

void TCursor::GetBookMark(void* bookmark) const {
    if (pos_ != EPos::On)
        throw TEngineError(DBE_ERR_NOCURRREC);
    unsigned char bytes[kBookMarkSize] = {};
    uint32_t magic = kBookMarkMagic;
    uint32_t type = uint32_t(key_.Type);
    std::memcpy(bytes, &magic, 4);
    std::memcpy(bytes + 4, &type, 4);
    std::memcpy(bytes + 8, &rowid_, 8);
    if (key_.Type == SQLITE_INTEGER)
        std::memcpy(bytes + 16, &key_.Int, 8);
    else if (key_.Type == SQLITE_FLOAT)
        std::memcpy(bytes + 16, &key_.Real, 8);
    std::memcpy(bookmark, bytes, kBookMarkSize);
}

void TCursor::SetToBookMark(const void* bookmark) {
    unsigned char bytes[kBookMarkSize];
    std::memcpy(bytes, bookmark, kBookMarkSize);
    uint32_t magic, type;
    int64_t rowid;
    std::memcpy(&magic, bytes, 4);
    std::memcpy(&type, bytes + 4, 4);
    std::memcpy(&rowid, bytes + 8, 8);
    if (magic != kBookMarkMagic)
        throw TEngineError(DBE_ERR_INVALIDPARAM, {"Invalid bookmark"});
    DropWindow();
    winSize_ = 0;
    seqKnown_ = false;
    if (FetchByRowid(rowid, nullptr))
        return;
    // Gone: stand in the gap where it was, when its place can be told.
    TKey key;
    key.Type = int(type);
    if (key.Type == SQLITE_INTEGER) {
        std::memcpy(&key.Int, bytes + 16, 8);
    } else if (key.Type == SQLITE_FLOAT) {
        std::memcpy(&key.Real, bytes + 16, 8);
    } else if (!rowidOrder_) {
        SetToBegin();
        Fail(DBE_ERR_RECNOTFOUND);
    }
    RestorePosition({EPos::Gap, std::move(key), rowid});
    Fail(DBE_ERR_RECNOTFOUND);
}

void TCursor::MakeGap() {
    if (pos_ != EPos::On)
        return;
    DropWindow();
    winSize_ = 0;
    RefreshKey();
    pos_ = EPos::Gap;
}

uint32_t TCursor::Count() {
    // A count of a damaged table cannot be trusted, whatever it reads.
    RefuseIfDamaged();
    TResetter reset{count_.get()};
    int rc = sqlite3_step(count_.get());
    if (rc != SQLITE_ROW)
        SqliteFailed(rc);
    int64_t n = sqlite3_column_int64(count_.get(), 0);
    return n > int64_t(UINT32_MAX) ? UINT32_MAX : uint32_t(n);
}

// ---- Record buffers ---------------------------------------------------------

void TCursor::InitRecord(void* buf) const {
    auto* record = static_cast<unsigned char*>(buf);
    WriteHeader(record);
    for (const TFieldInfo& f : schema_.Fields)
        BlankSlot(f, record + f.Offset);
}

void TCursor::CheckBuffer(const void* buf) const {
    if (!buf)
        throw TEngineError(DBE_ERR_INVALIDPARAM, {"No record buffer"});
    uint32_t magic;
    uint16_t count;
    std::memcpy(&magic, buf, 4);
    std::memcpy(&count, static_cast<const unsigned char*>(buf) + 4, 2);
    if (magic != kRecordMagic || count != schema_.Fields.size())
        throw TEngineError(DBE_ERR_INVALIDREC, {"Table: " + shownAs_});
}

void TCursor::GetField(uint16_t field, const void* buf, void* dest, size_t cbDest,
                       int16_t* blank) const {
    CheckBuffer(buf);
    if (field < 1 || field > schema_.Fields.size())
        throw TEngineError(DBE_ERR_OUTOFRANGE, {"Field number: " + std::to_string(field)});
    if (!dest)
        throw TEngineError(DBE_ERR_INVALIDPARAM, {"No destination"});
    const TFieldInfo& f = schema_.Fields[field - 1];
    const unsigned char* slot = static_cast<const unsigned char*>(buf) + f.Offset;
    bool isBlank = slot[0] != 0;
    if (blank)
        *blank = isBlank ? 1 : 0;
    if (f.Type == DBE_FLD_STRING) {
        const char* text = reinterpret_cast<const char*>(slot + 1);
        size_t len = isBlank ? 0 : strnlen(text, f.Len - 1);
        if (cbDest < len + 1)
            throw TEngineError(DBE_ERR_BUFTOOSMALL, {"Field: " + f.Name});
        CopyValue(dest, text, len);
        static_cast<char*>(dest)[len] = 0;
        return;
    }
    if (cbDest < sizeof(int32_t))
        throw TEngineError(DBE_ERR_BUFTOOSMALL, {"Field: " + f.Name});
    int64_t v = 0;
    if (!isBlank)
        std::memcpy(&v, slot + 1, sizeof v);
    int32_t out = v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int32_t(v);
    std::memcpy(dest, &out, sizeof out);
}

void TCursor::PutField(uint16_t field, void* buf, const void* src) const {
    CheckBuffer(buf);
    if (field < 1 || field > schema_.Fields.size())
        throw TEngineError(DBE_ERR_OUTOFRANGE, {"Field number: " + std::to_string(field)});
    const TFieldInfo& f = schema_.Fields[field - 1];
    unsigned char* slot = static_cast<unsigned char*>(buf) + f.Offset;
    if (f.Type == DBE_FLD_STRING) {
        std::string_view text = src ? std::string_view(static_cast<const char*>(src)) : "";
        if (!IsValidUtf8(text))
            throw TEngineError(DBE_ERR_INVALIDPARAM,
                               {"Field: " + f.Name, "The text is not valid UTF-8"});
        std::memset(slot, 0, 1u + f.Len);
        text = CutToCharacters(text, f.Size);
        slot[0] = text.empty() ? 1 : 0;
        std::memcpy(slot + 1, text.data(), text.size());
        return;
    }
    std::memset(slot, 0, 9);
    if (!src) {
        slot[0] = 1;
        return;
    }
    int32_t v;
    std::memcpy(&v, src, sizeof v);
    int64_t wide = v;
    std::memcpy(slot + 1, &wide, sizeof wide);
}

// ---- Changes ------------------------------------------------------------------

void TCursor::CheckChangesAllowed() {
    if (readOnly_)
        Fail(DBE_ERR_TABLEREADONLY);
    // Inside a batch the file is held by this cursor until the commit,
    // which asks again; only damage this cursor meets can show up before.
    if (metDamage_ || !InBatch())
        RefuseIfDamaged();
}

void TCursor::RefuseIfDamaged() {
    std::optional<std::string> found = metDamage_ ? metDamage_ : DamageFound(path_);
    if (!found)
        return;
    TEngineError error(DBE_ERR_CORRUPT, {"Table: " + shownAs_, kDamagedAdvice});
    if (!found->empty())
        error.Add("Found: " + *found);
    throw error;
}

void TCursor::YieldToReaders() {
    // Inside a batch the transaction is already ours; a reader waits for it.
    if (!InBatch() && !locks_.WaitWhileIntent(kBusyTimeoutMs))
        Fail(DBE_ERR_BUSY, "A copy of the table is being made");
}

void TCursor::CheckLockFree(int64_t rowid) {
    if (!locks_.IsFree(rowid))
        Fail(DBE_ERR_LOCKED);
}

void TCursor::BindRecord(sqlite3_stmt* stmt, const void* buf, bool skipAutoinc) const {
    const auto* bytes = static_cast<const unsigned char*>(buf);
    for (size_t i = 0; i < schema_.Fields.size(); ++i) {
        const TFieldInfo& f = schema_.Fields[i];
        if (skipAutoinc && f.Type == DBE_FLD_AUTOINC)
            continue;
        const unsigned char* slot = bytes + f.Offset;
        int param = int(i) + 1;
        if (f.Type == DBE_FLD_STRING) {
            const char* text = reinterpret_cast<const char*>(slot + 1);
            size_t len = slot[0] ? 0 : strnlen(text, f.Len - 1);
            sqlite3_bind_text(stmt, param, text, int(len), SQLITE_TRANSIENT);
        } else if (slot[0]) {
            sqlite3_bind_null(stmt, param);
        } else {
            int64_t v;
            std::memcpy(&v, slot + 1, sizeof v);
            sqlite3_bind_int64(stmt, param, v);
        }
    }
}

void TCursor::Renumber() {
    Changed();
    Exec("UPDATE records SET dbe_order = r.n * 1024.0 FROM (SELECT rowid AS id, row_number()"
         " OVER (ORDER BY dbe_order, rowid) AS n FROM records) AS r WHERE records.rowid = r.id");
}

double TCursor::OrderForInsert() {
    // The new record goes before the record after the cursor's gap (or before
    // the current record); at the end it is appended, at the beginning it
    // goes first.
    auto orderOf = [&](sqlite3_stmt* stmt, int64_t* id, double* order) {
        TResetter reset{stmt};
        if (pos_ == EPos::On || pos_ == EPos::Gap)
            BindPlace(stmt);
        int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE)
            return false;
        if (rc != SQLITE_ROW)
            SqliteFailed(rc);
        *id = sqlite3_column_int64(stmt, 0);
        *order = sqlite3_column_double(stmt, 1);
        return true;
    };
    for (int attempt = 0; attempt < 2; ++attempt) {
        int64_t prevId = 0, nextId = 0;
        double prev = 0, next = 0;
        bool hasPrev = false, hasNext = false;
        switch (pos_) {
        case EPos::Begin:
            hasNext = orderOf(first_.get(), &nextId, &next);
            break;
        case EPos::End:
            hasPrev = orderOf(last_.get(), &prevId, &prev);
            break;
        case EPos::On:
        case EPos::Gap:
            hasPrev = orderOf(before_.get(), &prevId, &prev);
            hasNext = orderOf(atOrAfter_.get(), &nextId, &next);
            break;
        }
        if (!hasPrev && !hasNext)
            return kOrderStep;
        if (!hasPrev)
            return next - kOrderStep;
        if (!hasNext)
            return prev + kOrderStep;
        double mid = prev + (next - prev) / 2;
        if (mid > prev && mid < next)
            return mid;
        // No room left between the two: renumber, then place the gap again
        // by the record that follows it.
        Renumber();
        if (!FetchByRowid(nextId, nullptr))
            break;
        pos_ = EPos::Gap;
    }
    Fail(DBE_ERR_IO, "Cannot find a place for the new record");
}

void TCursor::Insert(DbeLockType lock, void* buf) {
    CheckChangesAllowed();
    CheckBuffer(buf);
    YieldToReaders();
    Changed();
    bool own = !InBatch();
    if (own)
        Exec("BEGIN IMMEDIATE");
    try {
        TResetter reset{insert_.get()};
        BindRecord(insert_.get(), buf, false);
        double order = 0;
        if (!schema_.KeyField) {
            order = OrderForInsert();
            sqlite3_bind_double(insert_.get(), int(schema_.Fields.size()) + 1, order);
        }
        // An autoincrement field that is not the row id is numbered here.
        int64_t assigned = 0;
        uint16_t autoField = 0;
        for (size_t i = 0; i < schema_.Fields.size(); ++i)
            if (schema_.Fields[i].Type == DBE_FLD_AUTOINC)
                autoField = uint16_t(i + 1);
        const auto* bytes = static_cast<const unsigned char*>(buf);
        bool autoBlank = autoField && bytes[schema_.Fields[autoField - 1].Offset] != 0;
        if (autoBlank && autoField != schema_.KeyField) {
            TResetter resetMax{maxAutoinc_.get()};
            int rc = sqlite3_step(maxAutoinc_.get());
            if (rc != SQLITE_ROW)
                SqliteFailed(rc);
            assigned = sqlite3_column_int64(maxAutoinc_.get(), 0) + 1;
            sqlite3_bind_int64(insert_.get(), autoField, assigned);
        }
        int rc = sqlite3_step(insert_.get());
        if (rc != SQLITE_DONE) {
            if ((rc & 0xff) == SQLITE_CONSTRAINT)
                Fail(DBE_ERR_KEYVIOL, sqlite3_errmsg(db_.get()));
            SqliteFailed(rc);
        }
        int64_t rowid = sqlite3_last_insert_rowid(db_.get());
        if (own)
            Exec("COMMIT");
        own = false;
        if (autoBlank) {
            int64_t value = autoField == schema_.KeyField ? rowid : assigned;
            unsigned char* slot =
                static_cast<unsigned char*>(buf) + schema_.Fields[autoField - 1].Offset;
            slot[0] = 0;
            std::memcpy(slot + 1, &value, sizeof value);
        }
        rowid_ = rowid;
        pos_ = EPos::On;
        seqKnown_ = false;
        if (rowidOrder_) {
            key_.Type = SQLITE_INTEGER;
            key_.Int = rowid;
        } else if (!orderField_) {
            key_.Type = SQLITE_FLOAT;
            key_.Real = order;
        } else {
            RefreshKey();
        }
    } catch (...) {
        if (own)
            sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    if (lock == dbeWRITELOCK && !locks_.Lock(rowid_))
        Fail(DBE_ERR_LOCKED);
}

void TCursor::Modify(const void* buf, bool freeLock) {
    CheckChangesAllowed();
    CheckBuffer(buf);
    if (pos_ != EPos::On)
        throw TEngineError(DBE_ERR_NOCURRREC);
    CheckLockFree(rowid_);
    YieldToReaders();
    Changed();
    if (update_) {
        TResetter reset{update_.get()};
        BindRecord(update_.get(), buf, true);
        sqlite3_bind_int64(update_.get(), int(schema_.Fields.size()) + 2, rowid_);
        int rc = sqlite3_step(update_.get());
        if (rc != SQLITE_DONE) {
            if ((rc & 0xff) == SQLITE_CONSTRAINT)
                Fail(DBE_ERR_KEYVIOL, sqlite3_errmsg(db_.get()));
            SqliteFailed(rc);
        }
        if (sqlite3_changes(db_.get()) == 0) {
            locks_.Unlock(rowid_);
            pos_ = EPos::Gap;
            Fail(DBE_ERR_RECDELETED);
        }
    }
    if (freeLock)
        locks_.Unlock(rowid_);
    if (orderField_) {
        RefreshKey();
        seqKnown_ = false;
    }
}

void TCursor::Delete() {
    CheckChangesAllowed();
    if (pos_ != EPos::On)
        throw TEngineError(DBE_ERR_NOCURRREC);
    CheckLockFree(rowid_);
    YieldToReaders();
    Changed();
    RefreshKey();
    TResetter reset{delete_.get()};
    sqlite3_bind_int64(delete_.get(), 1, rowid_);
    int rc = sqlite3_step(delete_.get());
    if (rc != SQLITE_DONE)
        SqliteFailed(rc);
    bool gone = sqlite3_changes(db_.get()) == 0;
    locks_.Unlock(rowid_);
    // The gap where the record stood: next reads the record after it, whose
    // sequence number is the deleted record's.
    pos_ = EPos::Gap;
    if (gone)
        Fail(DBE_ERR_RECDELETED);
}

void TCursor::ReleaseLock(bool all) {
    if (all)
        locks_.UnlockAll();
    else if (pos_ == EPos::On || pos_ == EPos::Gap)
        locks_.Unlock(rowid_);
}

void TCursor::BeginBatch() {
    CheckChangesAllowed();
    if (InBatch())
        Fail(DBE_ERR_TRANSACTION, "A batch is already active");
    YieldToReaders();
    Exec("BEGIN IMMEDIATE");
}

void TCursor::CommitBatch() {
    if (!InBatch())
        Fail(DBE_ERR_TRANSACTION, "No batch is active");
    // Another process may have found the table damaged while the batch ran;
    // the batch stays open for the caller to roll back.
    RefuseIfDamaged();
    Exec("COMMIT");
    Changed();
    seqKnown_ = false;
}

void TCursor::RollbackBatch() {
    if (!InBatch())
        Fail(DBE_ERR_TRANSACTION, "No batch is active");
    Exec("ROLLBACK");
    Changed();
    seqKnown_ = false;
    if (pos_ == EPos::On)
        pos_ = EPos::Gap;
}
