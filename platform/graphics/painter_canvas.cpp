// The QPainter backend of the canvas and the reference measuring canvas.
//
// Pixel rules follow the desktop's device contexts: a rectangle covers its
// left and top edges but not its right and bottom ones, lines leave out
// their last pixel, the pen of Rectangle lies inside the rectangle. Text is
// placed character by character at whole-pixel advances, so what is drawn
// is exactly as wide as TextExtent says and the advances a metafile records
// reproduce the same placement when it is played back.
#include "platform/graphics/painter_canvas.h"

#include "platform/graphics/bitmap.h"
#include "platform/graphics/text_format.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
}

struct Cluster {
    int Start;
    int Length;
};

// Splits text into the units drawn together: a character with its
// surrogate half and any combining marks that follow it.
std::vector<Cluster> Clusters(const QString& text) {
    std::vector<Cluster> out;
    const int size = static_cast<int>(text.size());
    int i = 0;
    while (i < size) {
        const int start = i;
        ++i;
        if (text.at(start).isHighSurrogate() && i < size && text.at(i).isLowSurrogate())
            ++i;
        while (i < size && text.at(i).isMark())
            ++i;
        out.push_back({start, i - start});
    }
    return out;
}

// On raster devices each character is drawn on its own, which keeps the
// pixels exactly those of the desktop. A PDF would then hold a text object
// per character, several times the size of the page's text; there the
// characters go as one run of glyphs at the same positions (origin on the
// baseline, then the given advances). None when the device is not a PDF, or
// when a character is not one glyph of the font itself (clusters and
// characters the font lacks need the shaping of drawText).
std::optional<QGlyphRun> GlyphRunFor(const QPainter& painter, const QFont& font,
                                     const QString& text, std::size_t clusterCount,
                                     const std::vector<int>& widths, QPoint origin) {
    const QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Pdf || text.isEmpty() ||
        clusterCount != static_cast<std::size_t>(text.size()))
        return std::nullopt;
    const QRawFont raw = QRawFont::fromFont(font);
    const QList<quint32> glyphs = raw.glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0))
        return std::nullopt;
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    int pos = 0;
    for (const int w : widths) {
        positions.append(QPointF(origin.x() + pos, origin.y()));
        pos += w;
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    run.setUnderline(font.underline());
    run.setStrikeOut(font.strikeOut());
    return run;
}

// Whether clipping to `clip` would cut nothing of a glyph run's ink, nor of
// the background cell filled behind it (empty when none is). A PDF gets a
// clipping path for every clip set, a good part of a page's size when each
// text carries one; a clip that cuts nothing is left out.
bool ClipCutsNothing(const std::optional<QGlyphRun>& run, const QRect& filled, const QRect& clip) {
    if (!run || run->underline() || run->strikeOut())
        return false;
    const QRectF ink = run->boundingRect();
    return QRectF(clip).contains(ink) && (filled.isEmpty() || clip.contains(filled));
}

int DeviceDpi(const QPaintDevice* device, bool horizontal) {
    if (!device)
        return ReferencePixelsPerInch;
    const int dpi = horizontal ? device->logicalDpiX() : device->logicalDpiY();
    return dpi > 0 ? dpi : ReferencePixelsPerInch;
}

// Pixel span [from, to) of a possibly reversed edge pair, and whether it
// was reversed. A reversed pair (a, b) with b < a covers b + 1 .. a, as a
// negative extent starting at a does on the desktop.
struct Axis {
    int From;
    int Length;
    bool Reversed;
};
Axis MakeAxis(int a, int b) {
    if (b >= a)
        return {a, b - a, false};
    return {b + 1, a - b, true};
}

