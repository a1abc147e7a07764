/* The keyboard monitor library (libexkbmon.so): it follows the lock keys of
 * the whole desktop and tells every registered window when one of them
 * changes. A "window" is a small record with a notification procedure; the
 * library calls it from its own thread with the message number it handed
 * out at registration, the virtual key (20 Caps Lock, 144 Num Lock, 145
 * Scroll Lock) and the key's toggle state in bit 0 of the second parameter.
 * The procedure must be safe to call from any thread (posting a message). */
#ifndef EX_KB_MON_H
#define EX_KB_MON_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*ExKbNotifyProc)(void* context, unsigned msg, uintptr_t wparam, intptr_t lparam);

typedef struct ExKbWindow {
    ExKbNotifyProc notify;
    void* context;
} ExKbWindow;

/* "RegisterKeyboardHook": returns the message number posted to the window. */
typedef unsigned (*ExKbRegisterProc)(ExKbWindow* window);
/* "DeregisterKeyboardHook". */
typedef void (*ExKbDeregisterProc)(ExKbWindow* window);
/* "ExKbSimulateToggle": reports a lock-key change as if the desktop had made
 * it (for tests and for desktops the library cannot watch). */
typedef void (*ExKbSimulateProc)(unsigned virtualKey, int toggled);

#ifdef __cplusplus
}
#endif

#endif
