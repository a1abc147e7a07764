// The loader of the keyboard monitor library and the list of the windows
// registered with it.
#include "statusbar/kb_monitor.h"

#include "platform/library.h"

#include <algorithm>

namespace exkb {

namespace {

struct TMonitor {
    QString name = QStringLiteral("ExKbMon.dll");
    void* library = nullptr;
    bool loaded = false;
    ExKbRegisterProc registerHook = nullptr;
    ExKbDeregisterProc deregisterHook = nullptr;
    ExKbSimulateProc simulate = nullptr;
    std::vector<ExKbWindow*> windows;
};

TMonitor& Monitor() {
    static TMonitor* monitor = new TMonitor;
    return *monitor;
}

} // namespace

bool LoadMonitor() {
    TMonitor& m = Monitor();
    if (m.loaded)
        UnloadMonitor();
    m.library = LoadLibrary(m.name);
    m.loaded = m.library != nullptr;
    if (m.loaded) {
        m.registerHook =
            reinterpret_cast<ExKbRegisterProc>(GetProcAddress(m.library, "RegisterKeyboardHook"));
        m.deregisterHook = reinterpret_cast<ExKbDeregisterProc>(
            GetProcAddress(m.library, "DeregisterKeyboardHook"));
        m.simulate =
            reinterpret_cast<ExKbSimulateProc>(GetProcAddress(m.library, "ExKbSimulateToggle"));
    }
    return m.loaded;
}

void UnloadMonitor() {
    TMonitor& m = Monitor();
    while (!m.windows.empty())
        DeregisterWindow(m.windows.back());
    if (m.library)
        FreeLibrary(m.library);
    m.library = nullptr;
    m.loaded = false;
    m.registerHook = nullptr;
    m.deregisterHook = nullptr;
    m.simulate = nullptr;
}

bool MonitorLoaded() {
    return Monitor().loaded;
}

unsigned RegisterWindow(ExKbWindow* window) {
    TMonitor& m = Monitor();
    if (!m.loaded || !m.registerHook)
        return 0;
    const unsigned message = m.registerHook(window);
    if (std::find(m.windows.begin(), m.windows.end(), window) == m.windows.end())
        m.windows.push_back(window);
    return message;
}

void DeregisterWindow(ExKbWindow* window) {
    TMonitor& m = Monitor();
    auto it = std::find(m.windows.begin(), m.windows.end(), window);
    if (it == m.windows.end())
        return;
    m.windows.erase(it);
    if (m.loaded && m.deregisterHook)
        m.deregisterHook(window);
}

const std::vector<ExKbWindow*>& RegisteredWindows() {
    return Monitor().windows;
}
QString LibraryName() {
    return Monitor().name;
}
void SetLibraryName(const QString& name) {
    Monitor().name = name;
}
ExKbSimulateProc SimulateEntry() {
    return Monitor().simulate;
}

} // namespace exkb
