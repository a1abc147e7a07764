// CopyFile and friends on POSIX calls, because the guarantees (fsync before
// the rename, no temporary left behind, errno for the reason) need them.
// Reasons name the path as the caller wrote it and, for a Windows path, the
// folder it stands for, so the user can find the file.
#include "platform/files.h"

#include "platform/paths.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace {

thread_local QString lastError;

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// How a path appears in a message: as given, plus the Linux path when they differ.
QString Shown(const QString& given, const QString& resolved) {
    if (resolved.isEmpty() || resolved == given)
        return given;
    return QStringLiteral("%1 (%2)").arg(given, resolved);
}

bool IsDrivePath(const QString& path) {
    return path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].unicode() < 0x80 &&
           path[0].isLetter();
}

class TFd {
public:
    explicit TFd(int fd = -1) : fd_(fd) {}
    ~TFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }
    void Reset(int fd) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes now and reports the error of close itself (late write errors on
    // some file systems arrive only there).
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// The reason for a failure to create or write the destination.
QString WriteReason(int error, const QString& shownDest, const QString& shownDir) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Disco cheio: não foi possível gravar %1").arg(shownDest);
    case EROFS:
        return QStringLiteral("A unidade de destino está protegida contra gravação: %1")
            .arg(shownDir);
    case EACCES:
    case EPERM:
        return QStringLiteral("Sem permissão para gravar na pasta %1").arg(shownDir);
    default:
        return QStringLiteral("Não foi possível gravar %1: %2").arg(shownDest, ErrnoText(error));
    }
}

bool WriteAll(int fd, const char* data, size_t size, int& error) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Makes a new file beside `dest` with a name no one else uses.
int CreateBeside(const QByteArray& dest, QByteArray& tempName) {
    const qsizetype slash = dest.lastIndexOf('/');
    const QByteArray dir = dest.left(slash + 1);
    const QByteArray base = dest.mid(slash + 1);
    tempName = dir + '.' + base + ".XXXXXX";
    return ::mkostemp(tempName.data(), O_CLOEXEC);
}

TCopyResult Fail(QString reason, TCopyFailure failure = cfOther) {
    return TCopyResult{false, std::move(reason), failure};
}

TCopyFailure WriteFailure(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return cfMediumFull;
    case EROFS:
    case EACCES:
    case EPERM:
        return cfWriteProtected;
    default:
        return cfOther;
    }
}

TCopyResult FailWrite(int error, const QString& shownDest, const QString& shownDir) {
    return Fail(WriteReason(error, shownDest, shownDir), WriteFailure(error));
}

// One copy, step by step. Each step returns the failure that ends the copy,
// or nothing when the copy goes on; once the temporary file exists, every
// failure removes it.
class TFileCopy {
public:
    TFileCopy(const QString& source, const QString& dest, bool failIfExists,
              const TCopyProgress& progress)
        : source_(source), dest_(dest), failIfExists_(failIfExists), progress_(progress) {}

    TCopyResult Run();

private:
    std::optional<TCopyResult> OpenSource();
    std::optional<TCopyResult> CheckDestination();
    std::optional<TCopyResult> WriteTemporary();
    std::optional<TCopyResult> CopyContents();
    std::optional<TCopyResult> MoveIntoPlace();
    void SyncFolder();

    TCopyResult FailAndClean(QString reason, TCopyFailure failure = cfOther) {
        Q_ASSERT_X(!tempName_.isEmpty(), "TFileCopy::FailAndClean",
                   "only a step after the temporary file exists cleans up");
        ::unlink(tempName_.constData());
        return Fail(std::move(reason), failure);
    }
    TCopyResult FailWriting(int error) {
        return FailAndClean(WriteReason(error, shownDest_, shownDir_), WriteFailure(error));
    }

    const QString& source_;
    const QString& dest_;
    const bool failIfExists_;
    const TCopyProgress& progress_;
    QString shownSource_, shownDest_, shownDir_;
    QString destDir_;
    QByteArray sourceName_, destName_, tempName_;
    TFd in_, out_;
    struct stat sourceStat_ {};
};

TCopyResult TFileCopy::Run() {
    const QString sourcePath = ResolvePath(source_);
    if (sourcePath.isEmpty())
        return Fail(QStringLiteral("Caminho de origem inválido: %1").arg(source_));
    const QString destPath = ResolvePath(dest_);
    if (destPath.isEmpty())
        return Fail(QStringLiteral("Caminho de destino inválido: %1").arg(dest_));
    shownSource_ = Shown(source_, sourcePath);
    shownDest_ = Shown(dest_, destPath);
    destName_ = QFile::encodeName(destPath);
    destDir_ = QFileInfo(destPath).path();
    shownDir_ = IsDrivePath(dest_) ? Shown(dest_.left(2), DriveRoot(dest_[0])) : destDir_;

    sourceName_ = QFile::encodeName(sourcePath);
    for (const auto step : {&TFileCopy::OpenSource, &TFileCopy::CheckDestination,
                            &TFileCopy::WriteTemporary, &TFileCopy::MoveIntoPlace})
        if (std::optional<TCopyResult> failure = (this->*step)())
            return std::move(*failure);
    SyncFolder();
    return TCopyResult{true, {}};
}

