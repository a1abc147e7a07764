// FormatDateTime follows the desktop's formatter closely (specifier runs,
// the h-then-m rule, the 12-hour look-ahead, the nesting limit), because the
// status bar's and the report's patterns are written in that language.
#include "platform/date_time_format.h"

#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <optional>

namespace {

// --- Settings -------------------------------------------------------------

QMutex& SettingsMutex() {
    static QMutex mutex;
    return mutex;
}

std::optional<TFormatSettings>& Override() {
    static std::optional<TFormatSettings> settings;
    return settings;
}

std::optional<TFormatSettings>& SystemSettings() {
    static std::optional<TFormatSettings> settings;
    return settings;
}

// The first character of a format that is neither a letter, a space nor a
// quote: the separator the format uses between its fields.
QChar SeparatorOf(const QString& qtFormat, QChar fallback) {
    bool quoted = false;
    for (const QChar c : qtFormat) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return fallback;
}

void AppendLiteral(QString& out, const QString& literal) {
    if (literal.isEmpty())
        return;
    const QChar quote = literal.contains(QLatin1Char('"')) ? QLatin1Char('\'') : QLatin1Char('"');
    out += quote + literal + quote;
}

// Reads a quoted part of a Qt format starting at the quote at `i` into
// `literal` ('' is a quote, 'text' is literal text); returns where the
// format goes on.
qsizetype ReadQtQuoted(const QString& qtFormat, qsizetype i, QString& literal) {
    const qsizetype n = qtFormat.size();
    const auto quoteAt = [&](qsizetype k) { return k < n && qtFormat[k] == QLatin1Char('\''); };
    if (quoteAt(i + 1)) {
        literal += QLatin1Char('\'');
        return i + 2;
    }
    ++i;
    while (i < n) {
        if (!quoteAt(i)) {
            literal += qtFormat[i++];
            continue;
        }
        if (!quoteAt(i + 1))
            return i + 1;
        literal += QLatin1Char('\'');
        i += 2;
    }
    return i;
}

// The pattern for a run of `run` Qt specifier letters `c`; empty for a
// character that is no date or time field.
QString PatternOfQtField(char16_t c, qsizetype run) {
    switch (c) {
    case 'd':
        return QString(std::min<qsizetype>(run, 4), QLatin1Char('d'));
    case 'M':
    case 'L':
        return QString(std::min<qsizetype>(run, 4), QLatin1Char('m'));
    case 'y':
        return run <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
    case 'h':
    case 'H':
        return run == 1 ? QStringLiteral("h") : QStringLiteral("hh");
    case 'm':
        return run == 1 ? QStringLiteral("n") : QStringLiteral("nn");
    case 's':
        return run == 1 ? QStringLiteral("s") : QStringLiteral("ss");
    case 'z':
        return run == 1 ? QStringLiteral("z") : QStringLiteral("zzz");
    case 'a':
    case 'A':
        return QStringLiteral("ampm");
    default:
        return {};
    }
}

} // namespace

QString PatternFromQtFormat(const QString& qtFormat, QChar dateSeparator, QChar timeSeparator) {
    QString out;
    QString literal; // pending literal text, quoted when flushed
    const auto flush = [&] {
        AppendLiteral(out, literal);
        literal.clear();
    };
    const auto put = [&](const QString& specifier) {
        flush();
        out += specifier;
    };
    const qsizetype n = qtFormat.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = qtFormat[i];
        if (c == QLatin1Char('\'')) {
            i = ReadQtQuoted(qtFormat, i, literal);
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && qtFormat[i + run] == c)
            ++run;
        if (const QString field = PatternOfQtField(c.unicode(), run); !field.isEmpty()) {
            put(field);
            // "AP", "ap", "Ap": the p belongs to the marker.
            if ((c == QLatin1Char('a') || c == QLatin1Char('A')) && i + run < n &&
                (qtFormat[i + run] == QLatin1Char('p') || qtFormat[i + run] == QLatin1Char('P')))
                ++run;
        } else if (c == QLatin1Char('t')) {
            // The time zone has no place in the desktop's formats; drop it and
            // the space that led to it.
            while (!literal.isEmpty() && literal.back().isSpace())
                literal.chop(1);
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
        } else {
            for (qsizetype k = 0; k < run; ++k) {
                if (c == dateSeparator && !dateSeparator.isNull()) {
                    put(QStringLiteral("/"));
                } else if (c == timeSeparator && !timeSeparator.isNull()) {
                    put(QStringLiteral(":"));
                } else if (c.isLetter() || c == QLatin1Char('/') || c == QLatin1Char(':') ||
                           c == QLatin1Char('"')) {
                    literal += c;
                } else {
                    flush();
                    out += c;
                }
            }
        }
        i += run;
    }
    flush();
    return out.trimmed();
}

