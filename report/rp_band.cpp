// Bands: font inheritance, children and the placement the report gives them.
#include "report/rp_band.h"

#include "report/rp_printable.h"
#include "report/rp_report.h"

TRpCustomBand::TRpCustomBand(TRpBandType type) : bandType_(type) {
    // A new band is 40 pixels high at the screen's resolution.
    size_.SetStored(TRpBandSize::iHeight, size_.FromPixels(40));
    size_.OnChange = [this] {
        if (report_) {
            if (!report_->Loading())
                report_->LayoutBands();
        } else {
            SetPixelBounds(Left(), Top(), size_.PixelsOf(size_.Stored(TRpBandSize::iWidth)),
                           PixelHeight());
        }
    };
}

TRpCustomBand::~TRpCustomBand() = default;

void TRpCustomBand::SetFont(const TFont& font) {
    font_ = font;
    parentFont_ = false;
    for (const auto& p : printables_)
        p->ParentFontChanged();
}

void TRpCustomBand::SetParentFont(bool parentFont) {
    parentFont_ = parentFont;
    ParentFontChanged();
}

void TRpCustomBand::ParentFontChanged() {
    if (parentFont_ && report_)
        font_ = report_->Font();
    for (const auto& p : printables_)
        p->ParentFontChanged();
}

void TRpCustomBand::AttachTo(TCustomRpReport* report) {
    report_ = report;
    if (report) {
        size_.SetUnits(report->Units());
        size_.SetZoom(report->Zoom());
        size_.SetFontPointsSource([report] { return report->Font().Size(); });
    }
    for (const auto& p : printables_) {
        p->AttachTo(this, report);
        p->Size().SetFontPointsSource([report] { return report ? report->Font().Size() : 10; });
    }
    ParentFontChanged();
}

TRpPrintable* TRpCustomBand::AddPrintable(std::unique_ptr<TRpPrintable> printable) {
    if (!printable)
        return nullptr;
    TRpPrintable* p = printable.get();
    printables_.push_back(std::move(printable));
    p->AttachTo(this, report_);
    TCustomRpReport* report = report_;
    p->Size().SetFontPointsSource([report] { return report ? report->Font().Size() : 10; });
    p->ParentFontChanged();
    p->UpdateBounds();
    return p;
}

TRpPrintable* TRpCustomBand::FindPrintable(const QString& name) const {
    for (const auto& p : printables_) {
        if (p->Name().compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    }
    return nullptr;
}

void TRpCustomBand::PlaceAt(int left, int top, int width) {
    if (size_.PixelsOf(size_.Stored(TRpBandSize::iWidth)) != width)
        size_.SetStored(TRpBandSize::iWidth, size_.FromPixels(width));
    SetPixelBounds(left, top, width, PixelHeight());
    UpdateChildren();
}

void TRpCustomBand::UpdateChildren() {
    for (const auto& p : printables_) {
        p->Size().SetPixelScale(size_.Zoom());
        p->UpdateBounds();
    }
}
