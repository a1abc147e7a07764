// The report object: its defaults, the band switches, the band list order
// and layout, and the unit that spreads to page, bands and controls.
#include "report/rp_report.h"

#include "platform/testing/exception_message.h"
#include "report/rp_error.h"
#include "report/rp_label.h"
#include "report/rp_units.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

TEST(RpReport, NewReportHoldsTheThreeStandardFunctions) {
    TRpReport report;
    const TRpEvEnvironment& f = report.Functions();
    ASSERT_EQ(f.Count(), 3);
    EXPECT_EQ(f.Names(), QStringList({"PAGENUMBER", "COLUMNNUMBER", "REPORTTITLE"}));
    EXPECT_EQ(f.Expressions(), QStringList({"0", "0", "''"}));
}

TEST(RpReport, FunctionNamesAreUpperCasedAndNeverRepeated) {
    TRpReport report;
    EXPECT_FALSE(report.Functions().Add("PageNumber", "5"));
    EXPECT_EQ(report.Functions().Count(), 3);
    EXPECT_EQ(report.Functions().Expression("pagenumber"), "0");
    EXPECT_TRUE(report.Functions().Add("total", "1+1"));
    EXPECT_EQ(report.Functions().Names().last(), "TOTAL");
    EXPECT_TRUE(report.Functions().Expression("MISSING").isNull());
}

TEST(RpReport, NewReportHasFirstPageHeaderAndLastPageFooterOnly) {
    TRpReport report;
    EXPECT_TRUE(report.HasOption(TRpOption::FirstPageHeader));
    EXPECT_TRUE(report.HasOption(TRpOption::LastPageFooter));
    EXPECT_FALSE(report.HasOption(TRpOption::Compression));
    EXPECT_EQ(report.Options(),
              TRpOptions({TRpOption::FirstPageHeader, TRpOption::LastPageFooter}));
}

TEST(RpReport, NewReportDefaults) {
    TRpReport report;
    if (QLocale::system().language() != QLocale::Japanese) {
        EXPECT_EQ(report.Font().Name(), "Arial");
        EXPECT_EQ(report.Font().Size(), 10);
        EXPECT_EQ(report.Font().Height(), -13);
    }
    EXPECT_EQ(report.Color(), clWhite);
    EXPECT_TRUE(report.SnapToGrid());
    EXPECT_TRUE(report.ShowProgress());
    EXPECT_EQ(report.Zoom(), 100);
    EXPECT_TRUE(report.ReportTitle().isEmpty());
    EXPECT_EQ(report.DataSet(), nullptr);
    EXPECT_EQ(report.Units(), RpDefaultUnit());
    const TRpReportPrinterSettings& s = report.PrinterSettings();
    EXPECT_EQ(s.Copies(), 1);
    EXPECT_FALSE(s.Duplex());
    EXPECT_EQ(s.FirstPage(), 0);
    EXPECT_EQ(s.LastPage(), 0);
    EXPECT_EQ(s.OutputBin(), TRpBin::Auto);
    EXPECT_EQ(s.PrinterIndex(), -1);
    EXPECT_FALSE(report.Frame().DrawsAnySide());
    EXPECT_EQ(report.Frame().Style(), psSolid);
    EXPECT_EQ(report.Frame().Width(), 1);
}

TEST(RpReport, BandSwitchesCreateAndDestroyBands) {
    TRpReport report;
    EXPECT_FALSE(report.Bands().HasDetail());
    report.Bands().SetHasDetail(true);
    report.Bands().SetHasTitle(true);
    EXPECT_TRUE(report.Bands().HasDetail());
    EXPECT_TRUE(report.Bands().HasTitle());
    EXPECT_EQ(report.BandList().size(), 2u);
    report.Bands().SetHasDetail(true); // already there
    EXPECT_EQ(report.BandList().size(), 2u);
    report.Bands().SetHasTitle(false);
    EXPECT_FALSE(report.Bands().HasTitle());
    ASSERT_EQ(report.BandList().size(), 1u);
    EXPECT_EQ(report.BandList()[0]->Name(), "DetailBand1");
}

TEST(RpReport, BandListKeepsPrintOrderWhateverTheOrderOfAdding) {
    TRpReport report;
    report.Bands().SetHasPageFooter(true);
    report.Bands().SetHasSummary(true);
    report.Bands().SetHasDetail(true);
    report.Bands().SetHasColumnHeader(true);
    report.Bands().SetHasTitle(true);
    report.Bands().SetHasPageHeader(true);
    std::vector<TRpBandType> order;
    for (const auto& b : report.BandList())
        order.push_back(b->BandType());
    EXPECT_EQ(order, (std::vector<TRpBandType>{rbPageHeader, rbTitle, rbColumnHeader, rbDetail,
                                               rbSummary, rbPageFooter}));
}

TEST(RpReport, ChildBandFollowsItsParent) {
    TRpReport report;
    report.Bands().SetHasDetail(true);
    report.Bands().SetHasPageFooter(true);
    auto child = std::make_unique<TRpChildBand>();
    child->SetParentBand(report.FindBand(rbDetail));
    report.AddBand(std::move(child));
    ASSERT_EQ(report.BandList().size(), 3u);
    EXPECT_EQ(report.BandList()[1]->BandType(), rbChild);
    report.RemoveBand(report.FindBand(rbDetail));
    auto* orphan = dynamic_cast<TRpChildBand*>(report.FindBand(rbChild));
    ASSERT_NE(orphan, nullptr);
    EXPECT_EQ(orphan->ParentBand(), nullptr);
}

