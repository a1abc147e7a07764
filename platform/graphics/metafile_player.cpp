// Enhanced-metafile playback. The player keeps its own device context for
// the file (map mode, window and viewport, world transform, selected objects,
// colours, modes, clip, saved states) and turns each drawing record into
// canvas calls in the target's pixels. Nothing in the data is trusted: a
// record is touched only after its size has been checked against the data
// and libUEMF's U_emf_record_safe has accepted it, and every offset, count
// and handle inside it is checked again before use.
#include "platform/graphics/metafile_player.h"

#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/canvas_state_saver.h"
#include "platform/graphics/emf_format.h"
#include "platform/graphics/metafile.h"

#include <QImage>
#include <QPointF>
#include <QSet>
#include <QTransform>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <variant>
#include <vector>

extern "C" {
#include <uemf_safe.h>
}

namespace {

using emf::TByteView;

// Record types the player acts on.
enum : std::uint32_t {
    kPolygon = 3,
    kPolyline = 4,
    kPolylineTo = 6,
    kSetWindowExtEx = 9,
    kSetWindowOrgEx = 10,
    kSetViewportExtEx = 11,
    kSetViewportOrgEx = 12,
    kEof = 14,
    kSetPixelV = 15,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kOffsetClipRgn = 26,
    kMoveToEx = 27,
    kIntersectClipRect = 30,
    kScaleViewportExtEx = 31,
    kScaleWindowExtEx = 32,
    kSaveDC = 33,
    kRestoreDC = 34,
    kSetWorldTransform = 35,
    kModifyWorldTransform = 36,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kCreatePalette = 49,
    kLineTo = 54,
    kFillRgn = 71,
    kFrameRgn = 72,
    kPaintRgn = 74,
    kExtSelectClipRgn = 75,
    kBitBlt = 76,
    kStretchBlt = 77,
    kSetDIBitsToDevice = 80,
    kStretchDIBits = 81,
    kExtCreateFontIndirectW = 82,
    kExtTextOutA = 83,
    kExtTextOutW = 84,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolylineTo16 = 89,
    kCreateMonoBrush = 93,
    kCreateDibPatternBrushPt = 94,
    kExtCreatePen = 95,
    kCreateColorSpace = 99,
    kAlphaBlend = 114,
    kTransparentBlt = 116,
    kCreateColorSpaceW = 122,
};

enum : std::uint32_t {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8,
};

constexpr unsigned kEtoGlyphIndex = 0x10;
constexpr unsigned kEtoNoRect = 0x100;
constexpr unsigned kEtoPdy = 0x2000;
constexpr unsigned kTaUpdateCP = 1;

// Limits that keep hostile pages from exhausting time or memory.
constexpr double kMaxCoordinate = 4.0e6;
constexpr int kMaxFontHeight = 5000;
constexpr int kMaxPenWidth = 1000;
constexpr std::size_t kMaxSavedStates = 4096;
constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 24;
constexpr std::uint32_t kMaxTextChars = 32768;
constexpr std::uint32_t kMaxPoints = 1 << 20;

int ToInt(double v) {
    if (!std::isfinite(v))
        return 0;
    return static_cast<int>(std::lround(std::clamp(v, -kMaxCoordinate, kMaxCoordinate)));
}

TColor ColorAt(const TByteView& r, std::size_t offset) {
    const std::uint32_t v = r.U32(offset).value_or(0);
    return static_cast<TColor>(v & 0xFFFFFF);
}

TRect Normalized(const TRect& r) {
    return TRect{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                 std::max(r.Top, r.Bottom)};
}

TRect Intersect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty())
        r = TRect{r.Left, r.Top, r.Left, r.Top};
    return r;
}

TRect Union(const TRect& a, const TRect& b) {
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                 std::max(a.Bottom, b.Bottom)};
}

struct TPenObject {
    TPenStyle Style = psSolid;
    double Width = 0; // logical units; 0 is one device pixel
    bool Cosmetic = true;
    TColor Color = clBlack;
};

struct TBrushObject {
    TBrushStyle Style = bsSolid;
    TColor Color = clWhite;
};

struct TFontObject {
    int Height = -12;
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Charset = DEFAULT_CHARSET;
    QString Face = QStringLiteral("MS Sans Serif");
};

struct TOtherObject {};

using TObject = std::variant<std::monostate, TPenObject, TBrushObject, TFontObject, TOtherObject>;

struct TDeviceContext {
    std::uint32_t MapMode = MM_TEXT;
    QPointF WindowOrg{0, 0};
    QPointF WindowExt{1, 1};
    QPointF ViewportOrg{0, 0};
    QPointF ViewportExt{1, 1};
    QTransform World;
    TPenObject Pen;
    TBrushObject Brush;
    TFontObject Font;
    TColor TextColor = clBlack;
    TColor BkColor = clWhite;
    int BkMode = OPAQUE;
    unsigned TextAlign = 0;
    QPointF Position{0, 0};
    std::optional<TRect> Clip; // in the target's pixels
};

// A rectangle list from region data, in the units the record uses.
std::vector<TRect> RegionRects(const TByteView& rgn) {
    std::vector<TRect> rects;
    const auto size = rgn.U32(0);
    const auto count = rgn.U32(8);
    if (!size || !count || *size < 32 || !rgn.Has(0, 32))
        return rects;
    const std::size_t available = (rgn.Size() - 32) / 16;
    const std::size_t n = std::min<std::size_t>(*count, available);
    rects.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t o = 32 + i * 16;
        rects.push_back(TRect{*rgn.I32(o), *rgn.I32(o + 4), *rgn.I32(o + 8), *rgn.I32(o + 12)});
    }
    return rects;
}

// The layout of a device-independent bitmap as far as decoding needs it.
struct TDibLayout {
    std::int32_t Width = 0;
    std::int32_t RawHeight = 0; // positive: rows stored bottom-up
    std::int64_t Height = 0;
    std::uint16_t Bits = 0;
    std::uint32_t Masks[3] = {0, 0, 0};
    std::vector<QRgb> Palette;
    std::int64_t Stride = 0;
};

// The colour masks of 16- and 32-bit pixels: the header's bit fields or the
// fixed ones. Returns false when the bit fields lie outside the header.
bool ReadDibMasks(const TByteView& bmi, std::uint32_t headerSize, bool bitFields, TDibLayout& dib,
                  std::size_t& tableOffset) {
    if (bitFields) {
        const std::size_t maskOffset = headerSize >= 52 ? 40 : headerSize;
        if (!bmi.Has(maskOffset, 12))
            return false;
        for (int i = 0; i < 3; ++i)
            dib.Masks[i] = *bmi.U32(maskOffset + 4 * static_cast<std::size_t>(i));
        if (headerSize < 52)
            tableOffset += 12;
    } else if (dib.Bits == 16) {
        dib.Masks[0] = 0x7C00;
        dib.Masks[1] = 0x03E0;
        dib.Masks[2] = 0x001F;
    } else if (dib.Bits == 32) {
        dib.Masks[0] = 0xFF0000;
        dib.Masks[1] = 0x00FF00;
        dib.Masks[2] = 0x0000FF;
    }
    return true;
}

// The colour table of a bitmap of up to 8 bits a pixel.
void ReadDibPalette(const TByteView& bmi, std::size_t tableOffset, std::uint32_t used,
                    std::uint32_t usage, TDibLayout& dib) {
    if (dib.Bits > 8)
        return;
    const std::uint32_t maxColors = 1u << dib.Bits;
    std::uint32_t colors = used == 0 || used > maxColors ? maxColors : used;
    if (usage == 0) {
        const std::size_t available = bmi.Has(tableOffset, 0) ? (bmi.Size() - tableOffset) / 4 : 0;
        colors = static_cast<std::uint32_t>(std::min<std::size_t>(colors, available));
        for (std::uint32_t i = 0; i < colors; ++i) {
            const std::uint32_t quad = *bmi.U32(tableOffset + 4 * std::size_t{i});
            dib.Palette.push_back(qRgb((quad >> 16) & 0xFF, (quad >> 8) & 0xFF, quad & 0xFF));
        }
        return;
    }
    // Indexes into a logical palette the player does not keep: grey levels.
    for (std::uint32_t i = 0; i < maxColors; ++i) {
        const int level = static_cast<int>(i * 255 / (maxColors - 1));
        dib.Palette.push_back(qRgb(level, level, level));
    }
}

