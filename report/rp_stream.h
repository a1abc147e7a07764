// The byte stream under a report's page store.
//
// A generated report's pages start out in a memory buffer; once the buffer
// grows past the memory limit the bytes move, once, into a temporary file
// named "RPP..." in the user's temporary directory, which is deleted when the
// stream is freed. A saved report that is opened is read straight from its
// file, which is never deleted. The stream is a QIODevice (random access,
// unbuffered at this level), so metafiles can save and load themselves on it;
// the ReadBuffer/WriteBuffer/Seek family throws the framework's stream
// errors instead of returning short counts.
//
// Every read, write, seek and whole copy holds the stream's own lock.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QMutex>
#include <QString>
#include <memory>

class QFile;

enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TRpStream : public QIODevice {
public:
    // The memory limit of the stream of a generated report.
    static constexpr qint64 kDefaultMemoryLimit = 100000;

    // An empty stream in memory, open for reading and writing.
    explicit TRpStream(qint64 memoryLimit = kDefaultMemoryLimit);
    // Opens an existing file read-only (others may go on reading and writing
    // it), with memory limit 0 and no temporary file. Throws
    // Exception('Cannot open file "%s". %s').
    static std::unique_ptr<TRpStream> OpenFile(const QString& fileName);
    // Closes the file and deletes it when it is the stream's temporary file.
    ~TRpStream() override;

    bool InMemory() const;
    qint64 MemoryLimit() const { return memoryLimit_; }
    // The temporary file made by the move out of memory; empty otherwise.
    QString TemporaryFileName() const;
    // The file holding the bytes (temporary or opened); empty in memory.
    QString FileName() const;
    // Why the last move out of memory failed (the stream then stays in memory
    // and does not try again); empty when none failed.
    QString SpillError() const;

    // Whole-or-nothing operations; they throw Exception("Stream read error")
    // or Exception("Stream write error").
    void ReadBuffer(void* data, qint64 count);
    void WriteBuffer(const void* data, qint64 count);
    qint32 ReadInt32();
    void WriteInt32(qint32 value);
    // Moves and returns the new position; a target before 0 is a read error.
    qint64 Seek(qint64 offset, TSeekOrigin origin);
    qint64 Position() const { return pos(); }
    qint64 Size() const { return size(); }
    // Copies the whole content, from offset 0, to dest in blocks of the given
    // size until a read returns nothing; the stream is left at its end.
    void CopyTo(QIODevice& dest, qint64 blockSize = 10240);
    // Cuts the stream back to newSize bytes (used to undo a half-written page).
    void Truncate(qint64 newSize);

    // The stream's lock, for callers that must hold it over several calls.
    QRecursiveMutex& Lock() const { return lock_; }

    bool isSequential() const override { return false; }
    qint64 size() const override;
    bool seek(qint64 pos) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    struct FileTag {};
    TRpStream(FileTag, std::unique_ptr<QFile> file);
    void MoveToFile();

    mutable QRecursiveMutex lock_;
    qint64 memoryLimit_;
    QByteArray buffer_;
    qint64 bufferPos_ = 0;
    // Set once the bytes live in a file (the temporary one or an opened one).
    std::unique_ptr<QFile> file_;
    bool temporary_ = false;
    QString spillError_;
};
