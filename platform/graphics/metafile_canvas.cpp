// Recording of canvas calls as enhanced-metafile records. The records are
// built with libUEMF; this file decides which records a call needs and keeps
// track of what the file has already selected, so that objects are created
// once, selected explicitly before use and deleted when nothing refers to
// them any more (neither the current selection nor a saved state).
#include "platform/graphics/metafile_canvas.h"

#include "platform/graphics/bitmap.h"
#include "platform/graphics/emf_format.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/text_format.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" {
#include <uemf.h>
}

namespace {

constexpr std::uint32_t kStockWhiteBrush = 0x80000000;
constexpr std::uint32_t kStockNullBrush = 0x80000005;
constexpr std::uint32_t kStockBlackPen = 0x80000007;
constexpr std::uint32_t kStockNullPen = 0x80000008;
constexpr std::uint32_t kStockSystemFont = 0x8000000D;

using emf::TMallocPtr;

U_COLORREF ColorRef(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return colorref3_set(static_cast<uint8_t>(GetRValue(rgb)), static_cast<uint8_t>(GetGValue(rgb)),
                         static_cast<uint8_t>(GetBValue(rgb)));
}

U_RECTL RectL(const TRect& r) {
    return U_RECTL{r.Left, r.Top, r.Right, r.Bottom};
}

// Device bounds of a record: inclusive, as the file format counts them.
U_RECTL InclusiveBounds(const TRect& r) {
    return U_RECTL{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom),
                   std::max(r.Left, r.Right) - 1, std::max(r.Top, r.Bottom) - 1};
}

TRect Normalized(const TRect& r) {
    return TRect{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                 std::max(r.Top, r.Bottom)};
}

std::uint32_t PenStyleCode(TPenStyle style) {
    switch (style) {
    case psSolid:
        return U_PS_SOLID;
    case psDash:
        return U_PS_DASH;
    case psDot:
        return U_PS_DOT;
    case psDashDot:
        return U_PS_DASHDOT;
    case psDashDotDot:
        return U_PS_DASHDOTDOT;
    case psClear:
        return U_PS_NULL;
    case psInsideFrame:
        return U_PS_INSIDEFRAME;
    }
    return U_PS_SOLID;
}

// The font as the file describes it: height in reference-device pixels.
U_LOGFONT LogFontOf(const TFont& font) {
    const int ppi = font.PixelsPerInch() > 0 ? font.PixelsPerInch() : ReferencePixelsPerInch;
    const int height = static_cast<int>(std::lround(
        static_cast<double>(font.Height()) * ReferencePixelsPerInch / static_cast<double>(ppi)));
    uint16_t face[U_LF_FACESIZE] = {};
    const QString name = font.Name().left(U_LF_FACESIZE - 1);
    for (qsizetype i = 0; i < name.size(); ++i)
        face[i] = name.at(i).unicode();
    const TFontStyles style = font.Style();
    return logfont_set(height, 0, 0, 0, (style & fsBold) ? U_FW_BOLD : U_FW_NORMAL,
                       (style & fsItalic) ? 1 : 0, (style & fsUnderline) ? 1 : 0,
                       (style & fsStrikeOut) ? 1 : 0, static_cast<uint8_t>(font.Charset()),
                       U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY,
                       U_DEFAULT_PITCH, face);
}

template <typename T> QByteArray BytesOf(const T& value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof(T));
}

// A 32-bit bottom-up device-independent bitmap of the image.
struct TDib {
    TMallocPtr<U_BITMAPINFO> Info;
    QByteArray Pixels;
};

TDib MakeDib(const QImage& source, bool alpha) {
    const QImage image =
        source.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const int w = image.width();
    const int h = image.height();
    TDib dib;
    dib.Pixels.resize(static_cast<qsizetype>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        std::memcpy(dib.Pixels.data() + static_cast<qsizetype>(h - 1 - y) * w * 4,
                    image.constScanLine(y), static_cast<std::size_t>(w) * 4);
    const U_BITMAPINFOHEADER header = bitmapinfoheader_set(
        w, h, 1, 32, U_BI_RGB, static_cast<uint32_t>(dib.Pixels.size()), 0, 0, 0, 0);
    dib.Info.reset(bitmapinfo_set(header, nullptr));
    return dib;
}

} // namespace

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile) : metafile_(metafile) {
    handles_.resize(1);
}

TMetafileCanvas::~TMetafileCanvas() {
    try {
        End();
    } catch (...) {
        // A destructor must not throw; a page that cannot be finished stays as it was.
    }
}

