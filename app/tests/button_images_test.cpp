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

TEST(ImageList, OutOfRangeGivesNullAndOtherSizesAreScaled) {
    TImageList list;
    EXPECT_TRUE(list.Image(0).isNull());
    QPixmap big(32, 32);
    big.fill(Qt::red);
    EXPECT_EQ(list.Add(big), 0);
    EXPECT_EQ(list.Image(0).size(), QSize(16, 16));
    EXPECT_TRUE(list.Image(-1).isNull());
}