// The header of a bitmap inside a record; nothing for a layout the player
// does not decode (only the uncompressed ones and bit fields that pages use).
std::optional<TDibLayout> ReadDibLayout(const TByteView& bmi, std::uint32_t cbBmi,
                                        std::uint32_t usage) {
    TDibLayout dib;
    const std::uint32_t headerSize = *bmi.U32(0);
    dib.Width = *bmi.I32(4);
    dib.RawHeight = *bmi.I32(8);
    dib.Bits = *bmi.U16(14);
    const std::uint32_t compression = *bmi.U32(16);
    const std::uint32_t used = *bmi.U32(32);
    if (headerSize < 40 || headerSize > cbBmi || dib.Width <= 0 || dib.RawHeight == 0 ||
        dib.RawHeight == INT32_MIN)
        return std::nullopt;
    dib.Height = std::abs(static_cast<std::int64_t>(dib.RawHeight));
    if (static_cast<std::int64_t>(dib.Width) * dib.Height > kMaxImagePixels)
        return std::nullopt;
    const std::uint16_t bits = dib.Bits;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return std::nullopt;
    const bool bitFields = compression == 3;
    if (compression != 0 && !(bitFields && (bits == 16 || bits == 32)))
        return std::nullopt;
    std::size_t tableOffset = headerSize;
    if (!ReadDibMasks(bmi, headerSize, bitFields, dib, tableOffset))
        return std::nullopt;
    ReadDibPalette(bmi, tableOffset, used, usage, dib);
    dib.Stride = ((static_cast<std::int64_t>(dib.Width) * bits + 31) / 32) * 4;
    return dib;
}

// A mask's channel of a pixel value, scaled to 0..255.
int DibChannel(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const std::uint64_t max = mask >> shift;
    return static_cast<int>(std::uint64_t{(value & mask) >> shift} * 255 / max);
}

// Pixel x of a row of the bitmap.
QRgb DibPixel(const TDibLayout& dib, const unsigned char* line, std::int32_t x, bool keepAlpha) {
    const std::uint32_t* masks = dib.Masks;
    switch (dib.Bits) {
    case 1:
    case 4:
    case 8: {
        const std::int64_t bit = static_cast<std::int64_t>(x) * dib.Bits;
        const unsigned byte = line[bit / 8];
        const unsigned index = (byte >> (8 - dib.Bits - bit % 8)) & ((1u << dib.Bits) - 1);
        return index < dib.Palette.size() ? dib.Palette[index] : qRgb(0, 0, 0);
    }
    case 16: {
        const std::uint32_t v = line[2 * x] | (line[2 * x + 1] << 8);
        return qRgb(DibChannel(v, masks[0]), DibChannel(v, masks[1]), DibChannel(v, masks[2]));
    }
    case 24:
        return qRgb(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
    case 32: {
        std::uint32_t v;
        std::memcpy(&v, line + 4 * x, 4);
        if (keepAlpha)
            return v;
        return qRgb(DibChannel(v, masks[0]), DibChannel(v, masks[1]), DibChannel(v, masks[2]));
    }
    default:
        return 0;
    }
}

// Premultiplied data must not hold a colour channel above its alpha.
void ClampToAlpha(QImage& image) {
    for (int row = 0; row < image.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(line[x]);
            line[x] = qRgba(std::min(qRed(line[x]), a), std::min(qGreen(line[x]), a),
                            std::min(qBlue(line[x]), a), a);
        }
    }
}

// A device-independent bitmap inside a record, decoded top-down.
QImage DecodeDib(const TByteView& rec, std::uint32_t offBmi, std::uint32_t cbBmi,
                 std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage, bool keepAlpha) {
    if (cbBmi < 40 || !rec.Has(offBmi, cbBmi) || !rec.Has(offBits, cbBits))
        return {};
    const std::optional<TDibLayout> dib = ReadDibLayout(rec.Sub(offBmi, cbBmi), cbBmi, usage);
    if (!dib || dib->Stride * dib->Height > cbBits)
        return {};
    const TByteView pixels = rec.Sub(offBits, cbBits);
    const bool alpha = keepAlpha && dib->Bits == 32;
    QImage image(dib->Width, static_cast<int>(dib->Height),
                 alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (std::int64_t row = 0; row < dib->Height; ++row) {
        const std::int64_t sourceRow = dib->RawHeight > 0 ? dib->Height - 1 - row : row;
        const unsigned char* line =
            reinterpret_cast<const unsigned char*>(pixels.Data() + sourceRow * dib->Stride);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(row)));
        for (std::int32_t x = 0; x < dib->Width; ++x) {
            const QRgb color = DibPixel(*dib, line, x, keepAlpha);
            out[x] = alpha ? color : (color | 0xFF000000u);
        }
    }
    if (alpha)
        ClampToAlpha(image);
    return image;
}

// Single-byte text in the desktop's Western code page.
QString FromWindows1252(const char* bytes, std::size_t count) {
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(static_cast<qsizetype>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        text.append(c >= 0x80 && c < 0xA0 ? QChar(high[c - 0x80]) : QChar(c));
    }
    return text;
}

// Fields of a record that has passed its size check; a field beyond the
// record reads as zero.
std::uint32_t U32At(const TByteView& r, std::size_t offset) {
    return r.U32(offset).value_or(0);
}

std::int32_t I32At(const TByteView& r, std::size_t offset) {
    return r.I32(offset).value_or(0);
}

TRect RectAt(const TByteView& r, std::size_t offset) {
    return TRect{I32At(r, offset), I32At(r, offset + 4), I32At(r, offset + 8),
                 I32At(r, offset + 12)};
}

// The rectangle at (x, y) of the given extent, its far edges kept in range.
TRect ExtentRect(std::int32_t x, std::int32_t y, std::int64_t cx, std::int64_t cy) {
    const auto edge = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    return TRect{x, y, edge(std::int64_t{x} + cx), edge(std::int64_t{y} + cy)};
}

// Whether the bitmap whose header starts at `offBmi` stores its rows from the
// bottom line up (a positive height).
bool BottomUpBitmap(const TByteView& r, std::uint32_t offBmi) {
    return r.Has(offBmi, 12) && r.I32(offBmi + 8).value_or(0) > 0;
}

// The pen style of a pen record's style field.
TPenStyle PenStyleOf(std::uint32_t style) {
    return style == 5   ? psClear
           : style <= 4 ? static_cast<TPenStyle>(style)
           : style == 6 ? psInsideFrame
                        : psSolid;
}

// The source rectangle of a copy cut from `image`, mirrored where its extent
// is negative. False when no pixel of the image is in it.
bool CropToSource(QImage& image, std::int64_t srcX, std::int64_t srcY, std::int64_t srcW,
                  std::int64_t srcH, bool bottomUpSource, bool& mirrorX, bool& mirrorY) {
    mirrorX = srcW < 0;
    mirrorY = srcH < 0;
    if (srcW < 0) {
        srcX += srcW;
        srcW = -srcW;
    }
    if (srcH < 0) {
        srcY += srcH;
        srcH = -srcH;
    }
    // Source rows of a bottom-up bitmap count from its last line.
    if (bottomUpSource)
        srcY = image.height() - (srcY + srcH);
    const std::int64_t x0 = std::clamp<std::int64_t>(srcX, 0, image.width());
    const std::int64_t y0 = std::clamp<std::int64_t>(srcY, 0, image.height());
    const std::int64_t x1 = std::clamp<std::int64_t>(srcX + srcW, 0, image.width());
    const std::int64_t y1 = std::clamp<std::int64_t>(srcY + srcH, 0, image.height());
    if (x1 <= x0 || y1 <= y0)
        return false;
    if (x0 != 0 || y0 != 0 || x1 != image.width() || y1 != image.height())
        image = image.copy(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                           static_cast<int>(y1 - y0));
    return true;
}

