// Pixel behaviour of the QPainter canvas: shapes with the desktop's edge
// rules, text placement and clipping, saved states, bitmap copies.
#include "platform/graphics/painter_canvas.h"

#include "platform/graphics/bitmap.h"
#include "platform/graphics/text_format.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

#include <ostream>

#include <functional>

namespace {

// Draws on a white bitmap through its canvas, then hands back the image.
QImage Draw(int width, int height, const std::function<void(TCanvas&)>& draw) {
    TBitmap bitmap(width, height);
    draw(bitmap.Canvas());
    bitmap.ReleaseCanvas();
    return bitmap.Image();
}

TColor At(const QImage& image, int x, int y) {
    return FromQColor(QColor(image.pixel(x, y)));
}

// The bounding box of the pixels that differ from `background`.
TRect Painted(const QImage& image, TColor background = clWhite) {
    TRect box{image.width(), image.height(), 0, 0};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (At(image, x, y) != background) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box;
}

int Count(const QImage& image, TColor color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += At(image, x, y) == color;
    return n;
}

TFont Arial(int height, TFontStyles style = 0) {
    TFont f;
    f.SetName(QStringLiteral("Arial"));
    f.SetHeight(height);
    f.SetStyle(style);
    f.SetColor(clBlack);
    return f;
}

} // namespace

TEST(PainterCanvas, FillRectCoversLeftTopButNotRightBottom) {
    const QImage image = Draw(20, 20, [](TCanvas& c) {
        c.Brush().Color = clRed;
        c.FillRect(Rect(2, 3, 7, 9));
    });
    EXPECT_EQ(Painted(image), Rect(2, 3, 7, 9));
    EXPECT_EQ(Count(image, clRed), 5 * 6);
}

TEST(PainterCanvas, FillRectWithClearBrushPaintsNothing) {
    const QImage image = Draw(10, 10, [](TCanvas& c) {
        c.Brush().Style = bsClear;
        c.FillRect(Rect(0, 0, 10, 10));
    });
    EXPECT_EQ(Count(image, clWhite), 100);
}

TEST(PainterCanvas, RectanglePenLiesInsideAndBrushFillsTheRest) {
    const QImage image = Draw(20, 20, [](TCanvas& c) {
        c.Brush().Color = clBlue;
        c.Pen().Color = clRed;
        c.Rectangle(Rect(2, 2, 12, 8));
    });
    EXPECT_EQ(Painted(image), Rect(2, 2, 12, 8));
    EXPECT_EQ(At(image, 2, 2), clRed);
    EXPECT_EQ(At(image, 11, 7), clRed);
    EXPECT_EQ(At(image, 11, 4), clRed);
    EXPECT_EQ(At(image, 3, 3), clBlue);
    EXPECT_EQ(At(image, 10, 6), clBlue);
    EXPECT_EQ(Count(image, clBlue), 8 * 4);
}

TEST(PainterCanvas, WidePenRectangleKeepsItsThicknessInside) {
    const QImage image = Draw(20, 20, [](TCanvas& c) {
        c.Brush().Style = bsClear;
        c.Pen().Color = clBlack;
        c.Pen().Width = 3;
        c.Rectangle(Rect(1, 1, 11, 11));
    });
    EXPECT_EQ(Painted(image), Rect(1, 1, 11, 11));
    EXPECT_EQ(At(image, 3, 5), clBlack);
    EXPECT_EQ(At(image, 4, 5), clWhite);
    EXPECT_EQ(Count(image, clBlack), 100 - 16);
}

TEST(PainterCanvas, EllipseStaysInsideItsRectangle) {
    const QImage image = Draw(30, 30, [](TCanvas& c) {
        c.Brush().Color = clLime;
        c.Pen().Color = clNavy;
        c.Ellipse(Rect(5, 5, 25, 15));
    });
    EXPECT_EQ(Painted(image), Rect(5, 5, 25, 15));
    EXPECT_EQ(At(image, 15, 10), clLime);
    EXPECT_EQ(At(image, 5, 5), clWhite);
    EXPECT_EQ(At(image, 24, 14), clWhite);
}

