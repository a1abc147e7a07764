// The QTimer is owned here rather than by a Qt parent, so a TTimer may be a
// plain member or a unique_ptr of its owner.
#include "platform/timer.h"

#include "platform/dispatch.h"

#include <QTimer>

TTimer::TTimer() : timer_(std::make_unique<QTimer>()), alive_(std::make_shared<bool>(true)) {
    timer_->setTimerType(Qt::CoarseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { Tick(true); });
    Update();
}

TTimer::~TTimer() {
    *alive_ = false;
    if (inTick_) {
        // Freed by its own handler (a status bar drops its clock when the last
        // timed panel leaves): the QTimer is still inside its timeout signal,
        // so it goes once control is back in the event loop.
        timer_->stop();
        timer_.release()->deleteLater();
    }
}

void TTimer::SetInterval(int msecs) {
    if (msecs < 0)
        msecs = 0;
    if (msecs == interval_)
        return;
    interval_ = msecs;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Update();
}

bool TTimer::Active() const {
    return enabled_ && interval_ > 0;
}

bool TTimer::Fire() {
    if (!Active())
        return false;
    Tick(false);
    return true;
}

void TTimer::Update() {
    timer_->stop();
    if (Active())
        timer_->start(interval_);
}

void TTimer::Tick(bool fromTimer) {
    // The handler may free this timer; the copies keep the handler and the
    // liveness flag alive for the call, and nothing of this object is touched
    // once it is gone.
    const std::function<void()> handler = OnTimer;
    if (!handler)
        return;
    const std::shared_ptr<bool> alive = alive_;
    const bool outer = fromTimer && !inTick_;
    if (outer)
        inTick_ = true;
    Dispatch(handler);
    if (*alive && outer)
        inTick_ = false;
}
