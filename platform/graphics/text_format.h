// Formatted text as the desktop's DrawText lays it out: "&" prefixes, line
// and word breaks, end and path ellipsis, alignment inside a rectangle. The
// layout is independent of any device (widths come from a measuring
// function), so the painter canvas and the recording metafile canvas share
// it and draw the resulting lines with their own text output.
#pragma once

#include "platform/graphics/geometry.h"

#include <QString>
#include <functional>
#include <vector>

class TCanvas;

// Width in pixels of a single line of text.
using TTextMeasure = std::function<int(const QString&)>;

// "&&" becomes "&"; "&x" becomes "x" and marks it as the underlined access
// character (the last one marked wins); a trailing lone "&" is dropped.
struct TPrefixedText {
    QString Text;
    int UnderlineIndex = -1;
};
TPrefixedText StripPrefix(const QString& text);

// The text as shown in `width` pixels with DT_END_ELLIPSIS (cut at the end,
// "..." appended) or DT_PATH_ELLIPSIS (the last path component after "\" or
// "/" kept, the middle replaced by "..."; when even that is too wide, the
// end of the last component after "..."; a text without separators is cut
// at the end). Text that fits is returned unchanged.
QString EllipsisText(const QString& text, int width, unsigned mode, const TTextMeasure& measure);

// One line of a laid-out text, at its position.
struct TTextLine {
    QString Text;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int UnderlineIndex = -1; // index in Text of the access character, or -1
};

struct TTextLayout {
    std::vector<TTextLine> Lines;
    int Width = 0;  // of the widest line
    int Height = 0; // what DrawText returns: the text height (from the
                    // rectangle's top with DT_VCENTER or DT_BOTTOM)
};

// Lays `text` out in `rect` by the DT_* `format`; `lineHeight` is the
// height of one line in the font.
TTextLayout LayoutDrawText(const QString& text, const TRect& rect, unsigned format,
                           const TTextMeasure& measure, int lineHeight);

// DrawText on any canvas, composed of its TextExtent, clipping and
// ExtTextOut: the behaviour TCanvas::DrawText promises.
int DrawTextOnCanvas(TCanvas& canvas, const QString& text, TRect& rect, unsigned format);
