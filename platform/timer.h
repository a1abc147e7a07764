// TTimer: the desktop timer component over a QTimer of the thread that creates
// it (the user-interface thread). It ticks while Enabled and Interval > 0;
// changing Interval or re-enabling starts the period afresh. Every tick runs
// OnTimer under Dispatch, so a failing handler is reported and the timer keeps
// going. Fire() delivers one tick at once, for tests that must not wait.
#pragma once

#include <functional>
#include <memory>

class QTimer;

class TTimer {
public:
    TTimer();
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    // Milliseconds between ticks; 1000 at creation. Negative counts as 0.
    int Interval() const { return interval_; }
    void SetInterval(int msecs);

    // True at creation.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // Enabled and a positive interval: the timer is running.
    bool Active() const;

    std::function<void()> OnTimer;

    // One tick now, as the running timer would deliver it: runs OnTimer under
    // Dispatch when the timer is active. Returns whether it ticked.
    bool Fire();

private:
    void Update();
    void Tick(bool fromTimer);

    std::unique_ptr<QTimer> timer_;
    int interval_ = 1000;
    bool enabled_ = true;
    // Set while a tick from the QTimer is being delivered (see the destructor).
    std::shared_ptr<bool> alive_;
    bool inTick_ = false;
};
