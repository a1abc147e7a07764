// Layout of formatted text with a measuring function where every character
// is 10 pixels wide, so expected breaks and cuts can be worked out by hand.
#include "platform/graphics/text_format.h"

#include "platform/graphics/canvas.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

int TenEach(const QString& s) {
    return 10 * static_cast<int>(s.size());
}

std::vector<QString> Texts(const TTextLayout& layout) {
    std::vector<QString> out;
    for (const TTextLine& line : layout.Lines)
        out.push_back(line.Text);
    return out;
}

TTextLayout Layout(const char* text, TRect rect, unsigned format, int lineHeight = 10) {
    return LayoutDrawText(QString::fromUtf8(text), rect, format, TenEach, lineHeight);
}

using Lines = std::vector<QString>;

} // namespace

TEST(StripPrefix, AmpersandMarksTheNextCharacter) {
    const TPrefixedText t = StripPrefix(QStringLiteral("&Arquivo"));
    EXPECT_EQ(t.Text, QStringLiteral("Arquivo"));
    EXPECT_EQ(t.UnderlineIndex, 0);
    EXPECT_EQ(StripPrefix(QStringLiteral("Sal&var")).UnderlineIndex, 3);
}

TEST(StripPrefix, DoubleAmpersandIsOneAmpersand) {
    const TPrefixedText t = StripPrefix(QStringLiteral("a&&b"));
    EXPECT_EQ(t.Text, QStringLiteral("a&b"));
    EXPECT_EQ(t.UnderlineIndex, -1);
    const TPrefixedText u = StripPrefix(QStringLiteral("&&&x"));
    EXPECT_EQ(u.Text, QStringLiteral("&x"));
    EXPECT_EQ(u.UnderlineIndex, 1);
}

TEST(StripPrefix, TrailingAmpersandIsDropped) {
    EXPECT_EQ(StripPrefix(QStringLiteral("x&")).Text, QStringLiteral("x"));
}

struct EllipsisCase {
    const char* Name;
    const char* Text;
    int Width;
    unsigned Mode;
    const char* Expected;
    friend void PrintTo(const EllipsisCase& c, std::ostream* os) { *os << c.Name; }
};

class Ellipsis : public ::testing::TestWithParam<EllipsisCase> {};

TEST_P(Ellipsis, ChoosesTheTextThatFits) {
    const EllipsisCase& p = GetParam();
    EXPECT_EQ(EllipsisText(QString::fromUtf8(p.Text), p.Width, p.Mode, TenEach),
              QString::fromUtf8(p.Expected));
}