void TMetafileCanvas::Append(char* record) {
    TMallocPtr<char> owned(record);
    if (!record)
        return;
    std::uint32_t size;
    std::memcpy(&size, record + 4, 4);
    records_.append(record, size);
    ++recordCount_;
}

void TMetafileCanvas::AppendOwned(const QByteArray& record) {
    records_ += record;
    ++recordCount_;
}

void TMetafileCanvas::AddBounds(const TRect& rect) {
    const TRect r = Normalized(rect);
    if (r.IsEmpty())
        return;
    if (!hasBounds_) {
        bounds_ = r;
        hasBounds_ = true;
        return;
    }
    bounds_.Left = std::min(bounds_.Left, r.Left);
    bounds_.Top = std::min(bounds_.Top, r.Top);
    bounds_.Right = std::max(bounds_.Right, r.Right);
    bounds_.Bottom = std::max(bounds_.Bottom, r.Bottom);
}

std::uint32_t TMetafileCanvas::ObjectFor(const TObjectKey& key) {
    for (std::uint32_t i = 1; i < handles_.size(); ++i)
        if (handles_[i] && *handles_[i] == key)
            return i;
    std::uint32_t slot = 1;
    while (slot < handles_.size() && handles_[slot])
        ++slot;
    if (slot == handles_.size())
        handles_.emplace_back();
    Q_ASSERT_X(slot != 0 && !handles_[slot], "TMetafileCanvas::ObjectFor",
               "slot 0 is never used, and a slot in use is never given again");
    handles_[slot] = key;
    highestHandle_ = std::max(highestHandle_, slot);
    switch (key.Kind) {
    case TObjectKey::okPen: {
        U_LOGPEN pen;
        std::memcpy(&pen, key.Bytes.constData(), sizeof pen);
        Append(U_EMRCREATEPEN_set(slot, pen));
        break;
    }
    case TObjectKey::okBrush: {
        U_LOGBRUSH brush;
        std::memcpy(&brush, key.Bytes.constData(), sizeof brush);
        Append(U_EMRCREATEBRUSHINDIRECT_set(slot, brush));
        break;
    }
    case TObjectKey::okFont:
        Append(U_EMREXTCREATEFONTINDIRECTW_set(slot, key.Bytes.constData(), nullptr));
        break;
    }
    return slot;
}

void TMetafileCanvas::SelectHandle(std::uint32_t& slot, std::uint32_t handle) {
    if (slot == handle)
        return;
    Append(U_EMRSELECTOBJECT_set(handle));
    slot = handle;
    DeleteUnused();
}

void TMetafileCanvas::DeleteUnused() {
    for (std::uint32_t i = 1; i < handles_.size(); ++i) {
        if (!handles_[i])
            continue;
        const auto uses = [i](const TDeviceState& d) {
            return d.Pen == i || d.Brush == i || d.Font == i;
        };
        bool used = uses(device_);
        for (const TSavedCanvas& s : saved_)
            used = used || uses(s.Device);
        if (used)
            continue;
        Append(U_EMRDELETEOBJECT_set(i));
        handles_[i].reset();
    }
}

void TMetafileCanvas::SelectPen() {
    const TPen& pen = Pen();
    std::uint32_t handle = kStockNullPen;
    if (pen.Style != psClear) {
        const U_LOGPEN logPen = logpen_set(
            PenStyleCode(pen.Style), point_set(std::max(pen.Width, 0), 0), ColorRef(pen.Color));
        handle = ObjectFor(TObjectKey{TObjectKey::okPen, BytesOf(logPen)});
    }
    SelectHandle(device_.Pen, handle);
}

void TMetafileCanvas::SelectBrush() {
    const TBrush& brush = Brush();
    std::uint32_t handle = kStockNullBrush;
    if (brush.Style != bsClear) {
        const U_LOGBRUSH logBrush = logbrush_set(U_BS_SOLID, ColorRef(brush.Color), 0);
        handle = ObjectFor(TObjectKey{TObjectKey::okBrush, BytesOf(logBrush)});
    }
    SelectHandle(device_.Brush, handle);
}

void TMetafileCanvas::SelectFont() {
    const U_LOGFONT logFont = LogFontOf(Font());
    SelectHandle(device_.Font, ObjectFor(TObjectKey{TObjectKey::okFont, BytesOf(logFont)}));
}

void TMetafileCanvas::SetTextColorRecord(TColor color) {
    const std::int64_t rgb = ColorToRGB(color);
    if (device_.TextColor == rgb)
        return;
    Append(U_EMRSETTEXTCOLOR_set(ColorRef(color)));
    device_.TextColor = rgb;
}

