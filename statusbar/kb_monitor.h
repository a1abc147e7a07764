// The keyboard monitor library, loaded on demand: "ExKbMon.dll" (here
// libexkbmon.so) with its two entries, and the windows registered with it.
// A missing library is no error: the bars fall back to their own hook.
#pragma once

#include "statusbar/kbmon/ex_kb_mon.h"

#include <QString>

#include <vector>

namespace exkb {

// Loads the library (freeing it first when loaded); true if it was found.
bool LoadMonitor();
// Deregisters every window still registered (last first), frees the library.
void UnloadMonitor();
bool MonitorLoaded();
// 0 when the library or its entry is missing.
unsigned RegisterWindow(ExKbWindow* window);
void DeregisterWindow(ExKbWindow* window);
const std::vector<ExKbWindow*>& RegisteredWindows();
// The library's desktop name, "ExKbMon.dll"; tests may point it elsewhere.
QString LibraryName();
void SetLibraryName(const QString& name);
// The library's test entry, or null.
ExKbSimulateProc SimulateEntry();

} // namespace exkb
