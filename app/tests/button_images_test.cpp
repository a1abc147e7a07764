#include "app/button_images.h"
#include "app/image_list.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

int OpaquePixels(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                ++n;
    return n;
}

} // namespace

TEST(ButtonImages, BothListsHoldThirteenSmallImagesWithTransparentGround) {
    TImageList normal, hot;
    LoadNormalImages(normal);
    LoadHotFlatImages(hot);
    ASSERT_EQ(normal.Count(), ButtonImageCount);
    ASSERT_EQ(hot.Count(), ButtonImageCount);
    for (int i = 0; i < ButtonImageCount; ++i) {
        for (const TImageList* list : {&normal, &hot}) {
            const QPixmap image = list->Image(i);
            EXPECT_EQ(image.size(), QSize(16, 16)) << i;
            const int opaque = OpaquePixels(image);
            EXPECT_GT(opaque, 15) << "image " << i << " is nearly empty";
            EXPECT_LT(opaque, 256) << "image " << i << " has no transparent ground";
        }
    }
}

TEST(ButtonImages, HotImagesDifferWhereTheSubjectChanges) {
    TImageList normal, hot;
    LoadNormalImages(normal);
    LoadHotFlatImages(hot);
    for (int i : {0, 3, 4, 5, 6, 8, 9, 10})
        EXPECT_NE(normal.Image(i).toImage(), hot.Image(i).toImage()) << i;
    for (int i : {1, 2, 7, 11, 12})
        EXPECT_EQ(normal.Image(i).toImage(), hot.Image(i).toImage()) << i;
}

TEST(ButtonImages, ImagesOfDifferentCommandsAreDistinct) {
    TImageList normal;
    LoadNormalImages(normal);
    for (int i = 0; i < ButtonImageCount; ++i)
        for (int j = i + 1; j < ButtonImageCount; ++j)
            EXPECT_NE(normal.Image(i).toImage(), normal.Image(j).toImage()) << i << " " << j;
}

// On a screen of two device pixels per pixel the images are drawn there,
// not enlarged: somewhere in each, a pixel of the 16 x 16 image is not one
// colour across its four device pixels. They keep their subject: about as
// much of each is covered as at 16 x 16.
TEST(ButtonImages, ImagesForAHighDensityScreenHaveDetailAtEveryDevicePixel) {
    for (qreal ratio : {1.5, 2.0}) {
        TImageList small, normal, hot;
        LoadNormalImages(small, 1.0);
        LoadNormalImages(normal, ratio);
        LoadHotFlatImages(hot, ratio);
        ASSERT_EQ(normal.Count(), ButtonImageCount);
        for (int i = 0; i < ButtonImageCount; ++i) {
            for (const TImageList* list : {&normal, &hot}) {
                const QPixmap pixmap = list->Image(i);
                EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(16, 16)) << i;
                EXPECT_EQ(pixmap.size(), QSize(16, 16) * ratio) << i;
            }
            const double density = double(OpaquePixels(normal.Image(i))) / (ratio * ratio);
            EXPECT_NEAR(density, OpaquePixels(small.Image(i)), 0.2 * OpaquePixels(small.Image(i)))
                << "image " << i << " at " << ratio;
        }
    }
    TImageList normal, hot;
    LoadNormalImages(normal, 2.0);
    LoadHotFlatImages(hot, 2.0);
    for (int i = 0; i < ButtonImageCount; ++i) {
        for (const TImageList* list : {&normal, &hot}) {
            const QImage image = list->Image(i).toImage().convertToFormat(QImage::Format_ARGB32);
            bool finer = false;
            for (int y = 0; y < 32 && !finer; y += 2)
                for (int x = 0; x < 32 && !finer; x += 2) {
                    const QRgb c = image.pixel(x, y);
                    finer = image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c ||
                            image.pixel(x + 1, y + 1) != c;
                }
            EXPECT_TRUE(finer) << "image " << i << " is a 16 x 16 image enlarged";
        }
    }
}

TEST(ImageList, OutOfRangeGivesNullAndOtherSizesAreScaled) {
    TImageList list;
    EXPECT_TRUE(list.Image(0).isNull());
    QPixmap big(32, 32);
    big.fill(Qt::red);
    EXPECT_EQ(list.Add(big), 0);
    EXPECT_EQ(list.Image(0).size(), QSize(16, 16));
    EXPECT_TRUE(list.Image(-1).isNull());
}