TFormatSettings TFormatSettings::FromLocale(const QLocale& given) {
    const QLocale locale =
        given.language() == QLocale::C ? QLocale(QLocale::Portuguese, QLocale::Brazil) : given;
    TFormatSettings s;
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString longTime = locale.timeFormat(QLocale::LongFormat);
    s.DateSeparator = SeparatorOf(shortDate, QLatin1Char('/'));
    s.TimeSeparator = SeparatorOf(longTime, QLatin1Char(':'));
    s.ShortDateFormat = PatternFromQtFormat(shortDate, s.DateSeparator, s.TimeSeparator);
    s.LongDateFormat = PatternFromQtFormat(locale.dateFormat(QLocale::LongFormat), s.DateSeparator,
                                           s.TimeSeparator);
    s.ShortTimeFormat = PatternFromQtFormat(locale.timeFormat(QLocale::ShortFormat),
                                            s.DateSeparator, s.TimeSeparator);
    s.LongTimeFormat = PatternFromQtFormat(longTime, s.DateSeparator, s.TimeSeparator);
    s.TimeAMString = locale.amText();
    s.TimePMString = locale.pmText();
    const QString decimal = locale.decimalPoint();
    s.DecimalSeparator = decimal.isEmpty() ? QLatin1Char('.') : decimal.front();
    for (int m = 1; m <= 12; ++m) {
        s.ShortMonthNames << locale.monthName(m, QLocale::ShortFormat);
        s.LongMonthNames << locale.monthName(m, QLocale::LongFormat);
    }
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d; // Qt counts Monday 1 ... Sunday 7
        s.ShortDayNames << locale.dayName(qtDay, QLocale::ShortFormat);
        s.LongDayNames << locale.dayName(qtDay, QLocale::LongFormat);
    }
    return s;
}

TFormatSettings FormatSettings() {
    const QMutexLocker lock(&SettingsMutex());
    if (Override())
        return *Override();
    if (!SystemSettings())
        SystemSettings() = TFormatSettings::FromLocale(QLocale::system());
    return *SystemSettings();
}

void SetFormatSettings(const TFormatSettings& settings) {
    const QMutexLocker lock(&SettingsMutex());
    Override() = settings;
}

void ResetFormatSettings() {
    const QMutexLocker lock(&SettingsMutex());
    Override().reset();
    SystemSettings().reset();
}

// --- Formatting -----------------------------------------------------------

namespace {

class TFormatter {
public:
    TFormatter(const TFormatSettings& settings, TDateTime value) : settings_(settings) {
        DecodeDate(value, year_, month_, day_);
        DecodeTime(value, hour_, min_, sec_, msec_);
        dayOfWeek_ = DayOfWeek(value);
    }

    void Append(const QString& format);
    QString Result() const { return out_; }

private:
    // Each returns where the next token of `f` starts.
    qsizetype AppendToken(const QString& f, char16_t token, qsizetype start);
    qsizetype AppendAmPm(const QString& f, qsizetype start);
    qsizetype AppendQuoted(const QString& f, qsizetype start);
    void AppendDay(int count);
    void AppendHour(int count, bool twelveHour);
    void AppendDateAndTime();

    void Number(int value, int digits) {
        out_ += QString::number(value).rightJustified(digits, QLatin1Char('0'));
    }
    // One or two letters: the number in as many digits at least; three: the
    // short name; more: the long name.
    void NumberOrName(int count, int number, int nameIndex, const QStringList& shortNames,
                      const QStringList& longNames) {
        if (count <= 2)
            Number(number, count);
        else
            out_ += Name(count == 3 ? shortNames : longNames, nameIndex);
    }
    static QString Name(const QStringList& names, int index) {
        return index >= 0 && index < names.size() ? names[index] : QString();
    }
    static bool At(const QString& f, qsizetype i, QLatin1StringView what) {
        return QStringView(f).mid(i, what.size()).compare(what, Qt::CaseInsensitive) == 0;
    }
    static bool TwelveHourMarkerAhead(const QString& f, qsizetype i);

