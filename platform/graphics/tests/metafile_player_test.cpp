// Playback: stretching a page to a rectangle, pages written the way the
// desktop's own metafile canvas writes them (map mode with extents, saved
// states, stock objects, ANSI text, region fills, bit-block transfers), and
// damaged pages, which must neither crash nor read outside their data.
#include "platform/graphics/metafile_player.h"

#include "platform/graphics/bitmap.h"
#include "platform/graphics/emf_format.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_canvas.h"

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

extern "C" {
#include <uemf.h>
}

namespace {

// One record made by libUEMF, as bytes.
QByteArray Take(char* record) {
    if (!record)
        return {};
    std::uint32_t size;
    std::memcpy(&size, record + 4, 4);
    QByteArray bytes(record, size);
    std::free(record);
    return bytes;
}

QByteArray Raw(std::initializer_list<std::uint32_t> words) {
    QByteArray bytes;
    for (std::uint32_t w : words)
        bytes.append(reinterpret_cast<const char*>(&w), 4);
    return bytes;
}

// A whole file around `records`: a header of the given reference device and
// frame, the records, the EOF record.
QByteArray File(const QByteArray& records, std::uint16_t handles, TSize devicePixels,
                TSize deviceMM, TRect frame) {
    const U_RECTL bounds{0, 0, 0, 0};
    const U_RECTL rclFrame{frame.Left, frame.Top, frame.Right, frame.Bottom};
    QByteArray bytes = Take(U_EMRHEADER_set(bounds, rclFrame, nullptr, 0, nullptr,
                                            U_SIZEL{devicePixels.cx, devicePixels.cy},
                                            U_SIZEL{deviceMM.cx, deviceMM.cy}, 0));
    bytes += records;
    bytes += Raw({14, 20, 0, 16, 20});
    emf::PutU32(bytes, emf::kBytesOffset, static_cast<std::uint32_t>(bytes.size()));
    emf::PutU16(bytes, emf::kHandlesOffset, handles);
    return bytes;
}

// A 96 dpi page of 100 x 80 pixels.
QByteArray Page(const QByteArray& records, std::uint16_t handles = 4) {
    return File(records, handles, TSize{1920, 1440}, TSize{508, 381}, TRect{0, 0, 2646, 2117});
}

TMetafile Load(const QByteArray& bytes) {
    TMetafile page;
    page.LoadFromData(bytes);
    return page;
}

QByteArray SolidBrush(std::uint32_t index, TColor color) {
    return Take(U_EMRCREATEBRUSHINDIRECT_set(
        index,
        logbrush_set(U_BS_SOLID,
                     colorref3_set(GetRValue(color), GetGValue(color), GetBValue(color)), 0)));
}

QByteArray Select(std::uint32_t index) {
    return Take(U_EMRSELECTOBJECT_set(index));
}

QByteArray PatBlt(const TRect& r) {
    return Take(U_EMRBITBLT_set(U_RECTL{0, 0, 0, 0}, point32_set(r.Left, r.Top),
                                point32_set(r.Width(), r.Height()), point32_set(0, 0),
                                xform_set(1, 0, 0, 1, 0, 0), colorref3_set(0, 0, 0), 0, U_PATCOPY,
                                nullptr, 0, nullptr));
}

QByteArray FillRgn(std::uint32_t brush, const TRect& r) {
    U_RECTL box{r.Left, r.Top, r.Right, r.Bottom};
    PU_RGNDATA region = rgndata_set(rgndataheader_set(1, box), &box);
    QByteArray bytes = Take(U_EMRFILLRGN_set(box, brush, region));
    std::free(region);
    return bytes;
}

QImage Play(const TMetafile& page, int width, int height, const TRect& dest,
            TMetafilePlayback* result = nullptr) {
    TBitmap bitmap(width, height);
    const TMetafilePlayback r = PlayMetafile(page, bitmap.Canvas(), dest);
    if (result)
        *result = r;
    bitmap.ReleaseCanvas();
    return bitmap.Image();
}

TColor At(const QImage& image, int x, int y) {
    return FromQColor(QColor(image.pixel(x, y)));
}

int CountColor(const QImage& image, const TRect& area, TColor color) {
    int n = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            n += At(image, x, y) == color ? 1 : 0;
    return n;
}

int CountNot(const QImage& image, const TRect& area, TColor color) {
    return area.Width() * area.Height() - CountColor(image, area, color);
}

} // namespace

