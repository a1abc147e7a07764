// The preview's icons. Each is a list of filled cells and cell rectangles
// on a 16 × 16 grid, painted without antialiasing at the device size asked
// for: the grid is scaled by the whole factor that fits and centred.
#include "report/preview/rp_preview_icons.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace {

// The colours of the drawings: outlines, paper, and one accent per kind.
const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kBlue(0, 0, 160);
const QColor kGreen(0, 128, 0);
const QColor kGrey(128, 128, 128);
const QColor kSilver(192, 192, 192);
const QColor kYellow(224, 192, 0);
const QColor kRed(192, 0, 0);
const QColor kGlass(160, 208, 240);

// Paints on the 16 × 16 grid: every call fills whole cells.
class TGrid {
public:
    explicit TGrid(QPainter& painter) : p_(painter) {}
    void Fill(int x, int y, int w, int h, const QColor& c) {
        if (c.alpha() != 0) {
            p_.fillRect(x, y, w, h, c);
            return;
        }
        // Transparent cells cut through what is drawn already.
        p_.save();
        p_.setCompositionMode(QPainter::CompositionMode_Clear);
        p_.fillRect(x, y, w, h, Qt::black);
        p_.restore();
    }
    // A rectangle outlined in `line` and filled with `inside`.
    void Box(int x, int y, int w, int h, const QColor& line, const QColor& inside) {
        Fill(x, y, w, h, line);
        Fill(x + 1, y + 1, w - 2, h - 2, inside);
    }
    // A sheet of paper with a folded top right corner.
    void Page(int x, int y, int w, int h) {
        Box(x, y, w, h, kInk, kPaper);
        Fill(x + w - 3, y, 3, 3, Qt::transparent);
        Fill(x + w - 3, y, 1, 3, kInk);
        Fill(x + w - 3, y + 2, 3, 1, kInk);
    }
    // Lines of text on a page.
    void Lines(int x, int y, int w, int count, const QColor& c) {
        for (int i = 0; i < count; ++i)
            Fill(x, y + 2 * i, w, 1, c);
    }
    // A triangle with its point at (x, y), 4 cells long, widening towards
    // `dir` (1: to the right, so it points left; -1: it points right):
    // columns of 1, 3, 5 and 7 cells.
    void Arrow(int x, int y, int dir, const QColor& c) {
        for (int i = 0; i < 4; ++i)
            Fill(x + dir * i, y - i, 1, 2 * i + 1, c);
    }
    // A magnifying glass whose lens's top left is (x, y).
    void Magnifier(int x, int y) {
        Fill(x + 1, y, 4, 1, kInk);
        Fill(x + 1, y + 5, 4, 1, kInk);
        Fill(x, y + 1, 1, 4, kInk);
        Fill(x + 5, y + 1, 1, 4, kInk);
        Fill(x + 1, y + 1, 4, 4, kGlass);
        for (int i = 0; i < 4; ++i)
            Fill(x + 5 + i, y + 5 + i, 2, 2, kInk);
    }
    void Printer(int y) {
        Page(4, y, 8, 6);
        Box(1, y + 5, 14, 6, kInk, kSilver);
        Fill(3, y + 7, 2, 1, kGreen);
        Fill(4, y + 10, 8, 3, kInk);
        Fill(5, y + 10, 6, 2, kPaper);
    }

private:
    QPainter& p_;
};