    const TFormatSettings& settings_;
    int year_, month_, day_, hour_, min_, sec_, msec_, dayOfWeek_;
    int level_ = 0;
    QString out_;
};

bool TFormatter::TwelveHourMarkerAhead(const QString& f, qsizetype i) {
    QChar quote;
    for (; i < f.size(); ++i) {
        const QChar c = f[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            continue;
        }
        if ((c == QLatin1Char('a') || c == QLatin1Char('A')) &&
            (At(f, i, QLatin1StringView("am/pm")) || At(f, i, QLatin1StringView("a/p")) ||
             At(f, i, QLatin1StringView("ampm"))))
            return true;
    }
    return false;
}

void TFormatter::Append(const QString& f) {
    // A format named inside the pattern ("ddddd", "t", "c") is expanded, one
    // named inside that is not: no settings can make the expansion loop.
    if (level_ >= 2)
        return;
    ++level_;
    char16_t lastToken = ' ';
    qsizetype i = 0;
    while (i < f.size()) {
        char16_t token = f[i].unicode();
        if (token >= 'a' && token <= 'z')
            token = static_cast<char16_t>(token - 'a' + 'A');
        if (token >= 'A' && token <= 'Z') {
            // "m" right after an hour is the minutes.
            if (token == 'M' && lastToken == 'H')
                token = 'N';
            lastToken = token;
        }
        const qsizetype next = AppendToken(f, token, i);
        Q_ASSERT_X(next > i, "TFormatter::Append", "every token moves past its first character");
        i = next;
    }
    --level_;
}

qsizetype TFormatter::AppendToken(const QString& f, char16_t token, qsizetype start) {
    const QChar starter = f[start];
    qsizetype i = start + 1;
    // The letters of a run of the same one, consumed.
    const auto count = [&] {
        int c = 1;
        while (i < f.size() && f[i] == starter) {
            ++i;
            ++c;
        }
        return c;
    };
    switch (token) {
    case 'Y':
        if (count() <= 2)
            Number(year_ % 100, 2);
        else
            Number(year_, 4);
        break;
    case 'M':
        NumberOrName(count(), month_, month_ - 1, settings_.ShortMonthNames,
                     settings_.LongMonthNames);
        break;
    case 'D':
        AppendDay(count());
        break;
    case 'H': {
        const int c = count();
        AppendHour(c, TwelveHourMarkerAhead(f, i));
        break;
    }
    case 'N':
        Number(min_, count() == 1 ? 1 : 2);
        break;
    case 'S':
        Number(sec_, count() == 1 ? 1 : 2);
        break;
    case 'Z':
        Number(msec_, std::min(count(), 3));
        break;
    case 'T':
        Append(count() == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat);
        break;
    case 'C':
        count();
        AppendDateAndTime();
        break;
    case 'A':
        return AppendAmPm(f, start);
    case '/':
        if (!settings_.DateSeparator.isNull())
            out_ += settings_.DateSeparator;
        break;
    case ':':
        if (!settings_.TimeSeparator.isNull())
            out_ += settings_.TimeSeparator;
        break;
    case '\'':
    case '"':
        return AppendQuoted(f, start);
    default:
        out_ += starter;
        break;
    }
    return i;
}

void TFormatter::AppendDay(int count) {
    if (count <= 4)
        NumberOrName(count, day_, dayOfWeek_ - 1, settings_.ShortDayNames, settings_.LongDayNames);
    else
        Append(count == 5 ? settings_.ShortDateFormat : settings_.LongDateFormat);
}

void TFormatter::AppendHour(int count, bool twelveHour) {
    int hour = hour_;
    if (twelveHour) {
        if (hour == 0)
            hour = 12;
        else if (hour > 12)
            hour -= 12;
    }
    Number(hour, count == 1 ? 1 : 2);
}

void TFormatter::AppendDateAndTime() {
    Append(settings_.ShortDateFormat);
    if (hour_ != 0 || min_ != 0 || sec_ != 0) {
        out_ += QLatin1Char(' ');
        Append(settings_.LongTimeFormat);
    }
}

qsizetype TFormatter::AppendAmPm(const QString& f, qsizetype start) {
    if (At(f, start, QLatin1StringView("am/pm"))) {
        out_ += f.mid(start + (hour_ >= 12 ? 3 : 0), 2);
        return start + 5;
    }
    if (At(f, start, QLatin1StringView("a/p"))) {
        out_ += f[start + (hour_ >= 12 ? 2 : 0)];
        return start + 3;
    }
    if (At(f, start, QLatin1StringView("ampm"))) {
        out_ += hour_ < 12 ? settings_.TimeAMString : settings_.TimePMString;
        return start + 4;
    }
    out_ += f[start];
    return start + 1;
}

qsizetype TFormatter::AppendQuoted(const QString& f, qsizetype start) {
    const QChar quote = f[start];
    qsizetype i = start + 1;
    while (i < f.size() && f[i] != quote)
        out_ += f[i++];
    if (i < f.size())
        ++i; // the closing quote
    return i;
}

} // namespace

QString FormatDateTime(const QString& pattern, TDateTime value, const TFormatSettings& settings) {
    TFormatter formatter(settings, value);
    formatter.Append(pattern.isEmpty() ? QStringLiteral("c") : pattern);
    return formatter.Result();
}

QString FormatDateTime(const QString& pattern, TDateTime value) {
    return FormatDateTime(pattern, value, FormatSettings());
}

QString DateToStr(TDateTime value) {
    return FormatDateTime(QStringLiteral("ddddd"), value);
}

QString TimeToStr(TDateTime value) {
    return FormatDateTime(QStringLiteral("tt"), value);
}

QString DateTimeToStr(TDateTime value) {
    return FormatDateTime(QStringLiteral("c"), value);
}
