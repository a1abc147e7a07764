// Gauge panels: the percent bar with its two-coloured text, the bouncing
// ball, the sliding gradient block and the gauge setters.
#include "statusbar/ex_gauge_attrs.h"

#include "platform/timer.h"
#include "statusbar/tests/bar_fixture.h"

#include <gtest/gtest.h>

namespace {

// A bar with one 200-pixel percent gauge (and a filler panel after it).
std::unique_ptr<TTestExStatusBar> GaugeBar(TExStatusPanel*& gauge, int width = 200) {
    auto bar = MakeBar();
    gauge = bar->Panels().Add();
    gauge->SetWidth(width);
    bar->Panels().Add();
    gauge->GaugeAttrs()->SetStyle(gsPercent);
    gauge->SetPanelType(sptGauge);
    return bar;
}

// Columns of the inside whose middle row is the colour.
int ColumnsOf(const QImage& inside, TColor color, int row) {
    int n = 0;
    for (int x = 0; x < inside.width(); ++x)
        if (PixelAt(inside, x, row) == ColorToRGB(color))
            ++n;
    return n;
}

} // namespace

TEST(GaugePercent, ZeroShowsZeroPercentWithoutFill) {
    TExStatusPanel* gauge = nullptr;
    auto bar = GaugeBar(gauge);
    const QImage inside = PanelInside(*bar, 0);
    EXPECT_EQ(CountColor(inside, clHighlight), 0);
    EXPECT_GT(CountColor(inside, clWindowText), 5);
    EXPECT_EQ(CountColor(inside, clHighlightText), 0);
}

TEST(GaugePercent, FortyFiveFillsThatShareAndTheTextChangesColourAtTheBoundary) {
    TExStatusPanel* gauge = nullptr;
    auto bar = GaugeBar(gauge);
    gauge->GaugeAttrs()->SetPosition(45);
    const QImage inside = PanelInside(*bar, 0);
    const int fill = (inside.width() * 45 + 50) / 100; // 198 * 45 / 100 = 89.1 -> 89
    // The top row is clear of the text: exactly the filled share is highlighted.
    EXPECT_EQ(ColumnsOf(inside, clHighlight, 0), fill);
    EXPECT_EQ(PixelAt(inside, fill - 1, 0), ColorToRGB(clHighlight));
    EXPECT_EQ(PixelAt(inside, fill, 0), ColorToRGB(clBtnFace));
    // "45%" is centred and crosses the boundary: both colours, each on its side.
    const int lastLight = LastColumnWith(inside, clHighlightText);
    const int firstDark = FirstColumnWith(inside, clWindowText);
    ASSERT_GE(lastLight, 0);
    ASSERT_GE(firstDark, 0);
    EXPECT_LT(lastLight, fill);
    EXPECT_GE(firstDark, fill);
}

TEST(GaugePercent, HundredFillsThePanelAndTheWholeTextIsInTextColor) {
    TExStatusPanel* gauge = nullptr;
    auto bar = GaugeBar(gauge);
    gauge->GaugeAttrs()->SetPosition(100);
    const QImage inside = PanelInside(*bar, 0);
    EXPECT_EQ(CountColor(inside, clBtnFace), 0);
    EXPECT_EQ(CountColor(inside, clWindowText), 0);
    EXPECT_GT(CountColor(inside, clHighlightText), 5);
}

TEST(GaugePercent, PositionIsKeptWithinZeroAndHundred) {
    TExStatusPanel* gauge = nullptr;
    auto bar = GaugeBar(gauge);
    gauge->GaugeAttrs()->SetPosition(250);
    EXPECT_EQ(gauge->GaugeAttrs()->Position(), 100);
    gauge->GaugeAttrs()->SetPosition(-3);
    EXPECT_EQ(gauge->GaugeAttrs()->Position(), 0);
}