std::optional<TCopyResult> TFileCopy::OpenSource() {
    in_.Reset(::open(sourceName_.constData(), O_RDONLY | O_CLOEXEC));
    if (in_.Get() < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return Fail(QStringLiteral("Arquivo de origem não encontrado: %1").arg(shownSource_),
                        cfSourceMissing);
        if (error == EACCES || error == EPERM)
            return Fail(QStringLiteral("Sem permissão para ler %1").arg(shownSource_));
        return Fail(
            QStringLiteral("Não foi possível abrir %1: %2").arg(shownSource_, ErrnoText(error)));
    }
    if (::fstat(in_.Get(), &sourceStat_) != 0 || !S_ISREG(sourceStat_.st_mode))
        return Fail(QStringLiteral("A origem não é um arquivo: %1").arg(shownSource_));
    return std::nullopt;
}

std::optional<TCopyResult> TFileCopy::CheckDestination() {
    // A drive whose folder is missing is a drive without a medium.
    struct stat dirStat {};
    if (::stat(QFile::encodeName(destDir_).constData(), &dirStat) != 0 ||
        !S_ISDIR(dirStat.st_mode)) {
        if (IsDrivePath(dest_) && !QFileInfo(DriveRoot(dest_[0])).isDir())
            return Fail(QStringLiteral("Não há disco na unidade %1").arg(shownDir_), cfNoMedium);
        return Fail(QStringLiteral("Pasta de destino não encontrada: %1").arg(destDir_));
    }
    struct stat destStat {};
    const bool destExists = ::stat(destName_.constData(), &destStat) == 0;
    if (destExists && S_ISDIR(destStat.st_mode))
        return Fail(QStringLiteral("O destino é uma pasta: %1").arg(shownDest_));
    if (destExists && failIfExists_)
        return Fail(QStringLiteral("O arquivo de destino já existe: %1").arg(shownDest_));
    // A write-protected file is not replaced, as on the desktop (the rename
    // would otherwise go through, since only the folder's rights count).
    if (destExists && (destStat.st_mode & 0222) == 0)
        return Fail(QStringLiteral("O arquivo de destino é somente leitura: %1").arg(shownDest_),
                    cfWriteProtected);
    return std::nullopt;
}

std::optional<TCopyResult> TFileCopy::WriteTemporary() {
    out_.Reset(CreateBeside(destName_, tempName_));
    if (out_.Get() < 0)
        return FailWrite(errno, shownDest_, shownDir_);
    if (std::optional<TCopyResult> failure = CopyContents())
        return failure;
    // Attributes as the desktop's copy kept them: permissions and the time of
    // the last change. Failing to set them does not fail the copy (FAT media
    // keep no permission bits).
    ::fchmod(out_.Get(), sourceStat_.st_mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID));
    const timespec times[2] = {sourceStat_.st_atim, sourceStat_.st_mtim};
    ::futimens(out_.Get(), times);
    if (::fsync(out_.Get()) != 0 && errno != EINVAL && errno != EROFS)
        return FailWriting(errno);
    if (const int error = out_.Close(); error != 0)
        return FailWriting(error);
    return std::nullopt;
}

std::optional<TCopyResult> TFileCopy::CopyContents() {
    char buffer[64 * 1024];
    qint64 copied = 0;
    for (;;) {
        const ssize_t n = ::read(in_.Get(), buffer, sizeof buffer);
        if (n == 0)
            return std::nullopt;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FailAndClean(
                QStringLiteral("Erro ao ler %1: %2").arg(shownSource_, ErrnoText(errno)));
        }
        int error = 0;
        if (!WriteAll(out_.Get(), buffer, static_cast<size_t>(n), error))
            return FailWriting(error);
        copied += n;
        if (progress_)
            progress_(copied, sourceStat_.st_size);
    }
}

// With failIfExists the rename must not replace a file that appeared
// meanwhile; file systems without that flag get the plain check.
std::optional<TCopyResult> TFileCopy::MoveIntoPlace() {
    if (!failIfExists_) {
        if (::rename(tempName_.constData(), destName_.constData()) != 0)
            return FailWriting(errno);
        return std::nullopt;
    }
    if (::renameat2(AT_FDCWD, tempName_.constData(), AT_FDCWD, destName_.constData(),
                    RENAME_NOREPLACE) == 0)
        return std::nullopt;
    const int error = errno;
    if (error == EEXIST)
        return FailAndClean(QStringLiteral("O arquivo de destino já existe: %1").arg(shownDest_));
    if (error != EINVAL && error != ENOSYS)
        return FailWriting(error);
    if (::access(destName_.constData(), F_OK) == 0)
        return FailAndClean(QStringLiteral("O arquivo de destino já existe: %1").arg(shownDest_));
    if (::rename(tempName_.constData(), destName_.constData()) != 0)
        return FailWriting(errno);
    return std::nullopt;
}

