// Bitmaps: sizes, pixels, copies and the life of their canvas.
#include "platform/graphics/bitmap.h"

#include "platform/graphics/canvas.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(Bitmap, NewBitmapIsWhiteAtNinetySixPixelsPerInch) {
    const TBitmap b(5, 3);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.Pixel(4, 2), clWhite);
    EXPECT_EQ(b.Image().logicalDpiX(), 96);
    EXPECT_EQ(b.Image().format(), QImage::Format_RGB32);
}

TEST(Bitmap, ZeroSizeIsEmpty) {
    EXPECT_TRUE(TBitmap().Empty());
    EXPECT_TRUE(TBitmap(0, 10).Empty());
    TBitmap b(3, 3);
    b.SetSize(-1, 4);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, PixelOutsideIsNone) {
    const TBitmap b(2, 2);
    EXPECT_EQ(b.Pixel(2, 0), clNone);
    EXPECT_EQ(b.Pixel(0, -1), clNone);
}

TEST(Bitmap, CanvasDrawsIntoThePixels) {
    TBitmap b(4, 4);
    b.Canvas().Brush().Color = clRed;
    b.Canvas().FillRect(Rect(1, 1, 3, 3));
    EXPECT_EQ(&b.Canvas(), &b.Canvas());
    b.ReleaseCanvas();
    EXPECT_EQ(b.Pixel(1, 1), clRed);
    EXPECT_EQ(b.Pixel(3, 3), clWhite);
}

TEST(Bitmap, ResizingStartsOverWithANewCanvas) {
    TBitmap b(4, 4);
    b.Canvas().Brush().Color = clRed;
    b.Canvas().FillRect(Rect(0, 0, 4, 4));
    b.SetSize(8, 2);
    EXPECT_EQ(b.Width(), 8);
    EXPECT_EQ(b.Pixel(0, 0), clWhite);
    EXPECT_EQ(b.Canvas().Brush().Color, clWhite); // a fresh canvas
    b.Canvas().Brush().Color = clBlue;
    b.Canvas().FillRect(Rect(7, 1, 8, 2));
    b.ReleaseCanvas();
    EXPECT_EQ(b.Pixel(7, 1), clBlue);
}

TEST(Bitmap, CopiesDoNotShareLaterDrawing) {
    TBitmap a(4, 4);
    a.Canvas().Brush().Color = clRed;
    a.Canvas().FillRect(Rect(0, 0, 2, 2));
    const TBitmap copy(a);
    a.Canvas().FillRect(Rect(2, 2, 4, 4));
    a.ReleaseCanvas();
    EXPECT_EQ(copy.Pixel(0, 0), clRed);
    EXPECT_EQ(copy.Pixel(3, 3), clWhite);
    EXPECT_EQ(a.Pixel(3, 3), clRed);

    TBitmap assigned(1, 1);
    assigned.Canvas();
    assigned = copy;
    EXPECT_EQ(assigned.Width(), 4);
    EXPECT_EQ(assigned.Pixel(0, 0), clRed);
}

TEST(Bitmap, SetImageTakesAnyFormat) {
    QImage source(3, 2, QImage::Format_Indexed8);
    source.setColorCount(1);
    source.setColor(0, qRgb(0, 128, 0));
    source.fill(0);
    TBitmap b;
    b.SetImage(source);
    EXPECT_EQ(b.Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(b.Pixel(2, 1), clGreen);
    EXPECT_EQ(b.Image().logicalDpiY(), 96);
}

TEST(Bitmap, CanvasOnAnEmptyBitmapIsHarmless) {
    TBitmap b;
    b.Canvas().FillRect(Rect(0, 0, 5, 5));
    EXPECT_GT(b.Canvas().TextWidth(QStringLiteral("x")), 0);
    EXPECT_TRUE(b.Empty());
}
