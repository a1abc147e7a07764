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
#include "platform/graphics/emf_format.h"
#include "platform/graphics/metafile.h"

#include <QImage>
#include <QPointF>
#include <QSet>
#include <QTransform>
#include <algorithm>
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

// A device-independent bitmap inside a record, decoded top-down. Only the
// uncompressed layouts (and bit fields) that pages use are decoded.
QImage DecodeDib(const TByteView& rec, std::uint32_t offBmi, std::uint32_t cbBmi,
                 std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage, bool keepAlpha) {
    if (cbBmi < 40 || !rec.Has(offBmi, cbBmi) || !rec.Has(offBits, cbBits))
        return {};
    const TByteView bmi = rec.Sub(offBmi, cbBmi);
    const std::uint32_t headerSize = *bmi.U32(0);
    const std::int32_t width = *bmi.I32(4);
    const std::int32_t rawHeight = *bmi.I32(8);
    const std::uint16_t bits = *bmi.U16(14);
    const std::uint32_t compression = *bmi.U32(16);
    const std::uint32_t used = *bmi.U32(32);
    if (headerSize < 40 || headerSize > cbBmi || width <= 0 || rawHeight == 0 ||
        rawHeight == INT32_MIN)
        return {};
    const std::int64_t height = std::abs(static_cast<std::int64_t>(rawHeight));
    if (static_cast<std::int64_t>(width) * height > kMaxImagePixels)
        return {};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return {};
    const bool bitFields = compression == 3;
    if (compression != 0 && !(bitFields && (bits == 16 || bits == 32)))
        return {};

    std::uint32_t masks[3] = {0, 0, 0};
    std::size_t tableOffset = headerSize;
    if (bitFields) {
        const std::size_t maskOffset = headerSize >= 52 ? 40 : headerSize;
        if (!bmi.Has(maskOffset, 12))
            return {};
        for (int i = 0; i < 3; ++i)
            masks[i] = *bmi.U32(maskOffset + 4 * static_cast<std::size_t>(i));
        if (headerSize < 52)
            tableOffset += 12;
    } else if (bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }

    std::vector<QRgb> palette;
    if (bits <= 8) {
        const std::uint32_t maxColors = 1u << bits;
        std::uint32_t colors = used == 0 || used > maxColors ? maxColors : used;
        if (usage == 0) {
            const std::size_t available =
                bmi.Has(tableOffset, 0) ? (bmi.Size() - tableOffset) / 4 : 0;
            colors = static_cast<std::uint32_t>(std::min<std::size_t>(colors, available));
            for (std::uint32_t i = 0; i < colors; ++i) {
                const std::uint32_t quad = *bmi.U32(tableOffset + 4 * std::size_t{i});
                palette.push_back(qRgb((quad >> 16) & 0xFF, (quad >> 8) & 0xFF, quad & 0xFF));
            }
        } else {
            // Indexes into a logical palette the player does not keep: grey levels.
            for (std::uint32_t i = 0; i < maxColors; ++i) {
                const int level = static_cast<int>(i * 255 / (maxColors - 1));
                palette.push_back(qRgb(level, level, level));
            }
        }
    }

    const std::int64_t stride = ((static_cast<std::int64_t>(width) * bits + 31) / 32) * 4;
    if (stride * height > cbBits)
        return {};
    const TByteView pixels = rec.Sub(offBits, cbBits);

    const auto channel = [](std::uint32_t value, std::uint32_t mask) -> int {
        if (mask == 0)
            return 0;
        const int shift = std::countr_zero(mask);
        const std::uint64_t max = mask >> shift;
        return static_cast<int>(std::uint64_t{(value & mask) >> shift} * 255 / max);
    };

    QImage image(width, static_cast<int>(height),
                 keepAlpha && bits == 32 ? QImage::Format_ARGB32_Premultiplied
                                         : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (std::int64_t row = 0; row < height; ++row) {
        const std::int64_t sourceRow = rawHeight > 0 ? height - 1 - row : row;
        const unsigned char* line =
            reinterpret_cast<const unsigned char*>(pixels.Data() + sourceRow * stride);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(row)));
        for (std::int32_t x = 0; x < width; ++x) {
            QRgb color = 0;
            switch (bits) {
            case 1:
            case 4:
            case 8: {
                const std::int64_t bit = static_cast<std::int64_t>(x) * bits;
                const unsigned byte = line[bit / 8];
                const unsigned index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                color = index < palette.size() ? palette[index] : qRgb(0, 0, 0);
                break;
            }
            case 16: {
                const std::uint32_t v = line[2 * x] | (line[2 * x + 1] << 8);
                color = qRgb(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
                break;
            }
            case 24:
                color = qRgb(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
                break;
            case 32: {
                std::uint32_t v;
                std::memcpy(&v, line + 4 * x, 4);
                if (keepAlpha)
                    color = v;
                else
                    color = qRgb(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
                break;
            }
            default:
                break;
            }
            out[x] = keepAlpha && bits == 32 ? color : (color | 0xFF000000u);
        }
    }
    if (keepAlpha && bits == 32) {
        // Premultiplied data must not hold a colour channel above its alpha.
        for (int row = 0; row < image.height(); ++row) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(line[x]);
                line[x] = qRgba(std::min(qRed(line[x]), a), std::min(qGreen(line[x]), a),
                                std::min(qBlue(line[x]), a), a);
            }
        }
    }
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

bool Handled(std::uint32_t type) {
    switch (type) {
    case kPolygon:
    case kPolyline:
    case kPolylineTo:
    case kSetWindowExtEx:
    case kSetWindowOrgEx:
    case kSetViewportExtEx:
    case kSetViewportOrgEx:
    case kSetPixelV:
    case kSetMapMode:
    case kSetBkMode:
    case kSetTextAlign:
    case kSetTextColor:
    case kSetBkColor:
    case kOffsetClipRgn:
    case kMoveToEx:
    case kIntersectClipRect:
    case kScaleViewportExtEx:
    case kScaleWindowExtEx:
    case kSaveDC:
    case kRestoreDC:
    case kSetWorldTransform:
    case kModifyWorldTransform:
    case kSelectObject:
    case kCreatePen:
    case kCreateBrushIndirect:
    case kDeleteObject:
    case kEllipse:
    case kRectangle:
    case kRoundRect:
    case kCreatePalette:
    case kLineTo:
    case kFillRgn:
    case kFrameRgn:
    case kPaintRgn:
    case kExtSelectClipRgn:
    case kBitBlt:
    case kStretchBlt:
    case kSetDIBitsToDevice:
    case kStretchDIBits:
    case kExtCreateFontIndirectW:
    case kExtTextOutA:
    case kExtTextOutW:
    case kPolygon16:
    case kPolyline16:
    case kPolylineTo16:
    case kCreateMonoBrush:
    case kCreateDibPatternBrushPt:
    case kExtCreatePen:
    case kCreateColorSpace:
    case kAlphaBlend:
    case kTransparentBlt:
    case kCreateColorSpaceW:
        return true;
    default:
        return false;
    }
}

class TPlayer {
public:
    TPlayer(const TMetafile& metafile, TCanvas& target, const TRect& dest)
        : data_(metafile.Data()), view_(data_), target_(target), dest_(dest) {}

    TMetafilePlayback Play();

private:
    bool Prepare();
    void PlayRecord(std::uint32_t type, const TByteView& r);

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
    void Polyline(const TByteView& r, bool shortPoints, bool fromCurrent, bool closed);
    void DrawImage(const TByteView& r, TRect destLogical, std::int64_t srcX, std::int64_t srcY,
                   std::int64_t srcW, std::int64_t srcH, std::uint32_t offBmi, std::uint32_t cbBmi,
                   std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                   bool bottomUpSource, bool keepAlpha, std::optional<TColor> transparent);
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

    QString text;
    if (wide) {
        std::vector<char16_t> chars(count);
        std::memcpy(chars.data(), r.Data() + offString, std::size_t{count} * 2);
        text = QString::fromUtf16(chars.data(), static_cast<qsizetype>(count));
    } else {
        text = FromWindows1252(r.Data() + offString, count);
    }

    // Character advances, scaled without losing the rounding of the sum.
    std::vector<int> advances;
    const std::size_t step = (*options & kEtoPdy) ? 8 : 4;
    if (offDx != 0 && r.Has(offDx, std::size_t{count} * step)) {
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
    }

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
    bool mirrorX = srcW < 0, mirrorY = srcH < 0;
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
        return;
    if (x0 != 0 || y0 != 0 || x1 != image.width() || y1 != image.height())
        image = image.copy(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                           static_cast<int>(y1 - y0));

    TRect dest = MapRect(destLogical);
    mirrorX = mirrorX != (dest.Right < dest.Left);
    mirrorY = mirrorY != (dest.Bottom < dest.Top);
    dest = Normalized(dest);
    if (dest.IsEmpty())
        return;
    if (mirrorX || mirrorY)
        image = image.mirrored(mirrorX, mirrorY);

    if (transparent) {
        image = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = ToQColor(*transparent).rgb() & 0xFFFFFF;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key)
                    line[x] = 0;
        }
        keepAlpha = true;
    }
    if (keepAlpha && image.hasAlphaChannel()) {
        // Fully transparent or opaque pixels at their own size: a colour-keyed
        // copy, which every canvas draws exactly; otherwise a blended stretch.
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
        if (binary && dest.Width() == straight.width() && dest.Height() == straight.height()) {
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
                                    TBitmap(straight.convertToFormat(QImage::Format_RGB32)),
                                    keyColor);
            return;
        }
    }
    target_.StretchDraw(dest, TBitmap(image));
}

