// The keyboard monitor library. It follows the lock-key indicators of the
// whole X display from a thread of its own, polling the keyboard extension's
// named indicators, and calls every registered window's notification
// procedure when one of them changes. Without a display (or without X11 at
// build time) it registers windows all the same and simply never notifies,
// except through the simulation entry.
#include "statusbar/kbmon/ex_kb_mon.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#ifdef EXKBMON_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace {

// The message number handed to every window.
constexpr unsigned kLockKeyMessage = 0xC1E5;
constexpr auto kPollInterval = std::chrono::milliseconds(100);

struct LockKey {
    unsigned virtualKey;
    const char* indicator;
};
constexpr LockKey kLockKeys[] = {{20, "Caps Lock"}, {144, "Num Lock"}, {145, "Scroll Lock"}};

struct Monitor {
    std::mutex mutex;
    std::condition_variable wake;
    std::vector<ExKbWindow*> windows;
    std::thread thread;
    bool stop = false;
};

Monitor& TheMonitor() {
    static Monitor monitor;
    return monitor;
}

// Caller holds the mutex.
void NotifyAll(Monitor& m, unsigned virtualKey, bool toggled) {
    for (ExKbWindow* w : m.windows)
        if (w && w->notify)
            w->notify(w->context, kLockKeyMessage, virtualKey, toggled ? 1 : 0);
}

void Watch(Monitor& m) {
#ifdef EXKBMON_HAVE_X11
    Display* display = XOpenDisplay(nullptr);
    Atom atoms[3] = {};
    int previous[3] = {-1, -1, -1};
    if (display) {
        for (int i = 0; i < 3; ++i)
            atoms[i] = XInternAtom(display, kLockKeys[i].indicator, False);
    }
#endif
    std::unique_lock lock(m.mutex);
    while (!m.stop) {
#ifdef EXKBMON_HAVE_X11
        if (display) {
            lock.unlock();
            int states[3] = {-1, -1, -1};
            for (int i = 0; i < 3; ++i) {
                Bool on = False;
                if (atoms[i] != None &&
                    XkbGetNamedIndicator(display, atoms[i], nullptr, &on, nullptr, nullptr))
                    states[i] = on ? 1 : 0;
            }
            lock.lock();
            for (int i = 0; i < 3; ++i) {
                if (states[i] < 0)
                    continue;
                if (previous[i] >= 0 && states[i] != previous[i])
                    NotifyAll(m, kLockKeys[i].virtualKey, states[i] == 1);
                previous[i] = states[i];
            }
        }
#endif
        m.wake.wait_for(lock, kPollInterval, [&m] { return m.stop; });
    }
#ifdef EXKBMON_HAVE_X11
    lock.unlock();
    if (display)
        XCloseDisplay(display);
#endif
}

void StopThread(Monitor& m, std::unique_lock<std::mutex>& lock) {
    if (!m.thread.joinable())
        return;
    m.stop = true;
    m.wake.notify_all();
    std::thread thread = std::move(m.thread);
    lock.unlock();
    thread.join();
    lock.lock();
    m.stop = false;
}

// Unloading the library while windows are still registered must not leave
// the thread running in unmapped code.
__attribute__((destructor)) void Unloaded() {
    Monitor& m = TheMonitor();
    std::unique_lock lock(m.mutex);
    m.windows.clear();
    StopThread(m, lock);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) unsigned RegisterKeyboardHook(ExKbWindow* window) {
    Monitor& m = TheMonitor();
    std::unique_lock lock(m.mutex);
    if (window && std::find(m.windows.begin(), m.windows.end(), window) == m.windows.end())
        m.windows.push_back(window);
    if (!m.thread.joinable())
        m.thread = std::thread([&m] { Watch(m); });
    return kLockKeyMessage;
}

__attribute__((visibility("default"))) void DeregisterKeyboardHook(ExKbWindow* window) {
    Monitor& m = TheMonitor();
    std::unique_lock lock(m.mutex);
    m.windows.erase(std::remove(m.windows.begin(), m.windows.end(), window), m.windows.end());
    if (m.windows.empty())
        StopThread(m, lock);
}

__attribute__((visibility("default"))) void ExKbSimulateToggle(unsigned virtualKey, int toggled) {
    Monitor& m = TheMonitor();
    std::unique_lock lock(m.mutex);
    NotifyAll(m, virtualKey, toggled != 0);
}

} // extern "C"