// The pixels [first, second) of row y inside the ellipse inscribed in rect.
std::optional<std::pair<int, int>> EllipseSpan(const TRect& rect, int y) {
    const double a = rect.Width() / 2.0;
    const double b = rect.Height() / 2.0;
    const double cx = rect.Left + a;
    const double cy = rect.Top + b;
    const double dy = (y + 0.5 - cy) / b;
    const double q = 1.0 - dy * dy;
    if (q < 0)
        return std::nullopt;
    const double hw = a * std::sqrt(q);
    const int first = static_cast<int>(std::ceil(cx - hw - 0.5));
    const int last = static_cast<int>(std::floor(cx + hw - 0.5));
    if (last < first)
        return std::nullopt;
    return std::make_pair(std::max(first, rect.Left), std::min(last + 1, rect.Right));
}

} // namespace

TPainterCanvas::TPainterCanvas(QPainter* painter) : painter_(painter) {
    if (painter_ && painter_->isActive()) {
        painter_->save();
        restorePainter_ = true;
        if (painter_->hasClipping())
            baseClip_ = painter_->clipRegion();
    }
    Setup();
}

TPainterCanvas::TPainterCanvas(QPaintDevice* device) : ownPainter_(std::make_unique<QPainter>()) {
    painter_ = ownPainter_.get();
    const bool nullImage =
        device && device->devType() == QInternal::Image && static_cast<QImage*>(device)->isNull();
    if (device && !nullImage)
        painter_->begin(device);
    Setup();
    if (device) {
        dpiX_ = DeviceDpi(device, true);
        dpiY_ = DeviceDpi(device, false);
    }
}

TPainterCanvas::~TPainterCanvas() {
    if (restorePainter_ && painter_->isActive())
        painter_->restore();
    if (ownPainter_ && ownPainter_->isActive())
        ownPainter_->end();
}

bool TPainterCanvas::IsActive() const {
    return painter_ && painter_->isActive();
}

void TPainterCanvas::Setup() {
    if (!IsActive())
        return;
    dpiX_ = DeviceDpi(painter_->device(), true);
    dpiY_ = DeviceDpi(painter_->device(), false);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, false);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_->setBackgroundMode(Qt::TransparentMode);
}

void TPainterCanvas::FillPixels(int left, int top, int right, int bottom, TColor color) {
    if (right <= left || bottom <= top)
        return;
    painter_->fillRect(QRect(left, top, right - left, bottom - top), ToQColor(color));
}

void TPainterCanvas::FillRect(const TRect& rect) {
    if (!IsActive() || Brush().Style == bsClear)
        return;
    FillPixels(rect.Left, rect.Top, rect.Right, rect.Bottom, Brush().Color);
}

void TPainterCanvas::Rectangle(const TRect& rect) {
    if (!IsActive() || rect.IsEmpty())
        return;
    const bool fill = Brush().Style != bsClear;
    if (Pen().Style == psClear) {
        if (fill)
            FillPixels(rect.Left, rect.Top, rect.Right, rect.Bottom, Brush().Color);
        return;
    }
    const int w = std::max(1, Pen().Width);
    if (Pen().Style == psSolid || Pen().Style == psInsideFrame) {
        const TColor pen = Pen().Color;
        if (fill)
            FillPixels(rect.Left + w, rect.Top + w, rect.Right - w, rect.Bottom - w, Brush().Color);
        const int innerTop = std::min(rect.Bottom, rect.Top + w);
        const int innerBottom = std::max(innerTop, rect.Bottom - w);
        FillPixels(rect.Left, rect.Top, rect.Right, innerTop, pen);
        FillPixels(rect.Left, innerBottom, rect.Right, rect.Bottom, pen);
        FillPixels(rect.Left, innerTop, std::min(rect.Right, rect.Left + w), innerBottom, pen);
        FillPixels(std::max(rect.Left + w, rect.Right - w), innerTop, rect.Right, innerBottom, pen);
        return;
    }
    // Patterned pens: one-pixel lines through the centres of the edge pixels.
    if (fill)
        FillPixels(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1, Brush().Color);
    static const Qt::PenStyle styles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                          Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                          Qt::SolidLine};
    QPen qpen(ToQColor(Pen().Color), 0, styles[Pen().Style]);
    painter_->setPen(qpen);
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
}

