// The plain status bar: layout, bevels, text panels, clicks and hints.
#include "statusbar/status_bar.h"

#include "statusbar/tests/bar_fixture.h"

#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TStatusBar> MakePlainBar(std::initializer_list<int> widths) {
    auto bar = std::make_unique<TStatusBar>();
    bar->resize(508, TStatusBar::DefaultHeight);
    for (int w : widths)
        bar->Panels().Add()->SetWidth(w);
    return bar;
}

QImage Inside(TStatusBar& bar, int index) {
    const TRect r = bar.PanelRect(index);
    return bar.Snapshot().copy(r.Left + 1, r.Top + 1, r.Width() - 2, r.Height() - 2);
}

} // namespace

TEST(StatusBarLayout, PanelsLieSideBySideAndTheLastReachesTheRightEdge) {
    auto bar = MakePlainBar({60, 80, 320, 50});
    EXPECT_EQ(bar->height(), 19);
    EXPECT_EQ(bar->PanelRect(0).Left, 0);
    EXPECT_EQ(bar->PanelRect(0).Right, 60);
    EXPECT_EQ(bar->PanelRect(1).Left, 60);
    EXPECT_EQ(bar->PanelRect(2).Right, 460);
    EXPECT_EQ(bar->PanelRect(3).Left, 460);
    EXPECT_EQ(bar->PanelRect(3).Right, 508);
    EXPECT_EQ(bar->PanelRect(3).Width(), 48);
}

TEST(StatusBarLayout, LastPanelGrowsWithTheBar) {
    auto bar = MakePlainBar({100, 10});
    bar->resize(300, 19);
    EXPECT_EQ(bar->PanelRect(1).Right, 300);
}

TEST(StatusBarLayout, NegativeWidthCountsAsZero) {
    auto bar = MakePlainBar({-40, 80, 10});
    EXPECT_EQ(bar->Panels()[0]->Width(), 0);
    EXPECT_EQ(bar->PanelRect(1).Left, 0);
    EXPECT_EQ(bar->PanelRect(1).Right, 80);
}

TEST(StatusBarLayout, AtMost128PanelsAreShown) {
    auto bar = std::make_unique<TStatusBar>();
    bar->resize(2000, 19);
    for (int i = 0; i < 130; ++i)
        bar->Panels().Add()->SetWidth(5);
    EXPECT_FALSE(bar->PanelRect(127).IsEmpty());
    EXPECT_EQ(bar->PanelRect(127).Right, 2000); // the last shown panel
    EXPECT_TRUE(bar->PanelRect(128).IsEmpty());
    EXPECT_TRUE(bar->PanelRect(-1).IsEmpty());
}

TEST(StatusBarLayout, PanelAtFindsTheFirstContainingPanel) {
    auto bar = MakePlainBar({60, 80});
    EXPECT_EQ(bar->PanelAt({0, 10}), 0);
    EXPECT_EQ(bar->PanelAt({59, 10}), 0);
    EXPECT_EQ(bar->PanelAt({60, 10}), 1);
    EXPECT_EQ(bar->PanelAt({507, 10}), 1);
    EXPECT_EQ(bar->PanelAt({10, 0}), -1); // the border above the panels
}

struct BevelCase {
    const char* name;
    TStatusPanelBevel bevel;
    TColor topLeft;
    TColor bottomRight;
};

class StatusBarBevel : public ::testing::TestWithParam<BevelCase> {};

TEST_P(StatusBarBevel, FrameFollowsTheBevel) {
    const BevelCase& c = GetParam();
    auto bar = MakePlainBar({100, 100});
    bar->Panels()[0]->SetBevel(c.bevel);
    const QImage image = bar->Snapshot();
    const TRect r = bar->PanelRect(0);
    EXPECT_EQ(PixelAt(image, r.Left, r.Top + 5), ColorToRGB(c.topLeft));
    EXPECT_EQ(PixelAt(image, r.Left + 5, r.Top), ColorToRGB(c.topLeft));
    EXPECT_EQ(PixelAt(image, r.Right - 1, r.Top + 5), ColorToRGB(c.bottomRight));
    EXPECT_EQ(PixelAt(image, r.Left + 5, r.Bottom - 1), ColorToRGB(c.bottomRight));
}

INSTANTIATE_TEST_SUITE_P(
    Bevels, StatusBarBevel,
    ::testing::Values(BevelCase{"None", pbNone, clBtnFace, clBtnFace},
                      BevelCase{"Lowered", pbLowered, clBtnShadow, clBtnHighlight},
                      BevelCase{"Raised", pbRaised, clBtnHighlight, clBtnShadow}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StatusBarText, PlainTextPanelsNeedNoOwnerDrawing) {
    auto bar = MakePlainBar({150, 150});
    EXPECT_TRUE(OnlyColor(Inside(*bar, 0), clBtnFace));
    bar->Panels()[0]->SetText(QStringLiteral("Página 1 de 3"));
    const QImage inside = Inside(*bar, 0);
    EXPECT_GT(CountColor(inside, clWindowText), 10);
    // Left aligned: the text starts near the left edge.
    EXPECT_LT(FirstColumnWith(inside, clWindowText), 6);
}

TEST(StatusBarText, ColorIsTheBackgroundOfEveryPanel) {
    auto bar = MakePlainBar({150, 150});
    bar->SetColor(clYellow);
    EXPECT_TRUE(OnlyColor(Inside(*bar, 1), clYellow));
}

TEST(StatusBarDefaults, FontColorAndHeight) {
    TStatusBar bar;
    EXPECT_EQ(bar.Font().Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(bar.Font().Size(), 8);
    EXPECT_EQ(bar.Color(), clBtnFace);
    EXPECT_TRUE(bar.Enabled());
    EXPECT_EQ(bar.height(), 19);
}

TEST(StatusBarClick, ClickRaisesOnClick) {
    auto bar = MakePlainBar({100});
    int clicks = 0;
    bar->OnClick = [&](TStatusBar* sender) {
        EXPECT_EQ(sender, bar.get());
        ++clicks;
    };
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(clicks, 1);
}

TEST(StatusBarHint, TooltipShowsTheBarsHint) {
    auto bar = MakePlainBar({100});
    bar->SetHint(QStringLiteral("Barra"));
    bar->SetShowHint(true);
    bar->show();
    QHelpEvent help(QEvent::ToolTip, QPoint(20, 10), bar->mapToGlobal(QPoint(20, 10)));
    QCoreApplication::sendEvent(bar.get(), &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Barra"));
    QToolTip::hideText();
}
