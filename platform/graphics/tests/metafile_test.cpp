// The page container: header fields in the published layout, saving and
// loading from streams that hold more than one page, and the two failures a
// damaged page reports.
#include "platform/graphics/metafile.h"

#include "platform/exceptions.h"
#include "platform/testing/exception_message.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

std::uint32_t U32At(const QByteArray& bytes, int offset) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.constData() + offset, 4);
    return v;
}

std::int32_t I32At(const QByteArray& bytes, int offset) {
    std::int32_t v = 0;
    std::memcpy(&v, bytes.constData() + offset, 4);
    return v;
}

TMetafile A4Landscape() {
    TMetafile page;
    page.SetWidth(1123);
    page.SetHeight(794);
    return page;
}

QString LoadError(const QByteArray& bytes) {
    TMetafile page;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ExceptionMessage([&] { page.LoadFromStream(buffer); });
}

} // namespace

TEST(Metafile, NewMetafileIsEmptyWithoutSize) {
    TMetafile page;
    EXPECT_TRUE(page.Empty());
    EXPECT_EQ(page.Width(), 0);
    EXPECT_EQ(page.Height(), 0);
}

TEST(Metafile, EmptyPageStillSavesAValidPicture) {
    const QByteArray bytes = A4Landscape().Data();
    ASSERT_GE(bytes.size(), 108);
    EXPECT_EQ(U32At(bytes, 0), 1u) << "first record is the header";
    EXPECT_EQ(bytes.mid(40, 4), QByteArray(" EMF"));
    EXPECT_EQ(U32At(bytes, 44), 0x10000u) << "version";
    EXPECT_EQ(U32At(bytes, 48), static_cast<std::uint32_t>(bytes.size())) << "size in bytes";
    EXPECT_EQ(U32At(bytes, 52), 2u) << "header and EOF";
    // The last record is EOF and ends the data.
    EXPECT_EQ(U32At(bytes, bytes.size() - 20), 14u);
    EXPECT_EQ(U32At(bytes, bytes.size() - 4), 20u);
}

TEST(Metafile, FrameIsThePageSizeInHundredthsOfAMillimetre) {
    const TMetafile page = A4Landscape();
    // 1123 x 794 pixels at 96 dpi are 297.13 mm x 210.08 mm.
    EXPECT_EQ(page.Frame(), Rect(0, 0, 29713, 21008));
    const QByteArray bytes = page.Data();
    EXPECT_EQ(I32At(bytes, 32), 29713);
    EXPECT_EQ(I32At(bytes, 36), 21008);
}

TEST(Metafile, ReferenceDeviceIsA96DpiScreen) {
    const TMetafile page = A4Landscape();
    const TSize pixels = page.ReferenceDevicePixels();
    const TSize mm = page.ReferenceDeviceMillimeters();
    ASSERT_GT(mm.cx, 0);
    ASSERT_GT(mm.cy, 0);
    EXPECT_DOUBLE_EQ(pixels.cx * 25.4 / mm.cx, 96.0);
    EXPECT_DOUBLE_EQ(pixels.cy * 25.4 / mm.cy, 96.0);
}

TEST(Metafile, DescriptionTravelsInTheHeader) {
    TMetafile page = A4Landscape();
    page.SetDescription(QStringLiteral("Relatório"));
    TMetafile copy;
    copy.LoadFromData(page.Data());
    EXPECT_EQ(copy.Description(), QStringLiteral("Relatório"));
    EXPECT_EQ(U32At(copy.Data(), 48), static_cast<std::uint32_t>(copy.Data().size()));
}

TEST(Metafile, LoadingTakesTheSizeFromTheFrame) {
    TMetafile copy;
    copy.LoadFromData(A4Landscape().Data());
    EXPECT_FALSE(copy.Empty());
    EXPECT_EQ(copy.Width(), 1123);
    EXPECT_EQ(copy.Height(), 794);
}

TEST(Metafile, OnlyPagesThePaperCouldHaveAreDrawableAtTheirSize) {
    TMetafile page;
    for (const TSize size : {TSize{1123, 794}, TSize{1, 1}, TSize{7559, 7559}}) {
        page.SetWidth(size.cx);
        page.SetHeight(size.cy);
        EXPECT_EQ(page.SizeProblem(), "") << size.cx << " x " << size.cy;
    }
    for (const TSize size : {TSize{0, 794}, TSize{1123, 0}, TSize{7560, 10}, TSize{10, 7560}}) {
        page.SetWidth(size.cx);
        page.SetHeight(size.cy);
        EXPECT_NE(page.SizeProblem(), "") << size.cx << " x " << size.cy;
    }
    // A frame claimed by a loaded page counts, not only a size set here.
    page.SetWidth(19999);
    page.SetHeight(19999);
    TMetafile loaded;
    loaded.LoadFromData(page.Data());
    EXPECT_EQ(loaded.SizeProblem(), "its size of 19999 x 19999 pixels (5291 x 5291 mm) is not "
                                    "that of a sheet of paper; a page measures at most 2000 mm a "
                                    "side");
}

