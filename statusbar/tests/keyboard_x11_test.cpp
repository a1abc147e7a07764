// Key-lock panels on a real X server, whose lock states are its own: the
// keys are pressed through the server (xdotool), so a lock switches on as
// its key goes down and off only as it comes up, as on a desktop.
#include "statusbar/ex_status_bar.h"

#include "platform/ui/keyboard_state.h"
#include "statusbar/tests/bar_fixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <functional>
#include <gtest/gtest.h>

namespace {

// "keydown", "keyup" or "key" (both) through the server.
bool OnServer(const char* action, const QString& keysym) {
    return QProcess::execute(QStringLiteral("xdotool"), {QString::fromLatin1(action), keysym}) == 0;
}

// Runs the event loop until `done` holds, for at most two seconds.
bool WaitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(2000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace

TEST(KeyLockOnX, PanelsShowOffOnceTheLockIsSwitchedOff) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs a real X server";
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "needs xdotool";
    TQtKeyboardState state;
    ASSERT_TRUE(state.ReadsIndicators());
    TKeyboardState* previous = SetKeyboardState(&state);
    {
        auto bar = MakeBar();
        bar->Panels().Add()->SetPanelType(sptCapsLock);
        bar->Panels().Add()->SetPanelType(sptNumLock);
        bar->show();
        bar->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(bar.get()));
        const struct {
            int Panel;
            int Vk;
            const char* Keysym;
        } locks[] = {{0, VK_CAPITAL, "Caps_Lock"}, {1, VK_NUMLOCK, "Num_Lock"}};
        for (const auto& lock : locks) {
            SCOPED_TRACE(lock.Keysym);
            const QString keysym = QString::fromLatin1(lock.Keysym);
            auto shownOn = [&] {
                return CountColor(PanelInside(*bar, lock.Panel), clWindowText) > 5;
            };
            auto shownOff = [&] {
                const QImage inside = PanelInside(*bar, lock.Panel);
                return CountColor(inside, clGrayText) > 5 && CountColor(inside, clWindowText) == 0;
            };
            if (state.KeyToggled(lock.Vk)) {
                ASSERT_TRUE(OnServer("key", keysym)); // start from off
            }
            // Held down until the program has seen it go down, as a person
            // holds a key: on shows while it is down.
            ASSERT_TRUE(OnServer("keydown", keysym));
            EXPECT_TRUE(WaitFor(shownOn));
            ASSERT_TRUE(OnServer("keyup", keysym));
            EXPECT_TRUE(state.KeyToggled(lock.Vk));
            const int paints = bar->PaintCount(lock.Panel);
            ASSERT_TRUE(OnServer("keydown", keysym));
            EXPECT_TRUE(WaitFor([&] { return bar->PaintCount(lock.Panel) > paints; }));
            ASSERT_TRUE(OnServer("keyup", keysym));
            EXPECT_TRUE(WaitFor(shownOff));
        }
    }
    SetKeyboardState(previous);
}