void TPainterCanvas::Ellipse(const TRect& rect) {
    if (!IsActive() || rect.IsEmpty())
        return;
    // Scan lines of the ellipse through the pixel centres: exact and the
    // same on every paint engine, where QPainter's aliased ellipses reach
    // a pixel outside the rectangle. The pen is the ring between the
    // ellipse and the one inset by the pen width.
    const bool fill = Brush().Style != bsClear;
    const bool outline = Pen().Style != psClear;
    const int w = outline ? std::max(1, Pen().Width) : 0;
    const TRect inner{rect.Left + w, rect.Top + w, rect.Right - w, rect.Bottom - w};
    for (int y = rect.Top; y < rect.Bottom; ++y) {
        const auto outer = EllipseSpan(rect, y);
        if (!outer)
            continue;
        std::optional<std::pair<int, int>> in;
        if (!inner.IsEmpty() && y >= inner.Top && y < inner.Bottom)
            in = EllipseSpan(inner, y);
        if (!in) { // only with a pen: the inset ellipse has no pixel here
            FillPixels(outer->first, y, outer->second, y + 1, Pen().Color);
            continue;
        }
        if (fill)
            FillPixels(in->first, y, in->second, y + 1, Brush().Color);
        if (outline) {
            FillPixels(outer->first, y, in->first, y + 1, Pen().Color);
            FillPixels(in->second, y, outer->second, y + 1, Pen().Color);
        }
    }
}

void TPainterCanvas::LineTo(int x, int y) {
    const TPoint from = PenPos();
    MoveTo(x, y);
    if (!IsActive() || Pen().Style == psClear || (from.X == x && from.Y == y))
        return;
    const TColor color = Pen().Color;
    const bool plain = (Pen().Style == psSolid || Pen().Style == psInsideFrame) && Pen().Width <= 1;
    if (!plain) {
        static const Qt::PenStyle styles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                              Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                              Qt::SolidLine};
        QPen pen(ToQColor(color), Pen().Width > 1 ? Pen().Width : 0, styles[Pen().Style]);
        pen.setCapStyle(Qt::FlatCap);
        painter_->setPen(pen);
        painter_->drawLine(from.X, from.Y, x, y);
        return;
    }
    if (from.Y == y) {
        const Axis a = MakeAxis(from.X, x);
        FillPixels(a.From, y, a.From + a.Length, y + 1, color);
        return;
    }
    if (from.X == x) {
        const Axis a = MakeAxis(from.Y, y);
        FillPixels(x, a.From, x + 1, a.From + a.Length, color);
        return;
    }
    // Bresenham, leaving out the end point.
    QPolygon points;
    int x0 = from.X;
    int y0 = from.Y;
    const int dx = std::abs(x - x0);
    const int dy = -std::abs(y - y0);
    const int sx = x0 < x ? 1 : -1;
    const int sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (x0 != x || y0 != y) {
        points.append(QPoint(x0, y0));
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    painter_->setPen(QPen(ToQColor(color), 0));
    painter_->drawPoints(points);
}

const QFont& TPainterCanvas::CurrentFont() {
    TFont key = Font();
    key.SetColor(clBlack); // the colour changes no metric
    if (!fontKey_ || *fontKey_ != key) {
        qfont_ = ToQFont(key, dpiY_);
        const QFontMetrics fm(qfont_);
        ascent_ = fm.ascent();
        descent_ = fm.descent();
        advances_.clear();
        latin1Advances_.assign(256, -1);
        fontKey_ = key;
    }
    return qfont_;
}

