// Regional settings and the desktop's date and time pattern language.
//
// The settings come from the system locale (QLocale::system()), with Qt's
// format strings translated into the pattern language below. The neutral C
// and POSIX locales express no regional preference; as every text of the
// program is Brazilian Portuguese, they get the Brazilian settings:
// short date dd/mm/yyyy, long date dddd, d "de" mmmm "de" yyyy, short time
// hh:nn, long time hh:nn:ss, separators / and :, AM/PM, decimal comma, and
// Portuguese month and day names. Tests fix the settings with
// SetFormatSettings.
//
// Pattern language of FormatDateTime (letters in either case; a run of the
// same character is one specifier):
//   c       short date, then a space and the long time unless hour, minute
//           and second are all zero
//   d dd    day of month, without / with a leading zero
//   ddd dddd  short / long day name;  ddddd  short date;  dddddd  long date
//   m mm    month, without / with a leading zero; right after an h or hh
//           specifier (only other characters between) it means minutes
//   mmm mmmm  short / long month name
//   yy yyyy two- / four-digit year
//   h hh    hour (12-hour when am/pm, a/p or ampm follows later in the pattern)
//   n nn    minute;  s ss  second;  z zzz  millisecond
//   t tt    short / long time
//   am/pm a/p  "am"/"pm" ("a"/"p") in the case written;  ampm  TimeAMString
//           or TimePMString
//   /  :    the regional date and time separators
//   '...' "..."  literal text;  anything else is copied
// An empty pattern means "c". Nested formats (c, ddddd, t ...) expand at most
// two levels deep, so settings that name themselves cannot loop.
#pragma once

#include "platform/clock.h"

#include <QChar>
#include <QString>
#include <QStringList>

class QLocale;

struct TFormatSettings {
    QString ShortDateFormat;
    QString LongDateFormat;
    QString ShortTimeFormat;
    QString LongTimeFormat;
    QChar DateSeparator;
    QChar TimeSeparator;
    QString TimeAMString;
    QString TimePMString;
    QChar DecimalSeparator;
    QStringList ShortMonthNames; // 12, January first
    QStringList LongMonthNames;
    QStringList ShortDayNames; // 7, Sunday first
    QStringList LongDayNames;

    // The settings of a locale (the Brazilian ones for C and POSIX).
    static TFormatSettings FromLocale(const QLocale& locale);
};

// The settings in force: the override if set, else the system locale's.
TFormatSettings FormatSettings();
// Overrides the settings for the whole process (tests).
void SetFormatSettings(const TFormatSettings& settings);
// Drops the override and reads the system locale again.
void ResetFormatSettings();

// Translates a Qt date/time format string into the pattern language, taking
// dateSeparator and timeSeparator as the characters that become / and :.
QString PatternFromQtFormat(const QString& qtFormat, QChar dateSeparator, QChar timeSeparator);

QString FormatDateTime(const QString& pattern, TDateTime value);
QString FormatDateTime(const QString& pattern, TDateTime value, const TFormatSettings& settings);

// The short date; the long time; "c".
QString DateToStr(TDateTime value);
QString TimeToStr(TDateTime value);
QString DateTimeToStr(TDateTime value);
