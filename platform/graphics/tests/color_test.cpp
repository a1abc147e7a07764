// Colour encoding and the resolution of system colours.
#include "platform/graphics/color.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

#include <ostream>

TEST(Color, RedLivesInTheLowOrderByte) {
    EXPECT_EQ(RGB(255, 0, 0), clRed);
    EXPECT_EQ(RGB(0, 0, 255), clBlue);
    EXPECT_EQ(clBlue, 16711680);
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_EQ(GetGValue(RGB(1, 2, 3)), 2);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

TEST(Color, QtColoursRoundTrip) {
    EXPECT_EQ(ToQColor(RGB(10, 20, 30)), QColor(10, 20, 30));
    EXPECT_EQ(FromQColor(QColor(200, 100, 50)), RGB(200, 100, 50));
    EXPECT_EQ(FromQColor(ToQColor(clTeal)), clTeal);
}

TEST(Color, PlainColoursResolveToThemselves) {
    EXPECT_EQ(ColorToRGB(clMaroon), clMaroon);
    EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), RGB(1, 2, 3));
}

TEST(Color, NoneIsTransparentInQt) {
    EXPECT_EQ(ToQColor(clNone).alpha(), 0);
}

struct PaletteCase {
    const char* Name;
    TColor System;
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role;
    friend void PrintTo(const PaletteCase& c, std::ostream* os) { *os << c.Name; }
};

class SystemColor : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(SystemColor, FollowsTheApplicationPalette) {
    const PaletteCase& p = GetParam();
    const QPalette saved = QGuiApplication::palette();
    QPalette palette = saved;
    palette.setColor(p.Group, p.Role, QColor(12, 34, 56));
    QGuiApplication::setPalette(palette);
    EXPECT_EQ(ColorToRGB(p.System), RGB(12, 34, 56));
    EXPECT_EQ(ToQColor(p.System), QColor(12, 34, 56));
    QGuiApplication::setPalette(saved);
    EXPECT_EQ(ColorToRGB(p.System), FromQColor(saved.color(p.Group, p.Role)));
}

INSTANTIATE_TEST_SUITE_P(
    Color, SystemColor,
    ::testing::Values(
        PaletteCase{"BtnFace", clBtnFace, QPalette::Active, QPalette::Button},
        PaletteCase{"Highlight", clHighlight, QPalette::Active, QPalette::Highlight},
        PaletteCase{"HighlightText", clHighlightText, QPalette::Active, QPalette::HighlightedText},
        PaletteCase{"WindowText", clWindowText, QPalette::Active, QPalette::WindowText},
        PaletteCase{"GrayText", clGrayText, QPalette::Disabled, QPalette::Text},
        PaletteCase{"Window", clWindow, QPalette::Active, QPalette::Base},
        PaletteCase{"BtnShadow", clBtnShadow, QPalette::Active, QPalette::Dark},
        PaletteCase{"BtnHighlight", clBtnHighlight, QPalette::Active, QPalette::Light},
        PaletteCase{"BtnText", clBtnText, QPalette::Active, QPalette::ButtonText},
        PaletteCase{"InfoBk", clInfoBk, QPalette::Active, QPalette::ToolTipBase},
        PaletteCase{"InfoText", clInfoText, QPalette::Active, QPalette::ToolTipText}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Color, ClassicValuesWithoutAPalette) {
    EXPECT_EQ(DefaultSystemColor(clBtnFace), 0xC0C0C0);
    EXPECT_EQ(DefaultSystemColor(clHighlight), clNavy);
    EXPECT_EQ(DefaultSystemColor(clHighlightText), clWhite);
    EXPECT_EQ(DefaultSystemColor(clWindowText), clBlack);
    EXPECT_EQ(DefaultSystemColor(clGrayText), clGray);
    EXPECT_EQ(DefaultSystemColor(clWindow), clWhite);
    EXPECT_EQ(DefaultSystemColor(clBtnShadow), clGray);
    EXPECT_EQ(DefaultSystemColor(clInfoBk), RGB(255, 255, 225));
    EXPECT_EQ(DefaultSystemColor(clRed), clRed);
}

TEST(Color, UnknownSystemIndexResolvesWithoutFailing) {
    EXPECT_EQ(ColorToRGB(clSystemColor | 200), clBlack);
}
