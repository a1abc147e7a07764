// The clock of a bar: the timer panel list, its intervals, the date and
// time texts and what a tick repaints.
#include "statusbar/ex_status_panels.h"

#include "platform/timer.h"
#include "statusbar/tests/bar_fixture.h"

#include <gtest/gtest.h>

namespace {

TExStatusPanel* AddPanel(TExStatusBar& bar, TExStatusPanelType type) {
    TExStatusPanel* p = bar.Panels().Add();
    p->SetWidth(100);
    p->SetPanelType(type);
    return p;
}

} // namespace

TEST(ClockTimer, DateOnlyTicksEveryMinuteAndATimePanelMakesItEverySecond) {
    TFixedClock clock(2024, 5, 17, 10, 30, 0);
    auto bar = MakeBar();
    AddPanel(*bar, sptDate);
    ASSERT_NE(bar->Panels().ClockTimer(), nullptr);
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 60000);
    TExStatusPanel* time = AddPanel(*bar, sptTime);
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 1000);
    time->SetPanelType(sptNormal);
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 60000);
    EXPECT_EQ(bar->Panels().TimerPanels().size(), 1u);
}

TEST(ClockTimer, MainWindowTimeThenDateKeepsOneSecond) {
    TFixedClock clock(2024, 5, 17, 10, 30, 0);
    auto bar = MakeMainWindowBar();
    ASSERT_NE(bar->Panels().ClockTimer(), nullptr);
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 1000);
    EXPECT_TRUE(bar->Panels().ClockTimer()->Enabled());
    EXPECT_EQ(bar->Panels()[0]->Text(), QStringLiteral("10:30:00"));
    EXPECT_EQ(bar->Panels()[1]->Text(), QStringLiteral("17/05/2024"));
}

TEST(ClockTimer, DisablingTheOnlyTimedPanelFreesTheTimerAndEnablingMakesANewOne) {
    TFixedClock clock(2024, 5, 17, 10, 30, 0);
    auto bar = MakeBar();
    TExStatusPanel* date = AddPanel(*bar, sptDate);
    const int registrations = TimerRegistrationCount();
    date->SetEnabled(false);
    EXPECT_EQ(bar->Panels().ClockTimer(), nullptr);
    EXPECT_EQ(TimerRegistrationCount(), registrations - 1);
    clock.Set(2024, 5, 20, 8, 0, 0);
    date->SetEnabled(true);
    ASSERT_NE(bar->Panels().ClockTimer(), nullptr);
    EXPECT_EQ(bar->Panels().LastDate(), EncodeDate(2024, 5, 20));
    EXPECT_EQ(TimerRegistrationCount(), registrations);
}

TEST(ClockTimer, RegistrationsBalanceWhenTheBarGoes) {
    const int before = TimerRegistrationCount();
    {
        TFixedClock clock(2024, 5, 17, 10, 30, 0);
        auto bar = MakeMainWindowBar();
        EXPECT_EQ(TimerRegistrationCount(), before + 2);
    }
    EXPECT_EQ(TimerRegistrationCount(), before);
}

TEST(ClockTimer, DatePanelChangesOnceAcrossMidnight) {
    TFixedClock clock(2024, 12, 31, 23, 59, 59);
    auto bar = MakeBar();
    TExStatusPanel* date = AddPanel(*bar, sptDate);
    AddPanel(*bar, sptTime);
    EXPECT_EQ(date->Text(), QStringLiteral("31/12/2024"));
    bar->Panels().ClockTimer()->Fire();
    EXPECT_EQ(date->Text(), QStringLiteral("31/12/2024"));
    bar->ResetCounters();
    clock.Set(2025, 1, 1, 0, 0, 1);
    bar->Panels().ClockTimer()->Fire();
    EXPECT_EQ(date->Text(), QStringLiteral("01/01/2025"));
    const int paints = bar->PaintCount(0);
    EXPECT_GT(paints, 0);
    clock.Set(2025, 1, 1, 0, 0, 2);
    bar->Panels().ClockTimer()->Fire();
    EXPECT_EQ(bar->PaintCount(0), paints); // the same day: not reformatted
    EXPECT_EQ(bar->Panels().LastDate(), EncodeDate(2025, 1, 1));
}

