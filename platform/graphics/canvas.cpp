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

void TCanvas::TextRect(const TRect& rect, int x, int y, const QString& text) {
    unsigned options = ETO_CLIPPED;
    if (brush_.Style != bsClear)
        options |= ETO_OPAQUE;
    ExtTextOut(x, y, options, &rect, text);
}