// Pixels of the transparent colour made fully transparent.
QImage KeyedOut(const QImage& source, TColor transparent) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(transparent).rgb() & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
    }
    return image;
}

// The characters of a text record: UTF-16, or single bytes in the
// desktop's Western code page. The caller has checked that they are there.
QString TextAt(const TByteView& r, std::uint32_t offString, std::uint32_t count, bool wide) {
    if (!wide)
        return FromWindows1252(r.Data() + offString, count);
    std::vector<char16_t> chars(count);
    std::memcpy(chars.data(), r.Data() + offString, std::size_t{count} * 2);
    return QString::fromUtf16(chars.data(), static_cast<qsizetype>(count));
}

class TPlayer {
public:
    TPlayer(const TMetafile& metafile, TCanvas& target, const TRect& dest)
        : data_(metafile.Data()), view_(data_), target_(target), dest_(dest) {}

    TMetafilePlayback Play();

private:
    bool Prepare();
    // The handler of each record type the player acts on, with the size the
    // record needs; records of other types are skipped.
    using TRecordHandler = void (TPlayer::*)(std::uint32_t type, const TByteView& r);
    struct TRecordEntry {
        TRecordHandler Play = nullptr;
        std::size_t MinSize = 0;
    };
    static const TRecordEntry* RecordEntry(std::uint32_t type);
    void PlayRecord(const TRecordEntry& entry, std::uint32_t type, const TByteView& r);

    // Records of the mapping: window, viewport, map mode, world transform.
    void SetExtentOrOrigin(std::uint32_t type, const TByteView& r);
    void ScaleExtent(std::uint32_t type, const TByteView& r);
    void SetMapMode(std::uint32_t type, const TByteView& r);
    void SetWorldTransform(std::uint32_t type, const TByteView& r);
    // Records of the device context's settings and saved states.
    void SetTextSetting(std::uint32_t type, const TByteView& r);
    void MoveTo(std::uint32_t type, const TByteView& r);
    void SaveState(std::uint32_t type, const TByteView& r);
    void RestoreState(std::uint32_t type, const TByteView& r);
    // Records of the object table.
    void SelectObjectRecord(std::uint32_t type, const TByteView& r);
    void DeleteObject(std::uint32_t type, const TByteView& r);
    void CreatePen(std::uint32_t type, const TByteView& r);
    void ExtCreatePen(std::uint32_t type, const TByteView& r);
    void CreateBrush(std::uint32_t type, const TByteView& r);
    void CreatePatternBrush(std::uint32_t type, const TByteView& r);
    void CreateOtherObject(std::uint32_t type, const TByteView& r);
    void CreateFont(std::uint32_t type, const TByteView& r);
    // Records of the clip.
    void IntersectClip(std::uint32_t type, const TByteView& r);
    void OffsetClip(std::uint32_t type, const TByteView& r);
    void SelectClipRegion(std::uint32_t type, const TByteView& r);
    // Drawing records.
    void LineToRecord(std::uint32_t type, const TByteView& r);
    void ShapeRecord(std::uint32_t type, const TByteView& r);
    void SetPixel(std::uint32_t type, const TByteView& r);
    void PolylineRecord(std::uint32_t type, const TByteView& r);
    void PaintRegion(std::uint32_t type, const TByteView& r);
    void FrameRects(const std::vector<TRect>& rects, int sx, int sy, const TBrushObject& brush);
    void TextRecord(std::uint32_t type, const TByteView& r);
    // Records of bitmaps.
    void BlitRecord(std::uint32_t type, const TByteView& r);
    void StretchDIBits(std::uint32_t type, const TByteView& r);
    void SetDIBitsToDevice(std::uint32_t type, const TByteView& r);
    void BlendOrKeyedBlit(std::uint32_t type, const TByteView& r);

    // Coordinates.
    const QTransform& Map();
    QPointF MapPoint(double x, double y) { return Map().map(QPointF(x, y)); }
    TPoint MapToTarget(double x, double y) {
        const QPointF p = MapPoint(x, y);
        return TPoint{ToInt(p.x()), ToInt(p.y())};
    }
    TRect MapRect(const TRect& r) {
        const TPoint a = MapToTarget(r.Left, r.Top);
        const TPoint b = MapToTarget(r.Right, r.Bottom);
        return TRect{a.X, a.Y, b.X, b.Y};
    }
    TRect MapDeviceRect(const TRect& r) const {
        const auto x = [this](double v) { return ToInt(dest_.Left + (v - sourceLeft_) * scaleX_); };
        const auto y = [this](double v) { return ToInt(dest_.Top + (v - sourceTop_) * scaleY_); };
        return Normalized(TRect{x(r.Left), y(r.Top), x(r.Right), y(r.Bottom)});
    }
    double ScaleX() {
        const QTransform& m = Map();
        return std::hypot(m.m11(), m.m12());
    }
    double ScaleY() {
        const QTransform& m = Map();
        return std::hypot(m.m21(), m.m22());
    }
    void MappingChanged() { mapValid_ = false; }

    // Objects.
    TObject* ObjectAt(std::uint32_t index) {
        if (index == 0 || index >= objects_.size())
            return nullptr;
        return &objects_[index];
    }
    void CreateObject(std::uint32_t index, TObject object) {
        if (index == 0 || index >= objects_.size()) {
            ++skipped_;
            return;
        }
        objects_[index] = std::move(object);
    }
    void SelectObject(std::uint32_t index);
    void SelectStock(std::uint32_t index);

    // Target state for each kind of drawing.
    void ApplyPen();
    void ApplyBrush(const TBrushObject& brush);
    void ApplyFont();
    void ApplyClip();

    // Drawing.
    void FillTargetRect(const TRect& rect, const TBrushObject& brush);
    void Line(TPoint from, TPoint to);
    void Shape(std::uint32_t type, const TRect& rect);
    void Text(const TByteView& r, bool wide);
    std::vector<int> ScaledAdvances(const TByteView& r, std::uint32_t offDx, std::uint32_t count,
                                    std::size_t step);
    void Polyline(const TByteView& r, bool shortPoints, bool fromCurrent, bool closed);
    void DrawImage(const TByteView& r, TRect destLogical, std::int64_t srcX, std::int64_t srcY,
                   std::int64_t srcW, std::int64_t srcH, std::uint32_t offBmi, std::uint32_t cbBmi,
                   std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                   bool bottomUpSource, bool keepAlpha, std::optional<TColor> transparent);
    bool DrawColourKeyed(const TRect& dest, const QImage& image);
    void Blit(const TByteView& r, bool stretch);
    void ClipRegion(const TByteView& r);

    QByteArray data_;
    TByteView view_;
    TCanvas& target_;
    TRect dest_;
    std::optional<TRect> baseClip_;
    // Where drawing can matter: the destination (and the target's clip) with
    // a margin. Geometry far outside it is cut to it, so that a hostile page
    // cannot make the target rasterise shapes millions of pixels across.
    TRect playfield_;

    double sourceLeft_ = 0;
    double sourceTop_ = 0;
    double scaleX_ = 1;
    double scaleY_ = 1;
    double pixelsPerMMX_ = 96 / 25.4;
    double pixelsPerMMY_ = 96 / 25.4;

    TDeviceContext dc_;
    std::vector<TDeviceContext> saved_;
    std::vector<TObject> objects_;
    QTransform map_;
    bool mapValid_ = false;
    int skipped_ = 0;
};

