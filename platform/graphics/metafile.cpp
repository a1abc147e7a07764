// The enhanced-metafile container: building the header around recorded
// records, and loading a page from a stream that may hold more after it.
#include "platform/graphics/metafile.h"

#include "platform/exceptions.h"
#include "platform/graphics/emf_format.h"

#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

extern "C" {
#include <uemf.h>
}

static_assert(std::endian::native == std::endian::little,
              "metafile records are kept in the machine's byte order, which must be little-endian");

namespace {

// Pixels of the 96 dpi reference device to hundredths of a millimetre and back.
int PixelsToHundredthsMM(int pixels) {
    return static_cast<int>(std::lround(static_cast<double>(pixels) * 2540.0 / 96.0));
}
int HundredthsMMToPixels(std::int64_t hundredths) {
    return static_cast<int>(std::llround(static_cast<double>(hundredths) * 96.0 / 2540.0));
}

using TRecordPtr = emf::TMallocPtr<char>;

std::uint32_t RecordSize(const char* record) {
    std::uint32_t size;
    std::memcpy(&size, record + 4, 4);
    return size;
}

[[noreturn]] void ThrowNotValid() {
    throw Exception(QStringLiteral("Metafile is not valid"));
}
[[noreturn]] void ThrowReadError() {
    throw Exception(QStringLiteral("Stream read error"));
}

TRect ReadRect(const emf::TByteView& view, std::size_t offset) {
    return TRect{view.I32(offset).value_or(0), view.I32(offset + 4).value_or(0),
                 view.I32(offset + 8).value_or(0), view.I32(offset + 12).value_or(0)};
}

// Checks what LoadFromStream and LoadFromData need of a header: the record
// type, the signature at byte 40 and a total size that can hold the header.
std::uint32_t CheckedTotalSize(const emf::TByteView& header) {
    if (!header.Has(0, emf::kMinHeaderSize))
        ThrowNotValid();
    if (*header.U32(0) != emf::kRecordHeader ||
        *header.U32(emf::kSignatureOffset) != emf::kSignature)
        ThrowNotValid();
    const std::uint32_t headerSize = *header.U32(4);
    const std::uint32_t total = *header.U32(emf::kBytesOffset);
    if (headerSize < emf::kMinHeaderSize || headerSize % 4 != 0 || total < headerSize ||
        total > emf::kMaxMetafileSize)
        ThrowNotValid();
    return total;
}

} // namespace

TMetafile::TMetafile() = default;
TMetafile::TMetafile(const TMetafile& other) = default;
TMetafile::TMetafile(TMetafile&& other) noexcept = default;
TMetafile& TMetafile::operator=(const TMetafile& other) = default;
TMetafile& TMetafile::operator=(TMetafile&& other) noexcept = default;
TMetafile::~TMetafile() = default;

void TMetafile::SetWidth(int width) {
    if (width == width_)
        return;
    width_ = width;
    RewriteFrame();
}

void TMetafile::SetHeight(int height) {
    if (height == height_)
        return;
    height_ = height;
    RewriteFrame();
}

int TMetafile::MMWidth() const {
    return PixelsToHundredthsMM(width_);
}
int TMetafile::MMHeight() const {
    return PixelsToHundredthsMM(height_);
}

QString TMetafile::SizeProblem() const {
    const auto fits = [](int side) { return side >= 1 && side <= MetafileMaxPageSidePixels; };
    if (fits(width_) && fits(height_))
        return {};
    const auto mm = [](int pixels) { return std::llround(pixels * 25.4 / 96.0); };
    return QStringLiteral("its size of %1 x %2 pixels (%3 x %4 mm) is not that of a sheet of "
                          "paper; a page measures at most %5 mm a side")
        .arg(width_)
        .arg(height_)
        .arg(mm(width_))
        .arg(mm(height_))
        .arg(mm(MetafileMaxPageSidePixels));
}

