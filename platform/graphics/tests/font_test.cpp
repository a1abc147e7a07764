// Logical fonts: defaults, the point-size conversion, face substitution and
// the Qt font made for a device.
#include "platform/graphics/font.h"

#include "platform/graphics/geometry.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include <ostream>

TEST(Font, DefaultsAreTheDesktopDefaultFont) {
    const TFont f;
    EXPECT_EQ(f.Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    EXPECT_EQ(f.PixelsPerInch(), 96);
    EXPECT_EQ(f.Style(), 0u);
    EXPECT_EQ(f.Color(), clWindowText);
    EXPECT_EQ(f.Charset(), DEFAULT_CHARSET);
}

struct SizeCase {
    int Points;
    int Ppi;
    int Height;
    friend void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.Points << "pt@" << c.Ppi; }
};

class FontSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(FontSize, SizeAndHeightConvertAsMulDiv) {
    const SizeCase& p = GetParam();
    TFont f;
    f.SetPixelsPerInch(p.Ppi);
    f.SetSize(p.Points);
    EXPECT_EQ(f.Height(), p.Height);
    EXPECT_EQ(f.Size(), p.Points);
}

INSTANTIATE_TEST_SUITE_P(Font, FontSize,
                         ::testing::Values(SizeCase{8, 96, -11}, SizeCase{10, 96, -13},
                                           SizeCase{12, 96, -16}, SizeCase{9, 96, -12},
                                           SizeCase{8, 120, -13}, SizeCase{10, 600, -83},
                                           SizeCase{14, 96, -19}));

TEST(Font, SizeOfAnOddHeightRoundsToTheNearestPoint) {
    TFont f;
    f.SetHeight(-15); // 11.25 points
    EXPECT_EQ(f.Size(), 11);
    f.SetHeight(-14); // 10.5 points, half away from zero
    EXPECT_EQ(f.Size(), 11);
    f.SetHeight(20); // a cell height gives a negative size
    EXPECT_EQ(f.Size(), -15);
}

TEST(Font, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(11, 72, 96), 8);
    EXPECT_EQ(MulDiv(-11, 72, 96), -8);
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(5, 3, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 2, 1), -1);
    EXPECT_EQ(MulDiv(2000000000, 3, 6), 1000000000);
}

struct FaceCase {
    const char* Desktop;
    const char* Installed;
    friend void PrintTo(const FaceCase& c, std::ostream* os) { *os << c.Desktop; }
};

class FaceSubstitution : public ::testing::TestWithParam<FaceCase> {};

TEST_P(FaceSubstitution, MapsToAnInstalledFace) {
    EXPECT_EQ(SubstituteFace(QString::fromLatin1(GetParam().Desktop)),
              QString::fromLatin1(GetParam().Installed));
}

INSTANTIATE_TEST_SUITE_P(Font, FaceSubstitution,
                         ::testing::Values(FaceCase{"Arial", "Liberation Sans"},
                                           FaceCase{"arial", "Liberation Sans"},
                                           FaceCase{"MS Sans Serif", "Liberation Sans"},
                                           FaceCase{"Times New Roman", "Liberation Serif"},
                                           FaceCase{"Courier New", "Liberation Mono"},
                                           FaceCase{"DejaVu Sans", "DejaVu Sans"},
                                           FaceCase{"Some Other Face", "Some Other Face"}));

TEST(Font, SubstitutedFacesAreInstalled) {
    for (const char* face : {"Arial", "MS Sans Serif", "Times New Roman", "Courier New"}) {
        TFont f;
        f.SetName(QString::fromLatin1(face));
        EXPECT_EQ(QFontInfo(ToQFont(f)).family(), SubstituteFace(f.Name())) << face;
    }
}

TEST(Font, NegativeHeightIsTheEmHeightScaledToTheDevice) {
    TFont f;
    f.SetHeight(-13);
    EXPECT_EQ(ToQFont(f, 96).pixelSize(), 13);
    EXPECT_EQ(ToQFont(f, 192).pixelSize(), 26);
    EXPECT_EQ(ToQFont(f, 600).pixelSize(), 81);
    f.SetPixelsPerInch(120);
    EXPECT_EQ(ToQFont(f, 96).pixelSize(), 10);
}

TEST(Font, PositiveHeightIsTheCellHeight) {
    TFont f;
    f.SetName(QStringLiteral("Arial"));
    f.SetHeight(16);
    const QFont q = ToQFont(f);
    const QFontMetrics fm(q);
    EXPECT_LE(fm.ascent() + fm.descent(), 16);
    QFont bigger = q;
    bigger.setPixelSize(q.pixelSize() + 1);
    const QFontMetrics fm2(bigger);
    EXPECT_GT(fm2.ascent() + fm2.descent(), 16);
}

TEST(Font, StylesCarryOver) {
    TFont f;
    f.SetStyle(fsBold | fsItalic | fsUnderline | fsStrikeOut);
    const QFont q = ToQFont(f);
    EXPECT_TRUE(q.bold());
    EXPECT_TRUE(q.italic());
    EXPECT_TRUE(q.underline());
    EXPECT_TRUE(q.strikeOut());
    const QFont plain = ToQFont(TFont());
    EXPECT_FALSE(plain.bold() || plain.italic() || plain.underline() || plain.strikeOut());
}

TEST(Font, MeasurementsDoNotDependOnTheUsersRenderingSettings) {
    const QFont q = ToQFont(TFont());
    EXPECT_EQ(q.hintingPreference(), QFont::PreferFullHinting);
    EXPECT_FALSE(q.kerning());
    EXPECT_TRUE(q.styleStrategy() & QFont::NoAntialias);
}
