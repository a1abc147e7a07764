// Text controls on their own: line breaking, the system data fields and the
// report functions.
#include "platform/date_time_format.h"
#include "platform/graphics/font.h"
#include "platform/graphics/metafile.h"
#include "platform/number_format.h"
#include "platform/testing/scoped_test_clock.h"
#include "report/rp_band.h"
#include "report/rp_functions.h"
#include "report/rp_line_layout.h"
#include "report/rp_report.h"
#include "report/rp_sys_data.h"
#include "report/tests/rp_run_test_support.h"

#include <gtest/gtest.h>

namespace {

TFont Arial10() {
    TFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetHeight(-13);
    return font;
}

QStringList Lines(const QString& text, int width, bool wordWrap = true) {
    return RpLayoutLines(text, Arial10(), TRpLineLayout{width, false, wordWrap, 100});
}

} // namespace

TEST(LineLayout, WrapsAtSpacesKeepingTheSpaceOnTheUpperLine) {
    const QStringList lines = Lines(QStringLiteral("um dois tres quatro cinco seis sete oito"), 80);
    ASSERT_GT(lines.size(), 1);
    EXPECT_TRUE(lines.first().endsWith(QLatin1Char(' ')));
    EXPECT_EQ(lines.join(QString()), QStringLiteral("um dois tres quatro cinco seis sete oito"));
}

TEST(LineLayout, HyphenatedWordsBreakAfterTheHyphen) {
    const QStringList lines = Lines(QStringLiteral("guarda-chuva-amarelo"), 70);
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.first().endsWith(QLatin1Char('-')));
    EXPECT_EQ(lines.join(QString()), QStringLiteral("guarda-chuva-amarelo"));
}

TEST(LineLayout, AWordWiderThanTheBoxIsCutAndTheRestLost) {
    const QStringList lines =
        Lines(QStringLiteral("Pneumoultramicroscopicossilicovulcanoconiotico fim"), 60);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(
        QStringLiteral("Pneumoultramicroscopicossilicovulcanoconiotico").startsWith(lines.at(0)));
    EXPECT_LT(lines.at(0).size(), 20);
    EXPECT_EQ(lines.at(1), QStringLiteral("fim"));
}

TEST(LineLayout, CarriageReturnBreaksAndALoneLineFeedVanishes) {
    EXPECT_EQ(Lines(QStringLiteral("um\r\ndois"), 500),
              (QStringList{QStringLiteral("um"), QStringLiteral("dois")}));
    EXPECT_EQ(Lines(QStringLiteral("um\ndois"), 500), QStringList{QStringLiteral("umdois")});
}

TEST(LineLayout, NeverSplitsACharacterOutsideTheBasicPlane) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QStringList lines = Lines(emoji.repeated(30), 40);
    ASSERT_FALSE(lines.isEmpty());
    for (const QString& line : lines)
        EXPECT_FALSE(!line.isEmpty() && line.back().isHighSurrogate()) << qPrintable(line);
}

TEST(LineLayout, WithoutWordWrapAParagraphKeepsWhatFitsOnItsFirstLine) {
    EXPECT_EQ(Lines(QStringLiteral("um dois tres quatro cinco seis"), 60, false).size(), 1);
}

TEST(LineLayout, FourLinesOfTheDetailFontFitTheQuestionBox) {
    const double line = RpLineHeight(Arial10());
    const double box = 193.145833333333;
    EXPECT_LE(4 * line, box + 1);
    EXPECT_GT(5 * line, box + 1);
}