TEST(PainterCanvas, LinesLeaveOutTheirLastPixel) {
    const QImage image = Draw(20, 20, [](TCanvas& c) {
        c.Pen().Color = clBlack;
        c.MoveTo(2, 2);
        c.LineTo(10, 2);
        c.LineTo(10, 8);
        c.LineTo(4, 14);
    });
    EXPECT_EQ(At(image, 2, 2), clBlack);
    EXPECT_EQ(At(image, 9, 2), clBlack);
    EXPECT_EQ(At(image, 10, 2), clBlack); // first pixel of the second line
    EXPECT_EQ(At(image, 10, 7), clBlack);
    EXPECT_EQ(At(image, 9, 9), clBlack);
    EXPECT_EQ(At(image, 5, 13), clBlack);
    EXPECT_EQ(At(image, 4, 14), clWhite);
    EXPECT_EQ(Count(image, clBlack), 8 + 6 + 6);
}

TEST(PainterCanvas, ReversedLinesCoverTheSamePixelsMirrored) {
    const QImage image = Draw(20, 20, [](TCanvas& c) {
        c.Pen().Color = clBlack;
        c.MoveTo(10, 3);
        c.LineTo(2, 3);
    });
    EXPECT_EQ(Painted(image), Rect(3, 3, 11, 4));
}

TEST(PainterCanvas, TextExtentIsTheSumOfTheAdvances) {
    TBitmap bitmap(4, 4);
    TCanvas& c = bitmap.Canvas();
    c.SetFont(Arial(-13));
    const QString text = QStringLiteral("Questões de Português");
    const std::vector<int> advances = c.CharacterAdvances(text);
    ASSERT_EQ(advances.size(), static_cast<std::size_t>(text.size()));
    int sum = 0;
    for (int a : advances)
        sum += a;
    EXPECT_EQ(c.TextExtent(text).cx, sum);
    EXPECT_GT(sum, 100);
    EXPECT_EQ(c.TextExtent(text).cy, c.TextExtent(QStringLiteral("W")).cy);
    EXPECT_GE(c.TextExtent(text).cy, 14);
    EXPECT_LE(c.TextExtent(text).cy, 17);
}

TEST(PainterCanvas, TextIsDrawnExactlyAsWideAsMeasured) {
    int width = 0;
    int height = 0;
    const QImage image = Draw(200, 40, [&](TCanvas& c) {
        c.SetFont(Arial(-16));
        c.SetBkMode(OPAQUE);
        c.Brush().Color = clYellow;
        width = c.TextWidth(QStringLiteral("Hello"));
        height = c.TextHeight(QStringLiteral("Hello"));
        c.TextOut(10, 5, QStringLiteral("Hello"));
    });
    EXPECT_EQ(Painted(image), Bounds(10, 5, width, height));
    // Without antialiasing every pixel is the text colour or the background.
    EXPECT_EQ(Count(image, clYellow) + Count(image, clBlack), width * height);
    EXPECT_GT(Count(image, clBlack), 20);
}

TEST(PainterCanvas, TransparentTextTouchesOnlyGlyphPixels) {
    const QImage image = Draw(100, 30, [](TCanvas& c) {
        c.SetFont(Arial(-16));
        c.SetBkMode(TRANSPARENT);
        c.SetTextColor(clRed);
        c.TextOut(5, 5, QStringLiteral("Hi"));
    });
    EXPECT_EQ(Count(image, clRed) + Count(image, clWhite), 100 * 30);
    EXPECT_GT(Count(image, clRed), 10);
}

struct AlignCase {
    const char* Name;
    unsigned Align;
    int ExpectLeft; // in terms of x and width: 0 = x, 1 = x - w, 2 = x - w/2
    int ExpectTop;  // 0 = y, 1 = y - h, 2 = y - ascent
    friend void PrintTo(const AlignCase& c, std::ostream* os) { *os << c.Name; }
};

class TextAlignment : public ::testing::TestWithParam<AlignCase> {};

TEST_P(TextAlignment, PlacesTheTextCellByTheReferencePoint) {
    const AlignCase& p = GetParam();
    int w = 0;
    int h = 0;
    const QImage image = Draw(200, 80, [&](TCanvas& c) {
        c.SetFont(Arial(-16));
        c.Brush().Color = clAqua;
        c.SetBkMode(OPAQUE);
        w = c.TextWidth(QStringLiteral("Text"));
        h = c.TextHeight(QStringLiteral("Text"));
        c.SetTextAlign(p.Align);
        c.TextOut(100, 40, QStringLiteral("Text"));
    });
    const TRect box = Painted(image);
    const int left = p.ExpectLeft == 0 ? 100 : p.ExpectLeft == 1 ? 100 - w : 100 - w / 2;
    EXPECT_EQ(box.Left, left);
    EXPECT_EQ(box.Width(), w);
    EXPECT_EQ(box.Height(), h);
    if (p.ExpectTop == 0)
        EXPECT_EQ(box.Top, 40);
    else if (p.ExpectTop == 1)
        EXPECT_EQ(box.Bottom, 40);
    else {
        EXPECT_LT(box.Top, 40);
        EXPECT_GT(box.Bottom, 40);
    }
}