bool TPlayer::Prepare() {
    const TByteView& h = view_;
    if (!h.Has(0, emf::kMinHeaderSize))
        return false;
    const std::int32_t devX = *h.I32(emf::kDevicePixelsOffset);
    const std::int32_t devY = *h.I32(emf::kDevicePixelsOffset + 4);
    const std::int32_t mmX = *h.I32(emf::kDeviceMMOffset);
    const std::int32_t mmY = *h.I32(emf::kDeviceMMOffset + 4);
    if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
        pixelsPerMMX_ = static_cast<double>(devX) / mmX;
        pixelsPerMMY_ = static_cast<double>(devY) / mmY;
    }
    // The frame (hundredths of a millimetre) gives the source rectangle in
    // the recording device's pixels; without a usable frame, the bounds.
    const double fl = *h.I32(emf::kFrameOffset), ft = *h.I32(emf::kFrameOffset + 4);
    const double fr = *h.I32(emf::kFrameOffset + 8), fb = *h.I32(emf::kFrameOffset + 12);
    double left = fl * pixelsPerMMX_ / 100, top = ft * pixelsPerMMY_ / 100;
    double width = std::round((fr - fl) * pixelsPerMMX_ / 100);
    double height = std::round((fb - ft) * pixelsPerMMY_ / 100);
    left = std::round(left);
    top = std::round(top);
    if (width <= 0 || height <= 0) {
        const double bl = *h.I32(emf::kBoundsOffset), bt = *h.I32(emf::kBoundsOffset + 4);
        const double br = *h.I32(emf::kBoundsOffset + 8), bb = *h.I32(emf::kBoundsOffset + 12);
        left = bl;
        top = bt;
        width = br - bl + 1;
        height = bb - bt + 1;
    }
    if (width <= 0 || height <= 0 || dest_.Width() == 0 || dest_.Height() == 0)
        return false;
    sourceLeft_ = left;
    sourceTop_ = top;
    scaleX_ = dest_.Width() / width;
    scaleY_ = dest_.Height() / height;
    objects_.resize(std::max<std::uint16_t>(*h.U16(emf::kHandlesOffset), 1));
    return true;
}

const QTransform& TPlayer::Map() {
    if (mapValid_)
        return map_;
    double sx = 1, sy = 1;
    switch (dc_.MapMode) {
    case MM_LOMETRIC:
        sx = pixelsPerMMX_ / 10;
        sy = -pixelsPerMMY_ / 10;
        break;
    case MM_HIMETRIC:
        sx = pixelsPerMMX_ / 100;
        sy = -pixelsPerMMY_ / 100;
        break;
    case MM_LOENGLISH:
        sx = pixelsPerMMX_ * 0.254;
        sy = -pixelsPerMMY_ * 0.254;
        break;
    case MM_HIENGLISH:
        sx = pixelsPerMMX_ * 0.0254;
        sy = -pixelsPerMMY_ * 0.0254;
        break;
    case MM_TWIPS:
        sx = pixelsPerMMX_ * 25.4 / 1440;
        sy = -pixelsPerMMY_ * 25.4 / 1440;
        break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC: {
        const QPointF we = dc_.WindowExt, ve = dc_.ViewportExt;
        sx = we.x() != 0 ? ve.x() / we.x() : 1;
        sy = we.y() != 0 ? ve.y() / we.y() : 1;
        if (dc_.MapMode == MM_ISOTROPIC) {
            // The same scale both ways: the smaller one, each keeping its sign.
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        break;
    }
    default:
        break;
    }
    // world -> page (window/viewport) -> recording device -> target.
    const QTransform page(sx, 0, 0, sy, dc_.ViewportOrg.x() - dc_.WindowOrg.x() * sx,
                          dc_.ViewportOrg.y() - dc_.WindowOrg.y() * sy);
    const QTransform device(scaleX_, 0, 0, scaleY_, dest_.Left - sourceLeft_ * scaleX_,
                            dest_.Top - sourceTop_ * scaleY_);
    map_ = dc_.World * page * device;
    mapValid_ = true;
    return map_;
}

void TPlayer::SelectStock(std::uint32_t index) {
    switch (index) {
    case 0:
        dc_.Brush = {bsSolid, clWhite};
        break;
    case 1:
        dc_.Brush = {bsSolid, clSilver};
        break;
    case 2:
        dc_.Brush = {bsSolid, clGray};
        break;
    case 3:
        dc_.Brush = {bsSolid, RGB(0x40, 0x40, 0x40)};
        break;
    case 4:
        dc_.Brush = {bsSolid, clBlack};
        break;
    case 5:
        dc_.Brush = {bsClear, clWhite};
        break;
    case 6:
        dc_.Pen = {psSolid, 0, true, clWhite};
        break;
    case 7:
        dc_.Pen = {psSolid, 0, true, clBlack};
        break;
    case 8:
        dc_.Pen = {psClear, 0, true, clBlack};
        break;
    case 10:
    case 11:
    case 16:
        dc_.Font =
            TFontObject{-13, 400, false, false, false, ANSI_CHARSET, QStringLiteral("Courier New")};
        break;
    case 12:
    case 13:
    case 14:
    case 17:
        dc_.Font = TFontObject{};
        break;
    default:
        break; // palettes, DC brush and pen: nothing the player draws with
    }
}

void TPlayer::SelectObject(std::uint32_t index) {
    if (index & 0x80000000u) {
        SelectStock(index & 0x7FFFFFFFu);
        return;
    }
    TObject* object = ObjectAt(index);
    if (!object) {
        ++skipped_;
        return;
    }
    if (auto* pen = std::get_if<TPenObject>(object))
        dc_.Pen = *pen;
    else if (auto* brush = std::get_if<TBrushObject>(object))
        dc_.Brush = *brush;
    else if (auto* font = std::get_if<TFontObject>(object))
        dc_.Font = *font;
}

void TPlayer::ApplyPen() {
    TPen pen;
    pen.Color = dc_.Pen.Color;
    pen.Style = dc_.Pen.Style;
    int width = 1;
    if (!dc_.Pen.Cosmetic && dc_.Pen.Width > 0)
        width = std::clamp(ToInt(dc_.Pen.Width * ScaleX()), 1, kMaxPenWidth);
    pen.Width = width;
    target_.Pen() = pen;
}

void TPlayer::ApplyBrush(const TBrushObject& brush) {
    target_.Brush() = TBrush{brush.Color, brush.Style};
}

void TPlayer::ApplyFont() {
    const TFontObject& f = dc_.Font;
    TFont font;
    font.SetName(f.Face.isEmpty() ? QStringLiteral("Arial") : f.Face);
    const int logical = f.Height == 0 ? -12 : f.Height;
    int height = ToInt(logical * ScaleY());
    if (height == 0)
        height = logical < 0 ? -1 : 1;
    font.SetPixelsPerInch(target_.PixelsPerInchY());
    const int limit = std::clamp(2 * playfield_.Height(), 8, kMaxFontHeight);
    font.SetHeight(std::clamp(height, -limit, limit));
    TFontStyles style = 0;
    if (f.Weight >= 600)
        style |= fsBold;
    if (f.Italic)
        style |= fsItalic;
    if (f.Underline)
        style |= fsUnderline;
    if (f.StrikeOut)
        style |= fsStrikeOut;
    font.SetStyle(style);
    font.SetCharset(f.Charset);
    font.SetColor(dc_.TextColor);
    target_.SetFont(font);
    target_.SetTextColor(dc_.TextColor);
}

void TPlayer::ApplyClip() {
    std::optional<TRect> clip = dc_.Clip;
    if (baseClip_)
        clip = clip ? Intersect(*clip, *baseClip_) : *baseClip_;
    if (clip)
        target_.SelectClipRect(&*clip);
    else
        target_.SelectClipRect(nullptr);
}

void TPlayer::FillTargetRect(const TRect& rect, const TBrushObject& brush) {
    if (brush.Style == bsClear)
        return;
    const TRect r = Normalized(rect);
    if (r.IsEmpty())
        return;
    ApplyBrush(brush);
    target_.FillRect(r);
}

void TPlayer::Line(TPoint from, TPoint to) {
    // Liang-Barsky: the part of the segment inside the playfield.
    double t0 = 0, t1 = 1;
    const double dx = to.X - from.X, dy = to.Y - from.Y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {static_cast<double>(from.X - playfield_.Left),
                         static_cast<double>(playfield_.Right - from.X),
                         static_cast<double>(from.Y - playfield_.Top),
                         static_cast<double>(playfield_.Bottom - from.Y)};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return;
    const TPoint a{ToInt(from.X + t0 * dx), ToInt(from.Y + t0 * dy)};
    const TPoint b = t1 == 1 ? to : TPoint{ToInt(from.X + t1 * dx), ToInt(from.Y + t1 * dy)};
    target_.MoveTo(a.X, a.Y);
    target_.LineTo(b.X, b.Y);
}

void TPlayer::Shape(std::uint32_t type, const TRect& mapped) {
    const TRect rect = Normalized(mapped);
    if (Intersect(rect, playfield_).IsEmpty())
        return;
    ApplyPen();
    ApplyBrush(dc_.Brush);
    if (type == kEllipse) {
        // An ellipse cannot be cut; one many times the playfield is not a page's.
        if (rect.Width() > 8 * playfield_.Width() || rect.Height() > 8 * playfield_.Height()) {
            ++skipped_;
            return;
        }
        target_.Ellipse(rect);
        return;
    }
    // Edges beyond the playfield stay beyond it, just nearer.
    const int pen = target_.Pen().Width + 2;
    const TRect outer{playfield_.Left - pen, playfield_.Top - pen, playfield_.Right + pen,
                      playfield_.Bottom + pen};
    target_.Rectangle(Intersect(rect, outer));
}

void TPlayer::Text(const TByteView& r, bool wide) {
    constexpr std::size_t kText = 36;
    const auto options = r.U32(kText + 16);
    if (!options)
        return;
    const bool hasRect = !(*options & kEtoNoRect);
    const std::size_t dxField = hasRect ? kText + 36 : kText + 20;
    if (!r.Has(0, dxField + 4))
        return;
    const double refX = *r.I32(kText), refY = *r.I32(kText + 4);
    std::uint32_t count = *r.U32(kText + 8);
    const std::uint32_t offString = *r.U32(kText + 12);
    const std::uint32_t offDx = *r.U32(dxField);
    count = std::min(count, kMaxTextChars);
    const std::size_t charSize = wide ? 2 : 1;
    if (!r.Has(offString, std::size_t{count} * charSize)) {
        ++skipped_;
        return;
    }
    std::optional<TRect> rect;
    if (hasRect) {
        const TRect logical{*r.I32(kText + 20), *r.I32(kText + 24), *r.I32(kText + 28),
                            *r.I32(kText + 32)};
        rect = Normalized(MapRect(logical));
    }
    unsigned flags = hasRect ? *options & (ETO_OPAQUE | ETO_CLIPPED) : 0;
    if (flags & ETO_OPAQUE) {
        FillTargetRect(*rect, TBrushObject{bsSolid, dc_.BkColor});
        flags &= ~ETO_OPAQUE;
    }
    if (*options & kEtoGlyphIndex) {
        // Glyph numbers of a font we do not have: the background is all that can be drawn.
        ++skipped_;
        return;
    }
    if (count == 0)
        return;

    const QString text = TextAt(r, offString, count, wide);
    const std::size_t step = (*options & kEtoPdy) ? 8 : 4;
    const std::vector<int> advances = ScaledAdvances(r, offDx, count, step);

    QPointF reference(refX, refY);
    if (dc_.TextAlign & kTaUpdateCP)
        reference = dc_.Position;
    const TPoint at = MapToTarget(reference.x(), reference.y());

    ApplyFont();
    target_.SetBkMode(dc_.BkMode == OPAQUE ? OPAQUE : TRANSPARENT);
    target_.SetTextAlign(dc_.TextAlign & (TA_CENTER | TA_BASELINE));
    ApplyBrush(TBrushObject{bsSolid, dc_.BkColor});
    const TRect* clip = (flags & ETO_CLIPPED) && rect ? &*rect : nullptr;
    target_.ExtTextOut(at.X, at.Y, clip ? flags : 0, clip, text,
                       advances.empty() ? nullptr : &advances);

    if ((dc_.TextAlign & kTaUpdateCP) && !advances.empty()) {
        double width = 0;
        for (std::uint32_t i = 0; i < count; ++i)
            width += *r.I32(offDx + std::size_t{i} * step);
        dc_.Position.rx() += width;
    }
}

// The character advances of a text record in target pixels, scaled without
// losing the rounding of their sum; none when the record holds none.
std::vector<int> TPlayer::ScaledAdvances(const TByteView& r, std::uint32_t offDx,
                                         std::uint32_t count, std::size_t step) {
    std::vector<int> advances;
    if (offDx == 0 || !r.Has(offDx, std::size_t{count} * step))
        return advances;
    advances.reserve(count);
    const double sx = ScaleX();
    double position = 0;
    int previous = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        position += *r.I32(offDx + std::size_t{i} * step);
        const int next = ToInt(position * sx);
        advances.push_back(next - previous);
        previous = next;
    }
    return advances;
}

