// Small helpers over the raw bytes of an enhanced metafile, shared by the
// metafile, its canvas and its player: bounded little-endian reads and the
// header offsets of the published layout. Nothing here trusts the data: every
// read names the range it needs and fails cleanly when that range is not
// inside the buffer.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace emf {

constexpr std::uint32_t kRecordHeader = 1;
constexpr std::uint32_t kRecordEof = 14;
constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t kVersion = 0x10000;
// The oldest header layout ends after the reference size in millimetres.
constexpr std::size_t kMinHeaderSize = 88;
constexpr std::size_t kSignatureOffset = 40;
constexpr std::size_t kBytesOffset = 48;
constexpr std::size_t kRecordsOffset = 52;
constexpr std::size_t kHandlesOffset = 56;
constexpr std::size_t kDescriptionCountOffset = 60;
constexpr std::size_t kDescriptionOffsetOffset = 64;
constexpr std::size_t kBoundsOffset = 8;
constexpr std::size_t kFrameOffset = 24;
constexpr std::size_t kDevicePixelsOffset = 72;
constexpr std::size_t kDeviceMMOffset = 80;
// Pages larger than this are refused as not valid instead of attempted.
constexpr std::uint32_t kMaxMetafileSize = 0x40000000;

// A read-only window over bytes with bounds-checked reads.
class TByteView {
public:
    TByteView() = default;
    TByteView(const char* data, std::size_t size) : data_(data), size_(size) {}
    explicit TByteView(const QByteArray& bytes)
        : data_(bytes.constData()), size_(static_cast<std::size_t>(bytes.size())) {}

    const char* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    std::optional<std::uint32_t> U32(std::size_t offset) const {
        return Read<std::uint32_t>(offset);
    }
    std::optional<std::int32_t> I32(std::size_t offset) const { return Read<std::int32_t>(offset); }
    std::optional<std::uint16_t> U16(std::size_t offset) const {
        return Read<std::uint16_t>(offset);
    }
    std::optional<float> F32(std::size_t offset) const { return Read<float>(offset); }
    // The value at `offset` as the machine reads it, nothing when it is not
    // all there.
    template <typename T> std::optional<T> Read(std::size_t offset) const {
        if (!Has(offset, sizeof(T)))
            return std::nullopt;
        T v;
        std::memcpy(&v, data_ + offset, sizeof(T));
        return v;
    }
    // A sub-window, empty when out of range.
    TByteView Sub(std::size_t offset, std::size_t count) const {
        if (!Has(offset, count))
            return {};
        return TByteView(data_ + offset, count);
    }

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};

inline void PutU32(QByteArray& bytes, std::size_t offset, std::uint32_t value) {
    std::memcpy(bytes.data() + offset, &value, 4);
}
inline void PutI32(QByteArray& bytes, std::size_t offset, std::int32_t value) {
    std::memcpy(bytes.data() + offset, &value, 4);
}
inline void PutU16(QByteArray& bytes, std::size_t offset, std::uint16_t value) {
    std::memcpy(bytes.data() + offset, &value, 2);
}

// What libUEMF builds (records, bitmap headers, regions) is malloc'ed.
struct TFreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using TMallocPtr = std::unique_ptr<T, TFreeDeleter>;

// The EOF record without palette entries that ends every metafile.
inline QByteArray EofRecord() {
    QByteArray eof(20, '\0');
    PutU32(eof, 0, kRecordEof);
    PutU32(eof, 4, 20);
    PutU32(eof, 12, 16);
    PutU32(eof, 16, 20);
    return eof;
}

} // namespace emf
