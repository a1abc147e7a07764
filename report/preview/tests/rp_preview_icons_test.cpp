// The tool bar's icons: thirteen different drawings, sharp at 100 % and at
// 200 %, greyed when disabled.
#include "report/preview/rp_preview_icons.h"

#include <QImage>
#include <QPixmap>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QImage Picture(int index, qreal ratio, QIcon::Mode mode = QIcon::Normal) {
    const QPixmap pixmap = RpPreviewIcon(index).pixmap(QSize(16, 16), ratio, mode);
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// Pixels neither fully transparent nor fully opaque: the mark of a picture
// smoothed or scaled up from a smaller one.
int BlurredPixels(const QImage& image) {
    int blurred = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            if (alpha != 0 && alpha != 255)
                ++blurred;
        }
    return blurred;
}

} // namespace

TEST(PreviewIcons, ThirteenDifferentDrawings) {
    QSet<QByteArray> drawings;
    for (int i = 0; i < RpPreviewIconCount; ++i) {
        const QImage image = Picture(i, 1);
        ASSERT_EQ(image.size(), QSize(16, 16)) << i;
        const QByteArray bytes(reinterpret_cast<const char*>(image.constBits()),
                               image.sizeInBytes());
        drawings.insert(bytes);
    }
    EXPECT_EQ(drawings.size(), RpPreviewIconCount);
    EXPECT_TRUE(RpPreviewIcon(RpPreviewIconCount).isNull());
    EXPECT_TRUE(RpPreviewIcon(-1).isNull());
}

class PreviewIconScale : public ::testing::TestWithParam<int> {};

TEST_P(PreviewIconScale, EveryEdgeFallsOnADevicePixel) {
    const int scale = GetParam();
    for (int i = 0; i < RpPreviewIconCount; ++i) {
        const QImage image = Picture(i, scale);
        ASSERT_EQ(image.size(), QSize(16 * scale, 16 * scale)) << i;
        EXPECT_EQ(BlurredPixels(image), 0) << i;
        // The drawing covers a good part of its square.
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                drawn += qAlpha(image.pixel(x, y)) == 255;
        EXPECT_GT(drawn, image.width() * image.height() / 8) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, PreviewIconScale, ::testing::Values(1, 2), [](const auto& info) {
    return "Percent" + std::to_string(info.param * 100);
});

TEST(PreviewIcons, DoubleScaleIsTheSameDrawingAtTwiceTheResolution) {
    for (int i = 0; i < RpPreviewIconCount; ++i) {
        const QImage small = Picture(i, 1);
        const QImage large = Picture(i, 2);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(small.pixel(x, y), large.pixel(2 * x + 1, 2 * y + 1)) << i;
    }
}

TEST(PreviewIcons, DisabledIconsAreGrey) {
    const QImage image = Picture(rpiSaveReport, 1, QIcon::Disabled);
    const QImage normal = Picture(rpiSaveReport, 1);
    EXPECT_NE(image, normal);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            EXPECT_EQ(qAlpha(p), qAlpha(normal.pixel(x, y)));
            if (qAlpha(p) != 0) {
                EXPECT_EQ(qRed(p), qGreen(p));
                EXPECT_EQ(qGreen(p), qBlue(p));
            }
        }
}