TEST(GaugePercent, NonEmptyTextReplacesThePercentage) {
    TExStatusPanel* a = nullptr;
    TExStatusPanel* b = nullptr;
    auto withText = GaugeBar(a);
    auto plain = GaugeBar(b);
    a->GaugeAttrs()->SetPosition(30);
    b->GaugeAttrs()->SetPosition(30);
    a->SetText(QStringLiteral("Copiando"));
    EXPECT_NE(PanelInside(*withText, 0), PanelInside(*plain, 0));
    a->SetText(QString());
    EXPECT_EQ(PanelInside(*withText, 0), PanelInside(*plain, 0));
}

TEST(GaugePercent, PositionOnAnotherTypeIsStoredAndDrawsNoBar) {
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    panel->SetWidth(200);
    bar->Snapshot();
    bar->ResetCounters();
    panel->GaugeAttrs()->SetPosition(60);
    EXPECT_EQ(panel->GaugeAttrs()->Position(), 60);
    EXPECT_EQ(bar->PaintCount(0), 1);
    EXPECT_EQ(CountColor(PanelInside(*bar, 0), clHighlight), 0);
}

TEST(GaugePercent, ExportSequenceEndsAsAnEmptyNormalPanel) {
    auto bar = MakeMainWindowBar();
    TExStatusPanel* panel = bar->Panels()[2];
    panel->GaugeAttrs()->SetStyle(gsPercent);
    panel->SetPanelType(sptGauge);
    for (int p : {15, 25, 45, 65, 85, 100})
        panel->GaugeAttrs()->SetPosition(p);
    EXPECT_EQ(CountColor(PanelInside(*bar, 2), clBtnFace), 0);
    panel->SetPanelType(sptNormal);
    EXPECT_TRUE(OnlyColor(PanelInside(*bar, 2), clBtnFace));
    EXPECT_EQ(bar->Panels().TimerPanels().size(), 2u);
}

TEST(GaugeBall, IndeterminatePanelSwitchedToGaugeStaysStillUntilEnabled) {
    auto bar = MakeBar();
    TExStatusPanel* gauge = bar->Panels().Add();
    gauge->SetWidth(200);
    bar->Panels().Add();
    gauge->GaugeAttrs()->SetSpeed(10);
    gauge->GaugeAttrs()->SetStyle(gsIndeterminate);
    gauge->SetPanelType(sptGauge);
    EXPECT_FALSE(gauge->Enabled());
    EXPECT_EQ(bar->Panels().ClockTimer(), nullptr);
    EXPECT_TRUE(OnlyColor(PanelInside(*bar, 0), clBtnFace));
    gauge->SetEnabled(true);
    ASSERT_NE(bar->Panels().ClockTimer(), nullptr);
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 50);
    // The first frame: one step of 10 from the left edge.
    EXPECT_EQ(gauge->AnimationOffset(), 10);
    const QImage inside = PanelInside(*bar, 0);
    const int first = FirstColumnWith(inside, clHighlight);
    EXPECT_EQ(first, 9);
    const int d = inside.height() - 2 * (inside.height() / 3);
    EXPECT_EQ(LastColumnWith(inside, clHighlight), 10 + d);
}

TEST(GaugeBall, BallTurnsAtTheRightEdgeAndAgainAtTheLeft) {
    auto bar = MakeBar();
    TExStatusPanel* gauge = bar->Panels().Add();
    gauge->SetWidth(60);
    bar->Panels().Add();
    gauge->GaugeAttrs()->SetStyle(gsIndeterminate);
    gauge->SetPanelType(sptGauge);
    gauge->SetEnabled(true);
    bool turnedLeft = false;
    bool turnedRight = false;
    for (int i = 0; i < 60 && !(turnedLeft && turnedRight); ++i) {
        const int step = gauge->AnimationStep();
        bar->Panels().ClockTimer()->Fire();
        if (step > 0 && gauge->AnimationStep() < 0)
            turnedLeft = true;
        if (step < 0 && gauge->AnimationStep() > 0)
            turnedRight = true;
        EXPECT_LT(gauge->AnimationOffset(), 58);
        EXPECT_GT(gauge->AnimationOffset(), -4);
    }
    EXPECT_TRUE(turnedLeft);
    EXPECT_TRUE(turnedRight);
}

