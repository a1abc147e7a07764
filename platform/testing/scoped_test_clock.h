// The clock a test reads: while a TScopedTestClock lives, Now(), Date() and
// Time() return the time it was set to, moved on only by Advance; when it
// goes, the clock is back to what it was before (the real clock, or an outer
// test clock's time).
#pragma once

#include "platform/clock.h"

#include <QtGlobal>
#include <optional>

class TScopedTestClock {
public:
    explicit TScopedTestClock(TDateTime now);
    // The clock at the given local date and time.
    TScopedTestClock(int year, int month, int day, int hour = 0, int min = 0, int sec = 0);
    ~TScopedTestClock();
    TScopedTestClock(const TScopedTestClock&) = delete;
    TScopedTestClock& operator=(const TScopedTestClock&) = delete;

    void Set(TDateTime now);
    void Advance(qint64 msecs);
    TDateTime Current() const;

private:
    std::optional<TDateTime> previous_;
};
