// Page setup: the paper table, the orientation swap, extent writes only on
// custom paper, columns and the defaults.
#include "report/rp_page.h"

#include <gtest/gtest.h>

namespace {

double N(long double v) {
    return static_cast<double>(v);
}

TEST(RpPage, NewPageHasTheDefaultsOfTheMeasurementSystem) {
    TRpPage page;
    page.SetUnits(TRpUnit::Native);
    if (RpUsesUSMeasurement()) {
        EXPECT_EQ(page.PaperSize(), TRpPaperSize::Letter);
        EXPECT_NEAR(N(page.TopMargin()), 127, 1e-9);
    } else {
        EXPECT_EQ(page.PaperSize(), TRpPaperSize::A4);
        EXPECT_NEAR(N(page.TopMargin()), 100, 1e-9);
        EXPECT_NEAR(N(page.Width()), 2100, 1e-9);
        EXPECT_NEAR(N(page.Length()), 2970, 1e-9);
    }
    EXPECT_EQ(N(page.BottomMargin()), N(page.TopMargin()));
    EXPECT_EQ(N(page.LeftMargin()), N(page.TopMargin()));
    EXPECT_EQ(N(page.RightMargin()), N(page.TopMargin()));
    EXPECT_EQ(N(page.ColumnSpace()), 0);
    EXPECT_EQ(page.Columns(), 1);
    EXPECT_TRUE(page.Ruler());
    EXPECT_EQ(page.Orientation(), poPortrait);
}

TEST(RpPage, LandscapeA4Is2970By2100AndPortraitSwapsThem) {
    TRpPage page;
    page.SetPaperSize(TRpPaperSize::A4);
    page.SetOrientation(poLandscape);
    page.SetUnits(TRpUnit::Native);
    EXPECT_NEAR(N(page.Width()), 2970, 1e-9);
    EXPECT_NEAR(N(page.Length()), 2100, 1e-9);
    page.SetOrientation(poPortrait);
    EXPECT_NEAR(N(page.Width()), 2100, 1e-9);
    EXPECT_NEAR(N(page.Length()), 2970, 1e-9);
}

TEST(RpPage, LengthWriteIsIgnoredUnderA4AndTakesUnderCustom) {
    TRpPage page;
    page.SetPaperSize(TRpPaperSize::A4);
    page.SetUnits(TRpUnit::MM);
    page.SetLength(100);
    page.SetWidth(50);
    EXPECT_NEAR(N(page.Length()), 297, 1e-9);
    EXPECT_NEAR(N(page.Width()), 210, 1e-9);
    page.SetPaperSize(TRpPaperSize::Custom);
    EXPECT_NEAR(N(page.Length()), 297, 1e-9); // the extent stays until written
    page.SetLength(100);
    page.SetWidth(50);
    EXPECT_NEAR(N(page.Length()), 100, 1e-9);
    EXPECT_NEAR(N(page.Width()), 50, 1e-9);
}

TEST(RpPage, PaperSizeIsWrittenInMillimetresWhateverTheUnit) {
    TRpPage page;
    page.SetUnits(TRpUnit::Inches);
    page.SetPaperSize(TRpPaperSize::Letter);
    EXPECT_EQ(page.Units(), TRpUnit::Inches);
    EXPECT_NEAR(N(page.Width()), 8.5, 1e-9);
    EXPECT_NEAR(N(page.Length()), 11, 1e-9);
}

struct Paper {
    const char* name;
    TRpPaperSize size;
    double width;
    double length;
};

class RpPagePaper : public testing::TestWithParam<Paper> {};

TEST_P(RpPagePaper, StandardSizeHasItsTableDimensions) {
    TRpPage page;
    page.SetUnits(TRpUnit::MM);
    page.SetPaperSize(GetParam().size);
    EXPECT_NEAR(N(page.Width()), GetParam().width, 1e-9);
    EXPECT_NEAR(N(page.Length()), GetParam().length, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Table, RpPagePaper,
                         testing::Values(Paper{"Letter", TRpPaperSize::Letter, 215.9, 279.4},
                                         Paper{"Ledger", TRpPaperSize::Ledger, 431.8, 279.4},
                                         Paper{"Executive", TRpPaperSize::Executive, 190.5, 254},
                                         Paper{"A3", TRpPaperSize::A3, 297, 420},
                                         Paper{"A4Small", TRpPaperSize::A4Small, 210, 297},
                                         Paper{"B5", TRpPaperSize::B5, 182, 257},
                                         Paper{"Quarto", TRpPaperSize::Quarto, 215, 275},
                                         Paper{"Note", TRpPaperSize::Note, 215.9, 279},
                                         Paper{"Env9", TRpPaperSize::Env9, 98.43, 225.4},
                                         Paper{"Env14", TRpPaperSize::Env14, 127, 292.1},
                                         Paper{"ESheet", TRpPaperSize::ESheet, 100, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

class RpPageColumns : public testing::TestWithParam<int> {};

TEST_P(RpPageColumns, ZeroOrNegativeColumnsKeepThePreviousCount) {
    TRpPage page;
    page.SetColumns(3);
    int changes = 0;
    page.OnChange = [&changes] { ++changes; };
    page.SetColumns(GetParam());
    EXPECT_EQ(page.Columns(), 3);
    EXPECT_EQ(changes, 0);
}

INSTANTIATE_TEST_SUITE_P(Ignored, RpPageColumns, testing::Values(0, -1, -100));

TEST(RpPage, ColumnsTakePositiveValues) {
    TRpPage page;
    page.SetColumns(2);
    EXPECT_EQ(page.Columns(), 2);
}

TEST(RpPage, DefaultAndCustomPaperHaveNoTableEntry) {
    TRpPaperDimensions d{};
    EXPECT_FALSE(RpPaperDimensions(TRpPaperSize::Default, d));
    EXPECT_FALSE(RpPaperDimensions(TRpPaperSize::Custom, d));
    EXPECT_TRUE(RpPaperDimensions(TRpPaperSize::A5, d));
    EXPECT_EQ(d.Width, 148);
}

} // namespace
