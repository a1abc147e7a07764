// Gauge settings: every change goes to the owning panel, which decides what
// to repaint and whether the clock is needed.
#include "statusbar/ex_gauge_attrs.h"

#include "statusbar/ex_status_panel.h"

#include <algorithm>

TExGaugeAttrs::TExGaugeAttrs(TExStatusPanel* owner) : owner_(owner) {}

void TExGaugeAttrs::SetStyle(TExGaugeStyle style) {
    if (style == style_)
        return;
    const TExGaugeStyle old = style_;
    owner_->GaugeStyleChanging(old, style);
    style_ = style;
    owner_->GaugeStyleChanged(old);
}

void TExGaugeAttrs::SetPosition(int position) {
    position = std::clamp(position, 0, 100);
    if (position == position_)
        return;
    position_ = position;
    owner_->Redraw();
}

void TExGaugeAttrs::SetSpeed(int speed) {
    // A speed of zero or below would stop or reverse the figure; it is
    // refused and the current speed stays.
    if (speed > 0)
        speed_ = speed;
    owner_->GaugeSpeedAssigned(speed_);
}

void TExGaugeAttrs::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    owner_->DropGradientStrip();
    owner_->Redraw();
}

void TExGaugeAttrs::SetTextColor(TColor color) {
    if (color == textColor_)
        return;
    textColor_ = color;
    owner_->Redraw();
}

void TExGaugeAttrs::Assign(const TExGaugeAttrs& source) {
    SetPosition(source.Position());
    SetStyle(source.Style());
}
