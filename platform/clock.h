// Dates and times as the desktop kept them, and the clock the program reads.
//
// A TDateTime is a double: the whole part counts days since 30 December 1899
// (negative before it), the fraction is the time of day (0.5 is noon). Before
// the epoch the fraction still counts forward from midnight: -1.25 is
// 29 December 1899 06:00. Values are local time, with no zone attached; the
// saved-report header stores them as they are.
//
// Now() reads the system clock unless a test clock is set; a test sets the
// time once and advances it by hand, so nothing depends on the real time.
#pragma once

#include <QtGlobal>

class QDateTime;

using TDateTime = double;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = HoursPerDay * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;

// False (result untouched) for a date or time outside the calendar/clock.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
// As above, raising Exception for an invalid argument.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec = 0);
// Date part plus time part, with the sign rule above.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

// Decoding rounds to the millisecond.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);

// Conversions to and from Qt's type, in local time.
QDateTime ToQDateTime(TDateTime value);
TDateTime FromQDateTime(const QDateTime& value);

// The current local date and time, today's date, the current time of day.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// The test clock: once set, Now() returns it until it is cleared.
void SetTestClock(TDateTime value);
void AdvanceTestClock(qint64 msecs);
void ClearTestClock();
bool TestClockActive();