INSTANTIATE_TEST_SUITE_P(
    TextFormat, Ellipsis,
    ::testing::Values(
        EllipsisCase{"FitsUnchanged", "abcdefghij", 100, DT_END_ELLIPSIS, "abcdefghij"},
        EllipsisCase{"EndCut", "abcdefghij", 65, DT_END_ELLIPSIS, "abc..."},
        EllipsisCase{"EndExact", "abcdefghij", 60, DT_END_ELLIPSIS, "abc..."},
        EllipsisCase{"EndOnlyDots", "abcdefghij", 20, DT_END_ELLIPSIS, "..."},
        EllipsisCase{"EndAccented", "Questões de Português", 100, DT_END_ELLIPSIS, "Questõe..."},
        EllipsisCase{"PathFits", "C:\\ZQ\\a.db", 100, DT_PATH_ELLIPSIS, "C:\\ZQ\\a.db"},
        EllipsisCase{"PathMiddle", "C:\\ZQ\\Questoes\\QUESTOES.DB", 180, DT_PATH_ELLIPSIS,
                     "C:\\...\\QUESTOES.DB"},
        EllipsisCase{"PathOnlyLast", "C:\\ZQ\\Questoes\\QUESTOES.DB", 150, DT_PATH_ELLIPSIS,
                     "...\\QUESTOES.DB"},
        EllipsisCase{"PathTailOfLast", "C:\\ZQ\\Questoes\\QUESTOES.DB", 100, DT_PATH_ELLIPSIS,
                     "...TOES.DB"},
        EllipsisCase{"PathSlashes", "/home/user/questoes.db", 180, DT_PATH_ELLIPSIS,
                     "/ho.../questoes.db"},
        EllipsisCase{"PathWithoutSeparator", "abcdefghij", 65, DT_PATH_ELLIPSIS, "abc..."},
        EllipsisCase{"NoEllipsisMode", "abcdefghij", 10, 0, "abcdefghij"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(TextFormat, WordBreakBreaksAtSpacesAndDropsThem) {
    const TTextLayout l = Layout("um dois tres quatro", Rect(0, 0, 80, 100), DT_WORDBREAK);
    EXPECT_EQ(Texts(l), (Lines{"um dois", "tres", "quatro"}));
    EXPECT_EQ(l.Lines[1].Y, 10);
    EXPECT_EQ(l.Height, 30);
    EXPECT_EQ(l.Width, 70);
}

TEST(TextFormat, WordBreakSplitsAWordWiderThanTheLine) {
    EXPECT_EQ(Texts(Layout("abcdefghijkl", Rect(0, 0, 50, 100), DT_WORDBREAK)),
              (Lines{"abcde", "fghij", "kl"}));
    EXPECT_EQ(Texts(Layout("ab abcdefghijkl", Rect(0, 0, 50, 100), DT_WORDBREAK)),
              (Lines{"ab", "abcde", "fghij", "kl"}));
}

TEST(TextFormat, WordBreakWithEllipsisCutsTheLongWordInstead) {
    EXPECT_EQ(Texts(Layout("ab abcdefghijkl", Rect(0, 0, 60, 100), DT_WORDBREAK | DT_END_ELLIPSIS)),
              (Lines{"ab", "abc..."}));
}

TEST(TextFormat, LineBreaksStartNewLinesUnlessSingleLine) {
    EXPECT_EQ(Texts(Layout("a\r\nb\nc\rd", Rect(0, 0, 100, 100), 0)), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(Texts(Layout("a\n", Rect(0, 0, 100, 100), 0)), (Lines{"a", ""}));
    EXPECT_EQ(Texts(Layout("a\r\nb", Rect(0, 0, 100, 100), DT_SINGLELINE)), (Lines{"ab"}));
}

TEST(TextFormat, WithoutWordBreakLongLinesStayWhole) {
    EXPECT_EQ(Texts(Layout("um dois tres", Rect(0, 0, 30, 100), 0)), (Lines{"um dois tres"}));
}

struct PlaceCase {
    const char* Name;
    unsigned Format;
    int X;
    int Y;
    int Height;
    friend void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.Name; }
};

class Placement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(Placement, AlignsTheLineInTheRectangle) {
    const PlaceCase& p = GetParam();
    const TTextLayout l = Layout("abc", Rect(10, 20, 110, 40), p.Format);
    ASSERT_EQ(l.Lines.size(), 1u);
    EXPECT_EQ(l.Lines[0].X, p.X);
    EXPECT_EQ(l.Lines[0].Y, p.Y);
    EXPECT_EQ(l.Height, p.Height);
}

INSTANTIATE_TEST_SUITE_P(
    TextFormat, Placement,
    ::testing::Values(PlaceCase{"LeftTop", DT_LEFT | DT_SINGLELINE, 10, 20, 10},
                      PlaceCase{"Center", DT_CENTER | DT_SINGLELINE, 45, 20, 10},
                      PlaceCase{"Right", DT_RIGHT | DT_SINGLELINE, 80, 20, 10},
                      PlaceCase{"VCenter", DT_VCENTER | DT_SINGLELINE, 10, 25, 15},
                      PlaceCase{"Bottom", DT_BOTTOM | DT_SINGLELINE, 10, 30, 20},
                      PlaceCase{"VCenterNeedsSingleLine", DT_VCENTER, 10, 20, 10},
                      PlaceCase{"CenterVCenter", DT_CENTER | DT_VCENTER | DT_SINGLELINE, 45, 25,
                                15}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(TextFormat, PrefixUnderlineFollowsItsCharacterIntoItsLine) {
    const TTextLayout l = Layout("um &dois", Rect(0, 0, 40, 100), DT_WORDBREAK);
    EXPECT_EQ(Texts(l), (Lines{"um", "dois"}));
    EXPECT_EQ(l.Lines[0].UnderlineIndex, -1);
    EXPECT_EQ(l.Lines[1].UnderlineIndex, 0);
    const TTextLayout n = Layout("um &dois", Rect(0, 0, 100, 100), DT_NOPREFIX);
    EXPECT_EQ(Texts(n), (Lines{"um &dois"}));
    EXPECT_EQ(n.Lines[0].UnderlineIndex, -1);
}

TEST(TextFormat, EllipsisDropsAnUnderlineThatWasCutAway) {
    const TTextLayout kept = Layout("a&bcdefghij", Rect(0, 0, 60, 10), DT_END_ELLIPSIS);
    EXPECT_EQ(kept.Lines[0].Text, QStringLiteral("abc..."));
    EXPECT_EQ(kept.Lines[0].UnderlineIndex, 1);
    const TTextLayout cut = Layout("abcdefg&hij", Rect(0, 0, 60, 10), DT_END_ELLIPSIS);
    EXPECT_EQ(cut.Lines[0].UnderlineIndex, -1);
}

TEST(TextFormat, EmptyTextHasNoLines) {
    const TTextLayout l = Layout("", Rect(0, 0, 100, 100), DT_WORDBREAK);
    EXPECT_TRUE(l.Lines.empty());
    EXPECT_EQ(l.Height, 0);
}

TEST(TextFormat, ExpandTabsStopsEveryEightCharacters) {
    EXPECT_EQ(Texts(Layout("ab\tc", Rect(0, 0, 200, 10), DT_EXPANDTABS)), (Lines{"ab      c"}));
}