void DrawIcon(int index, TGrid& g) {
    switch (index) {
    case rpiZoomFit:
        g.Page(1, 1, 10, 13);
        g.Lines(3, 5, 6, 4, kGrey);
        g.Magnifier(8, 7);
        break;
    case rpiZoom100:
        g.Magnifier(2, 2);
        // "1:1" beside the handle.
        g.Fill(10, 1, 1, 5, kBlue);
        g.Fill(12, 2, 1, 1, kBlue);
        g.Fill(12, 4, 1, 1, kBlue);
        g.Fill(14, 1, 1, 5, kBlue);
        break;
    case rpiZoomToWidth:
        g.Page(3, 1, 10, 14);
        g.Lines(5, 5, 6, 4, kGrey);
        g.Fill(1, 12, 14, 1, kBlue);
        g.Arrow(0, 12, 1, kBlue);
        g.Arrow(15, 12, -1, kBlue);
        break;
    case rpiFirstPage:
        g.Fill(3, 4, 2, 9, kInk);
        g.Arrow(6, 8, 1, kInk);
        g.Fill(10, 5, 3, 7, kInk);
        break;
    case rpiPreviousPage:
        g.Arrow(5, 8, 1, kInk);
        g.Fill(9, 5, 3, 7, kInk);
        break;
    case rpiNextPage:
        g.Fill(4, 5, 3, 7, kInk);
        g.Arrow(10, 8, -1, kInk);
        break;
    case rpiLastPage:
        g.Fill(3, 5, 3, 7, kInk);
        g.Arrow(9, 8, -1, kInk);
        g.Fill(11, 4, 2, 9, kInk);
        break;
    case rpiPrintSetup:
        g.Printer(1);
        // A check mark over the paper: the settings.
        g.Fill(12, 0, 2, 2, kGreen);
        g.Fill(11, 2, 2, 2, kGreen);
        g.Fill(9, 2, 2, 2, kGreen);
        break;
    case rpiPrint:
        g.Printer(2);
        break;
    case rpiLoadReport:
        g.Box(1, 4, 12, 10, kInk, kYellow);
        g.Fill(2, 3, 4, 1, kInk);
        g.Fill(4, 8, 11, 6, kInk);
        g.Fill(5, 9, 9, 4, QColor(248, 224, 96));
        g.Fill(10, 1, 4, 1, kBlue);
        g.Fill(13, 1, 1, 4, kBlue);
        break;
    case rpiSaveReport:
        g.Box(1, 1, 14, 14, kInk, kBlue);
        g.Box(4, 1, 8, 6, kInk, kPaper);
        g.Fill(9, 2, 2, 4, kBlue);
        g.Box(3, 9, 10, 6, kInk, kSilver);
        break;
    case rpiClose:
        g.Box(2, 1, 8, 14, kInk, QColor(160, 96, 32));
        g.Fill(7, 8, 1, 2, kYellow);
        g.Fill(10, 7, 5, 2, kRed);
        g.Arrow(15, 7, -1, kRed);
        break;
    case rpiExport:
        g.Page(2, 1, 12, 14);
        g.Lines(4, 5, 8, 2, kGrey);
        g.Fill(3, 9, 10, 5, kRed);
        g.Fill(4, 10, 8, 1, kPaper);
        g.Fill(4, 12, 5, 1, kPaper);
        break;
    default:
        break;
    }
}

// The same picture in greys, lighter than the enabled one.
void Grey(QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            if (alpha == 0)
                continue;
            const int grey = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, alpha);
        }
    }
}

class TRpPreviewIconEngine : public QIconEngine {
public:
    explicit TRpPreviewIconEngine(int index) : index_(index) {}

    QIconEngine* clone() const override { return new TRpPreviewIconEngine(index_); }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap picture = pixmap(rect.size() * ratio, mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), picture);
    }

    // Drawn at the device size asked for; QIcon asks for the logical size
    // times the screen's scale.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        const int scale = std::max(1, std::min(size.width(), size.height()) / RpPreviewIconSize);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.translate((size.width() - RpPreviewIconSize * scale) / 2,
                              (size.height() - RpPreviewIconSize * scale) / 2);
            painter.scale(scale, scale);
            TGrid grid(painter);
            DrawIcon(index_, grid);
        }
        if (mode == QIcon::Disabled)
            Grey(image);
        return QPixmap::fromImage(image);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

private:
    int index_;
};

} // namespace

QIcon RpPreviewIcon(int index) {
    if (index < 0 || index >= RpPreviewIconCount)
        return QIcon();
    return QIcon(new TRpPreviewIconEngine(index));
}
