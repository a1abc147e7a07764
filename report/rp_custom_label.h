// Text drawn in a box: alignment, placement on the band (AlignToBand),
// automatic sizing to the caption (AutoSize), wrapping and stretching rules,
// colours and the font. The caption is what a design view shows; printing
// (line layout and drawing) builds on it.
#pragma once

#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "report/rp_printable.h"
#include "store/field.h"

#include <QString>
#include <QStringList>
#include <functional>

class TRpCustomLabel : public TRpPrintable {
public:
    TRpCustomLabel();
    ~TRpCustomLabel() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool AlignToBand() const { return alignToBand_; }
    void SetAlignToBand(bool on);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool AutoStretch() const { return autoStretch_; }
    void SetAutoStretch(bool on) { autoStretch_ = on; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on) { wordWrap_ = on; }
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on) { transparent_ = on; }

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    // With ParentFont the font follows the band's (or the report's) font.
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool on);
    // The stored point size: the font's size when saved; a positive value
    // read from a definition becomes the font's point size.
    int FontSize() const { return fontSize_; }
    void SetFontSize(int points) { fontSize_ = points; }
    // The definition reader's step: a positive FontSize replaces the
    // stored pixel height, at the screen's resolution.
    void ApplyFontSize();
    // The parent's font changed.
    void ParentFontChanged();

    const QString& Caption() const { return caption_; }

    // May replace the text of one printing.
    std::function<void(TRpCustomLabel* sender, QString& text)> OnPrint;

    // Sizes the box to the caption (only with AutoSize, not while loading).
    void AdjustBounds();

    // Lays the print text out in the box and draws the lines that fit.
    void Print(TRpPrintContext& context, double x, double y) override;
    // The lines of the last layout.
    const QStringList& FormattedLines() const { return lines_; }

protected:
    // The text of this printing: the caption unless a kind says otherwise.
    virtual QString PrintText() { return caption_; }
    void SetCaption(const QString& caption);
    void BoundsChanged() override;

private:
    TFont ParentsFont() const;
    void PlaceOnBand();

    TAlignment alignment_ = taLeftJustify;
    bool alignToBand_ = false;
    bool autoSize_ = true;
    bool autoStretch_ = false;
    bool wordWrap_ = true;
    TColor color_ = clWhite;
    bool transparent_ = false;
    TFont font_;
    bool parentFont_ = true;
    int fontSize_ = 0;
    QString caption_;
    bool placing_ = false;
    QStringList lines_;
    int nextLine_ = 0;
};
