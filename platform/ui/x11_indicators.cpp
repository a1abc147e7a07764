// XKB indicator lookup, in its own file so that the X headers' macros stay
// out of every file that uses Qt.
#include "platform/ui/x11_indicators.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

std::optional<bool> X11IndicatorState(void* display, const char* name) {
    auto* x = static_cast<Display*>(display);
    if (x == nullptr)
        return std::nullopt;
    const Atom atom = XInternAtom(x, name, False);
    if (atom == None)
        return std::nullopt;
    Bool on = False;
    if (!XkbGetNamedIndicator(x, atom, nullptr, &on, nullptr, nullptr))
        return std::nullopt;
    return on != False;
}
