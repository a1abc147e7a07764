// Lock-key states where there is no X server: they follow the presses the
// application sees, once per press, never on auto-repeat.
#include "platform/ui/keyboard_state.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// On an X display the states are the server's; the tracking is not used.
#define SKIP_ON_X_DISPLAY(state)                                                                   \
    if ((state).ReadsIndicators())                                                                 \
    GTEST_SKIP() << "the states come from the X server here"

void Send(QObject* target, QEvent::Type type, Qt::Key key, bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(target, &event);
}

TEST(KeyboardState, OffscreenStatesStartOffAndCanBeSet) {
    TQtKeyboardState state;
    SKIP_ON_X_DISPLAY(state);
    EXPECT_FALSE(state.KeyToggled(VK_CAPITAL));
    EXPECT_FALSE(state.KeyToggled(VK_NUMLOCK));
    EXPECT_FALSE(state.KeyToggled(VK_SCROLL));
    state.SetToggled(VK_NUMLOCK, true);
    EXPECT_TRUE(state.KeyToggled(VK_NUMLOCK));
    EXPECT_FALSE(state.KeyToggled(VK_CAPITAL));
    state.SetToggled(VK_INSERT, true);
    EXPECT_FALSE(state.KeyToggled(VK_INSERT));
}

TEST(KeyboardState, PressPropagatedToParentsTogglesOnce) {
    TQtKeyboardState state;
    SKIP_ON_X_DISPLAY(state);
    QWidget window;
    auto* child = new QWidget(&window); // ignores keys: they go on to the window
    window.show();
    QTest::keyClick(child, Qt::Key_CapsLock);
    EXPECT_TRUE(state.KeyToggled(VK_CAPITAL));
    QTest::keyClick(child, Qt::Key_CapsLock);
    EXPECT_FALSE(state.KeyToggled(VK_CAPITAL));
    QTest::keyClick(child, Qt::Key_ScrollLock);
    EXPECT_TRUE(state.KeyToggled(VK_SCROLL));
    EXPECT_FALSE(state.KeyToggled(VK_NUMLOCK));
}

TEST(KeyboardState, PressThroughTheWindowTogglesOnce) {
    TQtKeyboardState state;
    SKIP_ON_X_DISPLAY(state);
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(window.windowHandle(), Qt::Key_NumLock);
    EXPECT_TRUE(state.KeyToggled(VK_NUMLOCK));
}

TEST(KeyboardState, HeldKeyRepeatingTogglesOnlyOnFirstPress) {
    TQtKeyboardState state;
    SKIP_ON_X_DISPLAY(state);
    QWidget window;
    Send(&window, QEvent::KeyPress, Qt::Key_CapsLock);
    Send(&window, QEvent::KeyRelease, Qt::Key_CapsLock, true);
    Send(&window, QEvent::KeyPress, Qt::Key_CapsLock, true);
    Send(&window, QEvent::KeyPress, Qt::Key_CapsLock, true);
    Send(&window, QEvent::KeyRelease, Qt::Key_CapsLock);
    EXPECT_TRUE(state.KeyToggled(VK_CAPITAL));
}

TEST(KeyboardState, ReleaseLostWhileInactiveDoesNotSwallowTheNextPress) {
    TQtKeyboardState state;
    SKIP_ON_X_DISPLAY(state);
    QWidget window;
    Send(&window, QEvent::KeyPress, Qt::Key_CapsLock);
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &deactivate);
    Send(&window, QEvent::KeyPress, Qt::Key_CapsLock);
    EXPECT_FALSE(state.KeyToggled(VK_CAPITAL));
}

TEST(KeyboardState, ServiceQueryIsFalseWithoutAService) {
    ASSERT_EQ(KeyboardState(), nullptr);
    EXPECT_FALSE(KeyToggled(VK_CAPITAL));
    TQtKeyboardState state;
    SKIP_ON_X_DISPLAY(state);
    state.SetToggled(VK_CAPITAL, true);
    TKeyboardState* previous = SetKeyboardState(&state);
    EXPECT_TRUE(KeyToggled(VK_CAPITAL));
    SetKeyboardState(previous);
}

// Runs on an X display only (the offscreen suite skips it):
//   xvfb-run -a env QT_QPA_PLATFORM=xcb platform_ui_tests --gtest_filter='KeyboardStateX11*'
TEST(KeyboardStateX11, FollowsTheServersIndicatorsChangedOutsideTheProgram) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X display";
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty())
        GTEST_SKIP() << "needs xdotool";
    TQtKeyboardState state;
    ASSERT_TRUE(state.ReadsIndicators());
    const bool before = state.KeyToggled(VK_CAPITAL);
    ASSERT_EQ(QProcess::execute(xdotool, {QStringLiteral("key"), QStringLiteral("Caps_Lock")}), 0);
    EXPECT_NE(state.KeyToggled(VK_CAPITAL), before);
    ASSERT_EQ(QProcess::execute(xdotool, {QStringLiteral("key"), QStringLiteral("Caps_Lock")}), 0);
    EXPECT_EQ(state.KeyToggled(VK_CAPITAL), before);
}

} // namespace
