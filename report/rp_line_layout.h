// Line layout of the report's text controls. Widths are always measured on
// the screen reference device, whatever the page is drawn on, so that the
// preview, a 600 pixels-per-inch printer and a PDF break a text at the same
// words. A line feed never reaches a line; a carriage return starts one.
#pragma once

#include <QString>
#include <QStringList>

class TFont;

struct TRpLineLayout {
    // The box's width in screen pixels.
    int BoxWidth = 0;
    // Each paragraph is one line (the box follows the text instead).
    bool AutoSize = false;
    bool WordWrap = true;
    // The control's zoom, percent.
    int Zoom = 100;
};

// The lines of `text` in `font`. A word runs up to and including the next
// space or hyphen; a word wider than the box alone is cut to what fits and
// the rest of it is lost. Without word wrap a paragraph keeps only what
// fits on its first line.
// `dropped`, when given, is set when characters of the text were left out
// (a word cut to its box, or what followed without word wrap).
QStringList RpLayoutLines(const QString& text, const TFont& font, const TRpLineLayout& layout,
                          bool* dropped = nullptr);

// The height of one line in `font`, in tenths of a millimetre, measured on
// the same reference device as the breaks, so that a box holds as many
// lines on paper as in the preview.
double RpLineHeight(const TFont& font);
