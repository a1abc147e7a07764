// One page of a report kept as an enhanced metafile in the published EMF
// layout: a header record (bounds, frame in 0.01 mm, the " EMF" signature at
// byte 40, size, record and handle counts, reference device), the drawing
// records and the EOF record. The page store saves these bytes as they are
// and reads them back consuming exactly the length the header states, so a
// page can sit in the middle of a longer stream. A metafile canvas
// (metafile_canvas.h) records into it; PlayMetafile (metafile_player.h) draws
// it onto any canvas.
#pragma once

#include "platform/graphics/geometry.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

class QIODevice;

// The recording reference device: a screen at 96 pixels per inch. Its size is
// chosen so that pixels and millimetres convert without rounding.
constexpr int MetafileReferenceWidthPixels = 1920;
constexpr int MetafileReferenceHeightPixels = 1440;
constexpr int MetafileReferenceWidthMM = 508;
constexpr int MetafileReferenceHeightMM = 381;
// The longest side a page may have, in reference pixels: two metres, more
// than any paper. A page claiming more comes from a damaged or hostile file,
// and drawing it at its own size would take memory without bound.
constexpr int MetafileMaxPageSidePixels = 7559;

class TMetafile {
public:
    TMetafile();
    TMetafile(const TMetafile& other);
    TMetafile(TMetafile&& other) noexcept;
    TMetafile& operator=(const TMetafile& other);
    TMetafile& operator=(TMetafile&& other) noexcept;
    ~TMetafile();

    // Page size in pixels of the 96 pixels-per-inch reference device. Setting
    // it on a loaded or recorded picture rewrites the frame of its header.
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetWidth(int width);
    void SetHeight(int height);
    // Why the page cannot be drawn at its own size (no area, or a side
    // longer than MetafileMaxPageSidePixels); empty when it can.
    QString SizeProblem() const;
    // The same size in hundredths of a millimetre (the header's frame).
    int MMWidth() const;
    int MMHeight() const;

    // Text kept in the header's description (UTF-16 in the file).
    QString Description() const;
    void SetDescription(const QString& description);

    // True until something is recorded or loaded.
    bool Empty() const { return data_.isEmpty(); }
    // Drops the picture and its size.
    void Clear();

    // The whole metafile as it is saved. An empty metafile still yields a
    // valid picture (header and EOF record only) of its size.
    QByteArray Data() const;
    void SaveToStream(QIODevice& out) const;
    // Reads the header, checks the signature (Exception "Metafile is not
    // valid"), then exactly the size stated in the header and no more; a
    // short read fails with Exception "Stream read error". On failure the
    // metafile is left as it was.
    void LoadFromStream(QIODevice& in);
    void LoadFromData(const QByteArray& data);
    // For streams that are not QIODevices: the first HeaderProbeSize bytes
    // of a page give its whole length (Exception "Metafile is not valid"
    // when they are not a header; "Stream read error" when fewer are given).
    static constexpr int HeaderProbeSize = 88;
    static std::uint32_t SizeFromHeader(const QByteArray& firstBytes);
    void SaveToFile(const QString& fileName) const;
    void LoadFromFile(const QString& fileName);

    // Header fields of the current picture (of Data() when empty).
    TRect Bounds() const;
    TRect Frame() const;
    std::uint32_t RecordCount() const;
    std::uint16_t HandleCount() const;
    TSize ReferenceDevicePixels() const;
    TSize ReferenceDeviceMillimeters() const;

    // Installs a picture built by the metafile canvas: `records` are the
    // drawing records between header and EOF. The size stays as set.
    void SetRecords(const QByteArray& records, std::uint32_t recordCount, std::uint16_t handleCount,
                    const TRect& bounds);

private:
    static QByteArray Build(const QByteArray& records, std::uint32_t recordCount,
                            std::uint16_t handleCount, const TRect& bounds, const TRect& frame,
                            const QString& description);
    void TakeSizeFromHeader();
    void RewriteFrame();
    TRect FrameForSize() const;

    QByteArray data_;
    int width_ = 0;
    int height_ = 0;
    QString description_;
};
