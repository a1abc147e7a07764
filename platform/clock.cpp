// Arithmetic on TDateTime goes through a linear millisecond count (days times
// MSecsPerDay plus the time of day), which sidesteps the sign rule before the
// epoch; the test clock is held the same way so that advancing it never
// drifts.
#include "platform/clock.h"

#include "platform/exceptions.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <mutex>
#include <optional>

namespace {

const QDate& Epoch() {
    static const QDate epoch(1899, 12, 30);
    return epoch;
}

struct TParts {
    qint64 Days;  // calendar days since the epoch
    qint64 MSecs; // milliseconds since midnight, 0 .. MSecsPerDay - 1
};

// The same rounding as the desktop: the whole value to milliseconds, then
// split; the time of day is the magnitude of the remainder.
TParts Split(TDateTime value) {
    // Beyond a billion days (far outside any calendar) the value is garbage;
    // it reads as the epoch rather than overflowing the millisecond count.
    if (!std::isfinite(value) || std::fabs(value) > 1e9)
        return {0, 0};
    const qint64 total = std::llround(value * MSecsPerDay);
    const qint64 days = total / MSecsPerDay;
    const qint64 msecs = total % MSecsPerDay;
    return {days, msecs < 0 ? -msecs : msecs};
}

TDateTime Join(qint64 days, qint64 msecs) {
    const double time = static_cast<double>(msecs) / MSecsPerDay;
    return days < 0 ? static_cast<double>(days) - time : static_cast<double>(days) + time;
}

qint64 ToLinear(TDateTime value) {
    const TParts parts = Split(value);
    return parts.Days * MSecsPerDay + parts.MSecs;
}

TDateTime FromLinear(qint64 linear) {
    qint64 days = linear / MSecsPerDay;
    qint64 msecs = linear % MSecsPerDay;
    if (msecs < 0) {
        msecs += MSecsPerDay;
        --days;
    }
    return Join(days, msecs);
}

std::mutex& ClockMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<qint64>& TestClock() {
    static std::optional<qint64> clock;
    return clock;
}

} // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day))
        return false;
    result = static_cast<double>(Epoch().daysTo(QDate(year, month, day)));
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result) {
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 ||
        msec >= 1000)
        return false;
    result = static_cast<double>(((hour * 60 + min) * 60 + sec) * 1000 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result = 0;
    if (!TryEncodeDate(year, month, day, result))
        throw Exception(QStringLiteral("Data inválida: %1-%2-%3").arg(year).arg(month).arg(day));
    return result;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime result = 0;
    if (!TryEncodeTime(hour, min, sec, msec, result))
        throw Exception(
            QStringLiteral("Hora inválida: %1:%2:%3.%4").arg(hour).arg(min).arg(sec).arg(msec));
    return result;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
    const TParts d = Split(date);
    const TParts t = Split(time);
    return Join(d.Days, t.MSecs);
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    const QDate date = Epoch().addDays(Split(value).Days);
    year = date.year();
    month = date.month();
    day = date.day();
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec) {
    const qint64 ms = Split(value).MSecs;
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime value) {
    // Qt counts Monday 1 ... Sunday 7.
    return Epoch().addDays(Split(value).Days).dayOfWeek() % 7 + 1;
}

TDateTime DateOf(TDateTime value) {
    return static_cast<double>(Split(value).Days);
}

TDateTime TimeOf(TDateTime value) {
    return static_cast<double>(Split(value).MSecs) / MSecsPerDay;
}

QDateTime ToQDateTime(TDateTime value) {
    const TParts parts = Split(value);
    return QDateTime(Epoch().addDays(parts.Days),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(parts.MSecs)));
}

TDateTime FromQDateTime(const QDateTime& value) {
    if (!value.isValid())
        return 0;
    return Join(Epoch().daysTo(value.date()), value.time().msecsSinceStartOfDay());
}

TDateTime Now() {
    {
        const std::lock_guard lock(ClockMutex());
        if (TestClock())
            return FromLinear(*TestClock());
    }
    return FromQDateTime(QDateTime::currentDateTime());
}

TDateTime Date() {
    return DateOf(Now());
}

TDateTime Time() {
    return TimeOf(Now());
}

void SetTestClock(TDateTime value) {
    const std::lock_guard lock(ClockMutex());
    TestClock() = ToLinear(value);
}

void AdvanceTestClock(qint64 msecs) {
    const std::lock_guard lock(ClockMutex());
    if (TestClock())
        *TestClock() += msecs;
}

void ClearTestClock() {
    const std::lock_guard lock(ClockMutex());
    TestClock().reset();
}

bool TestClockActive() {
    const std::lock_guard lock(ClockMutex());
    return TestClock().has_value();
}