void TMetafileCanvas::SetBkColorRecord(TColor color) {
    const std::int64_t rgb = ColorToRGB(color);
    if (device_.BkColor == rgb)
        return;
    Append(U_EMRSETBKCOLOR_set(ColorRef(color)));
    device_.BkColor = rgb;
}

void TMetafileCanvas::SetBkModeRecord(int mode) {
    if (device_.BkMode == mode)
        return;
    Append(U_EMRSETBKMODE_set(static_cast<uint32_t>(mode)));
    device_.BkMode = mode;
}

void TMetafileCanvas::SetTextAlignRecord(unsigned align) {
    if (device_.TextAlign == static_cast<std::int64_t>(align))
        return;
    Append(U_EMRSETTEXTALIGN_set(align));
    device_.TextAlign = align;
}

void TMetafileCanvas::FillRect(const TRect& rect) {
    if (!Recording() || Brush().Style == bsClear)
        return;
    const TRect r = Normalized(rect);
    if (r.IsEmpty())
        return;
    // A pattern copy with the selected brush, as the desktop records its own
    // rectangle fills: exact at any playback scale, unlike a rectangle with a
    // null pen, whose interior loses a device pixel on two sides.
    SelectBrush();
    Append(U_EMRBITBLT_set(InclusiveBounds(r), point32_set(r.Left, r.Top),
                           point32_set(r.Width(), r.Height()), point32_set(0, 0),
                           xform_set(1, 0, 0, 1, 0, 0), colorref3_set(0, 0, 0), U_DIB_RGB_COLORS,
                           U_PATCOPY, nullptr, 0, nullptr));
    AddBounds(r);
}

template <typename Make> void TMetafileCanvas::RecordShape(const TRect& rect, Make make) {
    if (!Recording())
        return;
    SelectPen();
    SelectBrush();
    Append(make(RectL(rect)));
    AddBounds(rect);
}

void TMetafileCanvas::Rectangle(const TRect& rect) {
    RecordShape(rect, U_EMRRECTANGLE_set);
}

void TMetafileCanvas::Ellipse(const TRect& rect) {
    RecordShape(rect, U_EMRELLIPSE_set);
}

void TMetafileCanvas::LineTo(int x, int y) {
    if (!Recording())
        return;
    SelectPen();
    const TPoint from = PenPos();
    if (!device_.PositionKnown || device_.Position != from)
        Append(U_EMRMOVETOEX_set(point32_set(from.X, from.Y)));
    Append(U_EMRLINETO_set(point32_set(x, y)));
    device_.Position = TPoint{x, y};
    device_.PositionKnown = true;
    const int half = std::max(Pen().Width, 1) / 2 + 1;
    AddBounds(TRect{std::min(from.X, x) - half, std::min(from.Y, y) - half,
                    std::max(from.X, x) + half, std::max(from.Y, y) + half});
    MoveTo(x, y);
}

void TMetafileCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* clip,
                                 const QString& text, const std::vector<int>* advances) {
    if (!Recording())
        return;
    unsigned flags = clip ? options & (ETO_OPAQUE | ETO_CLIPPED) : 0;
    if (Brush().Style == bsClear)
        flags &= ~ETO_OPAQUE;
    const bool opaqueBackground = BkMode() == OPAQUE && Brush().Style != bsClear;
    if (text.isEmpty() && !(flags & ETO_OPAQUE))
        return;

    SelectFont();
    SetTextColorRecord(TextColor());
    SetBkModeRecord(opaqueBackground ? OPAQUE : TRANSPARENT);
    if (opaqueBackground || (flags & ETO_OPAQUE))
        SetBkColorRecord(Brush().Color);
    SetTextAlignRecord(TextAlign());

    // Every text record carries the advances of the reference device, so the
    // player spaces the characters as they were laid out here.
    std::vector<int> dx = advances ? *advances : CharacterAdvances(text);
    if (dx.size() != static_cast<std::size_t>(text.size())) {
        const std::vector<int> measured = CharacterAdvances(text);
        dx.resize(static_cast<std::size_t>(text.size()));
        for (std::size_t i = advances ? advances->size() : 0; i < dx.size() && i < measured.size();
             ++i)
            dx[i] = measured[i];
    }
    std::vector<uint32_t> dxCodes(dx.begin(), dx.end());
    std::vector<uint16_t> chars(text.utf16(), text.utf16() + text.size());
    chars.push_back(0);

    // Where the text lands, for the record's bounds.
    int width = 0;
    for (int d : dx)
        width += d;
    const TSize extent = TextExtent(text);
    const unsigned align = TextAlign();
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER)
        left = x - width / 2;
    else if (align & TA_RIGHT)
        left = x - width;
    int top = y;
    if ((align & TA_BASELINE) == TA_BASELINE)
        top = y - extent.cy * 4 / 5;
    else if (align & TA_BOTTOM)
        top = y - extent.cy;
    TRect box{left, top, left + width, top + extent.cy};
    if (clip && (flags & ETO_CLIPPED)) {
        const TRect c = Normalized(*clip);
        box = TRect{std::max(box.Left, c.Left), std::max(box.Top, c.Top),
                    std::min(box.Right, c.Right), std::min(box.Bottom, c.Bottom)};
    }
    if (clip && (flags & ETO_OPAQUE)) {
        const TRect c = Normalized(*clip);
        box = box.IsEmpty() ? c
                            : TRect{std::min(box.Left, c.Left), std::min(box.Top, c.Top),
                                    std::max(box.Right, c.Right), std::max(box.Bottom, c.Bottom)};
    }

    const U_RECTL rcl = clip ? RectL(*clip) : U_RECTL{0, 0, -1, -1};
    TMallocPtr<char> emrtext(emrtext_set(point32_set(x, y), static_cast<U_NUM_STR>(text.size()), 2,
                                         chars.data(), flags, rcl,
                                         dxCodes.empty() ? nullptr : dxCodes.data()));
    const U_FLOAT scale = 2540.0f / ReferencePixelsPerInch;
    Append(U_EMREXTTEXTOUTW_set(box.IsEmpty() ? U_RECTL{0, 0, -1, -1} : InclusiveBounds(box),
                                U_GM_COMPATIBLE, scale, scale,
                                reinterpret_cast<PU_EMRTEXT>(emrtext.get())));
    AddBounds(box);
}

TSize TMetafileCanvas::TextExtent(const QString& text) {
    TCanvas& reference = ReferenceCanvas();
    reference.SetFont(Font());
    return reference.TextExtent(text);
}

std::vector<int> TMetafileCanvas::CharacterAdvances(const QString& text) {
    TCanvas& reference = ReferenceCanvas();
    reference.SetFont(Font());
    return reference.CharacterAdvances(text);
}

int TMetafileCanvas::DrawText(const QString& text, TRect& rect, unsigned format) {
    return DrawTextOnCanvas(*this, text, rect, format);
}

void TMetafileCanvas::IntersectClipRect(const TRect& rect) {
    if (!Recording())
        return;
    const TRect r = Normalized(rect);
    Append(U_EMRINTERSECTCLIPRECT_set(RectL(r)));
    if (!clip_) {
        clip_ = r;
        return;
    }
    TRect c{std::max(clip_->Left, r.Left), std::max(clip_->Top, r.Top),
            std::min(clip_->Right, r.Right), std::min(clip_->Bottom, r.Bottom)};
    if (c.IsEmpty())
        c = TRect{c.Left, c.Top, c.Left, c.Top};
    clip_ = c;
}

void TMetafileCanvas::SelectClipRect(const TRect* rect) {
    if (!Recording())
        return;
    if (!rect) {
        // A copy of no region removes the clip.
        QByteArray record(16, '\0');
        emf::PutU32(record, 0, U_EMR_EXTSELECTCLIPRGN);
        emf::PutU32(record, 4, 16);
        emf::PutU32(record, 12, U_RGN_COPY);
        AppendOwned(record);
        clip_.reset();
        return;
    }
    const TRect r = Normalized(*rect);
    const U_RECTL box = RectL(r);
    TMallocPtr<U_RGNDATA> region(
        rgndata_set(rgndataheader_set(1, box), const_cast<U_RECTL*>(&box)));
    Append(U_EMREXTSELECTCLIPRGN_set(U_RGN_COPY, region.get()));
    clip_ = r;
}

std::optional<TRect> TMetafileCanvas::ClipRect() const {
    return clip_;
}

int TMetafileCanvas::SaveDC() {
    saved_.push_back({SaveCanvasState(), clip_, device_});
    if (Recording())
        Append(U_EMRSAVEDC_set());
    return static_cast<int>(saved_.size());
}

void TMetafileCanvas::RestoreDC(int saved) {
    const int depth = static_cast<int>(saved_.size());
    const int index = SavedStateIndex(saved, depth);
    if (index == 0)
        return;
    if (Recording())
        Append(U_EMRRESTOREDC_set(-(depth - index + 1)));
    const TSavedCanvas state = saved_[static_cast<std::size_t>(index - 1)];
    saved_.resize(static_cast<std::size_t>(index - 1));
    RestoreCanvasState(state.Canvas);
    clip_ = state.Clip;
    device_ = state.Device;
    if (Recording())
        DeleteUnused();
}

