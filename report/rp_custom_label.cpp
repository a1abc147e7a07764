// Text controls at design time: placement on the band and sizing to the
// caption. Widths are measured on the screen reference device so that the
// box matches what the line layout of a run will measure.
#include "report/rp_custom_label.h"

#include "platform/graphics/canvas.h"
#include "report/rp_band.h"
#include "report/rp_report.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>

TRpCustomLabel::TRpCustomLabel() = default;
TRpCustomLabel::~TRpCustomLabel() = default;

TFont TRpCustomLabel::ParentsFont() const {
    if (const TRpCustomBand* band = Band())
        return band->Font();
    if (const TCustomRpReport* report = Report())
        return report->Font();
    return font_;
}

void TRpCustomLabel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    PlaceOnBand();
}

void TRpCustomLabel::SetAlignToBand(bool on) {
    alignToBand_ = on;
    PlaceOnBand();
}

void TRpCustomLabel::SetAutoSize(bool on) {
    autoSize_ = on;
    AdjustBounds();
}

void TRpCustomLabel::SetFont(const TFont& font) {
    font_ = font;
    parentFont_ = false;
    AdjustBounds();
}

void TRpCustomLabel::SetParentFont(bool on) {
    parentFont_ = on;
    if (on) {
        font_ = ParentsFont();
        AdjustBounds();
    }
}

void TRpCustomLabel::ParentFontChanged() {
    if (!parentFont_)
        return;
    font_ = ParentsFont();
    AdjustBounds();
}

void TRpCustomLabel::ApplyFontSize() {
    if (fontSize_ <= 0)
        return;
    // The stored pixel height belongs to the resolution the definition was
    // designed at; the point size holds whatever the screen's.
    font_.SetPixelsPerInch(Size().ScreenPixelsPerInch());
    font_.SetSize(fontSize_);
}

void TRpCustomLabel::SetCaption(const QString& caption) {
    caption_ = caption;
    AdjustBounds();
}

void TRpCustomLabel::BoundsChanged() {
    PlaceOnBand();
}

void TRpCustomLabel::PlaceOnBand() {
    if (!alignToBand_ || !Band() || Loading() || placing_)
        return;
    const int bandWidth = BandPixelWidth();
    int left = 0;
    switch (alignment_) {
    case taLeftJustify:
        left = 0;
        break;
    case taRightJustify:
        left = bandWidth - Width();
        break;
    case taCenter:
        left = (bandWidth - Width()) / 2; // truncates toward zero
        break;
    }
    if (left == Left())
        return;
    placing_ = true;
    StorePixels(TRpPrintableSize::iLeft, left);
    UpdateBounds();
    placing_ = false;
}

void TRpCustomLabel::AdjustBounds() {
    if (!autoSize_ || Loading())
        return;
    // Measuring needs the GUI side of Qt (fonts); without it the box keeps
    // its size rather than taking a made-up one.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    const int zoom = ReportZoom();
    TCanvas& canvas = ReferenceCanvas();
    const TFont saved = canvas.Font();
    canvas.SetFont(font_);
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    int widest = 0;
    for (const QString& line : caption_.split(breaks))
        widest = std::max(widest, (canvas.TextWidth(line) + 1) * zoom / 100);
    const int lineHeight = canvas.TextHeight(QStringLiteral("W")) * zoom / 100 + 1;
    canvas.SetFont(saved);

    int width = widest;
    if (Frame().DrawLeft())
        width += Frame().Width();
    if (Frame().DrawRight())
        width += Frame().Width();
    const int oldWidth = Width();
    int left = Left();
    if (alignment_ == taRightJustify)
        left += oldWidth - width;
    else if (alignment_ == taCenter)
        left += (oldWidth - width) / 2;
    const int height = std::max(Height(), lineHeight);

    StorePixels(TRpPrintableSize::iLeft, left);
    StorePixels(TRpPrintableSize::iWidth, width);
    StorePixels(TRpPrintableSize::iHeight, height);
    UpdateBounds();
}
