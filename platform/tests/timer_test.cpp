#include "platform/timer.h"

#include "platform/dispatch.h"
#include "platform/exceptions.h"
#include "platform/tests/core_application.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>

namespace {

TEST(Timer, FireRunsOnTimerThroughDispatch) {
    CoreApplication();
    QStringList reported;
    SetExceptionHandler([&](const QString& message) { reported << message; });
    TTimer timer;
    int ticks = 0;
    timer.OnTimer = [&] {
        ++ticks;
        throw Exception(QStringLiteral("tique"));
    };
    EXPECT_TRUE(timer.Fire());
    EXPECT_TRUE(timer.Fire());
    SetExceptionHandler({});
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(reported, (QStringList{QStringLiteral("tique"), QStringLiteral("tique")}));
}

TEST(Timer, InactiveTimerDoesNotFire) {
    CoreApplication();
    TTimer timer;
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Fire());
    timer.SetEnabled(true);
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Active());
    EXPECT_FALSE(timer.Fire());
    EXPECT_EQ(ticks, 0);
}

TEST(Timer, TicksFromTheEventLoop) {
    CoreApplication();
    TTimer timer;
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetInterval(1);
    const QDeadlineTimer deadline(10000);
    while (ticks < 3 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(ticks, 3);
}

TEST(Timer, HandlerMayFreeItsTimer) {
    CoreApplication();
    auto timer = std::make_unique<TTimer>();
    timer->SetInterval(1);
    timer->OnTimer = [&] { timer.reset(); };
    const QDeadlineTimer deadline(10000);
    while (timer && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(timer, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
