// Open-file-description locks on the lock file of a table.
#include "store/engine/record_locks.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {
// Record numbers are SQLite row ids, which stay far below this.
constexpr int64_t kTableLockOffset = int64_t(1) << 62;
constexpr int64_t kIntentOffset = kTableLockOffset + 1;

// Polls `attempt` every millisecond until it succeeds or the time is up.
template <class F> bool PollFor(int timeoutMs, F attempt) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!attempt()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
} // namespace

TRecordLocks::~TRecordLocks() {
    Close();
}

bool TRecordLocks::Open(const std::string& path, bool forWriting) {
    Close();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0 && !forWriting)
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd_ >= 0;
}

bool TRecordLocks::SetLock(int64_t offset, short type) {
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = offset;
    fl.l_len = 1;
    fl.l_pid = 0;
    int rc;
    do {
        rc = ::fcntl(fd_, F_OFD_SETLK, &fl);
    } while (rc < 0 && errno == EINTR);
    return rc == 0;
}

bool TRecordLocks::LockTable(bool exclusive) {
    if (fd_ < 0)
        return true;
    return SetLock(kTableLockOffset, exclusive ? F_WRLCK : F_RDLCK);
}

bool TRecordLocks::Lock(int64_t record) {
    if (fd_ < 0 || record < 0 || record >= kTableLockOffset)
        return false;
    if (held_.count(record))
        return true;
    if (!SetLock(record, F_WRLCK))
        return false;
    held_.insert(record);
    return true;
}

void TRecordLocks::Unlock(int64_t record) {
    if (fd_ < 0 || !held_.erase(record))
        return;
    SetLock(record, F_UNLCK);
}

void TRecordLocks::UnlockAll() {
    while (!held_.empty())
        Unlock(*held_.begin());
}

bool TRecordLocks::IsFree(int64_t record) {
    if (fd_ < 0)
        return true;
    if (held_.count(record))
        return true;
    if (!Lock(record))
        return false;
    Unlock(record);
    return true;
}

bool TRecordLocks::RaiseIntent(int timeoutMs) {
    if (fd_ < 0)
        return true;
    return PollFor(timeoutMs, [&] { return SetLock(kIntentOffset, F_WRLCK); });
}

void TRecordLocks::LowerIntent() {
    if (fd_ >= 0)
        SetLock(kIntentOffset, F_UNLCK);
}

bool TRecordLocks::WaitWhileIntent(int timeoutMs) {
    if (fd_ < 0)
        return true;
    return PollFor(timeoutMs, [&] {
        if (!SetLock(kIntentOffset, F_RDLCK))
            return false;
        SetLock(kIntentOffset, F_UNLCK);
        return true;
    });
}

void TRecordLocks::Close() {
    if (fd_ < 0)
        return;
    held_.clear();
    ::close(fd_); // drops every lock of this description
    fd_ = -1;
}