// Handing over a band that a report owns already makes a second owner; the
// band is refused and stays in the report that owns it, be it this one or
// another.
TEST(RpReport, ABandAlreadyInAReportIsRefusedAndStaysWhereItIs) {
    TRpReport owner;
    TRpReport other;
    owner.Bands().SetHasDetail(true);
    TRpCustomBand* detail = owner.FindBand(rbDetail);
    for (TRpReport* target : {&other, &owner}) {
        EXPECT_EQ(ExceptionMessage<ERpError>(
                      [&] { target->AddBand(std::unique_ptr<TRpCustomBand>(detail)); }),
                  QStringLiteral("Band DetailBand1 is already in a report"));
        EXPECT_TRUE(other.BandList().empty());
        ASSERT_EQ(owner.BandList().size(), 1u);
        EXPECT_EQ(owner.BandList()[0].get(), detail);
        EXPECT_EQ(detail->Report(), &owner);
    }
}

TEST(RpReport, BandsLieUnderEachOtherInsideTheMargins) {
    SetRpScreenPixelsPerInch(96);
    TRpReport report;
    report.Page().SetUnits(TRpUnit::Native);
    report.Page().SetPaperSize(TRpPaperSize::A4);
    report.Page().SetTopMargin(100);
    report.Page().SetLeftMargin(100);
    report.Page().SetRightMargin(100);
    report.Bands().SetHasDetail(true);
    report.Bands().SetHasColumnHeader(true);
    const TRpCustomBand* header = report.FindBand(rbColumnHeader);
    const TRpCustomBand* detail = report.FindBand(rbDetail);
    // A new band is 40 pixels high; 10 mm is 37.8 pixels.
    EXPECT_EQ(header->Height(), 40);
    EXPECT_EQ(header->Left(), 38);
    EXPECT_EQ(header->Top(), 38);
    EXPECT_EQ(detail->Top(), 78);
    EXPECT_EQ(header->Width(), 794 - 38 - 38);
    EXPECT_EQ(header->Color(), clWhite);
    EXPECT_TRUE(header->Enabled());
    EXPECT_FALSE(header->Frame().DrawsAnySide());

    // A page change re-lays them.
    report.Page().SetTopMargin(254);
    EXPECT_EQ(header->Top(), 96);
    EXPECT_EQ(detail->Top(), 136);
}

TEST(RpReport, ColumnBandsTakeOneColumnAndPageBandsTheWholeWidth) {
    SetRpScreenPixelsPerInch(96);
    TRpReport report;
    report.Page().SetUnits(TRpUnit::Native);
    report.Page().SetPaperSize(TRpPaperSize::A4); // 794 px wide
    report.Page().SetLeftMargin(100);             // 38 px
    report.Page().SetRightMargin(100);
    report.Page().SetColumnSpace(254 / 4.0L); // 24 px
    report.Page().SetColumns(2);
    report.Bands().SetHasDetail(true);
    report.Bands().SetHasPageFooter(true);
    EXPECT_EQ(report.PrintableWidthPixels(), 718);
    EXPECT_EQ(report.FindBand(rbPageFooter)->Width(), 718);
    EXPECT_EQ(report.FindBand(rbDetail)->Width(), (718 - 24) / 2);
    report.FindBand(rbDetail)->Size().SetUnits(TRpUnit::Pixels);
    EXPECT_NEAR(static_cast<double>(report.FindBand(rbDetail)->Size().Width()), 347, 1e-9);
}

TEST(RpReport, UnitsReachPageBandsAndControls) {
    TRpReport report;
    report.Bands().SetHasDetail(true);
    TRpCustomBand* band = report.FindBand(rbDetail);
    auto* label = static_cast<TRpLabel*>(band->AddPrintable(std::make_unique<TRpLabel>()));
    auto* loose = report.AddPrintable(std::make_unique<TRpLabel>());
    report.SetUnits(TRpUnit::Characters);
    EXPECT_EQ(report.Page().Units(), TRpUnit::Characters);
    EXPECT_EQ(band->Size().Units(), TRpUnit::Characters);
    EXPECT_EQ(label->Size().Units(), TRpUnit::Characters);
    EXPECT_EQ(loose->Size().Units(), TRpUnit::Characters);
    report.SetUnits(TRpUnit::Native);
    EXPECT_EQ(label->Size().Units(), TRpUnit::Native);
}

TEST(RpReport, BandHeightWrittenInPixelsMovesTheBandsBelow) {
    SetRpScreenPixelsPerInch(96);
    TRpReport report;
    report.Bands().SetHasColumnHeader(true);
    report.Bands().SetHasDetail(true);
    TRpCustomBand* header = report.FindBand(rbColumnHeader);
    const int before = report.FindBand(rbDetail)->Top();
    header->Size().SetUnits(TRpUnit::Pixels);
    header->Size().SetHeight(60);
    EXPECT_EQ(header->Height(), 60);
    EXPECT_EQ(report.FindBand(rbDetail)->Top(), before + 20);
}

TEST(RpReport, BandsFollowTheReportFontUnlessTheyHaveTheirOwn) {
    TRpReport report;
    report.Bands().SetHasDetail(true);
    report.Bands().SetHasTitle(true);
    TFont own;
    own.SetName("Arial");
    own.SetHeight(-20);
    report.FindBand(rbTitle)->SetFont(own);
    TFont font = report.Font();
    font.SetHeight(-30);
    report.SetFont(font);
    EXPECT_EQ(report.FindBand(rbDetail)->Font().Height(), -30);
    EXPECT_EQ(report.FindBand(rbTitle)->Font().Height(), -20);
}

} // namespace