void TPlayer::Polyline(const TByteView& r, bool shortPoints, bool fromCurrent, bool closed) {
    const auto count = r.U32(24);
    if (!count)
        return;
    const std::size_t pointSize = shortPoints ? 4 : 8;
    const std::uint32_t n = std::min<std::uint32_t>(*count, kMaxPoints);
    if (!r.Has(28, std::size_t{n} * pointSize)) {
        ++skipped_;
        return;
    }
    const auto point = [&](std::uint32_t i) {
        const std::size_t o = 28 + std::size_t{i} * pointSize;
        if (shortPoints)
            return QPointF(static_cast<std::int16_t>(*r.U16(o)),
                           static_cast<std::int16_t>(*r.U16(o + 2)));
        return QPointF(*r.I32(o), *r.I32(o + 4));
    };
    if (n == 0)
        return;
    ApplyPen();
    const QPointF start = fromCurrent ? dc_.Position : point(0);
    TPoint p = MapToTarget(start.x(), start.y());
    for (std::uint32_t i = fromCurrent ? 0 : 1; i < n; ++i) {
        const QPointF q = point(i);
        const TPoint next = MapToTarget(q.x(), q.y());
        Line(p, next);
        p = next;
        dc_.Position = q;
    }
    if (closed)
        Line(p, MapToTarget(start.x(), start.y()));
}

void TPlayer::DrawImage(const TByteView& r, TRect destLogical, std::int64_t srcX, std::int64_t srcY,
                        std::int64_t srcW, std::int64_t srcH, std::uint32_t offBmi,
                        std::uint32_t cbBmi, std::uint32_t offBits, std::uint32_t cbBits,
                        std::uint32_t usage, bool bottomUpSource, bool keepAlpha,
                        std::optional<TColor> transparent) {
    QImage image = DecodeDib(r, offBmi, cbBmi, offBits, cbBits, usage, keepAlpha);
    if (image.isNull() || srcW == 0 || srcH == 0) {
        ++skipped_;
        return;
    }
    bool mirrorX = false, mirrorY = false;
    if (!CropToSource(image, srcX, srcY, srcW, srcH, bottomUpSource, mirrorX, mirrorY))
        return;

    TRect dest = MapRect(destLogical);
    mirrorX = mirrorX != (dest.Right < dest.Left);
    mirrorY = mirrorY != (dest.Bottom < dest.Top);
    dest = Normalized(dest);
    if (dest.IsEmpty())
        return;
    if (mirrorX || mirrorY)
        image = image.mirrored(mirrorX, mirrorY);

    if (transparent) {
        image = KeyedOut(image, *transparent);
        keepAlpha = true;
    }
    if (keepAlpha && image.hasAlphaChannel() && DrawColourKeyed(dest, image))
        return;
    target_.StretchDraw(dest, TBitmap(image));
}

