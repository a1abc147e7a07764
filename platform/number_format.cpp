// Pattern formatting of numbers.
#include "platform/number_format.h"

#include "platform/date_time_format.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace {

bool IsPlaceholder(QChar c) {
    return c == QLatin1Char('0') || c == QLatin1Char('#');
}

// Splits at ";" outside quotes.
QStringList Sections(const QString& pattern) {
    QStringList sections(QString{});
    QChar quote;
    for (QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            sections << QString();
            continue;
        }
        sections.last() += c;
    }
    return sections;
}

struct TNumberPattern {
    QString Prefix;
    QString Suffix;
    int MinIntegerDigits = 0;
    int MinDecimals = 0;
    int MaxDecimals = 0;
    bool Thousands = false;
    bool HasNumber = false;
};

TNumberPattern Parse(const QString& section) {
    TNumberPattern p;
    bool inFraction = false;
    bool afterNumber = false;
    QChar quote;
    int fractionPlace = 0;
    for (QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                (p.HasNumber ? p.Suffix : p.Prefix) += c;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            continue;
        }
        const bool numeric = !afterNumber && (IsPlaceholder(c) || c == QLatin1Char('.') ||
                                              (c == QLatin1Char(',') && !inFraction));
        if (!numeric) {
            if (p.HasNumber)
                afterNumber = true;
            (p.HasNumber ? p.Suffix : p.Prefix) += c;
            continue;
        }
        p.HasNumber = true;
        if (c == QLatin1Char('.')) {
            inFraction = true;
        } else if (c == QLatin1Char(',')) {
            p.Thousands = true;
        } else if (inFraction) {
            ++fractionPlace;
            p.MaxDecimals = fractionPlace;
            if (c == QLatin1Char('0'))
                p.MinDecimals = fractionPlace;
        } else if (c == QLatin1Char('0')) {
            ++p.MinIntegerDigits;
        }
    }
    return p;
}

QString Digits(const TNumberPattern& p, double value) {
    const QChar decimal = FormatSettings().DecimalSeparator;
    const QChar thousands = decimal == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
    QString text = QString::number(std::fabs(value), 'f', p.MaxDecimals);
    QString integer = text.section(QLatin1Char('.'), 0, 0);
    QString fraction = text.section(QLatin1Char('.'), 1);
    while (fraction.size() > p.MinDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integer == QLatin1String("0") && p.MinIntegerDigits == 0)
        integer.clear();
    while (integer.size() < p.MinIntegerDigits)
        integer.prepend(QLatin1Char('0'));
    if (p.Thousands)
        for (qsizetype at = integer.size() - 3; at > 0; at -= 3)
            integer.insert(at, thousands);
    return fraction.isEmpty() ? integer : integer + decimal + fraction;
}

} // namespace

QString FormatFloat(const QString& pattern, double value) {
    if (!std::isfinite(value))
        return QString::number(value);
    if (pattern.isEmpty())
        return QString::number(value, 'g', 15)
            .replace(QLatin1Char('.'), FormatSettings().DecimalSeparator);
    const QStringList sections = Sections(pattern);
    QString section = sections.first();
    bool minus = value < 0;
    if (value < 0 && sections.size() > 1 && !sections.at(1).isEmpty()) {
        section = sections.at(1);
        minus = false;
    } else if (value == 0 && sections.size() > 2 && !sections.at(2).isEmpty()) {
        section = sections.at(2);
    }
    const TNumberPattern p = Parse(section);
    if (!p.HasNumber)
        return p.Prefix;
    const QString digits = Digits(p, value);
    // The sign leads the whole text; a value that rounds to zero has none.
    const bool sign = minus && digits.contains(QRegularExpression(QStringLiteral("[1-9]")));
    return (sign ? QStringLiteral("-") : QString()) + p.Prefix + digits + p.Suffix;
}