void TPlayer::Blit(const TByteView& r, bool stretch) {
    if (!r.Has(0, stretch ? 108 : 100))
        return;
    const std::int32_t x = *r.I32(24), y = *r.I32(28), cx = *r.I32(32), cy = *r.I32(36);
    const std::uint32_t rop = *r.U32(40);
    const std::uint32_t cbBmi = *r.U32(88);
    const TRect destLogical{
        x, y,
        static_cast<int>(std::clamp<std::int64_t>(std::int64_t{x} + cx, INT32_MIN, INT32_MAX)),
        static_cast<int>(std::clamp<std::int64_t>(std::int64_t{y} + cy, INT32_MIN, INT32_MAX))};
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

void TPlayer::PlayRecord(std::uint32_t type, const TByteView& r) {
    const auto u32 = [&r](std::size_t o) { return r.U32(o).value_or(0); };
    const auto i32 = [&r](std::size_t o) { return r.I32(o).value_or(0); };
    const auto rectAt = [&](std::size_t o) {
        return TRect{i32(o), i32(o + 4), i32(o + 8), i32(o + 12)};
    };
    const auto needs = [&](std::size_t size) {
        if (r.Size() >= size)
            return true;
        ++skipped_;
        return false;
    };

    switch (type) {
    case kSetWindowExtEx:
    case kSetViewportExtEx:
    case kSetWindowOrgEx:
    case kSetViewportOrgEx: {
        if (!needs(16))
            return;
        const QPointF value(i32(8), i32(12));
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
        return;
    }
    case kScaleViewportExtEx:
    case kScaleWindowExtEx: {
        if (!needs(24))
            return;
        const double xNum = i32(8), xDen = i32(12), yNum = i32(16), yDen = i32(20);
        if (xDen == 0 || yDen == 0 || xNum == 0 || yNum == 0)
            return;
        QPointF& ext = type == kScaleViewportExtEx ? dc_.ViewportExt : dc_.WindowExt;
        ext = QPointF(ext.x() * xNum / xDen, ext.y() * yNum / yDen);
        MappingChanged();
        return;
    }
    case kSetMapMode:
        if (!needs(12))
            return;
        if (u32(8) >= MM_TEXT && u32(8) <= MM_ANISOTROPIC)
            dc_.MapMode = u32(8);
        MappingChanged();
        return;
    case kSetWorldTransform:
    case kModifyWorldTransform: {
        if (!needs(type == kSetWorldTransform ? 32 : 36))
            return;
        float m[6];
        for (int i = 0; i < 6; ++i)
            m[i] = r.F32(8 + 4 * static_cast<std::size_t>(i)).value_or(0);
        for (float v : m)
            if (!std::isfinite(v) || std::abs(v) > 1e6f)
                return;
        const QTransform x(m[0], m[1], m[2], m[3], m[4], m[5]);
        const std::uint32_t mode = type == kSetWorldTransform ? 4 : u32(32);
        if (mode == 1)
            dc_.World = QTransform();
        else if (mode == 2)
            dc_.World = x * dc_.World;
        else if (mode == 3)
            dc_.World = dc_.World * x;
        else if (mode == 4)
            dc_.World = x;
        MappingChanged();
        return;
    }
    case kSetBkMode:
        if (needs(12))
            dc_.BkMode = u32(8) == TRANSPARENT ? TRANSPARENT : OPAQUE;
        return;
    case kSetTextAlign:
        if (needs(12))
            dc_.TextAlign = u32(8);
        return;
    case kSetTextColor:
        if (needs(12))
            dc_.TextColor = ColorAt(r, 8);
        return;
    case kSetBkColor:
        if (needs(12))
            dc_.BkColor = ColorAt(r, 8);
        return;
    case kMoveToEx:
        if (needs(16))
            dc_.Position = QPointF(i32(8), i32(12));
        return;
    case kLineTo: {
        if (!needs(16))
            return;
        ApplyPen();
        Line(MapToTarget(dc_.Position.x(), dc_.Position.y()), MapToTarget(i32(8), i32(12)));
        dc_.Position = QPointF(i32(8), i32(12));
        return;
    }
    case kSaveDC:
        if (saved_.size() < kMaxSavedStates)
            saved_.push_back(dc_);
        else
            ++skipped_;
        return;
    case kRestoreDC: {
        if (!needs(12))
            return;
        const std::int64_t relative = i32(8);
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
        return;
    }
    case kSelectObject:
        if (needs(12))
            SelectObject(u32(8));
        return;
    case kDeleteObject:
        if (!needs(12))
            return;
        if (TObject* object = ObjectAt(u32(8)))
            *object = std::monostate{};
        return;
    case kCreatePen: {
        if (!needs(28))
            return;
        const std::uint32_t style = u32(12) & 0xF;
        TPenObject pen;
        pen.Style = style == 5   ? psClear
                    : style <= 4 ? static_cast<TPenStyle>(style)
                    : style == 6 ? psInsideFrame
                                 : psSolid;
        pen.Width = std::abs(static_cast<double>(i32(16)));
        pen.Cosmetic = pen.Width == 0;
        pen.Color = ColorAt(r, 24);
        CreateObject(u32(8), pen);
        return;
    }
    case kExtCreatePen: {
        if (!needs(52))
            return;
        const std::uint32_t style = u32(28);
        TPenObject pen;
        const std::uint32_t dash = style & 0xF;
        pen.Style = dash == 5 || u32(36) == 1 ? psClear
                    : dash <= 4               ? static_cast<TPenStyle>(dash)
                    : dash == 6               ? psInsideFrame
                                              : psSolid;
        pen.Cosmetic = (style & 0x000F0000) == 0;
        pen.Width = pen.Cosmetic ? 0 : static_cast<double>(u32(32));
        pen.Color = ColorAt(r, 40);
        CreateObject(u32(8), pen);
        return;
    }
    case kCreateBrushIndirect: {
        if (!needs(24))
            return;
        const std::uint32_t style = u32(12);
        // Hatched brushes are drawn solid in their colour.
        CreateObject(u32(8), TBrushObject{style == 1 ? bsClear : bsSolid, ColorAt(r, 16)});
        return;
    }
    case kCreateMonoBrush:
    case kCreateDibPatternBrushPt:
        // Pattern brushes: a solid fill in the pattern's place.
        if (needs(12))
            CreateObject(u32(8), TBrushObject{bsSolid, clGray});
        return;
    case kCreatePalette:
    case kCreateColorSpace:
    case kCreateColorSpaceW:
        if (needs(12))
            CreateObject(u32(8), TOtherObject{});
        return;
    case kExtCreateFontIndirectW: {
        if (!needs(104))
            return;
        TFontObject font;
        font.Height = std::clamp(i32(12), -1000000, 1000000);
        font.Weight = i32(28);
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
        CreateObject(u32(8), font);
        return;
    }
    case kRectangle:
    case kRoundRect:
    case kEllipse: {
        if (!needs(24))
            return;
        Shape(type, MapRect(rectAt(8)));
        return;
    }
    case kSetPixelV: {
        if (!needs(20))
            return;
        const TPoint p = MapToTarget(i32(8), i32(12));
        const int w = std::max(1, ToInt(ScaleX())), h = std::max(1, ToInt(ScaleY()));
        FillTargetRect(Bounds(p.X, p.Y, w, h), TBrushObject{bsSolid, ColorAt(r, 16)});
        return;
    }
    case kPolyline:
    case kPolyline16:
    case kPolylineTo:
    case kPolylineTo16:
    case kPolygon:
    case kPolygon16:
        if (!needs(28))
            return;
        Polyline(r, type == kPolyline16 || type == kPolylineTo16 || type == kPolygon16,
                 type == kPolylineTo || type == kPolylineTo16,
                 type == kPolygon || type == kPolygon16);
        return;
    case kIntersectClipRect: {
        if (!needs(24))
            return;
        const TRect rect = Normalized(MapRect(rectAt(8)));
        dc_.Clip = dc_.Clip ? Intersect(*dc_.Clip, rect) : rect;
        ApplyClip();
        return;
    }
    case kOffsetClipRgn: {
        if (!needs(16) || !dc_.Clip)
            return;
        const TPoint origin = MapToTarget(0, 0);
        const TPoint moved = MapToTarget(i32(8), i32(12));
        const int dx = moved.X - origin.X, dy = moved.Y - origin.Y;
        dc_.Clip = TRect{dc_.Clip->Left + dx, dc_.Clip->Top + dy, dc_.Clip->Right + dx,
                         dc_.Clip->Bottom + dy};
        ApplyClip();
        return;
    }
    case kExtSelectClipRgn:
        if (needs(16))
            ClipRegion(r);
        return;
    case kFillRgn:
    case kFrameRgn:
    case kPaintRgn: {
        const std::size_t dataOffset = type == kFillRgn ? 32 : type == kFrameRgn ? 40 : 28;
        if (!needs(dataOffset))
            return;
        TBrushObject brush = dc_.Brush;
        if (type != kPaintRgn) {
            const TObject* object = ObjectAt(u32(28));
            const auto* b = object ? std::get_if<TBrushObject>(object) : nullptr;
            if (!b) {
                ++skipped_;
                return;
            }
            brush = *b;
        }
        const std::vector<TRect> rects = RegionRects(r.Sub(dataOffset, u32(24)));
        if (type == kFrameRgn) {
            const int sx = std::max(1, ToInt(i32(32) * ScaleX())),
                      sy = std::max(1, ToInt(i32(36) * ScaleY()));
            for (const TRect& logical : rects) {
                const TRect b = Normalized(MapRect(logical));
                FillTargetRect(TRect{b.Left, b.Top, b.Right, std::min(b.Bottom, b.Top + sy)},
                               brush);
                FillTargetRect(TRect{b.Left, std::max(b.Top, b.Bottom - sy), b.Right, b.Bottom},
                               brush);
                FillTargetRect(TRect{b.Left, b.Top, std::min(b.Right, b.Left + sx), b.Bottom},
                               brush);
                FillTargetRect(TRect{std::max(b.Left, b.Right - sx), b.Top, b.Right, b.Bottom},
                               brush);
            }
        } else {
            for (const TRect& logical : rects)
                FillTargetRect(MapRect(logical), brush);
        }
        return;
    }
    case kBitBlt:
        Blit(r, false);
        return;
    case kStretchBlt:
        Blit(r, true);
        return;
    case kStretchDIBits: {
        if (!needs(80))
            return;
        const std::int32_t x = i32(24), y = i32(28);
        const TRect destLogical{x, y,
                                static_cast<int>(std::clamp<std::int64_t>(std::int64_t{x} + i32(72),
                                                                          INT32_MIN, INT32_MAX)),
                                static_cast<int>(std::clamp<std::int64_t>(std::int64_t{y} + i32(76),
                                                                          INT32_MIN, INT32_MAX))};
        // Source rows of a bottom-up bitmap are counted from its bottom line.
        const bool bottomUp = r.Has(u32(48), 12) && r.I32(u32(48) + 8).value_or(0) > 0;
        DrawImage(r, destLogical, i32(32), i32(36), i32(40), i32(44), u32(48), u32(52), u32(56),
                  u32(60), u32(64), bottomUp, false, std::nullopt);
        return;
    }
    case kSetDIBitsToDevice: {
        if (!needs(76))
            return;
        const std::int32_t x = i32(24), y = i32(28), w = i32(40), h = i32(44);
        const TRect destLogical{
            x, y,
            static_cast<int>(std::clamp<std::int64_t>(std::int64_t{x} + w, INT32_MIN, INT32_MAX)),
            static_cast<int>(std::clamp<std::int64_t>(std::int64_t{y} + h, INT32_MIN, INT32_MAX))};
        const bool bottomUp = r.Has(u32(48), 12) && r.I32(u32(48) + 8).value_or(0) > 0;
        DrawImage(r, destLogical, i32(32), i32(36), w, h, u32(48), u32(52), u32(56), u32(60),
                  u32(64), bottomUp, false, std::nullopt);
        return;
    }
    case kAlphaBlend:
    case kTransparentBlt: {
        if (!needs(108))
            return;
        const std::int32_t x = i32(24), y = i32(28);
        const TRect destLogical{x, y,
                                static_cast<int>(std::clamp<std::int64_t>(std::int64_t{x} + i32(32),
                                                                          INT32_MIN, INT32_MAX)),
                                static_cast<int>(std::clamp<std::int64_t>(std::int64_t{y} + i32(36),
                                                                          INT32_MIN, INT32_MAX))};
        const bool perPixel = type == kAlphaBlend && (u32(40) >> 24) == 1;
        std::optional<TColor> key;
        if (type == kTransparentBlt)
            key = ColorAt(r, 40);
        DrawImage(r, destLogical, i32(44), i32(48), i32(100), i32(104), u32(84), u32(88), u32(92),
                  u32(96), u32(80), false, perPixel, key);
        return;
    }
    case kExtTextOutA:
    case kExtTextOutW:
        if (!needs(56))
            return;
        Text(r, type == kExtTextOutW);
        return;
    default:
        ++skipped_;
        return;
    }
}

TMetafilePlayback TPlayer::Play() {
    TMetafilePlayback result;
    if (!Prepare())
        return result;
    const std::size_t total =
        std::min<std::size_t>(view_.Size(), view_.U32(emf::kBytesOffset).value_or(0));
    const int saved = target_.SaveDC();
    baseClip_ = target_.ClipRect();
    {
        TRect area = Normalized(dest_);
        if (baseClip_)
            area = Union(area, Normalized(*baseClip_));
        const int margin = std::max(area.Width(), area.Height()) + 16;
        playfield_ =
            TRect{area.Left - margin, area.Top - margin, area.Right + margin, area.Bottom + margin};
    }
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
        if (offset == *size && *type != emf::kRecordHeader) {
            result.Stopped = true;
            break;
        }
        if (*type == kEof)
            break;
        if (*type == emf::kRecordHeader)
            continue;
        if (!Handled(*type)) {
            ++skipped_;
            continue;
        }
        if (!U_emf_record_safe(record.Data())) {
            ++skipped_;
            continue;
        }
        PlayRecord(*type, record);
    }
    target_.RestoreDC(saved);
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
