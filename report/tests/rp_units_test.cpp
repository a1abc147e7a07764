// Unit conversions: every unit against the stored tenths of a millimetre,
// the captured screen resolution and the zoom.
#include "report/rp_sizes.h"
#include "report/rp_units.h"

#include <gtest/gtest.h>

namespace {

// Restores the screen resolution a test changes.
struct ScreenPpi {
    explicit ScreenPpi(int ppi) : saved(RpScreenPixelsPerInch()) { SetRpScreenPixelsPerInch(ppi); }
    ~ScreenPpi() { SetRpScreenPixelsPerInch(saved); }
    int saved;
};

class RpUnitsMM : public testing::TestWithParam<double> {};

TEST_P(RpUnitsMM, ValueWrittenInMMReadsTenTimesInNativeAndTimes960Over254InPixels) {
    ScreenPpi ppi(96);
    TRpBandSize size;
    size.SetUnits(TRpUnit::MM);
    const long double v = GetParam();
    size.SetHeight(v);
    size.SetUnits(TRpUnit::Native);
    EXPECT_NEAR(static_cast<double>(size.Height()), static_cast<double>(v * 10), 1e-9);
    size.SetUnits(TRpUnit::Pixels);
    EXPECT_NEAR(static_cast<double>(size.Height()), static_cast<double>(v * 960 / 254), 1e-9);
    size.SetUnits(TRpUnit::Inches);
    EXPECT_NEAR(static_cast<double>(size.Height()), static_cast<double>(v / 25.4L), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Values, RpUnitsMM, testing::Values(0.0, 1.0, 10.58333, 287.0, -3.5));

struct RoundTrip {
    const char* name;
    TRpUnit unit;
};

class RpUnitsRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(RpUnitsRoundTrip, WriteThenReadGivesTheSameValueBothWays) {
    TRpPrintableSize size;
    size.SetUnits(GetParam().unit);
    size.SetLeft(12.345L);
    size.SetTop(67.89L);
    EXPECT_NEAR(static_cast<double>(size.Left()), 12.345, 1e-12);
    EXPECT_NEAR(static_cast<double>(size.Top()), 67.89, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Units, RpUnitsRoundTrip,
                         testing::Values(RoundTrip{"MM", TRpUnit::MM},
                                         RoundTrip{"Inches", TRpUnit::Inches},
                                         RoundTrip{"Pixels", TRpUnit::Pixels},
                                         RoundTrip{"Characters", TRpUnit::Characters},
                                         RoundTrip{"Native", TRpUnit::Native}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RpUnits, CharactersFollowTheReportFontAcrossAndDown) {
    TRpPrintableSize size;
    size.SetUnits(TRpUnit::Native);
    size.SetWidth(254); // one inch
    size.SetHeight(254);
    size.SetUnits(TRpUnit::Characters);
    int points = 10;
    size.SetFontPointsSource([&points] { return points; });
    // 80 characters and 145.3 lines per 10 inches at 10 points.
    EXPECT_NEAR(static_cast<double>(size.Width()), 254.0 / (10.0 * 80 / (10 * 2.54)), 1e-9);
    EXPECT_NEAR(static_cast<double>(size.Height()), 254.0 / (10.0 * 145.3 / (10 * 2.54)), 1e-9);
    points = 20;
    EXPECT_NEAR(static_cast<double>(size.Width()), 254.0 / (10.0 * 80 / (20 * 2.54)), 1e-9);
}

TEST(RpUnits, PixelsUseTheResolutionCapturedAtCreationAndTheZoom) {
    std::unique_ptr<TRpBandSize> size;
    {
        ScreenPpi ppi(120);
        size = std::make_unique<TRpBandSize>();
    }
    EXPECT_EQ(size->ScreenPixelsPerInch(), 120);
    size->SetUnits(TRpUnit::Native);
    size->SetHeight(254);
    size->SetUnits(TRpUnit::Pixels);
    EXPECT_NEAR(static_cast<double>(size->Height()), 120.0, 1e-9);
    size->SetZoom(50);
    EXPECT_NEAR(static_cast<double>(size->Height()), 60.0, 1e-9);
    size->SetZoom(0); // ignored
    EXPECT_EQ(size->Zoom(), 50);
}

TEST(RpUnits, FortyPixelsAt96AreStoredAs105Point8333) {
    ScreenPpi ppi(96);
    TRpBandSize size;
    size.SetUnits(TRpUnit::Pixels);
    size.SetHeight(40);
    EXPECT_NEAR(static_cast<double>(size.Stored(TRpBandSize::iHeight)), 105.833333333333, 1e-9);
    EXPECT_EQ(size.PixelsOf(size.Stored(TRpBandSize::iHeight)), 40);
}

TEST(RpUnits, PixelBoundsRoundToTheNearest) {
    ScreenPpi ppi(96);
    TRpBandSize size;
    EXPECT_EQ(size.PixelsOf(50), 19);     // 18.90
    EXPECT_EQ(size.PixelsOf(2970), 1123); // 1122.52
    EXPECT_EQ(size.PixelsOf(2100), 794);  // 793.70
    EXPECT_EQ(size.PixelsOf(1.3229), 0);  // 0.4999
}

TEST(RpUnits, WritingNotifiesTheOwner) {
    TRpBandSize size;
    int changes = 0;
    size.OnChange = [&changes] { ++changes; };
    size.SetWidth(3);
    size.SetHeight(4);
    EXPECT_EQ(changes, 2);
}

TEST(RpUnits, ValuesOfTheWrongCountAreRefused) {
    TRpPrintableSize size;
    EXPECT_FALSE(size.SetValues({1, 2, 3}));
    EXPECT_TRUE(size.SetValues({1, 2, 3, 4}));
    EXPECT_EQ(size.Stored(TRpPrintableSize::iWidth), 4);
}

} // namespace