int TPainterCanvas::ClusterAdvance(const QString& text, int start, int length) {
    const char16_t code = text.at(start).unicode();
    const bool latin1 = length == 1 && code < 256;
    if (latin1 && latin1Advances_[code] >= 0)
        return latin1Advances_[code];
    const QString cluster = text.mid(start, length);
    if (latin1)
        return latin1Advances_[code] = QFontMetrics(qfont_).horizontalAdvance(cluster);
    const auto it = advances_.constFind(cluster);
    if (it != advances_.constEnd())
        return *it;
    const int advance = QFontMetrics(qfont_).horizontalAdvance(cluster);
    advances_.insert(cluster, advance);
    return advance;
}

std::vector<int> TPainterCanvas::CharacterAdvances(const QString& text) {
    CurrentFont();
    std::vector<int> result(static_cast<std::size_t>(text.size()), 0);
    for (const Cluster& c : Clusters(text))
        result[static_cast<std::size_t>(c.Start)] = ClusterAdvance(text, c.Start, c.Length);
    return result;
}

TSize TPainterCanvas::TextExtent(const QString& text) {
    CurrentFont();
    int width = 0;
    for (const Cluster& c : Clusters(text))
        width += ClusterAdvance(text, c.Start, c.Length);
    return {width, ascent_ + descent_};
}

void TPainterCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* clip,
                                const QString& text, const std::vector<int>* advances) {
    if (!IsActive())
        return;
    const QFont& font = CurrentFont();
    // Origin of every character relative to the start of the text.
    std::vector<int> widths = CharacterAdvances(text);
    if (advances) {
        const std::size_t n = std::min(advances->size(), widths.size());
        std::copy(advances->begin(), advances->begin() + static_cast<std::ptrdiff_t>(n),
                  widths.begin());
    }
    int width = 0;
    for (const int w : widths)
        width += w;
    const int height = ascent_ + descent_;

    int left = x;
    switch (TextAlign() & TA_CENTER) {
    case TA_RIGHT:
        left = x - width;
        break;
    case TA_CENTER:
        left = x - width / 2;
        break;
    default:
        break;
    }
    int top = y;
    switch (TextAlign() & TA_BASELINE) {
    case TA_BOTTOM:
        top = y - height;
        break;
    case TA_BASELINE:
        top = y - ascent_;
        break;
    default:
        break;
    }

    const std::vector<Cluster> clusters = Clusters(text);
    const std::optional<QGlyphRun> run =
        GlyphRunFor(*painter_, font, text, clusters.size(), widths, QPoint(left, top + ascent_));
    const bool fillCell = BkMode() == OPAQUE && Brush().Style != bsClear;
    const QRect cell = fillCell ? QRect(left, top, width, height) : QRect();

    painter_->save();
    if ((options & ETO_CLIPPED) && clip && !ClipCutsNothing(run, cell, ToQRect(*clip)))
        painter_->setClipRect(ToQRect(*clip), Qt::IntersectClip);
    if ((options & ETO_OPAQUE) && clip)
        FillPixels(clip->Left, clip->Top, clip->Right, clip->Bottom, Brush().Color);
    if (fillCell)
        FillPixels(left, top, left + width, top + height, Brush().Color);
    painter_->setFont(font);
    painter_->setPen(ToQColor(TextColor()));
    if (run) {
        painter_->drawGlyphRun(QPointF(0, 0), *run);
    } else {
        int pos = 0;
        int next = 0;
        for (const Cluster& c : clusters) {
            while (next < c.Start)
                pos += widths[static_cast<std::size_t>(next++)];
            painter_->drawText(QPoint(left + pos, top + ascent_), text.mid(c.Start, c.Length));
        }
    }
    painter_->restore();
}

int TPainterCanvas::DrawText(const QString& text, TRect& rect, unsigned format) {
    return DrawTextOnCanvas(*this, text, rect, format);
}

void TPainterCanvas::ApplyClip() {
    if (!IsActive())
        return;
    if (clip_) {
        QRegion region(ToQRect(*clip_));
        if (baseClip_)
            region &= *baseClip_;
        painter_->setClipRegion(region);
    } else if (baseClip_) {
        painter_->setClipRegion(*baseClip_);
    } else {
        painter_->setClipping(false);
    }
}