// Fully transparent or opaque pixels at their own size: a colour-keyed copy,
// which every canvas draws exactly. False, drawing nothing, for any other
// image, which takes a blended stretch.
bool TPlayer::DrawColourKeyed(const TRect& dest, const QImage& image) {
    QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    bool binary = true;
    QSet<QRgb> colours;
    for (int y = 0; y < straight.height() && binary; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
        for (int x = 0; x < straight.width(); ++x) {
            const int a = qAlpha(line[x]);
            if (a != 0 && a != 255) {
                binary = false;
                break;
            }
            if (a == 255)
                colours.insert(line[x] & 0xFFFFFF);
        }
    }
    if (!binary || dest.Width() != straight.width() || dest.Height() != straight.height())
        return false;
    QRgb key = 0xFF00FF;
    while (colours.contains(key))
        key = (key + 0x010307) & 0xFFFFFF;
    for (int y = 0; y < straight.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(straight.scanLine(y));
        for (int x = 0; x < straight.width(); ++x)
            line[x] = qAlpha(line[x]) == 0 ? (0xFF000000u | key) : (line[x] | 0xFF000000u);
    }
    const TColor keyColor = RGB(qRed(key), qGreen(key), qBlue(key));
    target_.DrawTransparent(dest.Left, dest.Top,
                            TBitmap(straight.convertToFormat(QImage::Format_RGB32)), keyColor);
    return true;
}

void TPlayer::Blit(const TByteView& r, bool stretch) {
    if (!r.Has(0, stretch ? 108 : 100))
        return;
    const std::int32_t x = *r.I32(24), y = *r.I32(28), cx = *r.I32(32), cy = *r.I32(36);
    const std::uint32_t rop = *r.U32(40);
    const std::uint32_t cbBmi = *r.U32(88);
    const TRect destLogical = ExtentRect(x, y, cx, cy);
    if (cbBmi == 0) {
        // No source: a pattern or constant fill of the destination.
        const TRect dest = MapRect(destLogical);
        if (rop == 0x00F00021)
            FillTargetRect(dest, dc_.Brush);
        else if (rop == 0x00000042)
            FillTargetRect(dest, TBrushObject{bsSolid, clBlack});
        else if (rop == 0x00FF0062)
            FillTargetRect(dest, TBrushObject{bsSolid, clWhite});
        else
            ++skipped_;
        return;
    }
    const std::int64_t srcW = stretch ? *r.I32(100) : cx;
    const std::int64_t srcH = stretch ? *r.I32(104) : cy;
    DrawImage(r, destLogical, *r.I32(44), *r.I32(48), srcW, srcH, *r.U32(84), cbBmi, *r.U32(92),
              *r.U32(96), *r.U32(80), false, false, std::nullopt);
}

void TPlayer::ClipRegion(const TByteView& r) {
    const auto size = r.U32(8);
    const auto mode = r.U32(12);
    if (!size || !mode)
        return;
    const TByteView rgn = r.Sub(16, *size);
    if (*mode == 5 && (*size == 0 || rgn.Size() == 0)) {
        dc_.Clip.reset();
        ApplyClip();
        return;
    }
    const std::vector<TRect> rects = RegionRects(rgn);
    TRect region{};
    for (const TRect& rect : rects)
        region = Union(region, MapDeviceRect(rect));
    switch (*mode) {
    case 1: // and
        dc_.Clip = dc_.Clip ? Intersect(*dc_.Clip, region) : region;
        break;
    case 2: // or
    case 3: // xor, kept as the union's bounds
        if (dc_.Clip)
            dc_.Clip = Union(*dc_.Clip, region);
        break;
    case 4: // diff: a hole the single clip rectangle cannot hold
        break;
    case 5: // copy
        dc_.Clip = region;
        break;
    default:
        ++skipped_;
        return;
    }
    ApplyClip();
}

const TPlayer::TRecordEntry* TPlayer::RecordEntry(std::uint32_t type) {
    static const auto table = [] {
        std::array<TRecordEntry, kCreateColorSpaceW + 1> t{};
        const auto set = [&t](std::uint32_t type, TRecordHandler play, std::size_t minSize) {
            t[type] = TRecordEntry{play, minSize};
        };
        set(kSetWindowExtEx, &TPlayer::SetExtentOrOrigin, 16);
        set(kSetWindowOrgEx, &TPlayer::SetExtentOrOrigin, 16);
        set(kSetViewportExtEx, &TPlayer::SetExtentOrOrigin, 16);
        set(kSetViewportOrgEx, &TPlayer::SetExtentOrOrigin, 16);
        set(kScaleViewportExtEx, &TPlayer::ScaleExtent, 24);
        set(kScaleWindowExtEx, &TPlayer::ScaleExtent, 24);
        set(kSetMapMode, &TPlayer::SetMapMode, 12);
        set(kSetWorldTransform, &TPlayer::SetWorldTransform, 32);
        set(kModifyWorldTransform, &TPlayer::SetWorldTransform, 36);
        set(kSetBkMode, &TPlayer::SetTextSetting, 12);
        set(kSetTextAlign, &TPlayer::SetTextSetting, 12);
        set(kSetTextColor, &TPlayer::SetTextSetting, 12);
        set(kSetBkColor, &TPlayer::SetTextSetting, 12);
        set(kMoveToEx, &TPlayer::MoveTo, 16);
        set(kSaveDC, &TPlayer::SaveState, 0);
        set(kRestoreDC, &TPlayer::RestoreState, 12);
        set(kSelectObject, &TPlayer::SelectObjectRecord, 12);
        set(kDeleteObject, &TPlayer::DeleteObject, 12);
        set(kCreatePen, &TPlayer::CreatePen, 28);
        set(kExtCreatePen, &TPlayer::ExtCreatePen, 52);
        set(kCreateBrushIndirect, &TPlayer::CreateBrush, 24);
        set(kCreateMonoBrush, &TPlayer::CreatePatternBrush, 12);
        set(kCreateDibPatternBrushPt, &TPlayer::CreatePatternBrush, 12);
        set(kCreatePalette, &TPlayer::CreateOtherObject, 12);
        set(kCreateColorSpace, &TPlayer::CreateOtherObject, 12);
        set(kCreateColorSpaceW, &TPlayer::CreateOtherObject, 12);
        set(kExtCreateFontIndirectW, &TPlayer::CreateFont, 104);
        set(kIntersectClipRect, &TPlayer::IntersectClip, 24);
        set(kOffsetClipRgn, &TPlayer::OffsetClip, 16);
        set(kExtSelectClipRgn, &TPlayer::SelectClipRegion, 16);
        set(kLineTo, &TPlayer::LineToRecord, 16);
        set(kRectangle, &TPlayer::ShapeRecord, 24);
        set(kRoundRect, &TPlayer::ShapeRecord, 24);
        set(kEllipse, &TPlayer::ShapeRecord, 24);
        set(kSetPixelV, &TPlayer::SetPixel, 20);
        for (std::uint32_t type :
             {kPolyline, kPolyline16, kPolylineTo, kPolylineTo16, kPolygon, kPolygon16})
            set(type, &TPlayer::PolylineRecord, 28);
        set(kFillRgn, &TPlayer::PaintRegion, 32);
        set(kFrameRgn, &TPlayer::PaintRegion, 40);
        set(kPaintRgn, &TPlayer::PaintRegion, 28);
        set(kExtTextOutA, &TPlayer::TextRecord, 56);
        set(kExtTextOutW, &TPlayer::TextRecord, 56);
        // Blits check their own size: the one they need depends on the record.
        set(kBitBlt, &TPlayer::BlitRecord, 0);
        set(kStretchBlt, &TPlayer::BlitRecord, 0);
        set(kStretchDIBits, &TPlayer::StretchDIBits, 80);
        set(kSetDIBitsToDevice, &TPlayer::SetDIBitsToDevice, 76);
        set(kAlphaBlend, &TPlayer::BlendOrKeyedBlit, 108);
        set(kTransparentBlt, &TPlayer::BlendOrKeyedBlit, 108);
        return t;
    }();
    if (type >= table.size() || !table[type].Play)
        return nullptr;
    return &table[type];
}

