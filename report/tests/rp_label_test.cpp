// Text controls at design time: placement on the band, sizing to the
// caption (measured on the reference device), font sizes applied on load,
// and the captions of field texts and system data fields.
#include "report/rp_label.h"

#include "platform/graphics/canvas.h"
#include "report/rp_db_text.h"
#include "report/rp_report.h"
#include "report/rp_sys_data.h"

#include <gtest/gtest.h>

namespace {

struct Fixture {
    Fixture() {
        SetRpScreenPixelsPerInch(96);
        report = std::make_unique<TRpReport>();
        report->Page().SetUnits(TRpUnit::Native);
        report->Page().SetPaperSize(TRpPaperSize::A4);
        report->Page().SetOrientation(poLandscape);
        report->Page().SetLeftMargin(50);
        report->Page().SetRightMargin(50);
        report->Bands().SetHasDetail(true);
        band = report->FindBand(rbDetail);
    }
    TRpLabel* AddLabel() {
        return static_cast<TRpLabel*>(band->AddPrintable(std::make_unique<TRpLabel>()));
    }
    std::unique_ptr<TRpReport> report;
    TRpCustomBand* band = nullptr;
};

int Measured(const TFont& font, const QString& text) {
    TCanvas& c = ReferenceCanvas();
    const TFont saved = c.Font();
    c.SetFont(font);
    const int w = c.TextWidth(text);
    c.SetFont(saved);
    return w;
}

int LineHeight(const TFont& font) {
    TCanvas& c = ReferenceCanvas();
    const TFont saved = c.Font();
    c.SetFont(font);
    const int h = c.TextHeight("W");
    c.SetFont(saved);
    return h;
}

struct Placement {
    const char* name;
    TAlignment alignment;
    int left; // in a 1085-pixel band, for a 208-pixel box
};

class RpLabelAlignToBand : public testing::TestWithParam<Placement> {};

TEST_P(RpLabelAlignToBand, BoxSitsWhereItsAlignmentSays) {
    Fixture f;
    ASSERT_EQ(f.band->Width(), 1085);
    TRpLabel* label = f.AddLabel();
    label->SetAutoSize(false);
    label->SetAlignment(GetParam().alignment);
    label->SetBounds(5, 0, 208, 20);
    label->SetAlignToBand(true);
    EXPECT_EQ(label->Left(), GetParam().left);
    EXPECT_EQ(label->Width(), 208);
    // Moving the box by hand puts it back.
    label->SetBounds(100, 0, 208, 20);
    EXPECT_EQ(label->Left(), GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(Alignments, RpLabelAlignToBand,
                         testing::Values(Placement{"Left", taLeftJustify, 0},
                                         Placement{"Right", taRightJustify, 1085 - 208},
                                         Placement{"Centre", taCenter, 438}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RpLabel, AlignToBandOffLeavesTheBoxWhereItIs) {
    Fixture f;
    TRpLabel* label = f.AddLabel();
    label->SetAutoSize(false);
    label->SetAlignment(taCenter);
    label->SetBounds(7, 3, 50, 20);
    EXPECT_EQ(label->Left(), 7);
    EXPECT_EQ(label->Top(), 3);
}

TEST(RpLabel, AutoSizeTakesTheWidestLinePlusOne) {
    Fixture f;
    TRpLabel* label = f.AddLabel();
    label->SetBounds(10, 0, 5, 5);
    label->SetCaption("curta\r\numa linha bem mais longa\nmeio");
    const TFont& font = label->Font();
    EXPECT_EQ(label->Width(), Measured(font, "uma linha bem mais longa") + 1);
    EXPECT_EQ(label->Height(), LineHeight(font) + 1);
    EXPECT_EQ(label->Left(), 10);
}

TEST(RpLabel, AutoSizeNeverLowersTheHeight) {
    Fixture f;
    TRpLabel* label = f.AddLabel();
    label->SetBounds(0, 0, 5, 90);
    label->SetCaption("x");
    EXPECT_EQ(label->Height(), 90);
}

TEST(RpLabel, AutoSizeAddsTheRuledSides) {
    Fixture f;
    TRpLabel* label = f.AddLabel();
    label->Frame().SetWidth(3);
    label->Frame().SetDrawLeft(true);
    label->Frame().SetDrawRight(true);
    label->SetCaption("Questão");
    EXPECT_EQ(label->Width(), Measured(label->Font(), "Questão") + 1 + 6);
}

TEST(RpLabel, AutoSizeKeepsTheRightEdgeOrTheCentre) {
    Fixture f;
    TRpLabel* right = f.AddLabel();
    right->SetAutoSize(false);
    right->SetAlignment(taRightJustify);
    right->SetBounds(500, 0, 300, 20);
    right->SetCaption("Alternativa A");
    right->SetAutoSize(true);
    EXPECT_EQ(right->Left() + right->Width(), 800);

    TRpLabel* centre = f.AddLabel();
    centre->SetAutoSize(false);
    centre->SetAlignment(taCenter);
    centre->SetBounds(500, 0, 301, 20);
    centre->SetCaption("Alternativa B");
    centre->SetAutoSize(true);
    EXPECT_EQ(centre->Left(), 500 + (301 - centre->Width()) / 2);
}

TEST(RpLabel, AutoSizeFollowsTheZoom) {
    Fixture f;
    f.report->SetZoom(200);
    TRpLabel* label = f.AddLabel();
    label->SetCaption("Correta");
    EXPECT_EQ(label->Width(), (Measured(label->Font(), "Correta") + 1) * 2);
}

TEST(RpLabel, AutoSizeOffKeepsTheBox) {
    Fixture f;
    TRpLabel* label = f.AddLabel();
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 33, 12);
    label->SetCaption("um texto que não cabe em 33 pixels");
    EXPECT_EQ(label->Width(), 33);
    EXPECT_EQ(label->Height(), 12);
}

class RpLabelFontSize : public testing::TestWithParam<int> {};

TEST_P(RpLabelFontSize, FontSizeTwelveOverHeightMinus16GivesTwelvePoints) {
    SetRpScreenPixelsPerInch(GetParam());
    TRpReport report;
    report.BeginLoad();
    report.Bands().SetHasColumnHeader(true);
    auto* label = static_cast<TRpLabel*>(
        report.FindBand(rbColumnHeader)->AddPrintable(std::make_unique<TRpLabel>()));
    TFont font;
    font.SetName("Arial");
    font.SetHeight(-16);
    label->SetFont(font);
    label->SetFontSize(12);
    label->ApplyFontSize();
    report.EndLoad();
    SetRpScreenPixelsPerInch(96);
    EXPECT_EQ(label->Font().Size(), 12);
    EXPECT_EQ(label->Font().Height(), -MulDiv(12, GetParam(), 72));
}

INSTANTIATE_TEST_SUITE_P(ScreenResolutions, RpLabelFontSize, testing::Values(96, 120, 144));

TEST(RpLabel, NoFontSizeKeepsTheStoredHeight) {
    TRpLabel label;
    TFont font;
    font.SetHeight(-16);
    label.SetFont(font);
    label.ApplyFontSize();
    EXPECT_EQ(label.Font().Height(), -16);
}

TEST(RpLabel, LabelsFollowTheBandFontWithParentFont) {
    Fixture f;
    TRpLabel* label = f.AddLabel();
    TFont bold = f.band->Font();
    bold.SetStyle(fsBold);
    f.band->SetFont(bold);
    EXPECT_EQ(label->Font().Style(), fsBold);
    TFont own;
    own.SetHeight(-40);
    label->SetFont(own);
    EXPECT_FALSE(label->ParentFont());
    f.band->SetFont(f.report->Font());
    EXPECT_EQ(label->Font().Height(), -40);
}

TEST(RpLabel, DefaultsOfTheTextControls) {
    TRpLabel label;
    EXPECT_EQ(label.Alignment(), taLeftJustify);
    EXPECT_FALSE(label.AlignToBand());
    EXPECT_TRUE(label.AutoSize());
    EXPECT_FALSE(label.AutoStretch());
    EXPECT_TRUE(label.WordWrap());
    EXPECT_EQ(label.Color(), clWhite);
    EXPECT_FALSE(label.Transparent());
    EXPECT_EQ(label.FontSize(), 0);
    EXPECT_TRUE(label.Caption().isEmpty());
    EXPECT_TRUE(label.Enabled());
    EXPECT_TRUE(label.PrintFinished());
}

TEST(RpSysData, CaptionNamesTheKindAfterThePrefix) {
    TRpSysData data;
    EXPECT_EQ(data.Data(), sdTime);
    EXPECT_EQ(data.Caption(), "(Time)");
    data.SetData(sdDateTime);
    EXPECT_EQ(data.Caption(), "(Date/Time)");
    data.SetText("Página ");
    data.SetData(sdPageNumber);
    EXPECT_EQ(data.Caption(), "Página (Page#)");
    EXPECT_EQ(RpSysDataName(sdReportTitle), "Report title");
    EXPECT_EQ(RpSysDataName(sdDetailCount), "Detail count");
    EXPECT_EQ(RpSysDataName(sdDetailNo), "Detail no");
    EXPECT_EQ(RpSysDataName(sdDate), "Date");
}

TEST(RpDBText, CaptionShowsTheFieldNameOrTheComponentName) {
    TRpDBText text;
    text.SetName("RpDBText9");
    text.SetDataField("");
    EXPECT_EQ(text.Caption(), "RpDBText9");
    text.SetDataField("Questao");
    EXPECT_EQ(text.Caption(), "Questao");
    text.SetMask("#,##0");
    EXPECT_EQ(text.Mask(), "#,##0");
}

} // namespace
