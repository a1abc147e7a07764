// The gauge settings every status panel owns: the style of the gauge, its
// percent position, the speed of the animated figures and their colours.
// They only show while the panel's type is sptGauge; every change tells the
// panel.
#pragma once

#include "platform/graphics/color.h"

enum TExGaugeStyle { gsPercent, gsIndeterminate, gsIndeterminate2 };

inline bool IsIndeterminate(TExGaugeStyle style) {
    return style != gsPercent;
}

class TExStatusPanel;

class TExGaugeAttrs {
public:
    explicit TExGaugeAttrs(TExStatusPanel* owner);

    TExStatusPanel* Owner() const { return owner_; }

    TExGaugeStyle Style() const { return style_; }
    void SetStyle(TExGaugeStyle style);
    // A percentage: values outside 0 to 100 are brought to the nearest bound.
    int Position() const { return position_; }
    void SetPosition(int position);
    // Pixels per animation step. Only positive values are taken; every
    // assignment re-aims the panel's step with the speed, keeping its sign.
    int Speed() const { return speed_; }
    void SetSpeed(int speed);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TColor TextColor() const { return textColor_; }
    void SetTextColor(TColor color);

    // Copies Position, then Style, through their setters.
    void Assign(const TExGaugeAttrs& source);

private:
    TExStatusPanel* owner_;
    TExGaugeStyle style_ = gsPercent;
    int position_ = 0;
    int speed_ = 4;
    TColor color_ = clHighlight;
    TColor textColor_ = clHighlightText;
};
