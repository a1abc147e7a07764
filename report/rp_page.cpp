// Page setup: the paper table and the rules for writing the extent.
#include "report/rp_page.h"

#include <array>

namespace {

// Indexed by ordinal - 1 (Letter .. ESheet).
constexpr std::array<TRpPaperDimensions, 26> paperTable{{
    {215.9, 279.4}, // Letter
    {215.9, 279.4}, // LetterSmall
    {279.4, 431.8}, // Tabloid
    {431.8, 279.4}, // Ledger
    {215.9, 355.6}, // Legal
    {139.7, 215.9}, // Statement
    {190.5, 254},   // Executive
    {297, 420},     // A3
    {210, 297},     // A4
    {210, 297},     // A4Small
    {148, 210},     // A5
    {250, 354},     // B4
    {182, 257},     // B5
    {215.9, 330.2}, // Folio
    {215, 275},     // Quarto
    {254, 355.6},   // rp10X14
    {279.4, 431.8}, // rp11X17
    {215.9, 279},   // Note
    {98.43, 225.4}, // Env9
    {104.8, 241.3}, // Env10
    {114.3, 263.5}, // Env11
    {101.6, 279.4}, // Env12
    {127, 292.1},   // Env14
    {100, 100},     // CSheet
    {100, 100},     // DSheet
    {100, 100},     // ESheet
}};

std::function<TRpPaperSize()>& PaperSource() {
    static std::function<TRpPaperSize()> source;
    return source;
}

} // namespace

void SetRpDefaultPaperSource(std::function<TRpPaperSize()> source) {
    PaperSource() = std::move(source);
}

TRpPaperSize RpDefaultPrinterPaper() {
    const auto& source = PaperSource();
    return source ? source() : TRpPaperSize::Default;
}

bool RpPaperDimensions(TRpPaperSize size, TRpPaperDimensions& out) {
    const int ordinal = static_cast<int>(size);
    if (ordinal < 1 || ordinal > 26)
        return false;
    out = paperTable[static_cast<std::size_t>(ordinal - 1)];
    return true;
}

TRpPage::TRpPage() : TRpUnitBase(Count), paperSize_(TRpPaperSize::A4) {
    const bool us = RpUsesUSMeasurement();
    const long double margin = us ? 127.0L : 100.0L; // 0.5 in or 10 mm
    SetStored(iTopMargin, margin);
    SetStored(iBottomMargin, margin);
    SetStored(iLeftMargin, margin);
    SetStored(iRightMargin, margin);
    SetStored(iColumnSpace, 0);
    paperSize_ = us ? TRpPaperSize::Letter : TRpPaperSize::A4;
    ApplyPaperSize();
}

void TRpPage::ApplyPaperSize() {
    TRpPaperDimensions d{};
    if (!RpPaperDimensions(paperSize_, d))
        return;
    // Written as MM values, as the table is in millimetres.
    long double w = d.Width * 10.0L;
    long double l = d.Length * 10.0L;
    if (orientation_ == poLandscape)
        std::swap(w, l);
    SetStored(iWidth, w);
    SetStored(iLength, l);
}

void TRpPage::Changed() {
    if (OnChange)
        OnChange();
}

void TRpPage::SetPaperSize(TRpPaperSize size) {
    paperSize_ = size;
    ApplyPaperSize();
    Changed();
}

void TRpPage::SetOrientation(TPrinterOrientation orientation) {
    // Only a standard size has a table entry to turn; custom paper keeps
    // the extent it was given.
    orientation_ = orientation;
    ApplyPaperSize();
    Changed();
}

void TRpPage::SetWidth(long double v) {
    if (paperSize_ != TRpPaperSize::Custom)
        return;
    Set(iWidth, false, v);
}

void TRpPage::SetLength(long double v) {
    if (paperSize_ != TRpPaperSize::Custom)
        return;
    Set(iLength, true, v);
}

void TRpPage::SetColumns(int columns) {
    if (columns <= 0 || columns == columns_)
        return;
    columns_ = columns;
    Changed();
}

void TRpPage::LoadPaper(TRpPaperSize size, TPrinterOrientation orientation) {
    paperSize_ = size;
    orientation_ = orientation;
}