INSTANTIATE_TEST_SUITE_P(PainterCanvas, TextAlignment,
                         ::testing::Values(AlignCase{"LeftTop", TA_LEFT | TA_TOP, 0, 0},
                                           AlignCase{"RightTop", TA_RIGHT | TA_TOP, 1, 0},
                                           AlignCase{"CenterTop", TA_CENTER | TA_TOP, 2, 0},
                                           AlignCase{"LeftBottom", TA_LEFT | TA_BOTTOM, 0, 1},
                                           AlignCase{"CenterBaseline", TA_CENTER | TA_BASELINE, 2,
                                                     2}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(PainterCanvas, ExtTextOutClippedLeavesPixelsOutsideTheClipUntouched) {
    const TRect clip = Rect(12, 6, 30, 18);
    const QImage image = Draw(100, 40, [&](TCanvas& c) {
        c.SetFont(Arial(-20));
        c.SetBkMode(OPAQUE);
        c.Brush().Color = clYellow;
        c.ExtTextOut(5, 2, ETO_CLIPPED, &clip, QStringLiteral("WWWW"));
    });
    EXPECT_EQ(Painted(image), clip);
}

TEST(PainterCanvas, ExtTextOutOpaqueFillsTheRectangleFirst) {
    const TRect clip = Rect(0, 0, 80, 30);
    const QImage image = Draw(100, 40, [&](TCanvas& c) {
        c.SetFont(Arial(-12));
        c.SetBkMode(TRANSPARENT);
        c.Brush().Color = clSilver;
        c.ExtTextOut(5, 5, ETO_OPAQUE | ETO_CLIPPED, &clip, QStringLiteral("ab"));
    });
    EXPECT_EQ(Painted(image), clip);
    EXPECT_EQ(At(image, 79, 29), clSilver);
    EXPECT_EQ(At(image, 80, 29), clWhite);
}

TEST(PainterCanvas, ExtTextOutPlacesCharactersAtTheGivenAdvances) {
    const std::vector<int> advances = {30, 30, 30};
    const QImage image = Draw(120, 30, [&](TCanvas& c) {
        c.SetFont(Arial(-12));
        c.SetBkMode(OPAQUE);
        c.Brush().Color = clYellow;
        c.ExtTextOut(0, 0, 0, nullptr, QStringLiteral("iii"), &advances);
    });
    EXPECT_EQ(Painted(image).Right, 90);
    // Each "i" starts at its own origin: ink near 0, 30 and 60.
    for (int start : {0, 30, 60}) {
        int ink = 0;
        for (int x = start; x < start + 10; ++x)
            for (int y = 0; y < 30; ++y)
                ink += At(image, x, y) == clBlack;
        EXPECT_GT(ink, 3) << start;
    }
}

TEST(PainterCanvas, IntersectClipRectNarrowsAndSelectClipRectReplaces) {
    const QImage image = Draw(40, 40, [](TCanvas& c) {
        c.IntersectClipRect(Rect(5, 5, 30, 30));
        c.IntersectClipRect(Rect(10, 0, 40, 20));
        EXPECT_EQ(c.ClipRect(), Rect(10, 5, 30, 20));
        c.Brush().Color = clRed;
        c.FillRect(Rect(0, 0, 40, 40));
        c.SelectClipRect(nullptr);
        EXPECT_FALSE(c.ClipRect().has_value());
        c.Brush().Color = clBlue;
        c.FillRect(Rect(0, 35, 40, 40));
    });
    EXPECT_EQ(Count(image, clRed), 20 * 15);
    EXPECT_EQ(Count(image, clBlue), 40 * 5);
    EXPECT_EQ(At(image, 10, 5), clRed);
    EXPECT_EQ(At(image, 9, 5), clWhite);
}

TEST(PainterCanvas, DisjointClipRectanglesClipEverything) {
    const QImage image = Draw(20, 20, [](TCanvas& c) {
        c.IntersectClipRect(Rect(0, 0, 5, 5));
        c.IntersectClipRect(Rect(10, 10, 15, 15));
        ASSERT_TRUE(c.ClipRect().has_value());
        EXPECT_TRUE(c.ClipRect()->IsEmpty());
        c.Brush().Color = clRed;
        c.FillRect(Rect(0, 0, 20, 20));
    });
    EXPECT_EQ(Count(image, clWhite), 400);
}

TEST(PainterCanvas, RestoreDCBringsBackTheWholeState) {
    const QImage image = Draw(40, 40, [](TCanvas& c) {
        c.SetFont(Arial(-12));
        c.Brush().Color = clRed;
        c.Pen().Color = clGreen;
        c.SetTextColor(clBlue);
        c.SetBkMode(TRANSPARENT);
        c.SetTextAlign(TA_RIGHT);
        c.MoveTo(3, 4);
        c.IntersectClipRect(Rect(0, 0, 10, 10));
        const int saved = c.SaveDC();
        EXPECT_GT(saved, 0);
        c.SetFont(Arial(-30, fsBold));
        c.Brush().Color = clLime;
        c.Brush().Style = bsClear;
        c.Pen().Color = clYellow;
        c.SetTextColor(clFuchsia);
        c.SetBkMode(OPAQUE);
        c.SetTextAlign(TA_CENTER | TA_BASELINE);
        c.MoveTo(20, 20);
        c.SelectClipRect(nullptr);
        c.SaveDC();
        c.RestoreDC(saved);
        EXPECT_EQ(c.Font(), Arial(-12));
        EXPECT_EQ(c.Brush(), (TBrush{clRed, bsSolid}));
        EXPECT_EQ(c.Pen().Color, clGreen);
        EXPECT_EQ(c.TextColor(), clBlue);
        EXPECT_EQ(c.BkMode(), TRANSPARENT);
        EXPECT_EQ(c.TextAlign(), TA_RIGHT);
        EXPECT_EQ(c.PenPos(), (TPoint{3, 4}));
        EXPECT_EQ(c.ClipRect(), Rect(0, 0, 10, 10));
        c.FillRect(Rect(0, 0, 40, 40));
    });
    EXPECT_EQ(Count(image, clRed), 100);
}

TEST(PainterCanvas, RestoreDCMinusOneTakesTheLastSavedState) {
    TBitmap bitmap(4, 4);
    TCanvas& c = bitmap.Canvas();
    c.SetBkMode(TRANSPARENT);
    c.SaveDC();
    c.SetBkMode(OPAQUE);
    c.SaveDC();
    c.SetBkMode(TRANSPARENT);
    c.RestoreDC(-1);
    EXPECT_EQ(c.BkMode(), OPAQUE);
    c.RestoreDC(-1);
    EXPECT_EQ(c.BkMode(), TRANSPARENT);
    c.SetBkMode(OPAQUE);
    c.RestoreDC(-1); // nothing left to restore
    EXPECT_EQ(c.BkMode(), OPAQUE);
}

TEST(PainterCanvas, SelectingAFontMakesItsColourTheTextColour) {
    TBitmap bitmap(4, 4);
    TCanvas& c = bitmap.Canvas();
    TFont f = Arial(-12);
    f.SetColor(clMaroon);
    c.SetFont(f);
    EXPECT_EQ(c.TextColor(), clMaroon);
    EXPECT_EQ(c.SetTextColor(clGrayText), clMaroon);
    EXPECT_EQ(c.TextColor(), clGrayText);
    c.Font().SetColor(clTeal);
    EXPECT_EQ(c.TextColor(), clTeal);
}

TEST(PainterCanvas, CanvasOnAPainterKeepsItsClipAndGivesItsStateBack) {
    QImage image(30, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setClipRect(QRect(0, 0, 10, 30));
    painter.setPen(QColor(Qt::green));
    {
        TPainterCanvas canvas(&painter);
        canvas.Brush().Color = clRed;
        canvas.IntersectClipRect(Rect(0, 0, 30, 10));
        canvas.FillRect(Rect(0, 0, 30, 30));
        canvas.SelectClipRect(nullptr);
        canvas.Brush().Color = clBlue;
        canvas.FillRect(Rect(0, 20, 30, 30));
    }
    EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
    EXPECT_EQ(painter.clipBoundingRect().toRect(), QRect(0, 0, 10, 30));
    painter.end();
    EXPECT_EQ(Count(image, clRed), 100);
    EXPECT_EQ(Count(image, clBlue), 100);
}

TEST(PainterCanvas, PixelsPerInchComesFromTheImage) {
    QImage image(10, 10, QImage::Format_RGB32);
    image.setDotsPerMeterX(23622); // 600 per inch
    image.setDotsPerMeterY(11811); // 300 per inch
    TPainterCanvas canvas(&image);
    EXPECT_EQ(canvas.PixelsPerInchX(), 600);
    EXPECT_EQ(canvas.PixelsPerInchY(), 300);
    TBitmap bitmap(2, 2);
    EXPECT_EQ(bitmap.Canvas().PixelsPerInchX(), 96);
}

TEST(PainterCanvas, FontsScaleWithTheDeviceResolution) {
    QImage image(10, 10, QImage::Format_RGB32);
    image.setDotsPerMeterX(23622);
    image.setDotsPerMeterY(23622);
    TPainterCanvas printer(&image);
    printer.SetFont(Arial(-11));
    TBitmap bitmap(2, 2);
    bitmap.Canvas().SetFont(Arial(-11));
    const int screen = bitmap.Canvas().TextHeight(QStringLiteral("W"));
    const int paper = printer.TextHeight(QStringLiteral("W"));
    EXPECT_NEAR(paper, screen * 600 / 96, screen);
}

TEST(PainterCanvas, CanvasOnANullImageMeasuresButDrawsNothing) {
    QImage image;
    TPainterCanvas canvas(&image);
    EXPECT_FALSE(canvas.IsActive());
    canvas.FillRect(Rect(0, 0, 10, 10));
    canvas.TextOut(0, 0, QStringLiteral("x"));
    EXPECT_GT(canvas.TextWidth(QStringLiteral("abc")), 0);
}

namespace {

// A 4 x 2 bitmap whose pixels are all different.
TBitmap Pattern() {
    TBitmap b(4, 2);
    const TColor colors[2][4] = {{clRed, clLime, clBlue, clYellow},
                                 {clBlack, clGray, clAqua, clFuchsia}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            b.Canvas().Brush().Color = colors[y][x];
            b.Canvas().FillRect(Bounds(x, y, 1, 1));
        }
    b.ReleaseCanvas();
    return b;
}

} // namespace

TEST(PainterCanvas, StretchDrawScalesByWholePixels) {
    const TBitmap source = Pattern();
    const QImage image =
        Draw(20, 20, [&](TCanvas& c) { c.StretchDraw(Rect(2, 2, 10, 6), source); });
    EXPECT_EQ(Painted(image), Rect(2, 2, 10, 6));
    EXPECT_EQ(At(image, 2, 2), clRed);
    EXPECT_EQ(At(image, 3, 3), clRed);
    EXPECT_EQ(At(image, 4, 2), clLime);
    EXPECT_EQ(At(image, 9, 5), clFuchsia);
}

TEST(PainterCanvas, CopyRectWithReversedSourceMirrors) {
    const TBitmap source = Pattern();
    // The whole bitmap, taken from its last pixel back to its first.
    const QImage image =
        Draw(10, 10, [&](TCanvas& c) { c.CopyRect(Rect(0, 0, 4, 2), source, Rect(3, 1, -1, -1)); });
    EXPECT_EQ(At(image, 0, 0), clFuchsia);
    EXPECT_EQ(At(image, 3, 0), clBlack);
    EXPECT_EQ(At(image, 0, 1), clYellow);
    EXPECT_EQ(At(image, 3, 1), clRed);
}

TEST(PainterCanvas, CopyRectWithHorizontallyReversedPartMirrorsOnlyThatPart) {
    const TBitmap source = Pattern();
    const QImage image = Draw(10, 10, [&](TCanvas& c) {
        c.CopyRect(Rect(0, 0, 2, 1), source, Rect(2, 0, 0, 1)); // columns 1..2, reversed
    });
    EXPECT_EQ(At(image, 0, 0), clBlue);
    EXPECT_EQ(At(image, 1, 0), clLime);
    EXPECT_EQ(At(image, 2, 0), clWhite);
}

TEST(PainterCanvas, CopyRectPlainCopiesThePart) {
    const TBitmap source = Pattern();
    const QImage image =
        Draw(10, 10, [&](TCanvas& c) { c.CopyRect(Rect(5, 5, 7, 7), source, Rect(1, 0, 3, 2)); });
    EXPECT_EQ(At(image, 5, 5), clLime);
    EXPECT_EQ(At(image, 6, 5), clBlue);
    EXPECT_EQ(At(image, 5, 6), clGray);
    EXPECT_EQ(At(image, 6, 6), clAqua);
    EXPECT_EQ(Painted(image), Rect(5, 5, 7, 7));
}

TEST(PainterCanvas, DrawTransparentSkipsTheTransparentColour) {
    const TBitmap source = Pattern();
    const QImage image = Draw(10, 10, [&](TCanvas& c) {
        c.Brush().Color = clSilver;
        c.FillRect(Rect(0, 0, 10, 10));
        c.DrawTransparent(3, 3, source, clBlack);
    });
    EXPECT_EQ(At(image, 3, 3), clRed);
    EXPECT_EQ(At(image, 3, 4), clSilver); // the black pixel let through
    EXPECT_EQ(At(image, 6, 4), clFuchsia);
    EXPECT_EQ(Count(image, clSilver), 100 - 7);
}

TEST(PainterCanvas, ReferenceCanvasMeasuresAtNinetySixPixelsPerInch) {
    TCanvas& c = ReferenceCanvas();
    EXPECT_EQ(c.PixelsPerInchX(), ReferencePixelsPerInch);
    EXPECT_EQ(c.PixelsPerInchY(), ReferencePixelsPerInch);
    c.SetFont(Arial(-13));
    EXPECT_GT(c.TextWidth(QStringLiteral("Radoziv")), 30);
    EXPECT_EQ(&ReferenceCanvas(), &c);
}

TEST(PainterCanvasDrawText, CalcRectMeasuresASingleLine) {
    TBitmap bitmap(4, 4);
    TCanvas& c = bitmap.Canvas();
    c.SetFont(Arial(-13));
    TRect r = Rect(10, 20, 10, 20);
    const int height = c.DrawText(QStringLiteral("Janela Suporte"), r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Left, 10);
    EXPECT_EQ(r.Top, 20);
    EXPECT_EQ(r.Width(), c.TextWidth(QStringLiteral("Janela Suporte")));
    EXPECT_EQ(r.Height(), c.TextHeight(QStringLiteral("W")));
    EXPECT_EQ(height, r.Height());
}

TEST(PainterCanvasDrawText, CalcRectWithWordBreakGrowsDownwards) {
    TBitmap bitmap(4, 4);
    TCanvas& c = bitmap.Canvas();
    c.SetFont(Arial(-13));
    const int wide = c.TextWidth(QStringLiteral("Sistema Integrante"));
    TRect r = Bounds(0, 0, wide, 0);
    const int height =
        c.DrawText(QStringLiteral("Sistema Integrante dos Jogos"), r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(height, 2 * c.TextHeight(QStringLiteral("W")));
    EXPECT_EQ(r.Bottom, height);
    EXPECT_EQ(r.Right, wide);
}

TEST(PainterCanvasDrawText, DrawsNothingWithCalcRect) {
    const QImage image = Draw(60, 20, [](TCanvas& c) {
        TRect r = Rect(0, 0, 60, 20);
        c.DrawText(QStringLiteral("abc"), r, DT_CALCRECT);
    });
    EXPECT_EQ(Count(image, clWhite), 60 * 20);
}

TEST(PainterCanvasDrawText, ClipsToTheRectangleUnlessNoClip) {
    const TRect box = Rect(5, 5, 25, 25);
    const QImage clipped = Draw(100, 30, [&](TCanvas& c) {
        c.SetFont(Arial(-16));
        TRect r = box;
        c.DrawText(QStringLiteral("WWWWWW"), r, DT_SINGLELINE | DT_NOPREFIX);
    });
    const TRect painted = Painted(clipped);
    EXPECT_GE(painted.Left, box.Left);
    EXPECT_LE(painted.Right, box.Right);
    EXPECT_EQ(painted.Right, box.Right); // the text runs into the edge
    const QImage unclipped = Draw(100, 30, [&](TCanvas& c) {
        c.SetFont(Arial(-16));
        TRect r = box;
        c.DrawText(QStringLiteral("WWWWWW"), r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    });
    EXPECT_GT(Painted(unclipped).Right, box.Right);
}

TEST(PainterCanvasDrawText, DrawsTheLinesItLaysOut) {
    // DrawText must put each character where TextOut of the chosen line
    // would put it, ellipsis included.
    const QString text = QStringLiteral("Exportando arquivos para o disquete");
    const TRect box = Rect(0, 0, 90, 20);
    QString chosen;
    const QImage viaDrawText = Draw(100, 20, [&](TCanvas& c) {
        c.SetFont(Arial(-11));
        c.SetBkMode(TRANSPARENT);
        TRect r = box;
        c.DrawText(text, r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS);
        chosen = EllipsisText(text, box.Width(), DT_END_ELLIPSIS,
                              [&](const QString& s) { return c.TextWidth(s); });
    });
    EXPECT_TRUE(chosen.endsWith(QStringLiteral("...")));
    EXPECT_LT(chosen.size(), text.size());
    const QImage viaTextOut = Draw(100, 20, [&](TCanvas& c) {
        c.SetFont(Arial(-11));
        c.SetBkMode(TRANSPARENT);
        const int w = c.TextWidth(chosen);
        const int h = c.TextHeight(chosen);
        c.TextOut((box.Left + box.Right - w) / 2, (box.Top + box.Bottom - h) / 2, chosen);
    });
    EXPECT_EQ(viaDrawText, viaTextOut);
}

TEST(PainterCanvasDrawText, AmpersandUnderlinesTheNextCharacter) {
    const auto draw = [](const QString& text, unsigned format) {
        return Draw(60, 24, [&](TCanvas& c) {
            c.SetFont(Arial(-16));
            c.SetBkMode(TRANSPARENT);
            TRect r = Rect(2, 2, 60, 24);
            c.DrawText(text, r, format | DT_SINGLELINE);
        });
    };
    const QImage plain = draw(QStringLiteral("x"), 0);
    const QImage marked = draw(QStringLiteral("&x"), 0);
    const QImage literal = draw(QStringLiteral("&x"), DT_NOPREFIX);
    const QImage doubled = draw(QStringLiteral("&&"), 0);
    const QImage ampersand = draw(QStringLiteral("&"), DT_NOPREFIX);
    // The underline adds pixels under the glyph and removes none.
    int added = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            if (At(plain, x, y) == clBlack)
                EXPECT_EQ(At(marked, x, y), clBlack);
            else if (At(marked, x, y) == clBlack)
                ++added;
        }
    EXPECT_GT(added, 3);
    EXPECT_GT(Painted(marked).Bottom, Painted(plain).Bottom);
    EXPECT_GT(Painted(literal).Width(), Painted(plain).Width());
    EXPECT_EQ(doubled, ampersand);
}

TEST(PainterCanvasDrawText, LeavesTheCanvasStateAsItWas) {
    TBitmap bitmap(50, 50);
    TCanvas& c = bitmap.Canvas();
    c.SetFont(Arial(-12));
    c.SetTextAlign(TA_RIGHT | TA_BOTTOM);
    c.SetBkMode(OPAQUE);
    c.IntersectClipRect(Rect(0, 0, 40, 40));
    TRect r = Rect(0, 0, 30, 30);
    c.DrawText(QStringLiteral("&Ok"), r, DT_SINGLELINE);
    EXPECT_EQ(c.Font(), Arial(-12));
    EXPECT_EQ(c.TextAlign(), TA_RIGHT | TA_BOTTOM);
    EXPECT_EQ(c.BkMode(), OPAQUE);
    EXPECT_EQ(c.ClipRect(), Rect(0, 0, 40, 40));
}

TEST(PainterCanvasDrawText, OpaqueModeFillsBehindTheText) {
    const QImage image = Draw(100, 30, [](TCanvas& c) {
        c.SetFont(Arial(-13));
        c.Brush().Color = clYellow;
        c.SetBkMode(OPAQUE);
        TRect r = Rect(0, 0, 100, 30);
        c.DrawText(QStringLiteral("abc"), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    });
    const TRect painted = Painted(image);
    EXPECT_EQ(Count(image, clYellow) + Count(image, clBlack), painted.Width() * painted.Height());
    EXPECT_GT(Count(image, clYellow), 0);
}

TEST(PainterCanvas, DashedRectangleOutlineHasGaps) {
    const QImage image = Draw(40, 40, [](TCanvas& c) {
        c.Brush().Style = bsClear;
        c.Pen().Color = clBlack;
        c.Pen().Style = psDash;
        c.Rectangle(Rect(2, 2, 38, 38));
    });
    EXPECT_EQ(Painted(image), Rect(2, 2, 38, 38));
    int top = 0;
    for (int x = 2; x < 38; ++x)
        top += At(image, x, 2) == clBlack;
    EXPECT_GT(top, 10);
    EXPECT_LT(top, 36);
}

TEST(PainterCanvas, EllipseWithoutPenIsOnlyItsFill) {
    const QImage image = Draw(30, 30, [](TCanvas& c) {
        c.Brush().Color = clLime;
        c.Pen().Style = psClear;
        c.Ellipse(Rect(5, 5, 25, 25));
    });
    EXPECT_EQ(Painted(image), Rect(5, 5, 25, 25));
    EXPECT_EQ(Count(image, clLime) + Count(image, clWhite), 900);
    EXPECT_EQ(At(image, 5, 15), clLime);
}

TEST(PainterCanvas, WidePenEllipseRingIsAsThickAsThePen) {
    const QImage image = Draw(40, 40, [](TCanvas& c) {
        c.Brush().Color = clLime;
        c.Pen().Color = clNavy;
        c.Pen().Width = 3;
        c.Ellipse(Rect(0, 0, 40, 40));
    });
    // Along the middle row: three pen pixels, then the fill.
    EXPECT_EQ(At(image, 0, 20), clNavy);
    EXPECT_EQ(At(image, 2, 20), clNavy);
    EXPECT_EQ(At(image, 3, 20), clLime);
    EXPECT_EQ(At(image, 39, 20), clNavy);
    EXPECT_EQ(At(image, 36, 20), clLime);
    EXPECT_EQ(At(image, 20, 2), clNavy);
    EXPECT_EQ(At(image, 20, 3), clLime);
}

TEST(PainterCanvas, EllipseOutlineIsClosed) {
    // Every fill pixel's four neighbours are fill or pen, never background.
    const QImage image = Draw(50, 20, [](TCanvas& c) {
        c.Brush().Color = clLime;
        c.Pen().Color = clNavy;
        c.Ellipse(Rect(1, 1, 49, 19));
    });
    for (int y = 1; y < 19; ++y)
        for (int x = 1; x < 49; ++x) {
            if (At(image, x, y) != clLime)
                continue;
            for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                EXPECT_NE(At(image, x + dx, y + dy), clWhite) << x << "," << y;
        }
}

TEST(PainterCanvas, ClearPenDrawsNoLine) {
    const QImage image = Draw(20, 20, [](TCanvas& c) {
        c.Pen().Style = psClear;
        c.MoveTo(0, 0);
        c.LineTo(19, 19);
        EXPECT_EQ(c.PenPos(), (TPoint{19, 19}));
    });
    EXPECT_EQ(Count(image, clWhite), 400);
}

TEST(PainterCanvas, TextRectFillsTheRectangleWithASolidBrush) {
    const TRect box = Rect(5, 5, 60, 25);
    const QImage solid = Draw(80, 30, [&](TCanvas& c) {
        c.SetFont(Arial(-12));
        c.Brush().Color = clAqua;
        c.TextRect(box, 8, 8, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    });
    EXPECT_EQ(Painted(solid), box);
    EXPECT_EQ(At(solid, 59, 24), clAqua);
    const QImage clear = Draw(80, 30, [&](TCanvas& c) {
        c.SetFont(Arial(-12));
        c.Brush().Style = bsClear;
        c.TextRect(box, 8, 8, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    });
    EXPECT_EQ(Count(clear, clAqua), 0);
    EXPECT_LE(Painted(clear).Right, box.Right);
    EXPECT_GT(Painted(clear).Right, box.Right - 6); // cut at the edge, not before
}

TEST(PainterCanvas, DrawsOnAPrinterLikeDeviceAtItsResolution) {
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    int height = 0;
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        TPainterCanvas canvas(&writer);
        ASSERT_TRUE(canvas.IsActive());
        EXPECT_EQ(canvas.PixelsPerInchX(), 600);
        EXPECT_EQ(canvas.PixelsPerInchY(), 600);
        canvas.SetFont(Arial(-13));
        height = canvas.TextHeight(QStringLiteral("W"));
        canvas.Brush().Color = clSilver;
        canvas.FillRect(Rect(100, 100, 1000, 400));
        TRect r = Rect(100, 100, 1000, 400);
        canvas.DrawText(QStringLiteral("Relação de Perguntas"), r, DT_SINGLELINE | DT_CENTER);
    }
    // 13 pixels at 96 per inch are about 81 at 600.
    EXPECT_GT(height, 80);
    EXPECT_LT(height, 100);
    EXPECT_TRUE(pdf.startsWith("%PDF"));
}
