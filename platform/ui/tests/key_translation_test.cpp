// Key events to desktop key codes, shift states and shortcut codes, and back.
#include "platform/ui/key_translation.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <gtest/gtest.h>
#include <ostream>

namespace {

struct TKeyCase {
    const char* Name;
    int QtKey;
    Qt::KeyboardModifiers Modifiers;
    int Vk;
    TShiftState Shift;
};

void PrintTo(const TKeyCase& row, std::ostream* os) {
    *os << row.Name;
}

class KeyTranslation : public ::testing::TestWithParam<TKeyCase> {};

TEST_P(KeyTranslation, GivesTheDesktopCodeAndShiftState) {
    const TKeyCase& row = GetParam();
    const QKeyEvent event(QEvent::KeyPress, row.QtKey, row.Modifiers);
    EXPECT_EQ(VirtualKeyFromQt(event), row.Vk);
    EXPECT_EQ(ShiftStateFromQt(event.modifiers()), row.Shift);
}

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kKeypad = Qt::KeypadModifier;

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyTranslation,
    ::testing::Values(
        TKeyCase{"Insert", Qt::Key_Insert, kNone, VK_INSERT, {}},
        TKeyCase{"Delete", Qt::Key_Delete, kNone, VK_DELETE, {}},
        TKeyCase{"F9", Qt::Key_F9, kNone, VK_F9, {}}, TKeyCase{"F10", Qt::Key_F10, kNone, 121, {}},
        TKeyCase{"F11", Qt::Key_F11, kNone, 122, {}}, TKeyCase{"F12", Qt::Key_F12, kNone, 123, {}},
        TKeyCase{"Escape", Qt::Key_Escape, kNone, 27, {}},
        TKeyCase{"PageUp", Qt::Key_PageUp, kNone, 33, {}},
        TKeyCase{"PageDown", Qt::Key_PageDown, kNone, 34, {}},
        TKeyCase{"End", Qt::Key_End, kNone, 35, {}}, TKeyCase{"Home", Qt::Key_Home, kNone, 36, {}},
        TKeyCase{"Return", Qt::Key_Return, kNone, VK_RETURN, {}},
        TKeyCase{"KeypadEnter", Qt::Key_Enter, kKeypad, VK_RETURN, {}},
        TKeyCase{"ShiftInsert", Qt::Key_Insert, Qt::ShiftModifier, VK_INSERT, ssShift},
        TKeyCase{"ShiftDelete", Qt::Key_Delete, Qt::ShiftModifier, VK_DELETE, ssShift},
        TKeyCase{"CtrlDelete", Qt::Key_Delete, Qt::ControlModifier, VK_DELETE, ssCtrl},
        TKeyCase{"AltF4", Qt::Key_F4, Qt::AltModifier, VK_F4, ssAlt},
        TKeyCase{"LetterA", Qt::Key_A, kNone, 'A', {}},
        TKeyCase{"ShiftLetterZ", Qt::Key_Z, Qt::ShiftModifier, 'Z', ssShift},
        TKeyCase{"Digit7", Qt::Key_7, kNone, '7', {}},
        TKeyCase{"ShiftedDigit1", Qt::Key_Exclam, Qt::ShiftModifier, '1', ssShift},
        TKeyCase{"KeypadDigit5", Qt::Key_5, kKeypad, VK_NUMPAD5, {}},
        TKeyCase{"KeypadInsertWithNumLockOff", Qt::Key_Insert, kKeypad, VK_INSERT, {}},
        TKeyCase{"KeypadPlus", Qt::Key_Plus, kKeypad, VK_ADD, {}},
        TKeyCase{"MainPlus", Qt::Key_Plus, Qt::ShiftModifier, VK_OEM_PLUS, ssShift},
        TKeyCase{"ShiftTab", Qt::Key_Backtab, Qt::ShiftModifier, VK_TAB, ssShift},
        TKeyCase{"CapsLock", Qt::Key_CapsLock, kNone, 20, {}},
        TKeyCase{"NumLock", Qt::Key_NumLock, kNone, 144, {}},
        TKeyCase{"ScrollLock", Qt::Key_ScrollLock, kNone, 145, {}},
        TKeyCase{"CtrlShiftAltSpace", Qt::Key_Space,
                 Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, VK_SPACE,
                 ssShift | ssCtrl | ssAlt},
        TKeyCase{"ShiftKeyItselfHoldsShift", Qt::Key_Shift, kNone, VK_SHIFT, ssShift},
        TKeyCase{"Cedilla", Qt::Key_Ccedilla, kNone, 0, {}}),
    [](const ::testing::TestParamInfo<TKeyCase>& info) { return std::string(info.param.Name); });

