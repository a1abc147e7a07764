// The ruled sides of a report box (report, band or printable control): four
// independent switches, the rule's colour and pen style, and its thickness
// in points.
#pragma once

#include "platform/graphics/canvas.h"
#include "platform/graphics/color.h"

#include <functional>

class TRpPrinter;

class TRpFrame {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c) { Change(color_, c); }
    bool DrawTop() const { return drawTop_; }
    void SetDrawTop(bool v) { Change(drawTop_, v); }
    bool DrawBottom() const { return drawBottom_; }
    void SetDrawBottom(bool v) { Change(drawBottom_, v); }
    bool DrawLeft() const { return drawLeft_; }
    void SetDrawLeft(bool v) { Change(drawLeft_, v); }
    bool DrawRight() const { return drawRight_; }
    void SetDrawRight(bool v) { Change(drawRight_, v); }
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle s) { Change(style_, s); }
    // Thickness in points.
    int Width() const { return width_; }
    void SetWidth(int w) { Change(width_, w); }
    bool DrawsAnySide() const { return drawTop_ || drawBottom_ || drawLeft_ || drawRight_; }

    // Raised when a value changes (a label re-sizes for its side rules).
    std::function<void()> OnChange;

private:
    template <typename T> void Change(T& field, T value) {
        if (field == value)
            return;
        field = value;
        if (OnChange)
            OnChange();
    }

    TColor color_ = clBlack;
    bool drawTop_ = false;
    bool drawBottom_ = false;
    bool drawLeft_ = false;
    bool drawRight_ = false;
    TPenStyle style_ = psSolid;
    int width_ = 1;
};

// Rules the drawn sides of `frame` inside `rect` (device pixels of the
// printer object's page): each side as thick as the frame's width in points
// at the device's resolution, at least one pixel, filled inwards from its
// edge. The canvas's brush is left clear.
void DrawRpFrame(const TRpFrame& frame, TRpPrinter& printer, const TRect& rect);