void TMetafileCanvas::RecordBitmap(const TRect& dest, const QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return;
    TDib dib = MakeDib(image, false);
    Append(U_EMRSTRETCHDIBITS_set(InclusiveBounds(dest), point32_set(dest.Left, dest.Top),
                                  point32_set(dest.Width(), dest.Height()), point32_set(0, 0),
                                  point32_set(image.width(), image.height()), U_DIB_RGB_COLORS,
                                  U_SRCCOPY, dib.Info.get(),
                                  static_cast<uint32_t>(dib.Pixels.size()), dib.Pixels.data()));
    AddBounds(dest);
}

void TMetafileCanvas::RecordAlphaBitmap(const TRect& dest, const QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return;
    TDib dib = MakeDib(image, true);
    const U_BLEND blend{0, 0, 255, U_AC_SRC_ALPHA};
    Append(U_EMRALPHABLEND_set(InclusiveBounds(dest), point32_set(dest.Left, dest.Top),
                               point32_set(dest.Width(), dest.Height()), point32_set(0, 0),
                               point32_set(image.width(), image.height()),
                               xform_set(1, 0, 0, 1, 0, 0), colorref3_set(0, 0, 0),
                               U_DIB_RGB_COLORS, blend, dib.Info.get(),
                               static_cast<uint32_t>(dib.Pixels.size()), dib.Pixels.data()));
    AddBounds(dest);
}

void TMetafileCanvas::StretchDraw(const TRect& dest, const TBitmap& bitmap) {
    if (!Recording() || bitmap.Empty())
        return;
    CopyRect(dest, bitmap, Rect(0, 0, bitmap.Width(), bitmap.Height()));
}

void TMetafileCanvas::CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect) {
    if (!Recording() || source.Empty())
        return;
    // The file gets the copied pixels themselves, already mirrored, at a
    // destination with positive extents. A reversed edge pair a > b covers
    // the pixels b + 1 to a, as the desktop's stretched copies count them.
    const auto axis = [](int a, int b) {
        struct TAxis {
            int From, Length;
            bool Reversed;
        };
        return b >= a ? TAxis{a, b - a, false} : TAxis{b + 1, a - b, true};
    };
    const auto dx = axis(dest.Left, dest.Right), dy = axis(dest.Top, dest.Bottom);
    const auto sx = axis(sourceRect.Left, sourceRect.Right),
               sy = axis(sourceRect.Top, sourceRect.Bottom);
    if (dx.Length == 0 || dy.Length == 0 || sx.Length == 0 || sy.Length == 0)
        return;
    // Parts outside the bitmap come out black.
    QImage part = source.Image()
                      .copy(sx.From, sy.From, sx.Length, sy.Length)
                      .convertToFormat(QImage::Format_RGB32);
    part = part.mirrored(dx.Reversed != sx.Reversed, dy.Reversed != sy.Reversed);
    RecordBitmap(Bounds(dx.From, dy.From, dx.Length, dy.Length), part);
}

void TMetafileCanvas::DrawTransparent(int x, int y, const TBitmap& bitmap, TColor transparent) {
    if (!Recording() || bitmap.Empty())
        return;
    QImage image = bitmap.Image().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(transparent).rgb() & 0xFFFFFF;
    for (int row = 0; row < image.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int col = 0; col < image.width(); ++col)
            line[col] = (line[col] & 0xFFFFFF) == key ? 0 : (line[col] | 0xFF000000u);
    }
    RecordAlphaBitmap(Bounds(x, y, image.width(), image.height()), image);
}

void TMetafileCanvas::End() {
    if (ended_)
        return;
    if (!saved_.empty())
        RestoreDC(1);
    // Leave the stock objects selected and free everything the page made.
    SelectHandle(device_.Pen, kStockBlackPen);
    SelectHandle(device_.Brush, kStockWhiteBrush);
    SelectHandle(device_.Font, kStockSystemFont);
    DeleteUnused();
    ended_ = true;
    const TRect bounds =
        hasBounds_ ? TRect{bounds_.Left, bounds_.Top, bounds_.Right - 1, bounds_.Bottom - 1}
                   : TRect{0, 0, -1, -1};
    metafile_.SetRecords(
        records_, recordCount_,
        static_cast<std::uint16_t>(std::min<std::uint32_t>(highestHandle_ + 1, 0xFFFF)), bounds);
}
