// Qt key codes to virtual-key codes and back. Keys are looked up in small
// tables; the ranges (digits, letters, function keys) are computed.
#include "platform/ui/key_translation.h"

#include <QKeyEvent>

namespace {

struct TKeyPair {
    int Qt;
    int Vk;
};

// Keys whose code does not depend on the keypad flag. Order matters only
// for the reverse lookup: the first pair of a code wins.
constexpr TKeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB}, // Shift+Tab
    {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_AltGr, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Select, VK_SELECT},
    {Qt::Key_Printer, VK_PRINT},
    {Qt::Key_Execute, VK_EXECUTE},
    {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_SysReq, VK_SNAPSHOT},
    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP},
    {Qt::Key_Meta, VK_LWIN},
    {Qt::Key_Super_L, VK_LWIN},
    {Qt::Key_Super_R, VK_RWIN},
    {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
    // Shifted digits of the usual layouts still name the digit key, as the
    // desktop reports the key and not the character.
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

// Keypad keys that have codes of their own.
constexpr TKeyPair kKeypadKeys[] = {
    {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD},      {Qt::Key_Minus, VK_SUBTRACT},
    {Qt::Key_Period, VK_DECIMAL},    {Qt::Key_Comma, VK_DECIMAL}, {Qt::Key_Slash, VK_DIVIDE},
};

} // namespace

int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? VK_NUMPAD0 + (qtKey - Qt::Key_0) : '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);
    if (keypad)
        for (const TKeyPair& pair : kKeypadKeys)
            if (pair.Qt == qtKey)
                return pair.Vk;
    for (const TKeyPair& pair : kKeys)
        if (pair.Qt == qtKey)
            return pair.Vk;
    // Accented letters of a Latin keyboard (Ç on the Brazilian one) have no
    // key code of their own; they still reach the controls as characters.
    return 0;
}

int VirtualKeyFromQt(const QKeyEvent& event) {
    return VirtualKeyFromQt(event.key(), event.modifiers());
}

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState shift;
    if (modifiers.testFlag(Qt::ShiftModifier))
        shift |= ssShift;
    if (modifiers.testFlag(Qt::ControlModifier))
        shift |= ssCtrl;
    if (modifiers.testFlag(Qt::AltModifier))
        shift |= ssAlt;
    if (buttons.testFlag(Qt::LeftButton))
        shift |= ssLeft;
    if (buttons.testFlag(Qt::RightButton))
        shift |= ssRight;
    if (buttons.testFlag(Qt::MiddleButton))
        shift |= ssMiddle;
    return shift;
}

TShortCut ShortCutFromQt(const QKeyEvent& event) {
    const int vk = VirtualKeyFromQt(event);
    if (vk == 0)
        return scNone;
    return ShortCut(static_cast<std::uint16_t>(vk), ShiftStateFromQt(event.modifiers()));
}

Qt::Key QtKeyFromVirtualKey(int vk) {
    if (vk >= '0' && vk <= '9')
        return static_cast<Qt::Key>(Qt::Key_0 + (vk - '0'));
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<Qt::Key>(Qt::Key_A + (vk - 'A'));
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return static_cast<Qt::Key>(Qt::Key_0 + (vk - VK_NUMPAD0));
    if (vk >= VK_F1 && vk <= VK_F24)
        return static_cast<Qt::Key>(Qt::Key_F1 + (vk - VK_F1));
    for (const TKeyPair& pair : kKeypadKeys)
        if (pair.Vk == vk)
            return static_cast<Qt::Key>(pair.Qt);
    for (const TKeyPair& pair : kKeys)
        if (pair.Vk == vk)
            return static_cast<Qt::Key>(pair.Qt);
    return Qt::Key_unknown;
}

QKeySequence KeySequenceFromShortCut(TShortCut shortCut) {
    const Qt::Key key = QtKeyFromVirtualKey(ShortCutKey(shortCut));
    if (key == Qt::Key_unknown)
        return {};
    Qt::KeyboardModifiers modifiers;
    const TShiftState shift = ShortCutShiftState(shortCut);
    if (shift.testFlag(ssShift))
        modifiers |= Qt::ShiftModifier;
    if (shift.testFlag(ssCtrl))
        modifiers |= Qt::ControlModifier;
    if (shift.testFlag(ssAlt))
        modifiers |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(modifiers, key));
}
