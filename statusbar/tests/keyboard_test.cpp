// Key-lock panels: drawing by toggle state, the keyboard hook and the
// activation watch, and the keyboard monitor library.
#include "statusbar/ex_status_bar.h"

#include "platform/testing/exception_message.h"
#include "platform/ui/keyboard_state.h"
#include "statusbar/ex_assert.h"
#include "statusbar/kb_monitor.h"
#include "statusbar/keyboard_watch.h"
#include "statusbar/tests/bar_fixture.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>

#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A key event as the desktop delivers it (to the window first); the hook's
// repaints follow once the event loop comes round.
void SendKey(QWindow* window, QEvent::Type type, int key, bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(window, &event);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// A shown bar with a Caps Lock panel (0), a Num Lock panel (1) and a filler.
std::unique_ptr<TTestExStatusBar> LockBar() {
    auto bar = MakeBar();
    bar->Panels().Add()->SetPanelType(sptCapsLock);
    bar->Panels().Add()->SetPanelType(sptNumLock);
    bar->Panels().Add();
    bar->show();
    return bar;
}

bool Watched(const TExStatusPanel* panel) {
    const auto& panels = keyboardwatch::Panels();
    return std::find(panels.begin(), panels.end(), panel) != panels.end();
}

// Points the monitor library's name elsewhere for one test.
class TLibraryName {
public:
    explicit TLibraryName(const QString& name) : previous_(exkb::LibraryName()) {
        exkb::SetLibraryName(name);
    }
    ~TLibraryName() { exkb::SetLibraryName(previous_); }

private:
    QString previous_;
};

// The library by its desktop name, in the folder it was built in.
class TBuiltLibrary : public TLibraryName {
public:
    TBuiltLibrary() : TLibraryName(QStringLiteral(EXKBMON_DIR "/ExKbMon.dll")) {}
};

} // namespace

TEST(KeyLockDrawing, LockOnUsesTheFontColourAndOffGreyText) {
    TScriptedKeyboard keyboard;
    auto bar = LockBar();
    keyboard.toggled[VK_CAPITAL] = false;
    bar->Panels()[0]->Redraw();
    QImage inside = PanelInside(*bar, 0);
    EXPECT_EQ(CountColor(inside, clWindowText), 0);
    EXPECT_GT(CountColor(inside, clGrayText), 5);
    keyboard.toggled[VK_CAPITAL] = true;
    bar->Panels()[0]->Redraw();
    inside = PanelInside(*bar, 0);
    EXPECT_GT(CountColor(inside, clWindowText), 5);
    EXPECT_EQ(CountColor(inside, clGrayText), 0);
}

TEST(KeyLockHook, HoldingCapsLockRepaintsItsPanelOnDownAndUpOnly) {
    TScriptedKeyboard keyboard;
    auto bar = LockBar();
    bar->ResetCounters();
    QWindow* window = bar->windowHandle();
    ASSERT_NE(window, nullptr);
    SendKey(window, QEvent::KeyPress, Qt::Key_CapsLock);
    for (int i = 0; i < 5; ++i)
        SendKey(window, QEvent::KeyPress, Qt::Key_CapsLock, true);
    EXPECT_EQ(bar->PaintCount(0), 1);
    SendKey(window, QEvent::KeyRelease, Qt::Key_CapsLock);
    EXPECT_EQ(bar->PaintCount(0), 2);
    EXPECT_EQ(bar->PaintCount(1), 0); // the Num Lock panel is not concerned
}

TEST(KeyLockHook, RepaintShowsTheStateTheKeyJustToggled) {
    TQtKeyboardState state; // its filter is installed before the bar's hook
    if (state.ReadsIndicators())
        GTEST_SKIP() << "the states come from a real X server";
    TKeyboardState* previous = SetKeyboardState(&state);
    auto bar = LockBar();
    ASSERT_GT(CountColor(PanelInside(*bar, 0), clGrayText), 5);
    SendKey(bar->windowHandle(), QEvent::KeyPress, Qt::Key_CapsLock);
    SendKey(bar->windowHandle(), QEvent::KeyRelease, Qt::Key_CapsLock);
    EXPECT_TRUE(state.KeyToggled(20));
    EXPECT_GT(CountColor(PanelInside(*bar, 0), clWindowText), 5);
    EXPECT_EQ(CountColor(PanelInside(*bar, 0), clGrayText), 0);
    bar.reset();
    SetKeyboardState(previous);
}

