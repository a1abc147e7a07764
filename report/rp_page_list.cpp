// The page store and the saved-report file layout; see rp_page_list.h.
//
// Every offset, link and count read back from a stream is checked before it
// is used: a damaged or hostile file ends in "Stream read error" (or
// "Metafile is not valid" for page data that is not a metafile), never in a
// loop, a read of unrelated bytes or a huge allocation.
#include "report/rp_page_list.h"

#include "platform/clock.h"
#include "platform/exceptions.h"
#include "platform/graphics/metafile.h"
#include "report/rp_compress.h"

#include <QDir>
#include <QMutexLocker>
#include <QSaveFile>
#include <QtEndian>

#include <cstring>
#include <limits>

namespace {

// Size of an enhanced metafile's header record and where its fields lie.
constexpr int kEmfHeaderSize = 88;
constexpr int kEmfSignatureOffset = 40;
constexpr int kEmfBytesOffset = 48;
constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"
// Where the first page's metafile signature lies after a 124-byte header, one
// byte on: "EMF" and the low byte of the version that follows the signature.
constexpr qint64 kOldHeaderProbeOffset = 173;
// Page number, next offset and back-link.
constexpr qint64 kRecordOverhead = 12;
// No page of a report comes near this; a larger count is damage.
constexpr qint64 kMaxPageBytes = 256 * 1024 * 1024;
constexpr qint64 kSaveBlockSize = 10240;

[[noreturn]] void ThrowReadError() {
    throw Exception(QStringLiteral("Stream read error"));
}

[[noreturn]] void ThrowInvalidMetafile() {
    throw Exception(QStringLiteral("Metafile is not valid"));
}

// Checks the header of a metafile as far as the record layout needs it and
// returns the length it gives itself; the metafile checks the rest.
qint64 MetafileLength(const char* header) {
    if (qFromLittleEndian<quint32>(header + kEmfSignatureOffset) != kEmfSignature) {
        ThrowInvalidMetafile();
    }
    const qint64 length = qFromLittleEndian<quint32>(header + kEmfBytesOffset);
    if (length < kEmfHeaderSize) {
        ThrowInvalidMetafile();
    }
    return length;
}

// Reads one metafile from the stream, which must hold it within room bytes,
// consuming exactly the length its header gives.
QByteArray ReadMetafile(TRpStream& stream, qint64 room) {
    if (room < kEmfHeaderSize) {
        ThrowReadError();
    }
    QByteArray data(kEmfHeaderSize, '\0');
    stream.ReadBuffer(data.data(), kEmfHeaderSize);
    const qint64 length = MetafileLength(data.constData());
    if (length > room) {
        ThrowReadError();
    }
    data.resize(static_cast<qsizetype>(length));
    stream.ReadBuffer(data.data() + kEmfHeaderSize, length - kEmfHeaderSize);
    return data;
}

} // namespace

QByteArray TRpFileHeader::Encode() const {
    QByteArray bytes(kLength, '\0');
    uchar* p = reinterpret_cast<uchar*>(bytes.data());
    qToLittleEndian(FormatVersion, p + 0);
    qToLittleEndian(LibraryVersion, p + 2);
    qToLittleEndian(PageCount, p + 8);
    qToLittleEndian(Time, p + 16);
    p[25] = Compression ? 1 : 0;
    return bytes;
}

namespace {

// Whether a first page record that starts at the header length checks out:
// page number 1, its next offset within the file, and the back-link there
// pointing at the record.
bool FirstRecordFits(TRpStream& stream, qint64 headerLength) {
    const qint64 size = stream.Size();
    if (size < headerLength + kRecordOverhead) {
        return false;
    }
    stream.Seek(headerLength, soFromBeginning);
    const qint32 number = stream.ReadInt32();
    const qint64 next = stream.ReadInt32();
    if (number != 1 || next < headerLength + kRecordOverhead || next > size) {
        return false;
    }
    stream.Seek(next - 4, soFromBeginning);
    return stream.ReadInt32() == headerLength;
}

} // namespace

