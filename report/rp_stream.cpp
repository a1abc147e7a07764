// The memory-then-file byte stream of the page store; see rp_stream.h.
#include "report/rp_stream.h"

#include "platform/exceptions.h"
#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QtEndian>

#include <algorithm>

namespace {

[[noreturn]] void ThrowReadError() {
    throw Exception(QStringLiteral("Stream read error"));
}

[[noreturn]] void ThrowWriteError() {
    throw Exception(QStringLiteral("Stream write error"));
}

} // namespace

TRpStream::TRpStream(qint64 memoryLimit) : memoryLimit_(memoryLimit) {
    QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

TRpStream::TRpStream(FileTag, std::unique_ptr<QFile> file)
    : memoryLimit_(0), file_(std::move(file)) {
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

std::unique_ptr<TRpStream> TRpStream::OpenFile(const QString& fileName) {
    auto file = std::make_unique<QFile>(fileName);
    // Read-only: on this system an open file never keeps others from reading
    // or writing it.
    if (!file->open(QIODevice::ReadOnly)) {
        throw Exception(QStringLiteral("Cannot open file \"%1\". %2")
                            .arg(QDir::toNativeSeparators(fileName), file->errorString()));
    }
    return std::unique_ptr<TRpStream>(new TRpStream(FileTag{}, std::move(file)));
}

TRpStream::~TRpStream() {
    QMutexLocker locker(&lock_);
    if (file_ && temporary_) {
        const QString name = file_->fileName();
        file_.reset();
        QFile::remove(name);
    }
    // An opened saved file is only closed.
    file_.reset();
}

bool TRpStream::InMemory() const {
    QMutexLocker locker(&lock_);
    return !file_;
}

QString TRpStream::TemporaryFileName() const {
    QMutexLocker locker(&lock_);
    return file_ && temporary_ ? file_->fileName() : QString();
}

QString TRpStream::FileName() const {
    QMutexLocker locker(&lock_);
    return file_ ? file_->fileName() : QString();
}

QString TRpStream::SpillError() const {
    QMutexLocker locker(&lock_);
    return spillError_;
}

qint64 TRpStream::size() const {
    QMutexLocker locker(&lock_);
    return file_ ? file_->size() : buffer_.size();
}

bool TRpStream::seek(qint64 pos) {
    QMutexLocker locker(&lock_);
    if (pos < 0) {
        return false;
    }
    if (file_) {
        if (!file_->seek(pos)) {
            return false;
        }
    } else {
        bufferPos_ = pos;
    }
    return QIODevice::seek(pos);
}

qint64 TRpStream::readData(char* data, qint64 maxSize) {
    QMutexLocker locker(&lock_);
    if (file_) {
        return file_->read(data, maxSize);
    }
    const qint64 available = std::max<qint64>(0, buffer_.size() - bufferPos_);
    const qint64 count = std::min(available, maxSize);
    if (count > 0) {
        std::copy_n(buffer_.constData() + bufferPos_, count, data);
        bufferPos_ += count;
    }
    return count;
}

qint64 TRpStream::writeData(const char* data, qint64 maxSize) {
    QMutexLocker locker(&lock_);
    if (file_) {
        return file_->write(data, maxSize);
    }
    const qint64 end = bufferPos_ + maxSize;
    if (end > buffer_.size()) {
        // Writing past the end (after a seek beyond it) leaves zeros between.
        buffer_.resize(end, '\0');
    }
    std::copy_n(data, maxSize, buffer_.data() + bufferPos_);
    bufferPos_ = end;
    if (buffer_.size() > memoryLimit_ && spillError_.isEmpty()) {
        MoveToFile();
    }
    return maxSize;
}

void TRpStream::MoveToFile() {
    // If the temporary file cannot be made or filled, the bytes stay in
    // memory, where nothing is lost; the reason is kept for SpillError().
    const QString name = CreateTempFile(QStringLiteral("RPP"));
    if (name.isEmpty()) {
        spillError_ = LastFileError();
        return;
    }
    auto file = std::make_unique<QFile>(name);
    if (!file->open(QIODevice::ReadWrite) || file->write(buffer_) != buffer_.size() ||
        !file->flush() || !file->seek(bufferPos_)) {
        spillError_ = file->errorString();
        file.reset();
        QFile::remove(name);
        return;
    }
    file_ = std::move(file);
    temporary_ = true;
    buffer_ = QByteArray();
    bufferPos_ = 0;
}

void TRpStream::ReadBuffer(void* data, qint64 count) {
    QMutexLocker locker(&lock_);
    if (count < 0) {
        ThrowReadError();
    }
    if (count == 0) {
        return;
    }
    if (read(static_cast<char*>(data), count) != count) {
        ThrowReadError();
    }
}

void TRpStream::WriteBuffer(const void* data, qint64 count) {
    QMutexLocker locker(&lock_);
    if (count < 0 || !isWritable()) {
        ThrowWriteError();
    }
    if (count == 0) {
        return;
    }
    if (write(static_cast<const char*>(data), count) != count) {
        ThrowWriteError();
    }
}

qint32 TRpStream::ReadInt32() {
    uchar bytes[4];
    ReadBuffer(bytes, 4);
    return qFromLittleEndian<qint32>(bytes);
}

void TRpStream::WriteInt32(qint32 value) {
    uchar bytes[4];
    qToLittleEndian(value, bytes);
    WriteBuffer(bytes, 4);
}

qint64 TRpStream::Seek(qint64 offset, TSeekOrigin origin) {
    QMutexLocker locker(&lock_);
    qint64 target = offset;
    if (origin == soFromCurrent) {
        target += pos();
    } else if (origin == soFromEnd) {
        target += size();
    }
    if (target < 0 || !seek(target)) {
        ThrowReadError();
    }
    return target;
}

void TRpStream::CopyTo(QIODevice& dest, qint64 blockSize) {
    QMutexLocker locker(&lock_);
    Seek(0, soFromBeginning);
    QByteArray block(static_cast<qsizetype>(std::max<qint64>(blockSize, 1)), '\0');
    for (;;) {
        const qint64 got = read(block.data(), block.size());
        if (got < 0) {
            ThrowReadError();
        }
        if (got == 0) {
            return;
        }
        if (dest.write(block.constData(), got) != got) {
            ThrowWriteError();
        }
    }
}

void TRpStream::Truncate(qint64 newSize) {
    QMutexLocker locker(&lock_);
    if (newSize < 0 || !isWritable()) {
        ThrowWriteError();
    }
    if (file_) {
        if (!file_->resize(newSize)) {
            ThrowWriteError();
        }
    } else if (newSize < buffer_.size()) {
        buffer_.resize(newSize);
    }
    if (pos() > newSize) {
        Seek(newSize, soFromBeginning);
    }
}
