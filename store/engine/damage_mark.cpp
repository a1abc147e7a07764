// The damage mark beside a table file: a first line that names the file
// ("device inode size seconds nanoseconds" of its status), then the finding.
#include "store/engine/damage_mark.h"

#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kFindingMax = 400;

std::string MarkPath(const std::string& tablePath) {
    return tablePath + ".damaged";
}

// The file's identity as the mark records it; nothing when it is gone.
std::optional<std::string> IdentityOf(const std::string& path) {
    struct stat st = {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return std::to_string(st.st_dev) + ' ' + std::to_string(st.st_ino) + ' ' +
           std::to_string(st.st_size) + ' ' + std::to_string(st.st_mtim.tv_sec) + ' ' +
           std::to_string(st.st_mtim.tv_nsec);
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

void MarkDamaged(const std::string& tablePath, const std::string& finding) {
    std::optional<std::string> identity = IdentityOf(tablePath);
    if (!identity)
        return;
    std::string line = finding.substr(0, kFindingMax);
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    // Written whole under another name and renamed into place, so that a
    // reader never takes half a mark for none.
    std::string mark = MarkPath(tablePath);
    std::string temp = mark + ".new-" + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    bool written = WriteAll(fd, *identity + '\n' + line + '\n');
    ::close(fd);
    if (!written || ::rename(temp.c_str(), mark.c_str()) != 0)
        ::unlink(temp.c_str());
}

std::optional<std::string> DamageFound(const std::string& tablePath) {
    // Asked before every change: a table without a mark costs one failed open.
    int fd = ::open(MarkPath(tablePath).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() < 4096;)
        text.append(buffer, size_t(n));
    ::close(fd);
    std::istringstream in(text);
    std::string identity, finding;
    std::getline(in, identity);
    std::getline(in, finding);
    // A mark of a file that has since been replaced says nothing of this one.
    if (identity != IdentityOf(tablePath))
        return std::nullopt;
    return finding;
}

void ForgetDamage(const std::string& tablePath) {
    ::unlink(MarkPath(tablePath).c_str());
}
