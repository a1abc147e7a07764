// What a control is given when its band prints: the printer object that
// provides the page's canvas and conversions, and the band's growth, which
// stretching controls raise while the space left on the page allows.
// Positions and heights are tenths of a millimetre.
#pragma once

class TRpPrinter;

struct TRpPrintContext {
    TRpPrinter& Printer;
    // How far the band may grow at most (the space left on the page less
    // its stored height); 0 when it may not grow.
    double GrowthAllowed = 0;
    // The band's expanded amount: the largest growth any control needed.
    double Expanded = 0;
};