void TPlayer::PlayRecord(const TRecordEntry& entry, std::uint32_t type, const TByteView& r) {
    if (r.Size() < entry.MinSize) {
        ++skipped_;
        return;
    }
    (this->*entry.Play)(type, r);
}

// --- mapping --------------------------------------------------------------------------

void TPlayer::SetExtentOrOrigin(std::uint32_t type, const TByteView& r) {
    const QPointF value(I32At(r, 8), I32At(r, 12));
    if (type == kSetWindowExtEx) {
        if (value.x() != 0 && value.y() != 0)
            dc_.WindowExt = value;
    } else if (type == kSetViewportExtEx) {
        if (value.x() != 0 && value.y() != 0)
            dc_.ViewportExt = value;
    } else if (type == kSetWindowOrgEx) {
        dc_.WindowOrg = value;
    } else {
        dc_.ViewportOrg = value;
    }
    MappingChanged();
}

void TPlayer::ScaleExtent(std::uint32_t type, const TByteView& r) {
    const double xNum = I32At(r, 8), xDen = I32At(r, 12), yNum = I32At(r, 16), yDen = I32At(r, 20);
    if (xDen == 0 || yDen == 0 || xNum == 0 || yNum == 0)
        return;
    QPointF& ext = type == kScaleViewportExtEx ? dc_.ViewportExt : dc_.WindowExt;
    ext = QPointF(ext.x() * xNum / xDen, ext.y() * yNum / yDen);
    MappingChanged();
}

void TPlayer::SetMapMode(std::uint32_t, const TByteView& r) {
    const std::uint32_t mode = U32At(r, 8);
    if (mode >= MM_TEXT && mode <= MM_ANISOTROPIC)
        dc_.MapMode = mode;
    MappingChanged();
}

void TPlayer::SetWorldTransform(std::uint32_t type, const TByteView& r) {
    float m[6];
    for (int i = 0; i < 6; ++i)
        m[i] = r.F32(8 + 4 * static_cast<std::size_t>(i)).value_or(0);
    for (float v : m)
        if (!std::isfinite(v) || std::abs(v) > 1e6f)
            return;
    const QTransform x(m[0], m[1], m[2], m[3], m[4], m[5]);
    const std::uint32_t mode = type == kSetWorldTransform ? 4 : U32At(r, 32);
    if (mode == 1)
        dc_.World = QTransform();
    else if (mode == 2)
        dc_.World = x * dc_.World;
    else if (mode == 3)
        dc_.World = dc_.World * x;
    else if (mode == 4)
        dc_.World = x;
    MappingChanged();
}

// --- settings and saved states ------------------------------------------------------

void TPlayer::SetTextSetting(std::uint32_t type, const TByteView& r) {
    switch (type) {
    case kSetBkMode:
        dc_.BkMode = U32At(r, 8) == TRANSPARENT ? TRANSPARENT : OPAQUE;
        return;
    case kSetTextAlign:
        dc_.TextAlign = U32At(r, 8);
        return;
    case kSetTextColor:
        dc_.TextColor = ColorAt(r, 8);
        return;
    case kSetBkColor:
        dc_.BkColor = ColorAt(r, 8);
        return;
    default:
        Q_ASSERT_X(false, "TPlayer::SetTextSetting", "a record of another family");
        return;
    }
}

void TPlayer::MoveTo(std::uint32_t, const TByteView& r) {
    dc_.Position = QPointF(I32At(r, 8), I32At(r, 12));
}

void TPlayer::SaveState(std::uint32_t, const TByteView&) {
    if (saved_.size() < kMaxSavedStates)
        saved_.push_back(dc_);
    else
        ++skipped_;
}

void TPlayer::RestoreState(std::uint32_t, const TByteView& r) {
    const std::int64_t relative = I32At(r, 8);
    const std::int64_t depth = static_cast<std::int64_t>(saved_.size());
    const std::int64_t index = relative < 0 ? depth + relative + 1 : relative;
    if (index < 1 || index > depth) {
        ++skipped_;
        return;
    }
    dc_ = saved_[static_cast<std::size_t>(index - 1)];
    saved_.resize(static_cast<std::size_t>(index - 1));
    MappingChanged();
    ApplyClip();
}

// --- objects --------------------------------------------------------------------------

void TPlayer::SelectObjectRecord(std::uint32_t, const TByteView& r) {
    SelectObject(U32At(r, 8));
}

void TPlayer::DeleteObject(std::uint32_t, const TByteView& r) {
    if (TObject* object = ObjectAt(U32At(r, 8)))
        *object = std::monostate{};
}

void TPlayer::CreatePen(std::uint32_t, const TByteView& r) {
    TPenObject pen;
    pen.Style = PenStyleOf(U32At(r, 12) & 0xF);
    pen.Width = std::abs(static_cast<double>(I32At(r, 16)));
    pen.Cosmetic = pen.Width == 0;
    pen.Color = ColorAt(r, 24);
    CreateObject(U32At(r, 8), pen);
}

void TPlayer::ExtCreatePen(std::uint32_t, const TByteView& r) {
    const std::uint32_t style = U32At(r, 28);
    TPenObject pen;
    // A hollow brush in the pen's place draws nothing either.
    pen.Style = U32At(r, 36) == 1 ? psClear : PenStyleOf(style & 0xF);
    pen.Cosmetic = (style & 0x000F0000) == 0;
    pen.Width = pen.Cosmetic ? 0 : static_cast<double>(U32At(r, 32));
    pen.Color = ColorAt(r, 40);
    CreateObject(U32At(r, 8), pen);
}

void TPlayer::CreateBrush(std::uint32_t, const TByteView& r) {
    const std::uint32_t style = U32At(r, 12);
    // Hatched brushes are drawn solid in their colour.
    CreateObject(U32At(r, 8), TBrushObject{style == 1 ? bsClear : bsSolid, ColorAt(r, 16)});
}

void TPlayer::CreatePatternBrush(std::uint32_t, const TByteView& r) {
    // Pattern brushes: a solid fill in the pattern's place.
    CreateObject(U32At(r, 8), TBrushObject{bsSolid, clGray});
}

void TPlayer::CreateOtherObject(std::uint32_t, const TByteView& r) {
    CreateObject(U32At(r, 8), TOtherObject{});
}

void TPlayer::CreateFont(std::uint32_t, const TByteView& r) {
    TFontObject font;
    font.Height = std::clamp(I32At(r, 12), -1000000, 1000000);
    font.Weight = I32At(r, 28);
    font.Italic = r.Data()[32] != 0;
    font.Underline = r.Data()[33] != 0;
    font.StrikeOut = r.Data()[34] != 0;
    font.Charset = static_cast<unsigned char>(r.Data()[35]);
    std::vector<char16_t> face(32);
    std::memcpy(face.data(), r.Data() + 40, 64);
    qsizetype length = 0;
    while (length < 32 && face[static_cast<std::size_t>(length)] != 0)
        ++length;
    font.Face = QString::fromUtf16(face.data(), length);
    CreateObject(U32At(r, 8), font);
}

// --- clip -----------------------------------------------------------------------------

void TPlayer::IntersectClip(std::uint32_t, const TByteView& r) {
    const TRect rect = Normalized(MapRect(RectAt(r, 8)));
    dc_.Clip = dc_.Clip ? Intersect(*dc_.Clip, rect) : rect;
    ApplyClip();
}

