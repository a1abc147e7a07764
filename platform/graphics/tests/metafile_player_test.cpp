// Playback of pages written elsewhere and of damaged pages.
#include "platform/graphics/metafile_player.h"

#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"

#include <gtest/gtest.h>

TEST(MetafilePlayer, EmptyPageDrawsNothing) {
    TMetafile page;
    page.SetWidth(20);
    page.SetHeight(20);
    TBitmap bitmap(20, 20);
    const TMetafilePlayback result = PlayMetafile(page, bitmap.Canvas(), Rect(0, 0, 20, 20));
    bitmap.ReleaseCanvas();
    EXPECT_EQ(result.Records, 2);
    EXPECT_FALSE(result.Stopped);
    EXPECT_EQ(bitmap.Pixel(5, 5), clWhite);
}
