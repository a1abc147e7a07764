// Reading the keyboard indicators of an X server. Kept apart because the
// X headers define macros (KeyPress, None, Bool) that clash with Qt's names.
#pragma once

#include <optional>

// The named XKB indicator ("Caps Lock", "Num Lock", "Scroll Lock") of the
// Display* given; nullopt when the server does not know it.
std::optional<bool> X11IndicatorState(void* display, const char* name);
