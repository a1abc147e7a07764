// The whole state of a canvas, saved for the length of a scope: selected
// objects, colours, modes and clip come back as they were on every way out,
// an exception included.
#pragma once

#include "platform/graphics/canvas.h"

#include <QtGlobal>

class TCanvasStateSaver {
public:
    explicit TCanvasStateSaver(TCanvas& canvas) : canvas_(canvas), saved_(canvas.SaveDC()) {
        Q_ASSERT_X(saved_ > 0, "TCanvasStateSaver",
                   "SaveDC names every saved state by a positive index");
    }
    ~TCanvasStateSaver() { canvas_.RestoreDC(saved_); }
    TCanvasStateSaver(const TCanvasStateSaver&) = delete;
    TCanvasStateSaver& operator=(const TCanvasStateSaver&) = delete;

private:
    TCanvas& canvas_;
    int saved_;
};