TRpFileHeader ReadRpFileHeader(TRpStream& stream) {
    QMutexLocker locker(&stream.Lock());
    const qint64 size = stream.Size();
    bool old = false;
    // A file too short to probe cannot hold a page, so it can only be a
    // 128-byte header of an empty report; read it as that.
    if (size >= kOldHeaderProbeOffset + 4) {
        char probe[4];
        stream.Seek(kOldHeaderProbeOffset, soFromBeginning);
        stream.ReadBuffer(probe, 4);
        old = std::memcmp(probe, "EMF\0", 4) == 0;
        // The probe looks for a metafile signature, which a compressed page
        // does not show; such an older file is known by its first record
        // fitting only after a 124-byte header.
        if (!old) {
            old = !FirstRecordFits(stream, TRpFileHeader::kLength) &&
                  FirstRecordFits(stream, TRpFileHeader::kOldLength);
        }
    }
    TRpFileHeader header;
    header.Length = old ? TRpFileHeader::kOldLength : TRpFileHeader::kLength;
    uchar p[TRpFileHeader::kLength];
    stream.Seek(0, soFromBeginning);
    stream.ReadBuffer(p, header.Length);
    header.FormatVersion = qFromLittleEndian<quint16>(p + 0);
    header.LibraryVersion = qFromLittleEndian<quint16>(p + 2);
    header.PageCount = qFromLittleEndian<qint32>(p + 8);
    if (old) {
        header.Time = qFromLittleEndian<double>(p + 12);
        header.Compression = p[21] != 0;
    } else {
        header.Time = qFromLittleEndian<double>(p + 16);
        header.Compression = p[25] != 0;
    }
    if (header.PageCount < 0) {
        ThrowReadError();
    }
    return header;
}

TRpPageList::TRpPageList() = default;

TRpPageList::~TRpPageList() = default;

void TRpPageList::CreateStream(qint64 memoryLimit) {
    QMutexLocker locker(&lock_);
    stream_ = std::make_unique<TRpStream>(memoryLimit);
    header_ = TRpFileHeader{};
    knownPage_ = 0;
}

void TRpPageList::FreeStream() {
    QMutexLocker locker(&lock_);
    stream_.reset();
}

void TRpPageList::Clear() {
    QMutexLocker locker(&lock_);
    pageCount_ = 0;
}

void TRpPageList::WriteHeader(bool compression) {
    TRpFileHeader header;
    header.PageCount = pageCount_;
    header.Time = Now();
    header.Compression = compression;
    const QByteArray bytes = header.Encode();
    stream_->Seek(0, soFromBeginning);
    stream_->WriteBuffer(bytes.constData(), bytes.size());
    header_ = header;
}

void TRpPageList::AddPage(const TMetafile& page) {
    AddRecord(page.Data());
}

void TRpPageList::AddPageData(const QByteArray& metafile) {
    if (metafile.size() < kEmfHeaderSize ||
        MetafileLength(metafile.constData()) != metafile.size()) {
        ThrowInvalidMetafile();
    }
    TMetafile check;
    check.LoadFromData(metafile);
    AddRecord(metafile);
}

void TRpPageList::AddRecord(const QByteArray& metafile) {
    QMutexLocker locker(&lock_);
    if (!stream_) {
        stream_ = std::make_unique<TRpStream>();
    }
    TRpStream& stream = *stream_;
    QMutexLocker streamLocker(&stream.Lock());
    const qint64 oldSize = stream.Size();
    const int oldCount = pageCount_;
    knownPage_ = 0;
    const TRpFileHeader oldHeader = header_;
    try {
        ++pageCount_;
        if (pageCount_ == 1) {
            // A new document: whatever an earlier one left goes.
            stream.Truncate(0);
            WriteHeader(compression_);
        }
        const qint64 start = stream.Seek(0, soFromEnd);
        stream.WriteInt32(pageCount_);
        const qint64 slot = stream.Position();
        stream.WriteInt32(static_cast<qint32>(slot));
        // The coding is fixed by the header written with page 1.
        if (header_.Compression) {
            stream.WriteInt32(static_cast<qint32>(metafile.size()));
            TRpCompress coder(stream, true);
            for (char c : metafile) {
                coder.CodeByte(static_cast<std::uint8_t>(c));
            }
            coder.Close();
        } else {
            stream.WriteBuffer(metafile.constData(), metafile.size());
        }
        stream.WriteInt32(static_cast<qint32>(start));
        const qint64 end = stream.Position();
        if (end > std::numeric_limits<qint32>::max()) {
            // The file's offsets are 32-bit; a page past 2 GB cannot be linked.
            throw Exception(QStringLiteral("Stream write error"));
        }
        stream.Seek(slot, soFromBeginning);
        stream.WriteInt32(static_cast<qint32>(end));
        stream.Seek(end, soFromBeginning);
    } catch (...) {
        // Undo the half-written record so the store stays readable.
        pageCount_ = oldCount;
        header_ = oldHeader;
        try {
            stream.Truncate(oldSize);
            stream.Seek(oldSize, soFromBeginning);
        } catch (const Exception&) {
            // The original failure is the one worth reporting.
        }
        throw;
    }
}

