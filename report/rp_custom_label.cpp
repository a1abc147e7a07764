// Text controls at design time: placement on the band and sizing to the
// caption. Widths are measured on the screen reference device so that the
// box matches what the line layout of a run will measure.
#include "report/rp_custom_label.h"

#include "platform/graphics/canvas.h"
#include "report/rp_band.h"
#include "report/rp_line_layout.h"
#include "report/rp_print_context.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

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

// ---- Printing ----------------------------------------------------------------

namespace {

unsigned TextAlignFor(TAlignment alignment) {
    switch (alignment) {
    case taLeftJustify:
        return TA_LEFT | TA_TOP;
    case taRightJustify:
        return TA_RIGHT | TA_TOP;
    case taCenter:
        return TA_CENTER | TA_TOP;
    }
    return TA_LEFT | TA_TOP;
}

} // namespace

void TRpCustomLabel::Print(TRpPrintContext& context, double x, double y) {
    if (!Enabled())
        return;
    QString text = PrintText();
    if (OnPrint && !text.isEmpty())
        OnPrint(this, text);
    // An auto-sized box follows the text it prints, keeping the edge or
    // centre its alignment anchors.
    if (autoSize_ && text != caption_)
        SetCaption(text);
    bool dropped = false;
    lines_ = RpLayoutLines(text, font_, TRpLineLayout{Width(), autoSize_, wordWrap_, ReportZoom()},
                           &dropped);
    const double lineHeight = RpLineHeight(font_);

    TRpPrinter& printer = context.Printer;
    TCanvas& canvas = printer.Canvas();
    double left = x + static_cast<double>(Size().Stored(TRpPrintableSize::iLeft));
    double top = y + static_cast<double>(Size().Stored(TRpPrintableSize::iTop));
    const double width = static_cast<double>(Size().Stored(TRpPrintableSize::iWidth));
    const double height = static_cast<double>(Size().Stored(TRpPrintableSize::iHeight));
    const TRect box = Rect(printer.XPosition(left), printer.YPosition(top),
                           printer.XPosition(left + width), printer.YPosition(top + height));
    // A white box on the white page is left unpainted, like a white band,
    // so that it cannot wipe out a rule drawn above it on the same row.
    const auto fill = [&](int fromY, int toY) {
        if (transparent_ || color_ == clWhite)
            return;
        canvas.Brush() = TBrush{color_, bsSolid};
        canvas.FillRect(Rect(box.Left, fromY, box.Right, toY));
    };
    fill(box.Top, box.Bottom);
    const double outerBottom = top + height;

    const double inset = std::lround(Frame().Width() * 254.0 / 72.0);
    if (Frame().DrawTop())
        top += inset;
    if (Frame().DrawLeft())
        left += inset;

    canvas.SetFont(font_);
    canvas.SetBkMode(TRANSPARENT);
    canvas.SetTextAlign(TextAlignFor(alignment_));
    const double anchor = alignment_ == taLeftJustify    ? left
                          : alignment_ == taRightJustify ? left + width
                                                         : left + width / 2;
    const int anchorX = printer.XPosition(anchor);

    // Whole lines only: a line prints when it ends inside the box, or when
    // a stretching control may still grow the band by one more line.
    const double bottom = top + height + 1;
    double textY = top;
    double grown = 0;
    qsizetype i = PrintFinished() ? 0 : nextLine_;
    for (; i < lines_.size(); ++i) {
        if (textY + lineHeight > bottom + grown) {
            if (!autoStretch_ || grown + lineHeight > context.GrowthAllowed)
                break;
            fill(printer.YPosition(outerBottom + grown),
                 printer.YPosition(outerBottom + grown + lineHeight));
            grown += lineHeight;
            context.Expanded = std::max(context.Expanded, grown);
        }
        if (!lines_.at(i).isEmpty())
            canvas.TextOut(anchorX, printer.YPosition(textY), lines_.at(i));
        textY += lineHeight;
    }
    nextLine_ = static_cast<int>(i);
    SetPrintFinished(!(i < lines_.size() && autoStretch_));
    const bool linesLost = i < lines_.size() && !autoStretch_;
    if ((linesLost || dropped) && Report() && Report()->OnTextCut)
        Report()->OnTextCut(this, static_cast<int>(i), static_cast<int>(lines_.size()), dropped);

    TRect framed = box;
    framed.Bottom = printer.YPosition(outerBottom + grown);
    DrawRpFrame(Frame(), printer, framed);
}