TEST(Metafile, SettingTheSizeOfALoadedPictureRewritesItsFrame) {
    TMetafile page;
    page.LoadFromData(A4Landscape().Data());
    page.SetWidth(794);
    page.SetHeight(1123);
    TMetafile copy;
    copy.LoadFromData(page.Data());
    EXPECT_EQ(copy.Width(), 794);
    EXPECT_EQ(copy.Height(), 1123);
}

TEST(Metafile, StreamRoundTripConsumesExactlyTheHeaderLength) {
    const TMetafile first = A4Landscape();
    TMetafile second;
    second.SetWidth(100);
    second.SetHeight(50);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    first.SaveToStream(buffer);
    second.SaveToStream(buffer);
    buffer.write("tail", 4);

    buffer.seek(0);
    TMetafile a;
    a.LoadFromStream(buffer);
    EXPECT_EQ(buffer.pos(), first.Data().size());
    TMetafile b;
    b.LoadFromStream(buffer);
    EXPECT_EQ(buffer.pos(), first.Data().size() + second.Data().size());
    EXPECT_EQ(buffer.read(4), QByteArray("tail"));
    EXPECT_EQ(a.Data(), first.Data());
    EXPECT_EQ(b.Width(), 100);
    EXPECT_EQ(b.Height(), 50);
}

TEST(Metafile, FileRoundTrip) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("page.emf"));
    A4Landscape().SaveToFile(name);
    TMetafile page;
    page.LoadFromFile(name);
    EXPECT_EQ(page.Data(), A4Landscape().Data());
}

TEST(Metafile, DataWithoutSignatureIsNotValid) {
    QByteArray bytes = A4Landscape().Data();
    bytes[41] = 'X';
    EXPECT_EQ(LoadError(bytes), QStringLiteral("Metafile is not valid"));
    EXPECT_EQ(LoadError(QByteArray(200, 'a')), QStringLiteral("Metafile is not valid"));
}

TEST(Metafile, SizeSmallerThanTheHeaderIsNotValid) {
    QByteArray bytes = A4Landscape().Data();
    std::uint32_t tiny = 40;
    std::memcpy(bytes.data() + 48, &tiny, 4);
    EXPECT_EQ(LoadError(bytes), QStringLiteral("Metafile is not valid"));
}

TEST(Metafile, TruncatedDataIsAStreamReadError) {
    const QByteArray bytes = A4Landscape().Data();
    EXPECT_EQ(LoadError(bytes.left(bytes.size() - 1)), QStringLiteral("Stream read error"));
    EXPECT_EQ(LoadError(bytes.left(60)), QStringLiteral("Stream read error"));
    EXPECT_EQ(LoadError(QByteArray()), QStringLiteral("Stream read error"));
}

TEST(Metafile, HugeClaimedSizeOnAShortStreamFailsWithoutReadingOn) {
    QByteArray bytes = A4Landscape().Data();
    std::uint32_t huge = 0x3FFFFFF0;
    std::memcpy(bytes.data() + 48, &huge, 4);
    EXPECT_EQ(LoadError(bytes), QStringLiteral("Stream read error"));
    huge = 0xFFFFFFF0;
    std::memcpy(bytes.data() + 48, &huge, 4);
    EXPECT_EQ(LoadError(bytes), QStringLiteral("Metafile is not valid"));
}

TEST(Metafile, FailedLoadLeavesThePictureAsItWas) {
    TMetafile page;
    page.LoadFromData(A4Landscape().Data());
    QByteArray broken = page.Data();
    broken[40] = 'X';
    EXPECT_THROW(page.LoadFromData(broken), Exception);
    EXPECT_EQ(page.Width(), 1123);
    EXPECT_EQ(page.Data(), A4Landscape().Data());
}

TEST(Metafile, ClearDropsPictureAndSize) {
    TMetafile page;
    page.LoadFromData(A4Landscape().Data());
    page.Clear();
    EXPECT_TRUE(page.Empty());
    EXPECT_EQ(page.Width(), 0);
}

TEST(Metafile, SizeFromHeaderReadsTheLengthFromTheFirstBytes) {
    const QByteArray bytes = A4Landscape().Data();
    EXPECT_EQ(TMetafile::SizeFromHeader(bytes.left(TMetafile::HeaderProbeSize)),
              static_cast<std::uint32_t>(bytes.size()));
    EXPECT_THROW(TMetafile::SizeFromHeader(bytes.left(40)), Exception);
    EXPECT_THROW(TMetafile::SizeFromHeader(QByteArray(88, 'x')), Exception);
}