TEST(NumberFormat, WritesDigitsGroupsAndSections) {
    SetFormatSettings(TFormatSettings::FromLocale(QLocale(QLocale::Portuguese, QLocale::Brazil)));
    EXPECT_EQ(FormatFloat(QStringLiteral("#,##0.00"), 1234567.891), QStringLiteral("1.234.567,89"));
    EXPECT_EQ(FormatFloat(QStringLiteral("000"), 7), QStringLiteral("007"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.##"), 2.5), QStringLiteral("2,5"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0;(0);zero"), -3), QStringLiteral("(3)"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0;(0);'zero'"), 0), QStringLiteral("zero"));
    EXPECT_EQ(FormatFloat(QStringLiteral("'R$ '0.00"), -1.5), QStringLiteral("-R$ 1,50"));
    ResetFormatSettings();
}

TEST(ReportFunctions, StartWithTheThreeSettableConstants) {
    TRpEvEnvironment env;
    EXPECT_FALSE(env.Add(QStringLiteral("pagenumber"), QStringLiteral("5")));
    EXPECT_EQ(env.Count(), 3);
    env.Prepare();
    env.Prepare();
    TRpEvEnvironment::SetIntegerConstant(env.Constant(QStringLiteral("PAGENUMBER")), 12);
    TRpEvEnvironment::SetStringConstant(env.Constant(QStringLiteral("REPORTTITLE")),
                                        QStringLiteral("Lista"));
    // A constant of the other kind stays as it is.
    TRpEvEnvironment::SetStringConstant(env.Constant(QStringLiteral("COLUMNNUMBER")),
                                        QStringLiteral("x"));
    EXPECT_EQ(env.Value(QStringLiteral("pagenumber")).Value.toLongLong(), 12);
    EXPECT_EQ(env.Value(QStringLiteral("REPORTTITLE")).Value.toString(), QStringLiteral("Lista"));
    EXPECT_EQ(env.Value(QStringLiteral("COLUMNNUMBER")).Value.toLongLong(), 0);
    env.Unprepare();
    EXPECT_TRUE(env.Prepared());
    env.Unprepare();
    EXPECT_FALSE(env.Prepared());
    EXPECT_EQ(env.Constant(QStringLiteral("PAGENUMBER")), nullptr);
    EXPECT_EQ(env.Value(QStringLiteral("NADA")).Error, QStringLiteral("Unknown function : NADA"));
}

TEST(ReportFunctions, EvaluateArithmeticStringsAndOtherFunctions) {
    TRpEvEnvironment env;
    env.Add(QStringLiteral("dobro"), QStringLiteral("PAGENUMBER * 2 + (3 - 1) / 2"));
    env.Add(QStringLiteral("nome"), QStringLiteral("'d''Ávila' + ' ' + REPORTTITLE"));
    env.Add(QStringLiteral("ciclo"), QStringLiteral("ciclo + 1"));
    env.Add(QStringLiteral("ruim"), QStringLiteral("1 +"));
    env.Prepare();
    TRpEvEnvironment::SetIntegerConstant(env.Constant(QStringLiteral("PAGENUMBER")), 4);
    EXPECT_DOUBLE_EQ(env.Value(QStringLiteral("DOBRO")).Value.toDouble(), 9.0);
    EXPECT_EQ(env.Value(QStringLiteral("NOME")).Value.toString(), QStringLiteral("d'Ávila "));
    EXPECT_TRUE(env.Value(QStringLiteral("CICLO")).IsError());
    EXPECT_TRUE(env.Value(QStringLiteral("RUIM")).IsError());
    env.Unprepare();
}

class SysDataTest : public RunTest {};

TEST_F(SysDataTest, PageTwelvePrintsItsNumberAlone) {
    OpenListing(12 * 9);
    ASSERT_EQ(Generate(), 12);
    const std::vector<TDrawnText> texts = PageTexts(*Page(12));
    EXPECT_TRUE(FindText(texts, QStringLiteral("12")));
    EXPECT_FALSE(FindText(texts, QStringLiteral("012")));
}

TEST_F(SysDataTest, APageMadeAtMidnightShowsTheDateOnly) {
    TScopedTestClock clock(2026, 3, 14, 0, 0, 0);
    OpenListing(1);
    ASSERT_EQ(Generate(), 1);
    const QString date = FormatDateTime(QStringLiteral("ddddd"), clock.Current());
    EXPECT_TRUE(FindText(PageTexts(*Page(1)), date))
        << qPrintable(TextsOf(PageTexts(*Page(1))).join(QLatin1Char('|')));
    clock.Set(clock.Current() + 1.0 / 24);
    ASSERT_EQ(Generate(), 1);
    EXPECT_TRUE(FindText(PageTexts(*Page(1)), date + QStringLiteral(" 01:00:00")));
}

TEST_F(SysDataTest, APrefixIsFollowedDirectlyByTheValue) {
    OpenListing(10);
    auto* field = dynamic_cast<TRpSysData*>(Report().FindPrintable(QStringLiteral("RpSysData2")));
    ASSERT_TRUE(field);
    field->SetText(QStringLiteral("Página "));
    EXPECT_EQ(field->Caption(), QStringLiteral("Página (Page#)"));
    ASSERT_EQ(Generate(), 2);
    EXPECT_TRUE(FindText(PageTexts(*Page(2)), QStringLiteral("Página 2")));
    // After the run the caption names the kind again.
    EXPECT_EQ(field->Caption(), QStringLiteral("Página (Page#)"));
}