void TRpPageList::Finish() {
    QMutexLocker locker(&lock_);
    if (!stream_) {
        stream_ = std::make_unique<TRpStream>();
    }
    QMutexLocker streamLocker(&stream_->Lock());
    WriteHeader(pageCount_ > 0 ? header_.Compression : compression_);
}

bool TRpPageList::SeekToLastRecord() {
    TRpStream& stream = *stream_;
    const qint64 size = stream.Size();
    if (size < header_.Length + kRecordOverhead) {
        return false;
    }
    stream.Seek(size - 4, soFromBeginning);
    const qint64 last = stream.ReadInt32();
    if (last < header_.Length || last > size - kRecordOverhead) {
        return false;
    }
    stream.Seek(last, soFromBeginning);
    const int number = stream.ReadInt32();
    stream.Seek(last, soFromBeginning);
    return number == pageCount_;
}

bool TRpPageList::AtKnownRecord() const {
    const qint64 position = stream_->Position();
    if (position == header_.Length) {
        return true;
    }
    return position == knownOffset_ && knownPage_ >= 1 && knownPage_ <= pageCount_;
}

void TRpPageList::SeekToPage(int n) {
    TRpStream& stream = *stream_;
    if (n == 1) {
        stream.Seek(header_.Length, soFromBeginning);
        return;
    }
    // The link that ends the stream leads to the last page, unless the file
    // goes on past its last record or its header counts fewer pages than it
    // holds (a store saved before it was finished): then the walk below
    // finds the page from a record known to start where the stream stands,
    // or from page 1.
    const qint64 start = stream.Position();
    const bool known = AtKnownRecord();
    if (n == pageCount_ && SeekToLastRecord()) {
        return;
    }
    if (known) {
        stream.Seek(start, soFromBeginning);
    } else if (!SeekToLastRecord()) {
        stream.Seek(header_.Length, soFromBeginning);
    }
    const qint64 size = stream.Size();
    qint64 position = stream.Position();
    const int m = stream.ReadInt32();
    stream.Seek(position, soFromBeginning);
    if (m < 1 || m > pageCount_) {
        ThrowReadError();
    }
    // Each step must move strictly towards page n and stay inside the
    // records, and there are at most page count steps: damaged links end
    // the walk with a read error instead of a loop.
    int steps = 0;
    // The page number of the record the stream stands at; the stream moves
    // past it.
    const auto readNumber = [&] {
        const int number = stream.ReadInt32();
        if (OnSeekStep) {
            OnSeekStep(number);
        }
        return number;
    };
    if (m < n) {
        for (int number = readNumber(); number != n; number = readNumber()) {
            if (number > n || ++steps > pageCount_) {
                ThrowReadError();
            }
            const qint64 next = stream.ReadInt32();
            if (next < position + kRecordOverhead || next > size - kRecordOverhead) {
                ThrowReadError();
            }
            stream.Seek(next, soFromBeginning);
            position = next;
        }
    } else if (m > n) {
        for (int number = readNumber(); number != n; number = readNumber()) {
            if (number < n || ++steps > pageCount_ || position - 4 < header_.Length) {
                ThrowReadError();
            }
            stream.Seek(-8, soFromCurrent);
            const qint64 previous = stream.ReadInt32();
            if (previous < header_.Length || previous > position - kRecordOverhead) {
                ThrowReadError();
            }
            stream.Seek(previous, soFromBeginning);
            position = previous;
        }
    }
    if (m != n) {
        stream.Seek(-4, soFromCurrent); // back to the start of page n's record
    }
}

