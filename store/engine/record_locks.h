// Record and table locks of one cursor, kept in the lock file beside the
// table ("QUESTOES.DB.lck"). Each cursor opens the file on its own, so its
// open-file-description locks (F_OFD_SETLK) conflict with every other
// cursor, in this process or another, and the kernel drops them the moment
// the holder closes the file or dies. A record's lock is one byte at the
// offset of its physical number; the table's share lock is one byte far above
// any record number.
#pragma once

#include <cstdint>
#include <set>
#include <string>

class TRecordLocks {
public:
    TRecordLocks() = default;
    TRecordLocks(const TRecordLocks&) = delete;
    TRecordLocks& operator=(const TRecordLocks&) = delete;
    ~TRecordLocks();

    // Opens (creating it when allowed) the lock file. A read-only cursor may
    // go without: then Available() is false and it takes no locks.
    bool Open(const std::string& path, bool forWriting);
    bool Available() const { return fd_ >= 0; }

    // Share lock on the table: shared, or exclusive. False when refused.
    bool LockTable(bool exclusive);

    // Write lock on a record; false when another cursor holds it.
    bool Lock(int64_t record);
    void Unlock(int64_t record);
    void UnlockAll();
    bool Holds(int64_t record) const { return held_.count(record) != 0; }
    // True when nobody else holds the record's lock right now.
    bool IsFree(int64_t record);

    // Readers that must see the whole file at once (a consistent copy) would
    // starve behind a writer that posts without pause. Such a reader raises
    // the intent flag; writers wait while it is up before each change. Both
    // give up after `timeoutMs` (false).
    bool RaiseIntent(int timeoutMs);
    void LowerIntent();
    bool WaitWhileIntent(int timeoutMs);

    void Close();

private:
    bool SetLock(int64_t offset, short type);

    int fd_ = -1;
    std::set<int64_t> held_;
};