void TPlayer::OffsetClip(std::uint32_t, const TByteView& r) {
    if (!dc_.Clip)
        return;
    const TPoint origin = MapToTarget(0, 0);
    const TPoint moved = MapToTarget(I32At(r, 8), I32At(r, 12));
    const int dx = moved.X - origin.X, dy = moved.Y - origin.Y;
    dc_.Clip =
        TRect{dc_.Clip->Left + dx, dc_.Clip->Top + dy, dc_.Clip->Right + dx, dc_.Clip->Bottom + dy};
    ApplyClip();
}

void TPlayer::SelectClipRegion(std::uint32_t, const TByteView& r) {
    ClipRegion(r);
}

// --- drawing --------------------------------------------------------------------------

void TPlayer::LineToRecord(std::uint32_t, const TByteView& r) {
    ApplyPen();
    Line(MapToTarget(dc_.Position.x(), dc_.Position.y()), MapToTarget(I32At(r, 8), I32At(r, 12)));
    dc_.Position = QPointF(I32At(r, 8), I32At(r, 12));
}

void TPlayer::ShapeRecord(std::uint32_t type, const TByteView& r) {
    Shape(type, MapRect(RectAt(r, 8)));
}

void TPlayer::SetPixel(std::uint32_t, const TByteView& r) {
    const TPoint p = MapToTarget(I32At(r, 8), I32At(r, 12));
    const int w = std::max(1, ToInt(ScaleX())), h = std::max(1, ToInt(ScaleY()));
    FillTargetRect(Bounds(p.X, p.Y, w, h), TBrushObject{bsSolid, ColorAt(r, 16)});
}

void TPlayer::PolylineRecord(std::uint32_t type, const TByteView& r) {
    Polyline(r, type == kPolyline16 || type == kPolylineTo16 || type == kPolygon16,
             type == kPolylineTo || type == kPolylineTo16, type == kPolygon || type == kPolygon16);
}

void TPlayer::PaintRegion(std::uint32_t type, const TByteView& r) {
    const std::size_t dataOffset = type == kFillRgn ? 32 : type == kFrameRgn ? 40 : 28;
    TBrushObject brush = dc_.Brush;
    if (type != kPaintRgn) {
        const TObject* object = ObjectAt(U32At(r, 28));
        const auto* b = object ? std::get_if<TBrushObject>(object) : nullptr;
        if (!b) {
            ++skipped_;
            return;
        }
        brush = *b;
    }
    const std::vector<TRect> rects = RegionRects(r.Sub(dataOffset, U32At(r, 24)));
    if (type == kFrameRgn) {
        FrameRects(rects, std::max(1, ToInt(I32At(r, 32) * ScaleX())),
                   std::max(1, ToInt(I32At(r, 36) * ScaleY())), brush);
        return;
    }
    for (const TRect& logical : rects)
        FillTargetRect(MapRect(logical), brush);
}

// Each rectangle's edges, `sx` pixels wide at the sides and `sy` high at top
// and bottom.
void TPlayer::FrameRects(const std::vector<TRect>& rects, int sx, int sy,
                         const TBrushObject& brush) {
    for (const TRect& logical : rects) {
        const TRect b = Normalized(MapRect(logical));
        FillTargetRect(TRect{b.Left, b.Top, b.Right, std::min(b.Bottom, b.Top + sy)}, brush);
        FillTargetRect(TRect{b.Left, std::max(b.Top, b.Bottom - sy), b.Right, b.Bottom}, brush);
        FillTargetRect(TRect{b.Left, b.Top, std::min(b.Right, b.Left + sx), b.Bottom}, brush);
        FillTargetRect(TRect{std::max(b.Left, b.Right - sx), b.Top, b.Right, b.Bottom}, brush);
    }
}

void TPlayer::TextRecord(std::uint32_t type, const TByteView& r) {
    Text(r, type == kExtTextOutW);
}

// --- bitmaps --------------------------------------------------------------------------

void TPlayer::BlitRecord(std::uint32_t type, const TByteView& r) {
    Blit(r, type == kStretchBlt);
}

void TPlayer::StretchDIBits(std::uint32_t, const TByteView& r) {
    const TRect destLogical = ExtentRect(I32At(r, 24), I32At(r, 28), I32At(r, 72), I32At(r, 76));
    // Source rows of a bottom-up bitmap are counted from its bottom line.
    DrawImage(r, destLogical, I32At(r, 32), I32At(r, 36), I32At(r, 40), I32At(r, 44), U32At(r, 48),
              U32At(r, 52), U32At(r, 56), U32At(r, 60), U32At(r, 64),
              BottomUpBitmap(r, U32At(r, 48)), false, std::nullopt);
}

void TPlayer::SetDIBitsToDevice(std::uint32_t, const TByteView& r) {
    const std::int32_t w = I32At(r, 40), h = I32At(r, 44);
    const TRect destLogical = ExtentRect(I32At(r, 24), I32At(r, 28), w, h);
    DrawImage(r, destLogical, I32At(r, 32), I32At(r, 36), w, h, U32At(r, 48), U32At(r, 52),
              U32At(r, 56), U32At(r, 60), U32At(r, 64), BottomUpBitmap(r, U32At(r, 48)), false,
              std::nullopt);
}

void TPlayer::BlendOrKeyedBlit(std::uint32_t type, const TByteView& r) {
    const TRect destLogical = ExtentRect(I32At(r, 24), I32At(r, 28), I32At(r, 32), I32At(r, 36));
    const bool perPixel = type == kAlphaBlend && (U32At(r, 40) >> 24) == 1;
    std::optional<TColor> key;
    if (type == kTransparentBlt)
        key = ColorAt(r, 40);
    DrawImage(r, destLogical, I32At(r, 44), I32At(r, 48), I32At(r, 100), I32At(r, 104),
              U32At(r, 84), U32At(r, 88), U32At(r, 92), U32At(r, 96), U32At(r, 80), false, perPixel,
              key);
}

TMetafilePlayback TPlayer::Play() {
    TMetafilePlayback result;
    if (!Prepare())
        return result;
    const std::size_t total =
        std::min<std::size_t>(view_.Size(), view_.U32(emf::kBytesOffset).value_or(0));
    // The target's state comes back as it was, also when drawing fails.
    const TCanvasStateSaver saver(target_);
    baseClip_ = target_.ClipRect();
    TRect area = Normalized(dest_);
    if (baseClip_)
        area = Union(area, Normalized(*baseClip_));
    const int margin = std::max(area.Width(), area.Height()) + 16;
    playfield_ =
        TRect{area.Left - margin, area.Top - margin, area.Right + margin, area.Bottom + margin};
    std::size_t offset = 0;
    while (offset < total) {
        const auto type = view_.U32(offset);
        const auto size = view_.U32(offset + 4);
        if (!type || !size || *size < 8 || *size % 4 != 0 || *size > total - offset) {
            result.Stopped = true;
            break;
        }
        const TByteView record = view_.Sub(offset, *size);
        ++result.Records;
        offset += *size;
        Q_ASSERT_X(offset <= total, "TPlayer::Play",
                   "the stream stands at the next record, never past the data");
        if (offset == *size && *type != emf::kRecordHeader) {
            result.Stopped = true;
            break;
        }
        if (*type == kEof)
            break;
        if (*type == emf::kRecordHeader)
            continue;
        const TRecordEntry* entry = RecordEntry(*type);
        if (!entry || !U_emf_record_safe(record.Data())) {
            ++skipped_;
            continue;
        }
        PlayRecord(*entry, *type, record);
    }
    result.Skipped = skipped_;
    return result;
}

} // namespace

TMetafilePlayback PlayMetafile(const TMetafile& metafile, TCanvas& target, const TRect& dest) {
    TPlayer player(metafile, target, dest);
    return player.Play();
}

void TCanvas::StretchDraw(const TRect& dest, const TMetafile& metafile) {
    PlayMetafile(metafile, *this, dest);
}