TEST(MetafilePlayer, EmptyPageDrawsNothing) {
    TMetafile page;
    page.SetWidth(20);
    page.SetHeight(20);
    TMetafilePlayback result;
    const QImage image = Play(page, 20, 20, Rect(0, 0, 20, 20), &result);
    EXPECT_EQ(result.Records, 2);
    EXPECT_FALSE(result.Stopped);
    EXPECT_EQ(CountNot(image, Rect(0, 0, 20, 20), clWhite), 0);
}

// A page of the given size with one red rectangle, recorded.
TMetafile RedRectanglePage(int width, int height, const TRect& red) {
    TMetafile page;
    page.SetWidth(width);
    page.SetHeight(height);
    TMetafileCanvas canvas(page);
    canvas.Brush().Color = clRed;
    canvas.FillRect(red);
    canvas.End();
    return page;
}

TEST(MetafilePlayer, StretchesTheFrameOntoTheDestination) {
    const TMetafile page = RedRectanglePage(100, 80, Rect(10, 10, 50, 40));
    // Twice the size, moved by (20, 10).
    const QImage image = Play(page, 240, 180, Rect(20, 10, 220, 170));
    EXPECT_EQ(CountColor(image, Rect(40, 30, 120, 90), clRed), 80 * 60);
    EXPECT_EQ(CountColor(image, Rect(0, 0, 240, 180), clRed), 80 * 60);
}

TEST(MetafilePlayer, PageClaimingAHugeFrameCostsOnlyTheDestination) {
    // Over five metres a side: drawn at its own size it would take 1.6 GB.
    TMetafile loaded;
    loaded.LoadFromData(RedRectanglePage(19999, 19999, Rect(0, 0, 10000, 19999)).Data());
    const QImage image = Play(loaded, 100, 100, Rect(0, 0, 100, 100));
    EXPECT_EQ(image.size(), QSize(100, 100));
    EXPECT_EQ(CountColor(image, Rect(0, 0, 100, 100), clRed), 50 * 100);
}

TEST(MetafilePlayer, ScalesFontsAndAdvancesWithTheStretch) {
    TMetafile page;
    page.SetWidth(200);
    page.SetHeight(50);
    {
        TMetafileCanvas canvas(page);
        TFont font;
        font.SetName(QStringLiteral("Arial"));
        font.SetHeight(-12);
        canvas.SetFont(font);
        canvas.SetBkMode(TRANSPARENT);
        canvas.TextOut(0, 0, QStringLiteral("WWWW"));
    }
    const auto inkBox = [](const QImage& image) {
        TRect box{image.width(), image.height(), -1, -1};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (At(image, x, y) != clWhite) {
                    box.Left = std::min(box.Left, x);
                    box.Top = std::min(box.Top, y);
                    box.Right = std::max(box.Right, x + 1);
                    box.Bottom = std::max(box.Bottom, y + 1);
                }
        return box;
    };
    const TRect single = inkBox(Play(page, 200, 50, Rect(0, 0, 200, 50)));
    const TRect triple = inkBox(Play(page, 600, 150, Rect(0, 0, 600, 150)));
    ASSERT_GT(single.Width(), 0);
    // Glyphs are hinted at each size, so the ink grows only about threefold.
    EXPECT_NEAR(triple.Width(), single.Width() * 3, single.Width() * 0.3);
    EXPECT_NEAR(triple.Height(), single.Height() * 3, single.Height() * 0.3);
}