TEST(KeyLockHook, HookLivesWhileKeyLockPanelsAreTracked) {
    TScriptedKeyboard keyboard;
    {
        auto bar = LockBar();
        EXPECT_TRUE(keyboardwatch::HookInstalled());
        EXPECT_TRUE(bar->HookedIntoMainWindow());
        EXPECT_EQ(bar->ActivationWatch().size(), 2u);
        bar->Panels()[0]->SetEnabled(false);
        EXPECT_FALSE(Watched(bar->Panels()[0]));
        bar->SetEnabled(false); // the panel disabled on its own is not withdrawn again
        EXPECT_TRUE(bar->ActivationWatch().empty());
        EXPECT_FALSE(bar->HookedIntoMainWindow());
        bar->SetEnabled(true);
        EXPECT_EQ(bar->ActivationWatch().size(), 1u);
        bar->Panels()[1]->SetPanelType(sptNormal);
        EXPECT_TRUE(bar->ActivationWatch().empty());
    }
    EXPECT_FALSE(keyboardwatch::HookInstalled());
}

TEST(KeyLockHook, ComingBackFromAnotherProgramRepaintsEveryKeyLockPanel) {
    TScriptedKeyboard keyboard;
    auto bar = LockBar();
    bar->ResetCounters();
    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &inactive);
    EXPECT_TRUE(keyboardwatch::RefreshAll());
    QCoreApplication::sendPostedEvents(bar.get());
    EXPECT_EQ(bar->PaintCount(0), 1); // message 0x80E6
    EXPECT_EQ(bar->PaintCount(1), 1);
    QApplicationStateChangeEvent active(Qt::ApplicationActive);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &active);
    QCoreApplication::sendPostedEvents(bar.get());
    EXPECT_EQ(bar->PaintCount(0), 2);
    // The first key event afterwards, whatever the key, repaints them all.
    SendKey(bar->windowHandle(), QEvent::KeyPress, Qt::Key_A);
    EXPECT_FALSE(keyboardwatch::RefreshAll());
    EXPECT_EQ(bar->PaintCount(0), 3);
    EXPECT_EQ(bar->PaintCount(1), 3);
    SendKey(bar->windowHandle(), QEvent::KeyPress, Qt::Key_B);
    EXPECT_EQ(bar->PaintCount(0), 3);
}

TEST(KeyLockLibrary, MissingLibraryLeavesHookMode) {
    TScriptedKeyboard keyboard;
    TLibraryName name(QStringLiteral("NoSuchKbMon.dll"));
    auto bar = LockBar();
    bar->SetUseMonitorDLL(true);
    EXPECT_FALSE(bar->UseMonitorDLL());
    EXPECT_FALSE(exkb::MonitorLoaded());
    EXPECT_TRUE(Watched(bar->Panels()[0]));
    EXPECT_EQ(bar->LibraryUsers(), 0);
    // And the panels still follow their key.
    bar->ResetCounters();
    SendKey(bar->windowHandle(), QEvent::KeyPress, Qt::Key_NumLock);
    EXPECT_EQ(bar->PaintCount(1), 1);
}

TEST(KeyLockLibrary, MissingLibraryInADesignerFailsWithItsName) {
    TScriptedKeyboard keyboard;
    TLibraryName name(QStringLiteral("NoSuchKbMon.dll"));
    auto bar = LockBar();
    bar->SetDesigning(true);
    EXPECT_EQ(ExceptionMessage([&] { bar->SetUseMonitorDLL(true); }),
              QStringLiteral("Could not load NoSuchKbMon.dll"));
    EXPECT_FALSE(bar->UseMonitorDLL());
}

