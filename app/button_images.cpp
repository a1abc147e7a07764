// Pixel art for the toolbar buttons. Everything is drawn without
// antialiasing on whole pixels so the images stay crisp at 16 x 16; colours
// keep to the classic 16-colour palette the toolbar images always had.
//
// On a screen of more device pixels per logical one (a HiDPI screen, a
// scale factor) the images are drawn at that resolution, 16 x 16 logical:
// shapes and slants follow the device pixels and outlines are one device
// pixel thin, so the images are as sharp there as the text is.
#include "app/button_images.h"

#include "app/image_list.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

#include <functional>

namespace {

const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);
const QColor Red(255, 0, 0);
const QColor DarkRed(128, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Navy(0, 0, 128);
const QColor Cyan(0, 255, 255);
const QColor Teal(0, 128, 128);
const QColor Yellow(255, 255, 0);
const QColor Olive(128, 128, 0);
const QColor Gray(128, 128, 128);
const QColor Silver(192, 192, 192);
const QColor Brown(160, 96, 32);
const QColor Skin(255, 204, 153);

using TDraw = std::function<void(QPainter&)>;

// One device pixel thin: one pixel of the image at 16 x 16.
QPen Outline(const QColor& c) {
    return QPen(c, 0);
}

QPixmap Draw(const TDraw& draw, qreal ratio) {
    QPixmap pixmap(QSize(16, 16) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    draw(p);
    return pixmap;
}

void Fill(QPainter& p, int x, int y, int w, int h, const QColor& c) {
    p.fillRect(x, y, w, h, c);
}

void Frame(QPainter& p, int x, int y, int w, int h, const QColor& c) {
    p.setPen(Outline(c));
    p.setBrush(Qt::NoBrush);
    // The right and bottom lines on the last device pixel of the area.
    const qreal pixel = 1 / p.device()->devicePixelRatioF();
    p.drawRect(QRectF(x, y, w - pixel, h - pixel));
}

void Polygon(QPainter& p, const QPolygon& poly, const QColor& fill, const QColor& line) {
    p.setPen(Outline(line));
    p.setBrush(fill);
    p.drawPolygon(poly);
}

// A horizontal arrow: shaft and head, pointing left or right.
void Arrow(QPainter& p, bool left, const QColor& fill, int y0 = 4) {
    const int c = y0 + 4;
    QPolygon poly;
    if (left)
        poly << QPoint(2, c) << QPoint(7, c - 4) << QPoint(7, c - 2) << QPoint(13, c - 2)
             << QPoint(13, c + 2) << QPoint(7, c + 2) << QPoint(7, c + 4);
    else
        poly << QPoint(13, c) << QPoint(8, c - 4) << QPoint(8, c - 2) << QPoint(2, c - 2)
             << QPoint(2, c + 2) << QPoint(8, c + 2) << QPoint(8, c + 4);
    Polygon(p, poly, fill, Black);
}

// An arrowhead against a vertical bar: "to the first" or "to the last".
void ArrowToBar(QPainter& p, bool left, const QColor& head, const QColor& bar) {
    QPolygon poly;
    if (left) {
        Fill(p, 2, 3, 2, 10, bar);
        poly << QPoint(5, 8) << QPoint(12, 3) << QPoint(12, 13);
    } else {
        Fill(p, 12, 3, 2, 10, bar);
        poly << QPoint(10, 8) << QPoint(3, 3) << QPoint(3, 13);
    }
    Polygon(p, poly, head, Black);
}

// A dog-eared sheet of paper.
void Page(QPainter& p, int x = 3, int y = 1, int w = 10, int h = 14) {
    QPolygon poly;
    poly << QPoint(x, y) << QPoint(x + w - 4, y) << QPoint(x + w - 1, y + 3)
         << QPoint(x + w - 1, y + h - 1) << QPoint(x, y + h - 1);
    Polygon(p, poly, White, Black);
    p.setPen(Outline(Black));
    p.drawLine(x + w - 4, y, x + w - 4, y + 3);
    p.drawLine(x + w - 4, y + 3, x + w - 1, y + 3);
}

void Lines(QPainter& p, int x0, int x1, int y0, int y1, const QColor& c) {
    p.setPen(Outline(c));
    for (int y = y0; y <= y1; y += 2)
        p.drawLine(x0, y, x1, y);
}

void Sparkle(QPainter& p, int cx, int cy) {
    p.setPen(Outline(Yellow));
    p.drawLine(cx - 2, cy, cx + 2, cy);
    p.drawLine(cx, cy - 2, cx, cy + 2);
    for (int dx : {-1, 1})
        for (int dy : {-1, 1})
            Fill(p, cx + dx, cy + dy, 1, 1, Olive);
}

void Floppy(QPainter& p, int x, int y, const QColor& body) {
    Fill(p, x, y, 12, 12, body);
    Frame(p, x, y, 12, 12, Black);
    Fill(p, x + 3, y + 1, 6, 4, Silver); // shutter
    Fill(p, x + 6, y + 2, 2, 2, body);
    Fill(p, x + 2, y + 7, 8, 4, White); // label
    Lines(p, x + 3, x + 8, y + 8, y + 10, Gray);
}

void Bin(QPainter& p) {
    Fill(p, 3, 3, 10, 1, Gray); // lid
    Fill(p, 6, 2, 4, 1, Gray);  // handle
    QPolygon body;
    body << QPoint(4, 5) << QPoint(11, 5) << QPoint(10, 14) << QPoint(5, 14);
    Polygon(p, body, Silver, Black);
    p.setPen(Outline(Gray));
    p.drawLine(6, 6, 6, 13);
    p.drawLine(8, 6, 8, 13);
    p.setPen(Outline(Black));
    p.drawLine(3, 4, 12, 4);
}

void Exclamation(QPainter& p, int x, const QColor& c) {
    Fill(p, x, 4, 2, 6, c);
    Fill(p, x, 11, 2, 2, c);
}

void Door(QPainter& p, bool open) {
    Fill(p, 3, 1, 10, 14, Gray); // frame
    Frame(p, 3, 1, 10, 14, Black);
    Fill(p, 4, 2, 8, 13, Black); // the opening
    if (!open) {
        Fill(p, 4, 2, 8, 13, Brown);
        Frame(p, 5, 3, 6, 5, DarkRed);
        Frame(p, 5, 9, 6, 5, DarkRed);
        Fill(p, 10, 8, 1, 1, Yellow); // knob
    } else {
        QPolygon leaf;
        leaf << QPoint(4, 2) << QPoint(8, 4) << QPoint(8, 15) << QPoint(4, 14);
        Polygon(p, leaf, Brown, Black);
        Fill(p, 7, 9, 1, 1, Yellow);
        Fill(p, 9, 3, 3, 12, Cyan); // daylight through the door
    }
}

void Printer(QPainter& p) {
    Fill(p, 4, 1, 8, 5, White); // paper in
    Frame(p, 4, 1, 8, 5, Black);
    Fill(p, 1, 6, 14, 6, Silver);
    Frame(p, 1, 6, 14, 6, Black);
    Fill(p, 11, 8, 2, 1, Yellow); // light
    Fill(p, 4, 11, 8, 4, White);  // paper out
    Frame(p, 4, 11, 8, 4, Black);
    Lines(p, 5, 10, 12, 13, Gray);
}

void Portrait(QPainter& p) {
    Fill(p, 1, 1, 14, 14, Olive); // frame
    Fill(p, 3, 3, 10, 10, Cyan);  // sky
    Fill(p, 4, 10, 8, 3, Blue);   // shoulders
    p.setPen(Outline(Black));
    p.setBrush(Skin);
    p.drawEllipse(6, 5, 4, 5);
    Fill(p, 6, 4, 4, 2, Brown); // hair
    Frame(p, 1, 1, 14, 14, Black);
}

void PageWithArrowDown(QPainter& p, const QColor& arrow) {
    Page(p, 1, 1, 9, 11);
    Lines(p, 3, 6, 5, 9, Gray);
    QPolygon a;
    a << QPoint(11, 5) << QPoint(14, 5) << QPoint(14, 9) << QPoint(15, 9) << QPoint(12, 13)
      << QPoint(9, 9) << QPoint(11, 9);
    Polygon(p, a, arrow, Black);
}

} // namespace

qreal ScreenPixelRatio() {
    // The highest of the screens, so no screen shows them enlarged.
    return qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
}

void LoadNormalImages(TImageList& list, qreal ratio) {
    const auto draw = [ratio](const TDraw& picture) { return Draw(picture, ratio); };
    list.Add(draw([](QPainter& p) { ArrowToBar(p, true, Blue, Red); }));
    list.Add(draw([](QPainter& p) { Arrow(p, true, Red); }));
    list.Add(draw([](QPainter& p) { Arrow(p, false, Red); }));
    list.Add(draw([](QPainter& p) { ArrowToBar(p, false, Blue, Red); }));
    list.Add(draw([](QPainter& p) {
        Page(p, 2, 2, 10, 13);
        Sparkle(p, 12, 3);
    }));
    list.Add(draw([](QPainter& p) { Floppy(p, 2, 2, Navy); }));
    list.Add(draw([](QPainter& p) {
        Page(p, 1, 1, 11, 14);
        Lines(p, 3, 8, 5, 9, Gray);
        // The hand holding the pen.
        Fill(p, 9, 9, 5, 4, Skin);
        Frame(p, 9, 9, 5, 4, Black);
        p.setPen(Outline(Navy));
        p.drawLine(7, 13, 11, 8);
    }));
    list.Add(draw([](QPainter& p) { Bin(p); }));
    list.Add(draw([](QPainter& p) {
        p.setPen(QPen(Red, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(2, 2, 12, 12, 60 * 16, 290 * 16);
        Polygon(p, QPolygon({QPoint(10, 0), QPoint(14, 3), QPoint(9, 5)}), Red, Red);
        Exclamation(p, 7, DarkRed);
    }));
    list.Add(draw([](QPainter& p) {
        Floppy(p, 4, 4, Navy);
        Page(p, 0, 0, 7, 9);
        QPolygon a;
        a << QPoint(6, 5) << QPoint(9, 5) << QPoint(9, 3) << QPoint(12, 6) << QPoint(9, 9)
          << QPoint(9, 7) << QPoint(6, 7);
        Polygon(p, a, Red, DarkRed);
    }));
    list.Add(draw([](QPainter& p) { Door(p, false); }));
    list.Add(draw([](QPainter& p) { Printer(p); }));
    list.Add(draw([](QPainter& p) { Portrait(p); }));
}

void LoadHotFlatImages(TImageList& list, qreal ratio) {
    const auto draw = [ratio](const TDraw& picture) { return Draw(picture, ratio); };
    list.Add(draw([](QPainter& p) { ArrowToBar(p, true, Cyan, Teal); }));
    list.Add(draw([](QPainter& p) { Arrow(p, true, Red); }));
    list.Add(draw([](QPainter& p) { Arrow(p, false, Red); }));
    list.Add(draw([](QPainter& p) { ArrowToBar(p, false, Cyan, Teal); }));
    list.Add(draw([](QPainter& p) {
        Page(p, 2, 2, 10, 13);
        Lines(p, 4, 9, 7, 13, Navy);
        Sparkle(p, 12, 3);
    }));
    list.Add(draw([](QPainter& p) { PageWithArrowDown(p, Red); }));
    list.Add(draw([](QPainter& p) {
        // A pen lying across, nib at the lower left.
        QPolygon pen;
        pen << QPoint(3, 11) << QPoint(11, 3) << QPoint(13, 5) << QPoint(5, 13);
        Polygon(p, pen, Yellow, Black);
        Polygon(p, QPolygon({QPoint(3, 11), QPoint(5, 13), QPoint(1, 15)}), Skin, Black);
        Fill(p, 11, 3, 2, 2, Red);
    }));
    list.Add(draw([](QPainter& p) { Bin(p); }));
    list.Add(draw([](QPainter& p) {
        p.setPen(QPen(Red, 2));
        p.drawLine(2, 2, 13, 13);
        p.drawLine(13, 2, 2, 13);
        Fill(p, 6, 5, 4, 8, White);
        Exclamation(p, 7, DarkRed);
    }));
    list.Add(draw([](QPainter& p) {
        Floppy(p, 4, 4, Navy);
        Floppy(p, 2, 2, Teal);
        Floppy(p, 0, 0, Navy);
    }));
    list.Add(draw([](QPainter& p) { Door(p, true); }));
    list.Add(draw([](QPainter& p) { Printer(p); }));
    list.Add(draw([](QPainter& p) { Portrait(p); }));
}