void TPainterCanvas::IntersectClipRect(const TRect& rect) {
    if (!clip_) {
        clip_ = rect;
    } else {
        TRect r{std::max(clip_->Left, rect.Left), std::max(clip_->Top, rect.Top),
                std::min(clip_->Right, rect.Right), std::min(clip_->Bottom, rect.Bottom)};
        clip_ = r;
    }
    if (clip_->Right < clip_->Left)
        clip_->Right = clip_->Left;
    if (clip_->Bottom < clip_->Top)
        clip_->Bottom = clip_->Top;
    ApplyClip();
}

void TPainterCanvas::SelectClipRect(const TRect* rect) {
    clip_.reset();
    if (rect) {
        IntersectClipRect(*rect);
        return;
    }
    ApplyClip();
}

std::optional<TRect> TPainterCanvas::ClipRect() const {
    return clip_;
}

int TPainterCanvas::SaveDC() {
    saved_.push_back({SaveCanvasState(), clip_});
    return static_cast<int>(saved_.size());
}

void TPainterCanvas::RestoreDC(int saved) {
    const int index = SavedStateIndex(saved, static_cast<int>(saved_.size()));
    if (index == 0)
        return;
    const TSavedState state = saved_[static_cast<std::size_t>(index - 1)];
    saved_.resize(static_cast<std::size_t>(index - 1));
    RestoreCanvasState(state.Canvas);
    clip_ = state.Clip;
    ApplyClip();
}

void TPainterCanvas::StretchDraw(const TRect& dest, const TBitmap& bitmap) {
    CopyRect(dest, bitmap, Rect(0, 0, bitmap.Width(), bitmap.Height()));
}

void TPainterCanvas::CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect) {
    if (!IsActive() || source.Empty())
        return;
    const Axis dx = MakeAxis(dest.Left, dest.Right);
    const Axis dy = MakeAxis(dest.Top, dest.Bottom);
    const Axis sx = MakeAxis(sourceRect.Left, sourceRect.Right);
    const Axis sy = MakeAxis(sourceRect.Top, sourceRect.Bottom);
    if (dx.Length == 0 || dy.Length == 0 || sx.Length == 0 || sy.Length == 0)
        return;
    const QRect target(dx.From, dy.From, dx.Length, dy.Length);
    const QRect from(sx.From, sy.From, sx.Length, sy.Length);
    const bool flipX = dx.Reversed != sx.Reversed;
    const bool flipY = dy.Reversed != sy.Reversed;
    const QImage& image = source.Image();
    if (!flipX && !flipY && image.rect().contains(from)) {
        painter_->drawImage(target, image, from);
        return;
    }
    // Parts outside the bitmap come out black, as the desktop copies them.
    painter_->drawImage(target, image.copy(from).mirrored(flipX, flipY));
}

void TPainterCanvas::DrawTransparent(int x, int y, const TBitmap& bitmap, TColor transparent) {
    if (!IsActive() || bitmap.Empty())
        return;
    QImage image = bitmap.Image().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(transparent).rgb() & 0xFFFFFF;
    for (int row = 0; row < image.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int col = 0; col < image.width(); ++col) {
            if ((line[col] & 0xFFFFFF) == key)
                line[col] = 0;
        }
    }
    painter_->drawImage(QPoint(x, y), image);
}

TCanvas& ReferenceCanvas() {
    // Never destroyed: it is measured from until the very end of the
    // process, after QGuiApplication may already be gone.
    static QImage* image = [] {
        auto* img = new QImage(8, 8, QImage::Format_RGB32);
        img->setDotsPerMeterX(3780);
        img->setDotsPerMeterY(3780);
        img->fill(Qt::white);
        return img;
    }();
    static TPainterCanvas* canvas = new TPainterCanvas(image);
    return *canvas;
}