// The new name itself must survive a crash or a pulled medium.
void TFileCopy::SyncFolder() {
    TFd dir(::open(QFile::encodeName(destDir_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
}

} // namespace

TCopyResult CopyFileChecked(const QString& source, const QString& dest, bool failIfExists,
                            const TCopyProgress& progress) {
    return TFileCopy(source, dest, failIfExists, progress).Run();
}

bool CopyFile(const QString& source, const QString& dest, bool failIfExists) {
    TCopyResult result = CopyFileChecked(source, dest, failIfExists);
    lastError = std::move(result.Reason);
    return result.Ok;
}

QString LastFileError() {
    return lastError;
}

bool FileExists(const QString& path) {
    const QString resolved = ResolvePath(path);
    return !resolved.isEmpty() && QFileInfo(resolved).isFile();
}

bool DirectoryExists(const QString& path) {
    const QString resolved = ResolvePath(path);
    return !resolved.isEmpty() && QFileInfo(resolved).isDir();
}

bool DeleteFile(const QString& path) {
    const QString resolved = ResolvePath(path);
    if (resolved.isEmpty()) {
        lastError = QStringLiteral("Caminho inválido: %1").arg(path);
        return false;
    }
    const QString shown = Shown(path, resolved);
    if (QFileInfo(resolved).isDir()) {
        lastError = QStringLiteral("É uma pasta, não um arquivo: %1").arg(shown);
        return false;
    }
    if (::unlink(QFile::encodeName(resolved).constData()) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            lastError = QStringLiteral("Arquivo não encontrado: %1").arg(shown);
        else
            lastError =
                QStringLiteral("Não foi possível excluir %1: %2").arg(shown, ErrnoText(error));
        return false;
    }
    lastError.clear();
    return true;
}

QString TempDirectory() {
    const QString tmp = qEnvironmentVariable("TMPDIR");
    if (!tmp.isEmpty() && QFileInfo(tmp).isDir())
        return QDir::cleanPath(QFileInfo(tmp).absoluteFilePath());
    return QStringLiteral("/tmp");
}

QString CreateTempFile(const QString& prefix) {
    QString safe = prefix;
    safe.replace(QLatin1Char('/'), QLatin1Char('_'));
    QByteArray name = QFile::encodeName(TempDirectory() + QLatin1Char('/') + safe) + "XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        lastError = QStringLiteral("Não foi possível criar um arquivo temporário em %1: %2")
                        .arg(TempDirectory(), ErrnoText(errno));
        return {};
    }
    ::close(fd);
    lastError.clear();
    return QFile::decodeName(name);
}

bool SameFileContents(const QString& original, const QString& copy) {
    const QString a = ResolvePath(original);
    const QString b = ResolvePath(copy);
    if (a.isEmpty() || b.isEmpty())
        return false;
    TFd first(::open(QFile::encodeName(a).constData(), O_RDONLY | O_CLOEXEC));
    TFd second(::open(QFile::encodeName(b).constData(), O_RDONLY | O_CLOEXEC));
    if (first.Get() < 0 || second.Get() < 0)
        return false;
    // What the copy's pages still hold in memory is what was meant to be
    // written; dropping them makes the reads below come from the medium.
    ::fdatasync(second.Get());
    ::posix_fadvise(second.Get(), 0, 0, POSIX_FADV_DONTNEED);
    static constexpr size_t kPiece = 64 * 1024;
    std::vector<char> x(kPiece), y(kPiece);
    const auto readFull = [](int fd, char* buffer, size_t size) -> ssize_t {
        size_t got = 0;
        while (got < size) {
            const ssize_t n = ::read(fd, buffer + got, size - got);
            if (n == 0)
                break;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return -1;
            }
            got += static_cast<size_t>(n);
        }
        return static_cast<ssize_t>(got);
    };
    for (;;) {
        const ssize_t n = readFull(first.Get(), x.data(), kPiece);
        const ssize_t m = readFull(second.Get(), y.data(), kPiece);
        if (n < 0 || m < 0 || n != m ||
            std::memcmp(x.data(), y.data(), static_cast<size_t>(n)) != 0)
            return false;
        if (n == 0)
            return true;
    }
}

TCopyFailure DestinationProblem(const QString& folder, qint64 bytes) {
    const QString path = ResolvePath(folder);
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return IsDrivePath(folder) ? cfNoMedium : cfOther;
    const QByteArray name = QFile::encodeName(path);
    struct statvfs medium {};
    if (::statvfs(name.constData(), &medium) != 0)
        return cfNone;
    if ((medium.f_flag & ST_RDONLY) != 0 || ::access(name.constData(), W_OK) != 0)
        return cfWriteProtected;
    const qint64 free = static_cast<qint64>(medium.f_bavail) * static_cast<qint64>(medium.f_frsize);
    return free < bytes ? cfMediumFull : cfNone;
}
