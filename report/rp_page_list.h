// The page store of a generated report and the saved-report file.
//
// The pages of one report are enhanced metafiles kept one after another in a
// single TRpStream, after a 128-byte header. Each page is a record: its page
// number, the offset just past the record, the page data (the metafile, or a
// byte count followed by its splay-tree code when compressing) and a
// back-link to the record's own start. The stream's layout is the file
// layout, so saving copies the stream and opening reads pages straight from
// the file. Reading in order costs nothing: every read leaves the stream at
// the next record; other pages are found by walking the links from there.
//
// Add page and get page hold the list's lock for their whole duration, and
// release it on failure too.
#pragma once

#include "report/rp_stream.h"

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class TMetafile;

// The header fields of a saved-report file, as read (an older 124-byte header
// is converted to these fields) or as last written.
struct TRpFileHeader {
    static constexpr int kLength = 128;
    static constexpr int kOldLength = 124;
    static constexpr quint16 kFormatVersion = 3;
    static constexpr quint16 kLibraryVersion = 309;

    quint16 FormatVersion = kFormatVersion;
    quint16 LibraryVersion = kLibraryVersion;
    qint32 PageCount = 0;
    // Local time as days since 30 December 1899, the time of day as fraction.
    double Time = 0;
    bool Compression = false;
    // Where the page records start: 128, or 124 for the older layout.
    int Length = kLength;

    // The 128-byte form of these fields (reserved bytes 0).
    QByteArray Encode() const;
};

// Where one page record lies in the stream.
struct TRpPageRecord {
    int PageNumber = 0;
    qint64 Offset = 0;     // the record's first byte
    qint64 NextOffset = 0; // just past the record
    qint64 StoredSize = 0; // bytes of page data as stored (count + code when compressed)
};

class TRpPageList {
public:
    TRpPageList();
    TRpPageList(const TRpPageList&) = delete;
    TRpPageList& operator=(const TRpPageList&) = delete;
    ~TRpPageList();

    int PageCount() const { return pageCount_; }
    bool Compression() const { return compression_; }
    void SetCompression(bool value) { compression_ = value; }
    // The header as last written or read.
    const TRpFileHeader& Header() const { return header_; }
    int HeaderLength() const { return header_.Length; }

    TRpStream* Stream() const { return stream_.get(); }
    // Attaches a new, empty stream with the given memory limit (100000 for a
    // generated report), freeing the previous one and its temporary file.
    void CreateStream(qint64 memoryLimit = TRpStream::kDefaultMemoryLimit);
    // Frees the stream (deleting its temporary file) and detaches it.
    void FreeStream();
    // Takes over an opened stream holding a saved report and reads its
    // header, whose page count becomes the list's; pages are checked as
    // they are read. On failure the list is unchanged.
    void LoadFromStream(std::unique_ptr<TRpStream> stream);

    // Adds a finished page; the caller keeps and frees its metafile. Makes a
    // stream first if none is attached. On failure nothing is added.
    void AddPage(const TMetafile& page);
    // The same for a page given as the bytes of an enhanced metafile; throws
    // Exception("Metafile is not valid") for bytes that are not one.
    void AddPageData(const QByteArray& metafile);
    // Writes the header again with the final page count and the current time.
    void Finish();
    // Page n (1-based) as a new metafile that the caller frees; none outside
    // 1..PageCount(). Throws Exception("Stream read error") for a damaged
    // store and Exception("Metafile is not valid") for a page that is not one.
    std::unique_ptr<TMetafile> GetPage(int n);
    // Page n as the bytes of its metafile (decompressed); none outside
    // 1..PageCount(). Fills *record, when given, with where the record lies.
    std::optional<QByteArray> GetPageData(int n, TRpPageRecord* record = nullptr);

    // Writes the whole stream to the file, replacing it only once everything
    // is written. Throws Exception('Cannot create file "%s". %s').
    void SaveToFile(const QString& fileName);
    // Opens a saved report read-only and reads its header; the stream then
    // reads from the file. Throws Exception('Cannot open file "%s". %s'),
    // Exception("Stream read error"); on failure the list is unchanged.
    void LoadFromFile(const QString& fileName);
    // Page count := 0; the stream stays attached.
    void Clear();

    // Called with each page number read while walking the links to a page
    // (not for page 1, the last page or the page already at hand); lets a
    // test see how far a seek walks.
    std::function<void(int pageNumber)> OnSeekStep;

private:
    void WriteHeader(bool compression);
    void SeekToPage(int n);
    // Moves to the record the link at the stream's end leads to; false when
    // that is not the last counted page.
    bool SeekToLastRecord();
    // Whether a page record starts where the stream stands: page 1 after the
    // header, or the record that followed the last page read.
    bool AtKnownRecord() const;
    QByteArray ReadPageData(int n, TRpPageRecord* record);
    void AddRecord(const QByteArray& metafile);

    mutable QMutex lock_;
    int pageCount_ = 0;
    bool compression_ = false;
    TRpFileHeader header_;
    std::unique_ptr<TRpStream> stream_;
    // Where the record after the last page read starts, and its page.
    qint64 knownOffset_ = -1;
    int knownPage_ = 0;
};

// Reads the header at the start of the stream, with the layout chosen by the
// probe at offset 173. Throws Exception("Stream read error").
TRpFileHeader ReadRpFileHeader(TRpStream& stream);
