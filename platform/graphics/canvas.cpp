// The device-independent part of the canvas: the selected objects, the
// colour and mode settings and the operations that are composed of others.
#include "platform/graphics/canvas.h"

TCanvas::TCanvas() : textColor_(font_.Color()), fontColorSeen_(font_.Color()) {}

TCanvas::~TCanvas() = default;

void TCanvas::SetFont(const TFont& font) {
    font_ = font;
    textColor_ = font.Color();
    fontColorSeen_ = font.Color();
}

TColor TCanvas::TextColor() const {
    // A colour assigned through Font() since the last look becomes the text
    // colour, as a font change reselects the font and its colour.
    if (font_.Color() != fontColorSeen_) {
        fontColorSeen_ = font_.Color();
        textColor_ = fontColorSeen_;
    }
    return textColor_;
}

TColor TCanvas::SetTextColor(TColor color) {
    const TColor previous = TextColor();
    textColor_ = color;
    return previous;
}

int TCanvas::SetBkMode(int mode) {
    const int previous = bkMode_;
    bkMode_ = mode;
    return previous;
}

unsigned TCanvas::SetTextAlign(unsigned align) {
    const unsigned previous = textAlign_;
    textAlign_ = align;
    return previous;
}

TCanvas::TCanvasState TCanvas::SaveCanvasState() const {
    return {font_, brush_, pen_, TextColor(), bkMode_, textAlign_, penPos_};
}

void TCanvas::RestoreCanvasState(const TCanvasState& state) {
    SetFont(state.Font);
    brush_ = state.Brush;
    pen_ = state.Pen;
    SetTextColor(state.TextColor);
    bkMode_ = state.BkMode;
    textAlign_ = state.TextAlign;
    penPos_ = state.PenPos;
}

int TCanvas::SavedStateIndex(int saved, int depth) {
    const int index = saved < 0 ? depth + saved + 1 : saved;
    return index < 1 || index > depth ? 0 : index;
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const QString& text) {
    unsigned options = ETO_CLIPPED;
    if (brush_.Style != bsClear)
        options |= ETO_OPAQUE;
    ExtTextOut(x, y, options, &rect, text);
}