TEST(ClockTimer, TimePanelFollowsTheClockEachTick) {
    TFixedClock clock(2024, 5, 17, 10, 30, 0);
    auto bar = MakeBar();
    TExStatusPanel* time = AddPanel(*bar, sptTime);
    clock.Set(2024, 5, 17, 10, 30, 1);
    bar->Panels().ClockTimer()->Fire();
    EXPECT_EQ(time->Text(), QStringLiteral("10:30:01"));
}

TEST(ClockTimer, TimeWithoutSecondsIsNotRepaintedWhenItsTextStays) {
    TFixedClock clock(2024, 5, 17, 10, 30, 0);
    auto bar = MakeBar();
    TExStatusPanel* time = AddPanel(*bar, sptTime);
    time->SetTimeFormat(QStringLiteral("hh:nn"));
    EXPECT_EQ(time->Text(), QStringLiteral("10:30"));
    bar->ResetCounters();
    clock.Set(2024, 5, 17, 10, 30, 1);
    bar->Panels().ClockTimer()->Fire();
    EXPECT_EQ(bar->PaintCount(0), 0);
}

TEST(ClockTimer, ChangingTheFormatChangesTheTextAtOnce) {
    TFixedClock clock(2024, 5, 17, 10, 30, 45);
    auto bar = MakeBar();
    TExStatusPanel* date = AddPanel(*bar, sptDate);
    date->SetDateFormat(QStringLiteral("yyyy-mm-dd"));
    EXPECT_EQ(date->Text(), QStringLiteral("2024-05-17"));
    TExStatusPanel* normal = AddPanel(*bar, sptNormal);
    normal->SetTimeFormat(QStringLiteral("hh"));
    EXPECT_TRUE(normal->Text().isEmpty()); // other panels get no computed text
}

TEST(ClockTimer, DateTimeShowsTimeSpaceDate) {
    TFixedClock clock(2024, 5, 17, 9, 5, 7);
    auto bar = MakeBar();
    TExStatusPanel* both = AddPanel(*bar, sptDateTime);
    EXPECT_EQ(both->Text(), QStringLiteral("09:05:07 17/05/2024"));
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 1000);
}

TEST(ClockTimer, StoredTextOfADatePanelIsReplacedWhenLoadingEnds) {
    TFixedClock clock(2024, 5, 17, 12, 54, 44);
    auto bar = MakeBar();
    bar->BeginLoad();
    TExStatusPanel* date = bar->Panels().Add();
    date->SetPanelType(sptDate);
    date->SetText(QStringLiteral("20/01/2000"));
    bar->EndLoad();
    EXPECT_EQ(date->Text(), QStringLiteral("17/05/2024"));
}

TEST(ClockTimer, AnimatedGaugeRunsAtFiftyAndPercentFreesTheTimer) {
    auto bar = MakeBar();
    TExStatusPanel* gauge = AddPanel(*bar, sptGauge);
    EXPECT_EQ(bar->Panels().ClockTimer(), nullptr); // a percent gauge is not timed
    gauge->GaugeAttrs()->SetStyle(gsIndeterminate);
    ASSERT_NE(bar->Panels().ClockTimer(), nullptr);
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 50);
    gauge->GaugeAttrs()->SetStyle(gsPercent);
    EXPECT_EQ(bar->Panels().ClockTimer(), nullptr);
}

TEST(ClockTimer, LeavingWalksTheListForTheFastestNeed) {
    TFixedClock clock(2024, 5, 17, 10, 30, 0);
    auto bar = MakeBar();
    AddPanel(*bar, sptDate);
    TExStatusPanel* gauge = AddPanel(*bar, sptGauge);
    gauge->GaugeAttrs()->SetStyle(gsIndeterminate2);
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 50);
    TExStatusPanel* time = AddPanel(*bar, sptTime);
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 50);
    gauge->SetEnabled(false);
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 1000);
    time->SetEnabled(false);
    EXPECT_EQ(bar->Panels().ClockTimer()->Interval(), 60000);
}

TEST(ClockTimer, TickAdvancesAnimatedGauges) {
    auto bar = MakeBar();
    TExStatusPanel* gauge = AddPanel(*bar, sptGauge);
    gauge->GaugeAttrs()->SetStyle(gsIndeterminate);
    const int offset = gauge->AnimationOffset();
    bar->Panels().ClockTimer()->Fire();
    EXPECT_EQ(gauge->AnimationOffset(), offset + gauge->AnimationStep());
}