TEST(MetafilePlayer, CanvasStretchDrawPlaysTheMetafile) {
    TMetafile page;
    page.SetWidth(10);
    page.SetHeight(10);
    {
        TMetafileCanvas canvas(page);
        canvas.Brush().Color = clBlue;
        canvas.FillRect(Rect(0, 0, 10, 10));
    }
    TBitmap bitmap(30, 30);
    bitmap.Canvas().StretchDraw(Rect(10, 10, 20, 20), page);
    bitmap.ReleaseCanvas();
    EXPECT_EQ(CountColor(bitmap.Image(), Rect(0, 0, 30, 30), clBlue), 100);
    EXPECT_EQ(bitmap.Pixel(10, 10), clBlue);
    EXPECT_EQ(bitmap.Pixel(9, 9), clWhite);
}

TEST(MetafilePlayer, LeavesTheTargetStateAsItWas) {
    TMetafile page;
    page.SetWidth(50);
    page.SetHeight(50);
    {
        TMetafileCanvas canvas(page);
        canvas.IntersectClipRect(Rect(0, 0, 10, 10));
        canvas.Brush().Color = clRed;
        canvas.Pen().Color = clGreen;
        TFont font;
        font.SetName(QStringLiteral("Courier New"));
        canvas.SetFont(font);
        canvas.SetTextAlign(TA_RIGHT);
        canvas.TextOut(40, 0, QStringLiteral("x"));
        canvas.FillRect(Rect(0, 0, 50, 50));
    }
    TBitmap bitmap(50, 50);
    TCanvas& target = bitmap.Canvas();
    target.Brush().Color = clYellow;
    const TFont before = target.Font();
    PlayMetafile(page, target, Rect(0, 0, 50, 50));
    EXPECT_EQ(target.Brush().Color, clYellow);
    EXPECT_EQ(target.Font(), before);
    EXPECT_EQ(target.TextAlign(), TA_LEFT | TA_TOP);
    EXPECT_FALSE(target.ClipRect().has_value());
    target.FillRect(Rect(20, 20, 30, 30));
    bitmap.ReleaseCanvas();
    EXPECT_EQ(bitmap.Pixel(25, 25), clYellow) << "the page's clip did not stay behind";
}

TEST(MetafilePlayer, TargetClipBoundsThePlayback) {
    TMetafile page;
    page.SetWidth(40);
    page.SetHeight(40);
    {
        TMetafileCanvas canvas(page);
        canvas.Brush().Color = clRed;
        const TRect everything = Rect(0, 0, 40, 40);
        canvas.SelectClipRect(&everything);
        canvas.FillRect(everything);
    }
    TBitmap bitmap(40, 40);
    const TRect clip = Rect(0, 0, 10, 10);
    bitmap.Canvas().SelectClipRect(&clip);
    PlayMetafile(page, bitmap.Canvas(), Rect(0, 0, 40, 40));
    bitmap.ReleaseCanvas();
    EXPECT_EQ(CountColor(bitmap.Image(), Rect(0, 0, 40, 40), clRed), 100);
}