TEST(GaugeBall, DisablingAndWidthChangesRestartTheAnimation) {
    auto bar = MakeBar();
    TExStatusPanel* gauge = bar->Panels().Add();
    gauge->SetWidth(200);
    bar->Panels().Add();
    gauge->GaugeAttrs()->SetStyle(gsIndeterminate);
    gauge->SetPanelType(sptGauge);
    gauge->SetEnabled(true);
    bar->Panels().ClockTimer()->Fire();
    ASSERT_GT(gauge->AnimationOffset(), 4);
    gauge->SetWidth(150);
    EXPECT_EQ(gauge->AnimationOffset(), 4); // restarted, then drawn once
    gauge->SetEnabled(false);
    EXPECT_EQ(gauge->AnimationOffset(), 0);
    EXPECT_EQ(gauge->AnimationStep(), 4);
}

TEST(GaugeSpeed, AssignmentReaimsTheStepKeepingItsSign) {
    auto bar = MakeBar();
    TExStatusPanel* gauge = bar->Panels().Add();
    EXPECT_EQ(gauge->AnimationStep(), 1);
    gauge->GaugeAttrs()->SetSpeed(4); // the current value still re-aims the step
    EXPECT_EQ(gauge->AnimationStep(), 4);
    gauge->GaugeAttrs()->SetSpeed(0); // refused
    EXPECT_EQ(gauge->GaugeAttrs()->Speed(), 4);
    gauge->GaugeAttrs()->SetSpeed(7);
    EXPECT_EQ(gauge->AnimationStep(), 7);
}

TEST(GaugeGradient, StripFadesFromTheBarColourToTheGaugeColour) {
    auto bar = MakeBar();
    TExStatusPanel* gauge = bar->Panels().Add();
    gauge->GaugeAttrs()->SetColor(clBlue);
    bar->SetColor(clWhite);
    const TBitmap& strip = gauge->GradientStrip();
    EXPECT_EQ(strip.Width(), 100);
    EXPECT_EQ(strip.Height(), 19);
    EXPECT_EQ(strip.Pixel(0, 5), clWhite);
    EXPECT_EQ(strip.Pixel(99, 5), clBlue);
    EXPECT_EQ(strip.Pixel(50, 0), RGB(255 - 255 * 50 / 99, 255 - 255 * 50 / 99, 255));
    gauge->GaugeAttrs()->SetColor(clRed);
    EXPECT_FALSE(gauge->HasGradientStrip());
    EXPECT_EQ(gauge->GradientStrip().Pixel(99, 5), clRed);
}

TEST(GaugeGradient, BlockSlidesRightWithItsLeadingEdgeInTheGaugeColourAndMirrorsBack) {
    auto bar = MakeBar();
    TExStatusPanel* gauge = bar->Panels().Add();
    gauge->SetWidth(300);
    bar->Panels().Add();
    gauge->GaugeAttrs()->SetColor(clBlue);
    gauge->GaugeAttrs()->SetSpeed(20);
    gauge->GaugeAttrs()->SetStyle(gsIndeterminate2);
    gauge->SetPanelType(sptGauge);
    bar->Snapshot();         // the pending full repaint, so that only frames follow
    gauge->SetEnabled(true); // first frame at offset 20
    ASSERT_EQ(gauge->AnimationOffset(), 20);
    QImage inside = PanelInside(*bar, 0);
    // Moving right: the block's right (leading) column is the gauge colour,
    // its left column is (nearly) the background.
    EXPECT_EQ(LastColumnWith(inside, clBlue), 20 + 99);
    for (int i = 0; i < 40 && gauge->AnimationStep() > 0; ++i)
        bar->Panels().ClockTimer()->Fire();
    ASSERT_LT(gauge->AnimationStep(), 0);
    bar->Panels().ClockTimer()->Fire();
    inside = PanelInside(*bar, 0);
    const int offset = gauge->AnimationOffset();
    // Moving left, mirrored: the gauge colour leads on the left.
    EXPECT_EQ(FirstColumnWith(inside, clBlue), offset);
}
