// The panels of an extended status bar, paired by index with the native
// panels of the base bar. The collection also keeps the bar's clock: one
// timer, created when the first panel needs it and freed when the last one
// leaves, that refreshes date and time panels and animates gauges at the
// slowest interval that keeps every registered panel current.
#pragma once

#include "statusbar/collection.h"

#include "platform/clock.h"

#include <memory>
#include <vector>

class TExStatusBar;
class TExStatusPanel;
class TStatusPanels;
class TTimer;

class TExStatusPanels : public TCollection {
public:
    TExStatusPanels(TExStatusBar* bar, TStatusPanels* native);
    ~TExStatusPanels() override;
    TExStatusPanels(const TExStatusPanels&) = delete;
    TExStatusPanels& operator=(const TExStatusPanels&) = delete;

    // Panels() hands out the collection by reference; this lets callers
    // write either Panels()[i] or Panels()->Items(i), as property code does.
    TExStatusPanels* operator->() { return this; }
    const TExStatusPanels* operator->() const { return this; }

    TExStatusBar* Bar() const { return bar_; }
    TStatusPanels* NativePanels() const { return native_; }

    int Count() const override { return static_cast<int>(items_.size()); }
    TExStatusPanel* operator[](int index) const { return Items(index); }
    TExStatusPanel* Items(int index) const;
    int IndexOf(const TExStatusPanel* panel) const;

    TExStatusPanel* Add();
    TExStatusPanel* Insert(int index);
    void Delete(int index);
    void Clear();
    // Moves a panel (its linked part first).
    void Move(int from, int to);
    // Copies panel by panel, adding or removing panels to match.
    void Assign(const TExStatusPanels& source);

    // Change notifications: one panel is redrawn, nullptr repaints the bar.
    // Inside an update bracket they wait for the end of the bracket.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    void Update(TExStatusPanel* panel);

    // The clock.
    void JoinTimer(TExStatusPanel* panel);
    void LeaveTimer(TExStatusPanel* panel);
    bool InTimerList(const TExStatusPanel* panel) const;
    const std::vector<TExStatusPanel*>& TimerPanels() const { return timerPanels_; }
    // Null while no panel needs the clock.
    TTimer* ClockTimer() const { return timer_.get(); }
    TDateTime LastDate() const { return lastDate_; }
    // One clock tick (what the timer runs).
    void ClockTick();

private:
    friend class TExStatusPanel;
    void Adopt(TExStatusPanel* panel, int index);
    void RecomputeInterval();

    TExStatusBar* bar_;
    TStatusPanels* native_;
    std::vector<std::unique_ptr<TExStatusPanel>> items_;
    int updateCount_ = 0;
    std::unique_ptr<TTimer> timer_;
    TDateTime lastDate_ = 0;
    std::vector<TExStatusPanel*> timerPanels_;
};

// The process-wide count of timer-list registrations over all bars.
int TimerRegistrationCount();
