#include "platform/clock.h"

#include "platform/exceptions.h"

#include <gtest/gtest.h>

#include <QDateTime>

namespace {

TEST(Clock, EncodesDaysSinceTheEpoch) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2024, 2, 29), 45351.0);
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0), 0.5);
    EXPECT_THROW(EncodeDate(2023, 2, 29), Exception);
    EXPECT_THROW(EncodeTime(24, 0, 0), Exception);
}

TEST(Clock, DecodesAndRoundsToTheMillisecond) {
    const TDateTime value = EncodeDate(2024, 3, 5) + EncodeTime(23, 59, 59, 999);
    int y, m, d, h, n, s, ms;
    DecodeDate(value, y, m, d);
    DecodeTime(value, h, n, s, ms);
    EXPECT_EQ((std::vector<int>{y, m, d, h, n, s, ms}),
              (std::vector<int>{2024, 3, 5, 23, 59, 59, 999}));
    // A hair short of midnight rounds to the next day.
    DecodeDate(EncodeDate(2024, 3, 5) + 0.99999999999, y, m, d);
    EXPECT_EQ(d, 6);
}

TEST(Clock, TimeBeforeTheEpochCountsForwardFromMidnight) {
    const TDateTime value = ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0));
    EXPECT_DOUBLE_EQ(value, -1.25);
    int h, n, s, ms;
    DecodeTime(value, h, n, s, ms);
    EXPECT_EQ(h, 6);
    EXPECT_DOUBLE_EQ(DateOf(value), -1.0);
    EXPECT_DOUBLE_EQ(TimeOf(value), 0.25);
}

TEST(Clock, ConvertsToAndFromQDateTime) {
    const QDateTime qt(QDate(2023, 7, 14), QTime(8, 30, 15, 250));
    const TDateTime value = FromQDateTime(qt);
    EXPECT_DOUBLE_EQ(value, EncodeDate(2023, 7, 14) + EncodeTime(8, 30, 15, 250));
    EXPECT_EQ(ToQDateTime(value), qt);
    EXPECT_EQ(ToQDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
}

TEST(Clock, TestClockIsSetAdvancedAndCleared) {
    SetTestClock(EncodeDate(2024, 12, 31) + EncodeTime(23, 59, 59));
    EXPECT_TRUE(TestClockActive());
    EXPECT_DOUBLE_EQ(Now(), EncodeDate(2024, 12, 31) + EncodeTime(23, 59, 59));
    AdvanceTestClock(1500);
    EXPECT_DOUBLE_EQ(Date(), EncodeDate(2025, 1, 1));
    EXPECT_DOUBLE_EQ(Time(), EncodeTime(0, 0, 0, 500));
    ClearTestClock();
    EXPECT_FALSE(TestClockActive());
    const TDateTime real = FromQDateTime(QDateTime::currentDateTime());
    EXPECT_NEAR(Now(), real, 1.0 / 24);
}

TEST(Clock, AdvancingIsExactOverManySteps) {
    SetTestClock(EncodeDate(2024, 1, 1));
    for (int i = 0; i < 86400; ++i)
        AdvanceTestClock(1000);
    EXPECT_EQ(Now(), EncodeDate(2024, 1, 2));
    ClearTestClock();
}

} // namespace