QByteArray TRpPageList::ReadPageData(int n, TRpPageRecord* record) {
    TRpStream& stream = *stream_;
    QMutexLocker streamLocker(&stream.Lock());
    SeekToPage(n);
    const qint64 size = stream.Size();
    const qint64 start = stream.Position();
    const int number = stream.ReadInt32();
    const qint64 next = stream.ReadInt32();
    if (number != n || next < start + kRecordOverhead || next > size) {
        ThrowReadError();
    }
    const qint64 dataEnd = next - 4;
    QByteArray data;
    if (header_.Compression) {
        const qint64 count = stream.ReadInt32();
        const qint64 room = dataEnd - stream.Position();
        // Every byte takes at least one bit of code.
        if (count < kEmfHeaderSize || room < 0 || count > 8 * room || count > kMaxPageBytes) {
            ThrowReadError();
        }
        TRpCompress decoder(stream, false, room);
        data.resize(static_cast<qsizetype>(count));
        char* out = data.data();
        for (qint64 i = 0; i < count; ++i) {
            out[i] = static_cast<char>(decoder.DecodeByte());
        }
        decoder.Close();
        const qint64 length = MetafileLength(data.constData());
        if (length > count) {
            ThrowReadError();
        }
        data.resize(static_cast<qsizetype>(length));
    } else {
        data = ReadMetafile(stream, dataEnd - stream.Position());
    }
    if (stream.Position() != dataEnd || stream.ReadInt32() != start) {
        ThrowReadError();
    }
    knownOffset_ = next;
    knownPage_ = n + 1;
    // The metafile's own checks (record type, header size) come on top of
    // the signature and length the layout needs.
    TMetafile check;
    check.LoadFromData(data);
    if (record) {
        record->PageNumber = number;
        record->Offset = start;
        record->NextOffset = next;
        record->StoredSize = next - start - kRecordOverhead;
    }
    return data;
}

std::optional<QByteArray> TRpPageList::GetPageData(int n, TRpPageRecord* record) {
    // The count is read under the lock: another thread may be adding pages.
    QMutexLocker locker(&lock_);
    if (n < 1 || n > pageCount_) {
        return std::nullopt;
    }
    if (!stream_) {
        ThrowReadError();
    }
    return ReadPageData(n, record);
}

std::unique_ptr<TMetafile> TRpPageList::GetPage(int n) {
    std::optional<QByteArray> data = GetPageData(n);
    if (!data) {
        return nullptr;
    }
    auto page = std::make_unique<TMetafile>();
    page->LoadFromData(*data);
    return page;
}

void TRpPageList::SaveToFile(const QString& fileName) {
    QMutexLocker locker(&lock_);
    const auto cannotCreate = [&fileName](const QString& reason) {
        return Exception(QStringLiteral("Cannot create file \"%1\". %2")
                             .arg(QDir::toNativeSeparators(fileName), reason));
    };
    // Written beside the target and renamed over it at the end: a failed save
    // never destroys the file it would have replaced.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        throw cannotCreate(file.errorString());
    }
    if (stream_ && stream_->Size() > 0) {
        QMutexLocker streamLocker(&stream_->Lock());
        stream_->CopyTo(file, kSaveBlockSize);
    } else {
        // Nothing generated yet: an empty report, which opens again as one.
        TRpFileHeader header;
        header.Time = Now();
        header.Compression = compression_;
        file.write(header.Encode());
    }
    if (!file.commit()) {
        throw cannotCreate(file.errorString());
    }
}

void TRpPageList::LoadFromFile(const QString& fileName) {
    LoadFromStream(TRpStream::OpenFile(fileName));
}

void TRpPageList::LoadFromStream(std::unique_ptr<TRpStream> stream) {
    // Only the header is read: its page count is the report's, whatever
    // follows the records (a store saved before its finish counts page 1
    // only, and so does its file). A page that is damaged fails when read.
    TRpFileHeader header;
    {
        QMutexLocker streamLocker(&stream->Lock());
        header = ReadRpFileHeader(*stream);
        // A header read from bytes that are no report counts pages the file
        // cannot hold, or its first record is not page 1: refuse it here, so
        // that the pages shown so far stay.
        constexpr qint64 kSmallestRecord = 16;
        const qint64 room = stream->Size() - header.Length;
        if (header.PageCount < 0 || header.PageCount > room / kSmallestRecord)
            throw Exception(QStringLiteral("Stream read error"));
        if (header.PageCount > 0) {
            stream->Seek(header.Length, soFromBeginning);
            if (stream->ReadInt32() != 1)
                throw Exception(QStringLiteral("Stream read error"));
        }
        stream->Seek(header.Length, soFromBeginning);
    }
    QMutexLocker locker(&lock_);
    stream_ = std::move(stream);
    header_ = header;
    pageCount_ = header.PageCount;
    knownPage_ = 0;
    // The pages can only be read with the coding they were stored with.
    compression_ = header.Compression;
}
