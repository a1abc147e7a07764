// The scoped test clock over the platform's settable clock.
#include "platform/testing/scoped_test_clock.h"

TScopedTestClock::TScopedTestClock(TDateTime now) {
    if (TestClockActive())
        previous_ = Now();
    SetTestClock(now);
}

TScopedTestClock::TScopedTestClock(int year, int month, int day, int hour, int min, int sec)
    : TScopedTestClock(ComposeDateTime(EncodeDate(year, month, day), EncodeTime(hour, min, sec))) {}

TScopedTestClock::~TScopedTestClock() {
    if (previous_)
        SetTestClock(*previous_);
    else
        ClearTestClock();
}

void TScopedTestClock::Set(TDateTime now) {
    SetTestClock(now);
}

void TScopedTestClock::Advance(qint64 msecs) {
    AdvanceTestClock(msecs);
}

TDateTime TScopedTestClock::Current() const {
    return Now();
}