// A page as the desktop's metafile canvas writes it for a report: a larger
// reference device, anisotropic mapping of a logical page twice the size of
// the device page, a saved state, stock objects, region fills, pattern and
// bitmap copies and ANSI text with advances.
TEST(MetafilePlayer, PlaysAPageInTheDesktopCanvasStyle) {
    QByteArray records;
    records += Take(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
    records += Take(U_EMRSETWINDOWORGEX_set(point32_set(100, 0)));
    records += Take(U_EMRSETWINDOWEXTEX_set(U_SIZEL{400, 320}));
    records += Take(U_EMRSETVIEWPORTEXTEX_set(U_SIZEL{200, 160}));
    records += Take(U_EMRSETVIEWPORTORGEX_set(point32_set(0, 0)));
    records += Take(U_EMRSAVEDC_set());
    records += Select(U_NULL_PEN);
    records += Select(0x80000000 | U_BLACK_BRUSH);
    records += PatBlt(Rect(100, 0, 140, 40)); // device (0,0)-(20,20), black
    records += SolidBrush(1, clRed);
    records += FillRgn(1, Rect(140, 40, 180, 80)); // device (20,20)-(40,40), red
    // The 2 x 2 bitmap, bottom-up: blue green / red white, stretched to 40 x 40 logical.
    {
        // Bottom row first: red, white; then top row: blue, green. Bytes are B, G, R, reserved.
        const unsigned char bits[16] = {0, 0, 255, 0, 255, 255, 255, 0, 255, 0, 0, 0, 0, 255, 0, 0};
        PU_BITMAPINFO info =
            bitmapinfo_set(bitmapinfoheader_set(2, 2, 1, 32, U_BI_RGB, 16, 0, 0, 0, 0), nullptr);
        records += Take(
            U_EMRSTRETCHBLT_set(U_RECTL{0, 0, 0, 0}, point32_set(200, 0), point32_set(40, 40),
                                point32_set(0, 0), point32_set(2, 2), xform_set(1, 0, 0, 1, 0, 0),
                                colorref3_set(0, 0, 0), U_DIB_RGB_COLORS, U_SRCCOPY, info, 16,
                                reinterpret_cast<char*>(const_cast<unsigned char*>(bits))));
        std::free(info);
    }
    records += Take(U_EMRRESTOREDC_set(-1));
    // Text after the restore: the stock white brush and black pen are back.
    {
        uint16_t face[U_LF_FACESIZE] = {'A', 'r', 'i', 'a', 'l', 0};
        const U_LOGFONT font =
            logfont_set(-32, 0, 0, 0, U_FW_NORMAL, 0, 0, 0, U_ANSI_CHARSET, 0, 0, 0, 0, face);
        records +=
            Take(U_EMREXTCREATEFONTINDIRECTW_set(2, reinterpret_cast<const char*>(&font), nullptr));
        records += Select(2);
        records += Take(U_EMRSETTEXTCOLOR_set(colorref3_set(0, 0, 255)));
        records += Take(U_EMRSETBKMODE_set(U_TRANSPARENT));
        char text[] = "Quest\xE3o";
        uint32_t dx[6] = {20, 20, 20, 20, 20, 20};
        char* emrtext =
            emrtext_set(point32_set(100, 200), 6, 1, text, 0, U_RECTL{0, 0, -1, -1}, dx);
        records += Take(U_EMREXTTEXTOUTA_set(U_RECTL{0, 0, 0, 0}, U_GM_COMPATIBLE, 1, 1,
                                             reinterpret_cast<PU_EMRTEXT>(emrtext)));
        std::free(emrtext);
    }
    records += Select(0x80000000 | U_SYSTEM_FONT);
    records += Take(U_EMRDELETEOBJECT_set(2));
    records += Take(U_EMRDELETEOBJECT_set(1));

    // A 192 dpi device: 200 x 160 device pixels are 100 x 80 reference pixels.
    const TMetafile page =
        Load(File(records, 3, TSize{3840, 2880}, TSize{508, 381}, TRect{0, 0, 2646, 2117}));
    EXPECT_EQ(page.Width(), 100);
    EXPECT_EQ(page.Height(), 80);
    TMetafilePlayback result;
    // Played at the device's own size: logical units map at one half.
    const QImage image = Play(page, 200, 160, Rect(0, 0, 200, 160), &result);
    EXPECT_FALSE(result.Stopped);
    EXPECT_EQ(result.Skipped, 0);
    EXPECT_EQ(CountColor(image, Rect(0, 0, 20, 20), clBlack), 400);
    EXPECT_EQ(CountColor(image, Rect(20, 20, 40, 40), clRed), 400);
    EXPECT_EQ(At(image, 55, 5), clBlue);
    EXPECT_EQ(At(image, 65, 5), clLime);
    EXPECT_EQ(At(image, 55, 15), clRed);
    EXPECT_EQ(At(image, 65, 15), clWhite);
    EXPECT_EQ(CountColor(image, Rect(50, 0, 70, 20), clBlue), 100);
    // The text: blue ink in its six 10-pixel cells from (0, 100), none elsewhere below.
    EXPECT_GT(CountColor(image, Rect(0, 100, 60, 120), clBlue), 30);
    EXPECT_EQ(CountColor(image, Rect(62, 100, 200, 160), clBlue), 0);
}

TEST(MetafilePlayer, PlaysRegionFramesPaintsPensAndOpaqueText) {
    QByteArray records;
    records += SolidBrush(1, clGreen);
    {
        U_RECTL box{10, 10, 40, 30};
        PU_RGNDATA region = rgndata_set(rgndataheader_set(1, box), &box);
        records += Take(U_EMRFRAMERGN_set(box, 1, U_SIZEL{2, 3}, region));
        records += Select(1);
        U_RECTL inner{60, 10, 70, 20};
        PU_RGNDATA paint = rgndata_set(rgndataheader_set(1, inner), &inner);
        records += Take(U_EMRPAINTRGN_set(paint));
        std::free(region);
        std::free(paint);
    }
    {
        PU_EXTLOGPEN elp = extlogpen_set(U_PS_GEOMETRIC | U_PS_SOLID, 3, U_BS_SOLID,
                                         colorref3_set(255, 0, 0), 0, 0, nullptr);
        records += Take(U_EMREXTCREATEPEN_set(2, nullptr, 0, nullptr, elp));
        std::free(elp);
        records += Select(2);
        records += Take(U_EMRMOVETOEX_set(point32_set(10, 50)));
        records += Take(U_EMRLINETO_set(point32_set(90, 50)));
    }
    {
        records += Take(U_EMRSETBKCOLOR_set(colorref3_set(255, 255, 0)));
        uint16_t text[2] = {'i', 0};
        uint32_t dx[1] = {4};
        char* emrtext =
            emrtext_set(point32_set(10, 60), 1, 2, text, U_ETO_OPAQUE, U_RECTL{10, 60, 40, 70}, dx);
        records += Take(U_EMREXTTEXTOUTW_set(U_RECTL{0, 0, 0, 0}, U_GM_COMPATIBLE, 1, 1,
                                             reinterpret_cast<PU_EMRTEXT>(emrtext)));
        std::free(emrtext);
    }
    TMetafilePlayback result;
    const QImage image = Play(Load(Page(records)), 100, 80, Rect(0, 0, 100, 80), &result);
    EXPECT_EQ(result.Skipped, 0);
    // The frame: 2 pixels wide at the sides, 3 high at top and bottom, hollow inside.
    EXPECT_EQ(CountColor(image, Rect(10, 10, 40, 30), clGreen), 30 * 20 - 26 * 14);
    EXPECT_EQ(CountColor(image, Rect(12, 13, 38, 27), clGreen), 0);
    EXPECT_EQ(CountColor(image, Rect(60, 10, 70, 20), clGreen), 100);
    // The geometric pen is three pixels thick.
    EXPECT_EQ(CountColor(image, Rect(50, 40, 51, 60), clRed), 3);
    // The opaque rectangle is filled with the background colour around the letter.
    EXPECT_GT(CountColor(image, Rect(10, 60, 40, 70), clYellow), 250);
    EXPECT_LT(CountColor(image, Rect(10, 60, 40, 70), clYellow), 300);
}

TEST(MetafilePlayer, TextAdvancesFromTheFileAreHonoured) {
    const auto page = [](std::uint32_t advance) {
        QByteArray records;
        uint16_t face[U_LF_FACESIZE] = {'A', 'r', 'i', 'a', 'l', 0};
        const U_LOGFONT font =
            logfont_set(-12, 0, 0, 0, U_FW_NORMAL, 0, 0, 0, U_ANSI_CHARSET, 0, 0, 0, 0, face);
        records +=
            Take(U_EMREXTCREATEFONTINDIRECTW_set(1, reinterpret_cast<const char*>(&font), nullptr));
        records += Select(1);
        uint16_t text[3] = {'I', 'I', 0};
        uint32_t dx[2] = {advance, advance};
        char* emrtext = emrtext_set(point32_set(0, 0), 2, 2, text, 0, U_RECTL{0, 0, -1, -1}, dx);
        records += Take(U_EMREXTTEXTOUTW_set(U_RECTL{0, 0, 0, 0}, U_GM_COMPATIBLE, 1, 1,
                                             reinterpret_cast<PU_EMRTEXT>(emrtext)));
        std::free(emrtext);
        return Load(Page(records));
    };
    const auto rightmostInk = [](const QImage& image) {
        int right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (At(image, x, y) != clWhite)
                    right = std::max(right, x);
        return right;
    };
    const int narrow = rightmostInk(Play(page(5), 100, 80, Rect(0, 0, 100, 80)));
    const int wide = rightmostInk(Play(page(45), 100, 80, Rect(0, 0, 100, 80)));
    EXPECT_EQ(wide - narrow, 40);
}

TEST(MetafilePlayer, FixedMapModesTurnTheYAxisUp) {
    QByteArray records;
    records += Take(U_EMRSETMAPMODE_set(U_MM_LOMETRIC));
    records += Take(U_EMRSETVIEWPORTORGEX_set(point32_set(0, 80)));
    records += SolidBrush(1, clGreen);
    records += Select(1);
    // 0.1 mm units from the bottom-left corner: 2.6 mm are 9.8 pixels.
    records += PatBlt(Rect(0, 26, 26, 0));
    const QImage image = Play(Load(Page(records)), 100, 80, Rect(0, 0, 100, 80));
    EXPECT_EQ(CountColor(image, Rect(0, 70, 10, 80), clGreen), 100);
    EXPECT_EQ(CountColor(image, Rect(0, 0, 100, 80), clGreen), 100);
}

// Damaged pages: each row breaks one thing; playback must survive it and,
// where the damage is local, go on with the records after it.
struct TDamageCase {
    const char* Name;
    QByteArray Records;
    bool Stops;
};

void PrintTo(const TDamageCase& c, std::ostream* os) {
    *os << c.Name;
}

class MetafilePlayerDamage : public ::testing::TestWithParam<TDamageCase> {};

TEST_P(MetafilePlayerDamage, SurvivesAndKeepsWhatIsSound) {
    // A sound red fill first, then the damage, then a sound blue fill.
    const QByteArray before = SolidBrush(1, clRed) + Select(1) + PatBlt(Rect(0, 0, 10, 10));
    const QByteArray after = SolidBrush(2, clBlue) + Select(2) + PatBlt(Rect(90, 70, 100, 80));
    const TMetafile page = Load(Page(before + GetParam().Records + after, 3));
    TMetafilePlayback result;
    const QImage image = Play(page, 100, 80, Rect(0, 0, 100, 80), &result);
    EXPECT_EQ(result.Stopped, GetParam().Stops);
    EXPECT_EQ(CountColor(image, Rect(0, 0, 10, 10), clRed), 100);
    EXPECT_EQ(CountColor(image, Rect(90, 70, 100, 80), clBlue), GetParam().Stops ? 0 : 100);
}

const TDamageCase kDamage[] = {
    {"RecordSizeNotAMultipleOfFour", Raw({43, 22, 0, 0, 10, 10}), true},
    {"RecordSizeBelowEight", Raw({43, 4}), true},
    {"RecordSizeZero", Raw({43, 0}), true},
    {"RecordRunsPastTheEnd", Raw({43, 0x7FFFFFF0, 0, 0, 10, 10}), true},
    {"HugeRecordSize", Raw({43, 0xFFFFFFFC, 0, 0, 10, 10}), true},
    {"UnknownRecordType", Raw({5000, 16, 1, 2}), false},
    {"SelectOfAHandleBeyondTheTable", Select(500), false},
    {"SelectOfAnEmptyHandle", Select(3), false},
    {"SelectOfAnUnknownStockObject", Select(0x80000000u | 99u), false},
    {"BrushCreatedAtIndexZero", SolidBrush(0, clGreen), false},
    {"BrushCreatedBeyondTheTable", SolidBrush(70000, clGreen), false},
    {"DeleteOfAHandleBeyondTheTable", Take(U_EMRDELETEOBJECT_set(9999)), false},
    {"FillRegionWithABrushThatIsNotThere", FillRgn(3, Rect(0, 0, 100, 80)), false},
    {"RegionClaimingMoreRectanglesThanItHolds",
     Raw({71, 64, 0, 0, 99, 79, 32, 1, 32, 1, 0x10000000, 16, 0, 0, 100, 80}), false},
    {"RegionDataSizeBeyondTheRecord", Raw({71, 48, 0, 0, 99, 79, 0x7FFFFFFF, 1, 32, 1, 1, 16}),
     false},
    {"RestoreWithoutSave", Take(U_EMRRESTOREDC_set(-5)), false},
    {"RestoreOfAPositiveIndexNeverSaved", Take(U_EMRRESTOREDC_set(7)), false},
    {"TextWithStringOutsideTheRecord",
     Raw({84, 80, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0x7FFFFFFF, 0x100000, 0, 0, 0, 0, 0, 76, 0}), false},
    {"TextWithHugeCharacterCount",
     Raw({84, 80, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0xFFFFFFFF, 76, 0, 0, 0, 0, 0, 0xFFFFFF00, 0x41}),
     false},
    {"TextTooShortForItsFields", Raw({84, 40, 0, 0, 0, 0, 1, 0, 0, 0}), false},
    {"BitmapWithPixelsOutsideTheRecord",
     Raw({81, 120, 0,        0,  0,  0,  0, 0, 0,        0, 2,  2, 80, 40, 0x7FFFFFF0,
          16, 0,   0xCC0020, 50, 50, 40, 2, 2, 0x200001, 0, 16, 0, 0,  0,  0}),
     false},
    {"BitmapOfImpossibleSize",
     Raw({81, 120, 0,        0,  0,  0,  0,          0,          0,        0, 2,  2, 80, 40, 120,
          0,  0,   0xCC0020, 50, 50, 40, 0x7FFFFFFF, 0x7FFFFFFF, 0x200001, 0, 16, 0, 0,  0,  0}),
     false},
    {"FontRecordTooShort", Raw({82, 16, 1, 0}), false},
    {"WorldTransformWithInfinities", Raw({35, 32, 0x7F800000, 0, 0, 0x7F800000, 0, 0}), false},
    {"ZeroWindowExtent",
     Take(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC)) + Take(U_EMRSETWINDOWEXTEX_set(U_SIZEL{0, 0})) +
         Take(U_EMRSETMAPMODE_set(U_MM_TEXT)),
     false},
    {"ThousandsOfSavedStates",
     [] {
         QByteArray saves;
         for (int i = 0; i < 6000; ++i)
             saves += Take(U_EMRSAVEDC_set());
         return saves + Take(U_EMRRESTOREDC_set(1));
     }(),
     false},
};

