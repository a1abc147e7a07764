// Bands: a horizontal strip of the page with its type, size record, colour,
// frame, font and printable children. TRpBand is the band of the question
// listing; the child, controller, sub-detail and group bands exist for
// definitions that need them and carry only their link data.
#pragma once

#include "platform/graphics/font.h"
#include "report/rp_band_type.h"
#include "report/rp_base_panel.h"
#include "report/rp_sizes.h"

#include <functional>
#include <memory>
#include <vector>

class TCustomRpReport;
class TDataSet;
class TRpPrintable;

class TRpCustomBand : public TRpBasePanel {
public:
    explicit TRpCustomBand(TRpBandType type = rbDetail);
    ~TRpCustomBand() override;

    TRpBandType BandType() const { return bandType_; }
    TRpBandSize& Size() { return size_; }
    const TRpBandSize& Size() const { return size_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool AlignToBottom() const { return alignToBottom_; }
    void SetAlignToBottom(bool v) { alignToBottom_ = v; }
    bool ForceNewColumn() const { return forceNewColumn_; }
    void SetForceNewColumn(bool v) { forceNewColumn_ = v; }
    bool ForceNewPage() const { return forceNewPage_; }
    void SetForceNewPage(bool v) { forceNewPage_ = v; }
    bool HasChild() const { return hasChild_; }
    void SetHasChild(bool v) { hasChild_ = v; }
    // A band that must print on the same page as this one (non-owning).
    TRpCustomBand* LinkBand() const { return linkBand_; }
    void SetLinkBand(TRpCustomBand* band) { linkBand_ = band == this ? nullptr : band; }

    // The band's font; with ParentFont it follows the report's font.
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);

    // BeforePrint may veto one occurrence by clearing `print`.
    std::function<void(TRpCustomBand* sender, bool& print)> BeforePrint;
    std::function<void(TRpCustomBand* sender, bool printed)> AfterPrint;

    TCustomRpReport* Report() const { return report_; }
    void AttachTo(TCustomRpReport* report);

    // The printable controls, in the order they were added (print order).
    const std::vector<std::unique_ptr<TRpPrintable>>& Printables() const { return printables_; }
    // Takes ownership; returns the control.
    TRpPrintable* AddPrintable(std::unique_ptr<TRpPrintable> printable);
    TRpPrintable* FindPrintable(const QString& name) const;

    // Layout by the report (pixels): position and width, height from the
    // stored record.
    void PlaceAt(int left, int top, int width);
    int PixelHeight() const { return size_.PixelsOf(size_.Stored(TRpBandSize::iHeight)); }
    // Re-derives the children's bounds (a zoom or width change).
    void UpdateChildren();
    // The report font changed: follow it where ParentFont says so.
    void ParentFontChanged();

protected:
    void SetBandType(TRpBandType type) { bandType_ = type; }

private:
    TRpBandType bandType_;
    TRpBandSize size_;
    bool enabled_ = true;
    bool alignToBottom_ = false;
    bool forceNewColumn_ = false;
    bool forceNewPage_ = false;
    bool hasChild_ = false;
    TRpCustomBand* linkBand_ = nullptr;
    TFont font_;
    bool parentFont_ = true;
    TCustomRpReport* report_ = nullptr;
    std::vector<std::unique_ptr<TRpPrintable>> printables_;
};

// The band class of stored definitions: publishes its type.
class TRpBand : public TRpCustomBand {
public:
    explicit TRpBand(TRpBandType type = rbDetail) : TRpCustomBand(type) {}
    using TRpCustomBand::SetBandType;
};

// A band printed right after its parent band.
class TRpChildBand : public TRpCustomBand {
public:
    TRpChildBand() : TRpCustomBand(rbChild) {}
    TRpCustomBand* ParentBand() const { return parentBand_; }
    void SetParentBand(TRpCustomBand* band) { parentBand_ = band == this ? nullptr : band; }

private:
    TRpCustomBand* parentBand_ = nullptr;
};

// A band that walks a data set of its own.
class TRpControllerBand : public TRpCustomBand {
public:
    explicit TRpControllerBand(TRpBandType type = rbSubDetail) : TRpCustomBand(type) {}
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet) { dataSet_ = dataSet; }

private:
    TDataSet* dataSet_ = nullptr;
};

class TRpSubDetail : public TRpControllerBand {
public:
    TRpSubDetail() : TRpControllerBand(rbSubDetail) {}
};

// A group header (and, through its footer flag, group footer) band keyed by
// an expression.
class TRpGroup : public TRpCustomBand {
public:
    explicit TRpGroup(bool footer = false)
        : TRpCustomBand(footer ? rbGroupFooter : rbGroupHeader) {}
    const QString& Expression() const { return expression_; }
    void SetExpression(const QString& expression) { expression_ = expression; }

private:
    QString expression_;
};