QString TMetafile::Description() const {
    if (data_.isEmpty())
        return description_;
    const emf::TByteView view(data_);
    const std::uint32_t count = view.U32(emf::kDescriptionCountOffset).value_or(0);
    const std::uint32_t offset = view.U32(emf::kDescriptionOffsetOffset).value_or(0);
    const std::uint32_t headerSize = view.U32(4).value_or(0);
    if (count == 0 || offset < emf::kMinHeaderSize || count > headerSize / 2 ||
        !view.Has(offset, std::size_t{count} * 2) || offset + std::size_t{count} * 2 > headerSize)
        return {};
    std::vector<char16_t> chars(count);
    std::memcpy(chars.data(), data_.constData() + offset, std::size_t{count} * 2);
    QString text = QString::fromUtf16(chars.data(), static_cast<qsizetype>(count));
    // The description is a run of zero-terminated strings ending in an empty
    // one; the first string is what callers set.
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

void TMetafile::SetDescription(const QString& description) {
    description_ = description;
    if (data_.isEmpty())
        return;
    const emf::TByteView view(data_);
    const std::uint32_t headerSize = *view.U32(4);
    const QByteArray body = data_.mid(headerSize);
    data_ = Build(body, RecordCount() - 1, HandleCount(), Bounds(), Frame(), description_);
}

void TMetafile::Clear() {
    data_.clear();
    width_ = 0;
    height_ = 0;
    description_.clear();
}

TRect TMetafile::FrameForSize() const {
    return TRect{0, 0, MMWidth(), MMHeight()};
}

QByteArray TMetafile::Build(const QByteArray& body, std::uint32_t recordCount,
                            std::uint16_t handleCount, const TRect& bounds, const TRect& frame,
                            const QString& description) {
    const U_RECTL rclBounds{bounds.Left, bounds.Top, bounds.Right, bounds.Bottom};
    const U_RECTL rclFrame{frame.Left, frame.Top, frame.Right, frame.Bottom};
    const U_SIZEL device{MetafileReferenceWidthPixels, MetafileReferenceHeightPixels};
    const U_SIZEL mm{MetafileReferenceWidthMM, MetafileReferenceHeightMM};
    // Two terminating zeros end the list of description strings.
    std::vector<uint16_t> text;
    if (!description.isEmpty()) {
        for (QChar c : description)
            text.push_back(c.unicode());
        text.push_back(0);
        text.push_back(0);
    }
    TRecordPtr header(U_EMRHEADER_set(rclBounds, rclFrame, nullptr,
                                      static_cast<U_CBSTR>(text.size()),
                                      text.empty() ? nullptr : text.data(), device, mm, 0));
    if (!header)
        throw Exception(QStringLiteral("Out of memory"));
    const std::uint32_t headerSize = RecordSize(header.get());
    QByteArray result(header.get(), headerSize);

    QByteArray records = body;
    if (records.isEmpty()) {
        records = emf::EofRecord();
        recordCount = 1;
    }
    result += records;
    // Header, its records and the EOF; nHandles counts the reserved index 0.
    emf::PutU32(result, emf::kBytesOffset, static_cast<std::uint32_t>(result.size()));
    emf::PutU32(result, emf::kRecordsOffset, recordCount + 1);
    emf::PutU16(result, emf::kHandlesOffset, handleCount == 0 ? 1 : handleCount);
    if (headerSize >= 108) {
        // szlMicrometers of the reference device.
        emf::PutI32(result, 100, MetafileReferenceWidthMM * 1000);
        emf::PutI32(result, 104, MetafileReferenceHeightMM * 1000);
    }
    return result;
}

void TMetafile::SetRecords(const QByteArray& records, std::uint32_t recordCount,
                           std::uint16_t handleCount, const TRect& bounds) {
    const QByteArray body = records + emf::EofRecord();
    data_ = Build(body, recordCount + 1, handleCount, bounds, FrameForSize(), description_);
}

QByteArray TMetafile::Data() const {
    if (!data_.isEmpty())
        return data_;
    // Nothing drawn: bounds are the empty rectangle of the desktop's convention.
    return Build({}, 0, 1, TRect{0, 0, -1, -1}, FrameForSize(), description_);
}

void TMetafile::SaveToStream(QIODevice& out) const {
    const QByteArray bytes = Data();
    if (out.write(bytes) != bytes.size())
        throw Exception(QStringLiteral("Stream write error"));
}

void TMetafile::LoadFromStream(QIODevice& in) {
    QByteArray bytes = in.read(static_cast<qint64>(emf::kMinHeaderSize));
    if (bytes.size() < static_cast<qsizetype>(emf::kMinHeaderSize))
        ThrowReadError();
    const std::uint32_t total = CheckedTotalSize(emf::TByteView(bytes));
    // Read in pieces so that a header claiming a huge size on a short stream
    // fails on the read instead of reserving the claimed size first.
    constexpr qint64 kChunk = 1 << 20;
    while (bytes.size() < static_cast<qsizetype>(total)) {
        const qint64 want = std::min<qint64>(kChunk, static_cast<qint64>(total) - bytes.size());
        const QByteArray piece = in.read(want);
        if (piece.size() != want)
            ThrowReadError();
        bytes += piece;
    }
    LoadFromData(bytes);
}

std::uint32_t TMetafile::SizeFromHeader(const QByteArray& firstBytes) {
    if (firstBytes.size() < HeaderProbeSize)
        ThrowReadError();
    return CheckedTotalSize(emf::TByteView(firstBytes));
}

void TMetafile::LoadFromData(const QByteArray& data) {
    const std::uint32_t total = CheckedTotalSize(emf::TByteView(data));
    if (static_cast<std::uint32_t>(data.size()) < total)
        ThrowReadError();
    data_ = data.left(total);
    description_.clear();
    TakeSizeFromHeader();
}

void TMetafile::SaveToFile(const QString& fileName) const {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Exception(
            QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
    SaveToStream(file);
}

void TMetafile::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    LoadFromStream(file);
}

void TMetafile::TakeSizeFromHeader() {
    const TRect frame = Frame();
    const std::int64_t fw = static_cast<std::int64_t>(frame.Right) - frame.Left;
    const std::int64_t fh = static_cast<std::int64_t>(frame.Bottom) - frame.Top;
    if (fw > 0 && fh > 0) {
        width_ = HundredthsMMToPixels(fw);
        height_ = HundredthsMMToPixels(fh);
        return;
    }
    // No usable frame: the bounds (inclusive device pixels) give the size.
    const TRect bounds = Bounds();
    const auto extent = [](std::int64_t low, std::int64_t high) {
        const std::int64_t n = high - low + 1;
        return n <= 0 || n > INT32_MAX ? 0 : static_cast<int>(n);
    };
    width_ = extent(bounds.Left, bounds.Right);
    height_ = extent(bounds.Top, bounds.Bottom);
}

void TMetafile::RewriteFrame() {
    if (data_.isEmpty())
        return;
    const TRect frame = FrameForSize();
    emf::PutI32(data_, emf::kFrameOffset, frame.Left);
    emf::PutI32(data_, emf::kFrameOffset + 4, frame.Top);
    emf::PutI32(data_, emf::kFrameOffset + 8, frame.Right);
    emf::PutI32(data_, emf::kFrameOffset + 12, frame.Bottom);
}

TRect TMetafile::Bounds() const {
    return ReadRect(emf::TByteView(Data()), emf::kBoundsOffset);
}
TRect TMetafile::Frame() const {
    return ReadRect(emf::TByteView(Data()), emf::kFrameOffset);
}

std::uint32_t TMetafile::RecordCount() const {
    return emf::TByteView(Data()).U32(emf::kRecordsOffset).value_or(0);
}

std::uint16_t TMetafile::HandleCount() const {
    return emf::TByteView(Data()).U16(emf::kHandlesOffset).value_or(0);
}

TSize TMetafile::ReferenceDevicePixels() const {
    const QByteArray bytes = Data();
    const emf::TByteView view(bytes);
    return TSize{view.I32(emf::kDevicePixelsOffset).value_or(0),
                 view.I32(emf::kDevicePixelsOffset + 4).value_or(0)};
}

TSize TMetafile::ReferenceDeviceMillimeters() const {
    const QByteArray bytes = Data();
    const emf::TByteView view(bytes);
    return TSize{view.I32(emf::kDeviceMMOffset).value_or(0),
                 view.I32(emf::kDeviceMMOffset + 4).value_or(0)};
}
