// The page setup of a report: paper size with its dimension table,
// orientation, margins and columns. The stored record (Page.Values) is
// BottomMargin, Length, TopMargin, Width, LeftMargin, RightMargin,
// ColumnSpace. Width and Length follow the paper size; only Custom paper
// takes them as written.
#pragma once

#include "report/rp_units.h"

#include <functional>

enum class TRpPaperSize : int {
    Default = 0,
    Letter,
    LetterSmall,
    Tabloid,
    Ledger,
    Legal,
    Statement,
    Executive,
    A3,
    A4,
    A4Small,
    A5,
    B4,
    B5,
    Folio,
    Quarto,
    rp10X14,
    rp11X17,
    Note,
    Env9,
    Env10,
    Env11,
    Env12,
    Env14,
    CSheet,
    DSheet,
    ESheet,
    Custom,
};

enum TPrinterOrientation : int { poPortrait = 0, poLandscape = 1 };

struct TRpPaperDimensions {
    double Width;  // millimetres, portrait
    double Length; // millimetres, portrait
};

// Portrait dimensions of the standard sizes (Letter to ESheet); false for
// Default and Custom, which have none.
bool RpPaperDimensions(TRpPaperSize size, TRpPaperDimensions& out);

// Where a new report takes its initial paper size from: the printing layer
// installs the default printer's current paper here. Without a source, or
// when it gives Default or Custom, a report keeps its page's own default.
void SetRpDefaultPaperSource(std::function<TRpPaperSize()> source);
TRpPaperSize RpDefaultPrinterPaper();

class TRpPage : public TRpUnitBase {
public:
    enum : int {
        iBottomMargin = 0,
        iLength = 1,
        iTopMargin = 2,
        iWidth = 3,
        iLeftMargin = 4,
        iRightMargin = 5,
        iColumnSpace = 6,
        Count = 7
    };

    // A4 with 10 mm margins in MM, or Letter with 0.5 in margins in Inches
    // under the U.S. measurement system.
    TRpPage();

    TRpPaperSize PaperSize() const { return paperSize_; }
    // A standard size writes Width and Length from the table (swapped in
    // landscape); Custom keeps the current extent for direct writes.
    void SetPaperSize(TRpPaperSize size);
    TPrinterOrientation Orientation() const { return orientation_; }
    // Re-applies the current paper size.
    void SetOrientation(TPrinterOrientation orientation);

    long double BottomMargin() const { return Get(iBottomMargin, true); }
    void SetBottomMargin(long double v) { Set(iBottomMargin, true, v); }
    long double TopMargin() const { return Get(iTopMargin, true); }
    void SetTopMargin(long double v) { Set(iTopMargin, true, v); }
    long double LeftMargin() const { return Get(iLeftMargin, false); }
    void SetLeftMargin(long double v) { Set(iLeftMargin, false, v); }
    long double RightMargin() const { return Get(iRightMargin, false); }
    void SetRightMargin(long double v) { Set(iRightMargin, false, v); }
    long double ColumnSpace() const { return Get(iColumnSpace, false); }
    void SetColumnSpace(long double v) { Set(iColumnSpace, false, v); }
    // The paper's extent as printed; writes are ignored unless Custom.
    long double Width() const { return Get(iWidth, false); }
    void SetWidth(long double v);
    long double Length() const { return Get(iLength, true); }
    void SetLength(long double v);

    int Columns() const { return columns_; }
    // 0 or less is ignored.
    void SetColumns(int columns);
    bool Ruler() const { return ruler_; }
    void SetRuler(bool ruler) { ruler_ = ruler; }

    // Loading: takes paper size and orientation as stored, without writing
    // the extent from the table (the stored values carry it).
    void LoadPaper(TRpPaperSize size, TPrinterOrientation orientation);

private:
    void ApplyPaperSize();
    void Changed();

    TRpPaperSize paperSize_;
    TPrinterOrientation orientation_ = poPortrait;
    int columns_ = 1;
    bool ruler_ = true;
};
