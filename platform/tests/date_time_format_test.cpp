#include "platform/date_time_format.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

// Brazilian settings written out, so the pattern tests do not depend on Qt's
// locale tables.
TFormatSettings Brazilian() {
    TFormatSettings s;
    s.ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    s.LongDateFormat = QStringLiteral("dddd, d \"de\" mmmm \"de\" yyyy");
    s.ShortTimeFormat = QStringLiteral("hh:nn");
    s.LongTimeFormat = QStringLiteral("hh:nn:ss");
    s.DateSeparator = QLatin1Char('/');
    s.TimeSeparator = QLatin1Char(':');
    s.TimeAMString = QStringLiteral("AM");
    s.TimePMString = QStringLiteral("PM");
    s.DecimalSeparator = QLatin1Char(',');
    s.ShortMonthNames = QStringList{"jan", "fev", "mar", "abr", "mai", "jun",
                                    "jul", "ago", "set", "out", "nov", "dez"};
    s.LongMonthNames =
        QStringList{"janeiro", "fevereiro", "março",    "abril",   "maio",     "junho",
                    "julho",   "agosto",    "setembro", "outubro", "novembro", "dezembro"};
    s.ShortDayNames = QStringList{"dom", "seg", "ter", "qua", "qui", "sex", "sáb"};
    s.LongDayNames = QStringList{"domingo",      "segunda-feira", "terça-feira", "quarta-feira",
                                 "quinta-feira", "sexta-feira",   "sábado"};
    return s;
}

// Tuesday 5 March 2024, 14:07:09.045
TDateTime Sample() {
    return EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
}

TEST(FormatDateTime, CShowsTheDateAloneAtMidnight) {
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5), Brazilian()), "05/03/2024");
    // Milliseconds do not count as a time.
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5) + EncodeTime(0, 0, 0, 500), Brazilian()),
              "05/03/2024");
}

TEST(FormatDateTime, CAddsASpaceAndTheLongTimeOtherwise) {
    EXPECT_EQ(FormatDateTime("c", Sample(), Brazilian()), "05/03/2024 14:07:09");
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5) + EncodeTime(0, 0, 1), Brazilian()),
              "05/03/2024 00:00:01");
    EXPECT_EQ(FormatDateTime("", Sample(), Brazilian()), "05/03/2024 14:07:09");
}

struct TPatternCase {
    const char* Name;
    const char* Pattern;
    const char* Expected;
};

class Pattern : public ::testing::TestWithParam<TPatternCase> {};

TEST_P(Pattern, FormatsTheSample) {
    EXPECT_EQ(FormatDateTime(QString::fromUtf8(GetParam().Pattern), Sample(), Brazilian()),
              QString::fromUtf8(GetParam().Expected));
}