TEST(KeyLockLibrary, LibraryNotificationsSetTheKeyStateAndRepaint) {
    TScriptedKeyboard keyboard;
    TBuiltLibrary library;
    auto bar = LockBar();
    bar->SetUseMonitorDLL(true);
    ASSERT_TRUE(bar->UseMonitorDLL()) << "libexkbmon.so not found";
    EXPECT_TRUE(exkb::MonitorLoaded());
    EXPECT_NE(bar->LibraryMessage(), 0u);
    EXPECT_EQ(bar->LibraryUsers(), 2);
    EXPECT_FALSE(Watched(bar->Panels()[0]));
    EXPECT_TRUE(bar->ActivationWatch().empty());
    ASSERT_NE(exkb::SimulateEntry(), nullptr);
    bar->ResetCounters();
    exkb::SimulateEntry()(VK_CAPITAL, 1);
    QCoreApplication::sendPostedEvents(bar.get());
    EXPECT_TRUE(bar->Panels()[0]->KeyState());
    EXPECT_FALSE(bar->Panels()[1]->KeyState());
    EXPECT_EQ(bar->PaintCount(0), 1);
    EXPECT_EQ(bar->PaintCount(1), 0);
    // The state drawn is the library's, not the keyboard's.
    EXPECT_GT(CountColor(PanelInside(*bar, 0), clWindowText), 5);
    exkb::SimulateEntry()(VK_CAPITAL, 0);
    QCoreApplication::sendPostedEvents(bar.get());
    EXPECT_FALSE(bar->Panels()[0]->KeyState());

    bar->SetUseMonitorDLL(false);
    EXPECT_FALSE(exkb::MonitorLoaded());
    EXPECT_TRUE(exkb::RegisteredWindows().empty());
    EXPECT_TRUE(Watched(bar->Panels()[0]));
}

TEST(KeyLockLibrary, NewKeyLockPanelInLibraryModeReadsTheKeyState) {
    TScriptedKeyboard keyboard;
    keyboard.toggled[VK_SCROLL] = true;
    TBuiltLibrary library;
    auto bar = MakeBar();
    bar->SetUseMonitorDLL(true); // no key-lock panel yet: nothing loaded
    EXPECT_FALSE(exkb::MonitorLoaded());
    TExStatusPanel* scroll = bar->Panels().Add();
    scroll->SetPanelType(sptScrollLock);
    ASSERT_TRUE(bar->UseMonitorDLL());
    EXPECT_TRUE(scroll->KeyState());
    EXPECT_EQ(bar->LibraryUsers(), 1);
    bar->Panels().Delete(0);
    EXPECT_EQ(bar->LibraryUsers(), 0);
    EXPECT_FALSE(exkb::MonitorLoaded());
}

TEST(ExStatusBarAudit, MoreWithdrawalsThanRegistrationsFailTheCheck) {
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    EXPECT_EQ(
        ExceptionMessage<EExStatusBarAssertion>([&] { bar->RemoveFromActivationWatch(panel); }),
        QStringLiteral("Unbalanced MainWinHook registrations (unit ExStatusBar)"));
}

TEST(ExStatusBarAudit, ProgramEndReportsAHookStillInstalledAndUnbalancedTimers) {
    TScriptedKeyboard keyboard;
    TFixedClock clock(2024, 5, 17, 10, 0, 0);
    std::vector<QString> reports;
    ExStatusBarReportHandler() = [&](const QString& message) { reports.push_back(message); };
    {
        auto bar = LockBar();
        bar->Panels().Add()->SetPanelType(sptDate);
        ExStatusBarFinalize();
        EXPECT_FALSE(keyboardwatch::HookInstalled());
    }
    ExStatusBarReportHandler() = nullptr;
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0],
              QStringLiteral("TExStatusBar: Keyboard hook still installed (unit ExStatusBar)"));
    EXPECT_EQ(reports[1],
              QStringLiteral("TExStatusBar: Unbalanced timer registrations (unit ExStatusBar)"));
}
