// The panel collection and the bar's clock timer.
#include "statusbar/ex_status_panels.h"

#include "platform/clock.h"
#include "platform/timer.h"
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_panel.h"

#include <algorithm>

namespace {
int gTimerRegistrations = 0;
}

int TimerRegistrationCount() {
    return gTimerRegistrations;
}

TExStatusPanels::TExStatusPanels(TExStatusBar* bar, TStatusPanels* native)
    : bar_(bar), native_(native) {}

TExStatusPanels::~TExStatusPanels() {
    ++updateCount_; // no repaints of a bar going away
    while (!items_.empty()) {
        auto last = std::move(items_.back());
        items_.pop_back();
        last.reset();
    }
    timer_.reset();
}

TExStatusPanel* TExStatusPanels::Items(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

int TExStatusPanels::IndexOf(const TExStatusPanel* panel) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == panel)
            return static_cast<int>(i);
    return -1;
}

TExStatusPanel* TExStatusPanels::Add() {
    return Insert(Count());
}

TExStatusPanel* TExStatusPanels::Insert(int index) {
    index = std::clamp(index, 0, Count());
    auto panel = std::make_unique<TExStatusPanel>(this);
    TExStatusPanel* result = panel.get();
    items_.push_back(std::move(panel));
    const int last = Count() - 1;
    if (index != last) {
        native_->Move(last, index);
        auto item = std::move(items_.back());
        items_.pop_back();
        items_.insert(items_.begin() + index, std::move(item));
    }
    Update(nullptr);
    return result;
}

void TExStatusPanels::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    auto panel = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    panel.reset();
    Update(nullptr);
}

void TExStatusPanels::Clear() {
    if (items_.empty())
        return;
    BeginUpdate();
    while (!items_.empty())
        Delete(Count() - 1);
    EndUpdate();
}

void TExStatusPanels::Move(int from, int to) {
    if (from < 0 || from >= Count())
        return;
    to = std::clamp(to, 0, Count() - 1);
    if (from == to)
        return;
    // The linked part moves first, so that the pairing by index holds.
    native_->Move(from, to);
    auto item = std::move(items_[static_cast<size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
    Update(nullptr);
}

void TExStatusPanels::Assign(const TExStatusPanels& source) {
    if (&source == this)
        return;
    BeginUpdate();
    Clear();
    for (int i = 0; i < source.Count(); ++i)
        Add()->Assign(*source[i]);
    EndUpdate();
}

void TExStatusPanels::BeginUpdate() {
    ++updateCount_;
}

void TExStatusPanels::EndUpdate() {
    if (updateCount_ == 0)
        return;
    if (--updateCount_ == 0)
        Update(nullptr);
}

void TExStatusPanels::Update(TExStatusPanel* panel) {
    if (updateCount_ > 0)
        return;
    if (panel)
        bar_->RedrawPanel(panel->Index());
    else
        bar_->Invalidate();
}

// --- the clock ------------------------------------------------------------------

bool TExStatusPanels::InTimerList(const TExStatusPanel* panel) const {
    return std::find(timerPanels_.begin(), timerPanels_.end(), panel) != timerPanels_.end();
}

void TExStatusPanels::JoinTimer(TExStatusPanel* panel) {
    if (!timer_) {
        timer_ = std::make_unique<TTimer>();
        timer_->OnTimer = [this] { ClockTick(); };
        timer_->SetInterval(1000);
        timer_->SetEnabled(true);
        lastDate_ = Date();
    }
    if (InTimerList(panel))
        return;
    timerPanels_.push_back(panel);
    ++gTimerRegistrations;
    const bool only = timerPanels_.size() == 1;
    switch (panel->PanelType()) {
    case sptDate:
        if (only)
            timer_->SetInterval(60000);
        break;
    case sptTime:
    case sptDateTime:
        if (only || timer_->Interval() > 1000)
            timer_->SetInterval(1000);
        break;
    case sptGauge:
        if (IsIndeterminate(panel->GaugeAttrs()->Style()))
            timer_->SetInterval(50);
        break;
    default:
        break;
    }
    timer_->SetEnabled(true);
}

void TExStatusPanels::LeaveTimer(TExStatusPanel* panel) {
    auto it = std::find(timerPanels_.begin(), timerPanels_.end(), panel);
    if (it == timerPanels_.end())
        return;
    timerPanels_.erase(it);
    --gTimerRegistrations;
    if (timerPanels_.empty()) {
        timer_.reset();
        return;
    }
    RecomputeInterval();
}

void TExStatusPanels::RecomputeInterval() {
    int interval = 60000;
    for (TExStatusPanel* panel : timerPanels_) {
        const TExStatusPanelType type = panel->PanelType();
        if (type == sptTime || type == sptDateTime) {
            interval = 1000;
        } else if (type == sptGauge && IsIndeterminate(panel->GaugeAttrs()->Style())) {
            interval = 50;
            break;
        }
    }
    if (timer_)
        timer_->SetInterval(interval);
}

void TExStatusPanels::ClockTick() {
    const TDateTime today = Date();
    const bool dayChanged = today != lastDate_;
    if (dayChanged)
        lastDate_ = today;
    // A copy: a handler reached from a repaint may change the list.
    const std::vector<TExStatusPanel*> panels = timerPanels_;
    for (TExStatusPanel* panel : panels) {
        if (!InTimerList(panel))
            continue;
        switch (panel->PanelType()) {
        case sptTime:
        case sptDateTime:
            panel->UpdateDateTime();
            break;
        case sptDate:
            if (dayChanged)
                panel->UpdateDateTime();
            break;
        case sptGauge:
            if (IsIndeterminate(panel->GaugeAttrs()->Style()))
                panel->AnimateStep();
            break;
        default:
            break;
        }
    }
}
