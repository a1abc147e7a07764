// The side of the extended status bar that only its panels and its tests
// reach: the registrations a panel makes with its bar (the activation watch
// of key-lock panels, the users of the keyboard monitor library) and the
// counters of panel paints and refits. Users of the bar never include it.
#pragma once

#include "statusbar/ex_status_bar.h"
#include "statusbar/kbmon/ex_kb_mon.h"

#include <map>
#include <memory>
#include <vector>

class QObject;
class TExStatusPanel;

class TExStatusBarPrivate {
public:
    explicit TExStatusBarPrivate(TExStatusBar& bar);
    ~TExStatusBarPrivate();
    TExStatusBarPrivate(const TExStatusBarPrivate&) = delete;
    TExStatusBarPrivate& operator=(const TExStatusBarPrivate&) = delete;

    static TExStatusBarPrivate& Of(TExStatusBar& bar) { return *bar.d_; }
    static const TExStatusBarPrivate& Of(const TExStatusBar& bar) { return *bar.d_; }

    // Key-lock panels of the bar in the activation watch, each at most once;
    // the first one hooks the bar into the application's activation, the
    // last one out unhooks it.
    void AddToActivationWatch(TExStatusPanel* panel);
    void RemoveFromActivationWatch(TExStatusPanel* panel);
    const std::vector<TExStatusPanel*>& ActivationWatch() const { return activationWatch_; }
    bool HookedIntoMainWindow() const { return mainWinHook_ != nullptr; }
    // Drops the watch at the bar's end, saying so when panels were left in it.
    void DropActivationWatch();
    // The application became active or inactive (from the activation hook).
    void ApplicationActivationChanged(bool active);

    // Users of the keyboard monitor library among the bar's panels.
    void AddLibraryUser();
    void RemoveLibraryUser();
    int LibraryUsers() const { return libraryUsers_; }
    unsigned LibraryMessage() const { return libraryMessage_; }
    ExKbWindow* MonitorWindow() { return &monitorWindow_; }
    void RegisterMonitorWindow();
    void DeregisterMonitorWindow();

    // Panel paints and refits (by index) since the last reset.
    int PaintCount(int index) const;
    int RefitCount(int index) const;
    void ResetCounters();
    void CountPaint(int index) { ++paints_[index]; }
    void CountRefit(int index) { ++refits_[index]; }

private:
    TExStatusBar& bar_;
    std::vector<TExStatusPanel*> activationWatch_;
    std::unique_ptr<QObject> mainWinHook_;
    int libraryUsers_ = 0;
    unsigned libraryMessage_ = 0;
    bool monitorRegistered_ = false;
    ExKbWindow monitorWindow_{};
    std::map<int, int> paints_;
    std::map<int, int> refits_;
};
