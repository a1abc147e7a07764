// Translation between Qt's key events and the desktop's key codes, shift
// states and menu shortcut codes. A form's key handlers and the menus
// compare keys by their desktop codes, so every Qt key event is turned into
// a virtual-key code (VK_INSERT, 'A', VK_F10 ...) plus a TShiftState.
#pragma once

#include "platform/keys.h"

#include <QKeySequence>
#include <Qt>

class QKeyEvent;

// The virtual-key code of a key event; 0 for a key with no code. Letters
// give their upper-case code and digits their digit code whatever the
// shift state; keypad digits give VK_NUMPAD0.. and the keypad operators
// their own codes; keypad keys with Num Lock off arrive from Qt as the
// navigation keys and translate as such.
int VirtualKeyFromQt(const QKeyEvent& event);
// The same for a Qt key code and its modifiers (the keypad flag matters).
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);

// Shift, Ctrl and Alt from Qt's modifiers, mouse buttons from Qt's buttons.
TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers,
                             Qt::MouseButtons buttons = Qt::NoButton);

// The shortcut code of a key event: ShortCut(VirtualKeyFromQt, shift state),
// so Ctrl+Del is 16430.
TShortCut ShortCutFromQt(const QKeyEvent& event);

// The Qt key of a virtual-key code (Qt::Key_unknown when there is none), and
// a shortcut code as a key sequence for a QAction.
Qt::Key QtKeyFromVirtualKey(int vk);
QKeySequence KeySequenceFromShortCut(TShortCut shortCut);