TEST(ShortCuts, PopupShortcutsOfTheEditorHaveTheirCodes) {
    const QKeyEvent ctrlDel(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
    const QKeyEvent ctrlIns(QEvent::KeyPress, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(ShortCutFromQt(ctrlDel), 16430);
    EXPECT_EQ(ShortCutFromQt(ctrlIns), 16429);
    EXPECT_EQ(ShortCut(VK_DELETE, ssCtrl), 16430);
    const QKeyEvent shiftCtrlAltF1(QEvent::KeyPress, Qt::Key_F1,
                                   Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(ShortCutFromQt(shiftCtrlAltF1), scShift | scCtrl | scAlt | VK_F1);
    // Mouse buttons are no part of a shortcut.
    EXPECT_EQ(ShortCut(VK_F1, ssLeft | ssShift), scShift | VK_F1);
}

TEST(ShortCuts, KeyWithoutCodeGivesNoShortcut) {
    const QKeyEvent cedilla(QEvent::KeyPress, Qt::Key_Ccedilla, Qt::ControlModifier);
    EXPECT_EQ(ShortCutFromQt(cedilla), scNone);
}

TEST(ShortCuts, ShortcutCodeBecomesTheKeySequenceOfAnAction) {
    EXPECT_EQ(KeySequenceFromShortCut(16430), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    EXPECT_EQ(KeySequenceFromShortCut(16429), QKeySequence(Qt::CTRL | Qt::Key_Insert));
    EXPECT_EQ(KeySequenceFromShortCut(ShortCut('S', ssCtrl | ssShift)),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    EXPECT_TRUE(KeySequenceFromShortCut(ShortCut(0xFF, ssCtrl)).isEmpty());
}

TEST(ShortCuts, CodeAndShiftStateComeBackOutOfAShortcut) {
    const TShortCut code = ShortCut(VK_F12, ssAlt | ssShift);
    EXPECT_EQ(ShortCutKey(code), VK_F12);
    EXPECT_EQ(ShortCutShiftState(code), ssAlt | ssShift);
}

TEST(ShiftState, MouseButtonsJoinTheModifiers) {
    EXPECT_EQ(ShiftStateFromQt(Qt::NoModifier, Qt::LeftButton | Qt::MiddleButton),
              ssLeft | ssMiddle);
    EXPECT_EQ(ShiftStateFromQt(Qt::ControlModifier, Qt::RightButton), ssCtrl | ssRight);
    EXPECT_EQ(ShiftStateFromQt(Qt::KeypadModifier | Qt::MetaModifier), TShiftState());
}

// Every code that has a Qt key translates back to itself, so menus built from
// codes match the keys that produce them.
TEST(KeyTranslationRoundTrip, EveryMappedCodeComesBack) {
    int mapped = 0;
    for (int vk = 1; vk < 256; ++vk) {
        const Qt::Key key = QtKeyFromVirtualKey(vk);
        if (key == Qt::Key_unknown)
            continue;
        ++mapped;
        const bool keypad = (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) && vk != VK_SEPARATOR;
        EXPECT_EQ(VirtualKeyFromQt(key, keypad ? kKeypad : kNone), vk) << "code " << vk;
    }
    // Digits, letters, F1..F24, numpad and the named keys.
    EXPECT_GT(mapped, 10 + 26 + 24 + 10 + 30);
}

} // namespace