INSTANTIATE_TEST_SUITE_P(
    FormatDateTime, Pattern,
    ::testing::Values(
        TPatternCase{"Day", "d dd", "5 05"},
        TPatternCase{"DayNames", "ddd dddd", "ter terça-feira"},
        TPatternCase{"ShortDate", "ddddd", "05/03/2024"},
        TPatternCase{"LongDate", "dddddd", "terça-feira, 5 de março de 2024"},
        TPatternCase{"Month", "m mm mmm mmmm", "3 03 mar março"},
        TPatternCase{"Year", "yy yyyy", "24 2024"}, TPatternCase{"Hour", "h hh", "14 14"},
        TPatternCase{"MinuteAfterHour", "hh:mm", "14:07"},
        TPatternCase{"MinuteAfterHourThroughLiterals", "h'h'm", "14h7"},
        TPatternCase{"MonthNotAfterHour", "mm hh", "03 14"}, TPatternCase{"Minute", "n nn", "7 07"},
        TPatternCase{"Second", "s ss", "9 09"}, TPatternCase{"Millisecond", "z zzz", "45 045"},
        TPatternCase{"ShortAndLongTime", "t|tt", "14:07|14:07:09"},
        TPatternCase{"AmPmLower", "h:nn am/pm", "2:07 pm"},
        TPatternCase{"AmPmUpper", "hh:nn AM/PM", "02:07 PM"}, TPatternCase{"AP", "h a/p", "2 p"},
        TPatternCase{"AmPmStrings", "h ampm", "2 PM"},
        TPatternCase{"Separators", "dd/mm yyyy hh:nn", "05/03 2024 14:07"},
        TPatternCase{"QuotedLiterals", "'dd/mm' \"hh\" dd", "dd/mm hh 05"},
        TPatternCase{"UnterminatedQuote", "dd 'abc", "05 abc"},
        TPatternCase{"OtherCharactersCopied", "[dd]-x#", "[05]-x#"},
        TPatternCase{"CaseInsensitive", "DD/MM/YYYY HH:NN:SS", "05/03/2024 14:07:09"},
        TPatternCase{"LoneA", "a", "a"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(FormatDateTime, TwelveHourClockAtMidnightAndNoon) {
    const TFormatSettings s = Brazilian();
    EXPECT_EQ(FormatDateTime("h:nn am/pm", EncodeTime(0, 30, 0), s), "12:30 am");
    EXPECT_EQ(FormatDateTime("h:nn am/pm", EncodeTime(12, 30, 0), s), "12:30 pm");
    EXPECT_EQ(FormatDateTime("hh ampm", EncodeTime(9, 0, 0), s), "09 AM");
}

TEST(FormatDateTime, SeparatorsComeFromTheSettings) {
    TFormatSettings s = Brazilian();
    s.DateSeparator = QLatin1Char('.');
    s.TimeSeparator = QLatin1Char('h');
    EXPECT_EQ(FormatDateTime("c", Sample(), s), "05.03.2024 14h07h09");
}

TEST(FormatDateTime, SelfReferringSettingsDoNotLoop) {
    TFormatSettings s = Brazilian();
    s.ShortDateFormat = QStringLiteral("ddddd|");
    EXPECT_EQ(FormatDateTime("ddddd", Sample(), s), "|");
}

TEST(FormatSettings, BrazilianLocale) {
    const TFormatSettings s =
        TFormatSettings::FromLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(s.ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(s.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(s.ShortTimeFormat, "hh:nn");
    EXPECT_EQ(s.DateSeparator, QLatin1Char('/'));
    EXPECT_EQ(s.TimeSeparator, QLatin1Char(':'));
    EXPECT_EQ(s.DecimalSeparator, QLatin1Char(','));
    EXPECT_EQ(s.LongMonthNames.value(2), "março");
    EXPECT_EQ(s.LongDayNames.value(0), "domingo");
    EXPECT_EQ(FormatDateTime(s.LongDateFormat, Sample(), s), "terça-feira, 5 de março de 2024");
}

TEST(FormatSettings, CLocaleGetsTheBrazilianSettings) {
    const TFormatSettings s = TFormatSettings::FromLocale(QLocale::c());
    EXPECT_EQ(s.ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(s.LongTimeFormat, "hh:nn:ss");
}

TEST(FormatSettings, OtherLocalesAreTranslated) {
    const TFormatSettings us =
        TFormatSettings::FromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.ShortDateFormat, "m/d/yy");
    EXPECT_EQ(us.ShortTimeFormat, "h:nn ampm");
    EXPECT_EQ(FormatDateTime("c", Sample(), us), "3/5/24 2:07:09 PM");
    const TFormatSettings de =
        TFormatSettings::FromLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.DateSeparator, QLatin1Char('.'));
    EXPECT_EQ(FormatDateTime("ddddd", Sample(), de), "05.03.24");
}

TEST(PatternFromQtFormat, QuotesLiteralLettersAndKeepsOtherText) {
    EXPECT_EQ(PatternFromQtFormat("dddd, d 'de' MMMM", '/', ':'), "dddd, d \"de\" mmmm");
    EXPECT_EQ(PatternFromQtFormat("HH'h'mm t", '/', ':'), "hh\"h\"nn");
    EXPECT_EQ(PatternFromQtFormat("yyyy-MM-dd", '-', ':'), "yyyy/mm/dd");
    EXPECT_EQ(PatternFromQtFormat("d 'o''clock'", '/', ':'), "d \"o'clock\"");
}

TEST(FormatSettings, OverrideIsProcessWideUntilReset) {
    TFormatSettings s = Brazilian();
    s.ShortDateFormat = QStringLiteral("yyyy-mm-dd");
    SetFormatSettings(s);
    EXPECT_EQ(DateToStr(Sample()), "2024-03-05");
    EXPECT_EQ(TimeToStr(Sample()), "14:07:09");
    EXPECT_EQ(DateTimeToStr(Sample()), "2024-03-05 14:07:09");
    ResetFormatSettings();
    const TFormatSettings system = TFormatSettings::FromLocale(QLocale::system());
    EXPECT_EQ(DateToStr(Sample()), FormatDateTime(system.ShortDateFormat, Sample(), system));
}

} // namespace
