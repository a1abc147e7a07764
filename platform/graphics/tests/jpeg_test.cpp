// JPEG decoding: pictures written by libjpeg's own compressor in the
// variants the decoder must handle, and damaged data that must end in an
// Exception, never in a crash.
#include "platform/graphics/jpeg.h"

#include "platform/exceptions.h"
#include "platform/graphics/bitmap.h"
#include "platform/testing/exception_message.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

enum class Kind { Colour, Progressive, Grey, Cmyk };

// A width x height picture: the left half is `left`, the right half `right`
// (RGB, or one grey level, or four CMYK samples as Adobe stores them).
QByteArray Encode(Kind kind, int width, int height, std::vector<int> left, std::vector<int> right) {
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = kind == Kind::Grey ? 1 : kind == Kind::Cmyk ? 4 : 3;
    info.in_color_space = kind == Kind::Grey   ? JCS_GRAYSCALE
                          : kind == Kind::Cmyk ? JCS_CMYK
                                               : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (kind == Kind::Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width * info.input_components));
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < info.input_components; ++c)
                row[static_cast<std::size_t>(x * info.input_components + c)] = static_cast<JSAMPLE>(
                    (x < width / 2 ? left : right)[static_cast<std::size_t>(c)]);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray data(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return data;
}

QByteArray RedBlue(Kind kind = Kind::Colour) {
    return Encode(kind, 32, 16, {255, 0, 0}, {0, 0, 255});
}

void ExpectNear(QRgb pixel, int r, int g, int b) {
    EXPECT_NEAR(qRed(pixel), r, 12);
    EXPECT_NEAR(qGreen(pixel), g, 12);
    EXPECT_NEAR(qBlue(pixel), b, 12);
}

void ExpectRejected(const QByteArray& data) {
    const QString message = ExceptionMessage([&] { DecodeJpeg(data); });
    EXPECT_TRUE(message.contains(QStringLiteral("JPEG"))) << message.toStdString();
}

} // namespace

TEST(Jpeg, DecodesABaselineColourPicture) {
    const QImage image = DecodeJpeg(RedBlue());
    ASSERT_EQ(image.size(), QSize(32, 16));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    ExpectNear(image.pixel(4, 8), 255, 0, 0);
    ExpectNear(image.pixel(28, 8), 0, 0, 255);
}

TEST(Jpeg, DecodesAProgressivePicture) {
    const QImage image = DecodeJpeg(RedBlue(Kind::Progressive));
    ASSERT_EQ(image.size(), QSize(32, 16));
    ExpectNear(image.pixel(4, 4), 255, 0, 0);
    ExpectNear(image.pixel(28, 12), 0, 0, 255);
}

TEST(Jpeg, DecodesGreyscaleIntoEqualChannels) {
    const QImage image = DecodeJpeg(Encode(Kind::Grey, 16, 16, {40}, {200}));
    ExpectNear(image.pixel(2, 2), 40, 40, 40);
    ExpectNear(image.pixel(14, 14), 200, 200, 200);
}

TEST(Jpeg, DecodesAdobeCmyk) {
    // Adobe's inverted samples: 255 is no ink.
    const QImage image =
        DecodeJpeg(Encode(Kind::Cmyk, 16, 16, {255, 255, 255, 255}, {0, 255, 255, 255}));
    ExpectNear(image.pixel(2, 8), 255, 255, 255);
    ExpectNear(image.pixel(14, 8), 0, 255, 255);
}

TEST(Jpeg, DecodedPicturesAreAtNinetySixPixelsPerInch) {
    const TBitmap bitmap = JpegBitmap(RedBlue());
    EXPECT_EQ(bitmap.Width(), 32);
    EXPECT_EQ(bitmap.Image().logicalDpiX(), 96);
    EXPECT_EQ(bitmap.Image().logicalDpiY(), 96);
}

TEST(Jpeg, EmptyDataIsRejected) {
    ExpectRejected(QByteArray());
}

TEST(Jpeg, DataThatIsNoJpegIsRejected) {
    ExpectRejected(QByteArray("GIF89a this is not a jpeg picture at all"));
}

TEST(Jpeg, TruncatedDataIsRejected) {
    const QByteArray whole = RedBlue(Kind::Progressive);
    ExpectRejected(whole.left(whole.size() / 2));
    ExpectRejected(whole.left(20));
}

TEST(Jpeg, OversizedPictureIsRejectedWithoutAllocating) {
    QByteArray data = RedBlue();
    // The start-of-frame segment: marker, length (2), precision (1),
    // height (2), width (2).
    const qsizetype sof = data.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    data[sof + 5] = '\xEA';
    data[sof + 6] = '\x60';
    data[sof + 7] = '\xEA';
    data[sof + 8] = '\x60';
    ExpectRejected(data);
}

TEST(Jpeg, DamagedBytesNeverCrash) {
    const QByteArray whole = RedBlue(Kind::Progressive);
    int rejected = 0;
    for (qsizetype at = 0; at < whole.size(); at += 7) {
        QByteArray damaged = whole;
        damaged[at] = static_cast<char>(damaged.at(at) ^ 0x5A);
        try {
            const QImage image = DecodeJpeg(damaged);
            EXPECT_FALSE(image.isNull());
        } catch (const Exception&) {
            ++rejected;
        }
    }
    EXPECT_GT(rejected, 0);
}

TEST(Jpeg, EndlessScansAreRejected) {
    // The last scan repeated hundreds of times: each copy is one more scan
    // for the decoder to go through.
    const QByteArray whole = RedBlue(Kind::Progressive);
    ASSERT_TRUE(whole.endsWith(QByteArray("\xFF\xD9", 2)));
    const qsizetype lastScan = whole.lastIndexOf(QByteArray("\xFF\xDA", 2));
    ASSERT_GT(lastScan, 0);
    const QByteArray scan = whole.mid(lastScan, whole.size() - 2 - lastScan);
    QByteArray data = whole.left(whole.size() - 2);
    for (int i = 0; i < 600; ++i)
        data += scan;
    data += QByteArray("\xFF\xD9", 2);
    const QString message = ExceptionMessage([&] { DecodeJpeg(data); });
    EXPECT_TRUE(message.contains(QStringLiteral("scans"))) << message.toStdString();
}
