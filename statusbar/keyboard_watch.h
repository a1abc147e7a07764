// The process-wide keyboard watch of the key-lock panels in hook mode: an
// application-wide key event filter, installed while at least one panel is
// watched. When a lock key goes down and again when it comes up (not on
// auto-repeat) the panels of that key are repainted, once the key event has
// been handled, so they show the state as the key left it; the first key event
// after the program came back from being inactive repaints all of them.
#pragma once

#include <vector>

class TExStatusPanel;

namespace keyboardwatch {

void Add(TExStatusPanel* panel);
void Remove(TExStatusPanel* panel);
const std::vector<TExStatusPanel*>& Panels();
bool HookInstalled();
bool RefreshAll();
void SetRefreshAll(bool refresh);
// Removes the hook whatever the list holds; true if one was installed.
bool RemoveHook();

} // namespace keyboardwatch