INSTANTIATE_TEST_SUITE_P(Pages, MetafilePlayerDamage, ::testing::ValuesIn(kDamage),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(MetafilePlayer, DestinationWithoutAreaDrawsNothing) {
    TMetafile page;
    page.SetWidth(10);
    page.SetHeight(10);
    {
        TMetafileCanvas canvas(page);
        canvas.Brush().Color = clRed;
        canvas.FillRect(Rect(0, 0, 10, 10));
    }
    const QImage image = Play(page, 20, 20, Rect(5, 5, 5, 15));
    EXPECT_EQ(CountColor(image, Rect(0, 0, 20, 20), clRed), 0);
}

TEST(MetafilePlayer, ReversedDestinationMirrorsThePage) {
    TMetafile page;
    page.SetWidth(10);
    page.SetHeight(10);
    {
        TMetafileCanvas canvas(page);
        canvas.Brush().Color = clRed;
        canvas.FillRect(Rect(0, 0, 3, 10));
    }
    const QImage image = Play(page, 10, 10, Rect(10, 0, 0, 10));
    EXPECT_EQ(CountColor(image, Rect(7, 0, 10, 10), clRed), 30);
    EXPECT_EQ(CountColor(image, Rect(0, 0, 7, 10), clRed), 0);
}

// The seed pages of the playback fuzzer: a report page, shapes, bitmaps and a
// desktop-style page. Each must load and play without a refused record; with
// QUESTOES_WRITE_FUZZ_CORPUS set to a directory they are written there
// (platform/graphics/fuzz/corpus/metafile_playback/).
TEST(MetafilePlayer, SeedPagesPlayCleanly) {
    std::vector<std::pair<QString, QByteArray>> seeds;
    const auto record = [&](const QString& name, const std::function<void(TCanvas&)>& draw) {
        TMetafile page;
        page.SetWidth(300);
        page.SetHeight(200);
        {
            TMetafileCanvas canvas(page);
            draw(canvas);
        }
        seeds.emplace_back(name, page.Data());
    };
    record(QStringLiteral("report_page.emf"), [](TCanvas& c) {
        c.Brush().Color = clSilver;
        c.FillRect(Rect(10, 10, 290, 40));
        c.Brush().Color = clBlack;
        c.FillRect(Rect(10, 40, 290, 41));
        TFont font;
        font.SetName(QStringLiteral("Arial"));
        font.SetSize(10);
        c.SetFont(font);
        c.SetBkMode(TRANSPARENT);
        const TRect box = Rect(12, 12, 150, 38);
        c.ExtTextOut(12, 12, ETO_CLIPPED, &box, QStringLiteral("Questão"));
        c.SetTextAlign(TA_RIGHT);
        c.TextOut(288, 12, QStringLiteral("Página 1"));
        c.SaveDC();
        c.IntersectClipRect(Rect(10, 50, 100, 100));
        TRect text = Rect(10, 50, 100, 100);
        c.DrawText(QStringLiteral("Um texto que quebra em linhas"), text, DT_WORDBREAK);
        c.RestoreDC(-1);
    });
    record(QStringLiteral("shapes.emf"), [](TCanvas& c) {
        c.Pen().Color = clRed;
        c.Pen().Width = 2;
        c.Brush().Color = clYellow;
        c.Rectangle(Rect(10, 10, 100, 80));
        c.Ellipse(Rect(120, 10, 200, 90));
        c.MoveTo(0, 150);
        c.LineTo(300, 150);
        const TRect clip = Rect(0, 0, 50, 50);
        c.SelectClipRect(&clip);
        c.SelectClipRect(nullptr);
    });
    record(QStringLiteral("bitmaps.emf"), [](TCanvas& c) {
        TBitmap bitmap(4, 3);
        bitmap.Canvas().Brush().Color = clBlue;
        bitmap.Canvas().FillRect(Rect(0, 0, 2, 3));
        bitmap.ReleaseCanvas();
        c.StretchDraw(Rect(10, 10, 50, 40), bitmap);
        c.DrawTransparent(60, 10, bitmap, clWhite);
    });
    {
        QByteArray records;
        records += Take(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        records += Take(U_EMRSETWINDOWEXTEX_set(U_SIZEL{200, 160}));
        records += Take(U_EMRSETVIEWPORTEXTEX_set(U_SIZEL{100, 80}));
        records += Take(U_EMRSAVEDC_set());
        records += Select(U_NULL_PEN);
        records += SolidBrush(1, clRed);
        records += FillRgn(1, Rect(0, 0, 40, 40));
        records += Select(1);
        records += PatBlt(Rect(40, 40, 80, 80));
        records += Take(U_EMRRESTOREDC_set(-1));
        char text[] = "Quest\xE3o";
        uint32_t dx[6] = {10, 10, 10, 10, 10, 10};
        char* emrtext = emrtext_set(point32_set(0, 100), 6, 1, text, U_ETO_OPAQUE,
                                    U_RECTL{0, 100, 60, 120}, dx);
        records += Take(U_EMREXTTEXTOUTA_set(U_RECTL{0, 0, 0, 0}, U_GM_COMPATIBLE, 1, 1,
                                             reinterpret_cast<PU_EMRTEXT>(emrtext)));
        std::free(emrtext);
        records += Take(U_EMRDELETEOBJECT_set(1));
        seeds.emplace_back(QStringLiteral("desktop_style.emf"), Page(records, 2));
    }

    const QString corpus = qEnvironmentVariable("QUESTOES_WRITE_FUZZ_CORPUS");
    for (const auto& [name, bytes] : seeds) {
        const TMetafile page = Load(bytes);
        TMetafilePlayback result;
        Play(page, 100, 80, Rect(0, 0, 100, 80), &result);
        EXPECT_FALSE(result.Stopped) << name.toStdString();
        EXPECT_EQ(result.Skipped, 0) << name.toStdString();
        EXPECT_GT(result.Records, 3) << name.toStdString();
        if (!corpus.isEmpty())
            page.SaveToFile(corpus + QLatin1Char('/') + name);
    }
}
