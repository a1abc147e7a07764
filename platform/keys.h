// Key codes, shift states, shortcut codes and the lock-key state query.
//
// Keys are named by the desktop's virtual-key codes throughout the program
// (the main window's key map compares them, menu shortcuts are built from
// them), so these values are fixed. Digits and letters use their character
// codes, '0'..'9' and 'A'..'Z', whatever the shift state. The translation
// from Qt's key events lives in the user interface library
// (platform/ui/key_translation.h); this header needs Qt Core only.
#pragma once

#include <QFlags>
#include <cstdint>

inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_CANCEL = 0x03;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_CLEAR = 0x0C;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12; // Alt
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_CAPITAL = 0x14; // Caps Lock
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21; // Page Up
inline constexpr int VK_NEXT = 0x22;  // Page Down
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_SELECT = 0x29;
inline constexpr int VK_PRINT = 0x2A;
inline constexpr int VK_EXECUTE = 0x2B;
inline constexpr int VK_SNAPSHOT = 0x2C; // Print Screen
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_HELP = 0x2F;
// 0x30..0x39: '0'..'9'; 0x41..0x5A: 'A'..'Z'.
inline constexpr int VK_LWIN = 0x5B;
inline constexpr int VK_RWIN = 0x5C;
inline constexpr int VK_APPS = 0x5D; // context-menu key
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_NUMPAD1 = 0x61;
inline constexpr int VK_NUMPAD2 = 0x62;
inline constexpr int VK_NUMPAD3 = 0x63;
inline constexpr int VK_NUMPAD4 = 0x64;
inline constexpr int VK_NUMPAD5 = 0x65;
inline constexpr int VK_NUMPAD6 = 0x66;
inline constexpr int VK_NUMPAD7 = 0x67;
inline constexpr int VK_NUMPAD8 = 0x68;
inline constexpr int VK_NUMPAD9 = 0x69;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SEPARATOR = 0x6C;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_DIVIDE = 0x6F;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F2 = 0x71;
inline constexpr int VK_F3 = 0x72;
inline constexpr int VK_F4 = 0x73;
inline constexpr int VK_F5 = 0x74;
inline constexpr int VK_F6 = 0x75;
inline constexpr int VK_F7 = 0x76;
inline constexpr int VK_F8 = 0x77;
inline constexpr int VK_F9 = 0x78;
inline constexpr int VK_F10 = 0x79;
inline constexpr int VK_F11 = 0x7A;
inline constexpr int VK_F12 = 0x7B;
inline constexpr int VK_F13 = 0x7C;
inline constexpr int VK_F24 = 0x87;
inline constexpr int VK_NUMLOCK = 0x90;
inline constexpr int VK_SCROLL = 0x91;     // Scroll Lock
inline constexpr int VK_OEM_1 = 0xBA;      // ';:' on a US keyboard
inline constexpr int VK_OEM_PLUS = 0xBB;   // '=+'
inline constexpr int VK_OEM_COMMA = 0xBC;  // ',<'
inline constexpr int VK_OEM_MINUS = 0xBD;  // '-_'
inline constexpr int VK_OEM_PERIOD = 0xBE; // '.>'
inline constexpr int VK_OEM_2 = 0xBF;      // '/?'
inline constexpr int VK_OEM_3 = 0xC0;      // '`~'
inline constexpr int VK_OEM_4 = 0xDB;      // '[{'
inline constexpr int VK_OEM_5 = 0xDC;      // '\|'
inline constexpr int VK_OEM_6 = 0xDD;      // ']}'
inline constexpr int VK_OEM_7 = 0xDE;      // quote

// Modifier keys and mouse buttons held during a key or mouse event. The
// bit of each flag is its ordinal in the desktop's set type.
enum TShiftStateFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
Q_DECLARE_FLAGS(TShiftState, TShiftStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

// A menu shortcut: the key code in the low byte plus modifier flags, so
// Ctrl+Del is scCtrl + VK_DELETE = 16430.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;

inline constexpr TShortCut ShortCut(std::uint16_t key, TShiftState shift) {
    TShortCut code = static_cast<TShortCut>(key & 0x00FF);
    if (shift.testFlag(ssShift))
        code |= scShift;
    if (shift.testFlag(ssCtrl))
        code |= scCtrl;
    if (shift.testFlag(ssAlt))
        code |= scAlt;
    return code;
}

// The inverse of ShortCut: the key code and the modifiers of a shortcut.
inline constexpr int ShortCutKey(TShortCut shortCut) {
    return shortCut & 0x00FF;
}
inline constexpr TShiftState ShortCutShiftState(TShortCut shortCut) {
    TShiftState shift;
    if (shortCut & scShift)
        shift |= ssShift;
    if (shortCut & scCtrl)
        shift |= ssCtrl;
    if (shortCut & scAlt)
        shift |= ssAlt;
    return shift;
}

// Whether a lock key (VK_CAPITAL, VK_NUMLOCK, VK_SCROLL) is toggled on. The
// user interface library installs the implementation (the X server's
// keyboard indicators where there is one, otherwise the key events seen).
class TKeyboardState {
public:
    virtual ~TKeyboardState() = default;
    virtual bool KeyToggled(int vk) = 0;
};

namespace platform_services {
inline TKeyboardState* CurrentKeyboardState = nullptr;
} // namespace platform_services

inline TKeyboardState* KeyboardState() {
    return platform_services::CurrentKeyboardState;
}

// Installs a service (nullptr uninstalls); returns the one it replaces.
inline TKeyboardState* SetKeyboardState(TKeyboardState* state) {
    TKeyboardState* previous = platform_services::CurrentKeyboardState;
    platform_services::CurrentKeyboardState = state;
    return previous;
}

// False for every key while no service is installed.
inline bool KeyToggled(int vk) {
    TKeyboardState* state = platform_services::CurrentKeyboardState;
    return state != nullptr && state->KeyToggled(vk);
}
