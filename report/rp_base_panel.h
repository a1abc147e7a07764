// The common base of the report and its bands: a named box with a colour, a
// frame and pixel bounds at design resolution. These are plain objects, not
// widgets: the bounds are what a design view or a test reads.
#pragma once

#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "report/rp_frame.h"

#include <QString>

class TRpBasePanel {
public:
    TRpBasePanel();
    virtual ~TRpBasePanel();
    TRpBasePanel(const TRpBasePanel&) = delete;
    TRpBasePanel& operator=(const TRpBasePanel&) = delete;

    const QString& Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }
    TRpFrame& Frame() { return frame_; }
    const TRpFrame& Frame() const { return frame_; }

    // Pixel bounds (screen resolution, the object's zoom).
    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    const TRect& BoundsRect() const { return bounds_; }

protected:
    void SetPixelBounds(int left, int top, int width, int height) {
        bounds_ = Bounds(left, top, width, height);
    }

private:
    QString name_;
    TColor color_ = clWhite;
    TRpFrame frame_;
    TRect bounds_;
};
