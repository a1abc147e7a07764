// FormatDateTime follows the desktop's formatter closely (specifier runs,
// the h-then-m rule, the 12-hour look-ahead, the nesting limit), because the
// status bar's and the report's patterns are written in that language.
#include "platform/date_time_format.h"

#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
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
            // Qt: '' is a quote, 'text' is literal text.
            if (i + 1 < n && qtFormat[i + 1] == QLatin1Char('\'')) {
                literal += QLatin1Char('\'');
                i += 2;
                continue;
            }
            ++i;
            while (i < n) {
                if (qtFormat[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && qtFormat[i + 1] == QLatin1Char('\'')) {
                        literal += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += qtFormat[i++];
            }
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && qtFormat[i + run] == c)
            ++run;
        const char16_t u = c.unicode();
        switch (u) {
        case 'd':
            put(QString(std::min<qsizetype>(run, 4), QLatin1Char('d')));
            break;
        case 'M':
        case 'L':
            put(QString(std::min<qsizetype>(run, 4), QLatin1Char('m')));
            break;
        case 'y':
            put(run <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"));
            break;
        case 'h':
        case 'H':
            put(run == 1 ? QStringLiteral("h") : QStringLiteral("hh"));
            break;
        case 'm':
            put(run == 1 ? QStringLiteral("n") : QStringLiteral("nn"));
            break;
        case 's':
            put(run == 1 ? QStringLiteral("s") : QStringLiteral("ss"));
            break;
        case 'z':
            put(run == 1 ? QStringLiteral("z") : QStringLiteral("zzz"));
            break;
        case 'a':
        case 'A':
            put(QStringLiteral("ampm"));
            // "AP", "ap", "Ap": the p belongs to the marker.
            if (i + run < n &&
                (qtFormat[i + run] == QLatin1Char('p') || qtFormat[i + run] == QLatin1Char('P')))
                ++run;
            break;
        case 't':
            // The time zone has no place in the desktop's formats; drop it and
            // the space that led to it.
            while (!literal.isEmpty() && literal.back().isSpace())
                literal.chop(1);
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            break;
        default:
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
            break;
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
    void Number(int value, int digits) {
        out_ += QString::number(value).rightJustified(digits, QLatin1Char('0'));
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
    if (level_ >= 2)
        return;
    ++level_;
    char16_t lastToken = ' ';
    const qsizetype n = f.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar starter = f[i];
        const qsizetype start = i++;
        char16_t token = starter.unicode();
        if (token >= 'a' && token <= 'z')
            token = static_cast<char16_t>(token - 'a' + 'A');
        if (token >= 'A' && token <= 'Z') {
            if (token == 'M' && lastToken == 'H')
                token = 'N';
            lastToken = token;
        }
        const auto count = [&] {
            int c = 1;
            while (i < n && f[i] == starter) {
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
            switch (count()) {
            case 1:
                Number(month_, 1);
                break;
            case 2:
                Number(month_, 2);
                break;
            case 3:
                out_ += Name(settings_.ShortMonthNames, month_ - 1);
                break;
            default:
                out_ += Name(settings_.LongMonthNames, month_ - 1);
                break;
            }
            break;
        case 'D':
            switch (count()) {
            case 1:
                Number(day_, 1);
                break;
            case 2:
                Number(day_, 2);
                break;
            case 3:
                out_ += Name(settings_.ShortDayNames, dayOfWeek_ - 1);
                break;
            case 4:
                out_ += Name(settings_.LongDayNames, dayOfWeek_ - 1);
                break;
            case 5:
                Append(settings_.ShortDateFormat);
                break;
            default:
                Append(settings_.LongDateFormat);
                break;
            }
            break;
        case 'H': {
            const int c = count();
            int hour = hour_;
            if (TwelveHourMarkerAhead(f, i)) {
                if (hour == 0)
                    hour = 12;
                else if (hour > 12)
                    hour -= 12;
            }
            Number(hour, c == 1 ? 1 : 2);
            break;
        }
        case 'N':
            Number(min_, count() == 1 ? 1 : 2);
            break;
        case 'S':
            Number(sec_, count() == 1 ? 1 : 2);
            break;
        case 'Z': {
            const int c = count();
            Number(msec_, c >= 3 ? 3 : c);
            break;
        }
        case 'T':
            Append(count() == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat);
            break;
        case 'C':
            count();
            Append(settings_.ShortDateFormat);
            if (hour_ != 0 || min_ != 0 || sec_ != 0) {
                out_ += QLatin1Char(' ');
                Append(settings_.LongTimeFormat);
            }
            break;
        case 'A':
            if (At(f, start, QLatin1StringView("am/pm"))) {
                out_ += f.mid(start + (hour_ >= 12 ? 3 : 0), 2);
                i = start + 5;
            } else if (At(f, start, QLatin1StringView("a/p"))) {
                out_ += f[start + (hour_ >= 12 ? 2 : 0)];
                i = start + 3;
            } else if (At(f, start, QLatin1StringView("ampm"))) {
                out_ += hour_ < 12 ? settings_.TimeAMString : settings_.TimePMString;
                i = start + 4;
            } else {
                out_ += starter;
            }
            break;
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
            while (i < n && f[i] != starter)
                out_ += f[i++];
            if (i < n)
                ++i; // the closing quote
            break;
        default:
            out_ += starter;
            break;
        }
    }
    --level_;
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
