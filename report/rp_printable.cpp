// Printable controls: the link between the stored size record and the pixel
// bounds a design view shows.
#include "report/rp_printable.h"

#include "report/rp_band.h"
#include "report/rp_report.h"

TRpPrintable::TRpPrintable() {
    size_.OnChange = [this] { UpdateBounds(); };
}

TRpPrintable::~TRpPrintable() = default;

TCustomRpReport* TRpPrintable::Report() const {
    return band_ ? band_->Report() : report_;
}

bool TRpPrintable::Loading() const {
    const TCustomRpReport* report = Report();
    return report && report->Loading();
}

int TRpPrintable::BandPixelWidth() const {
    return band_ ? band_->Width() : 0;
}

int TRpPrintable::ReportZoom() const {
    const TCustomRpReport* report = Report();
    return report ? report->Zoom() : 100;
}

void TRpPrintable::AttachTo(TRpCustomBand* band, TCustomRpReport* report) {
    band_ = band;
    report_ = band ? nullptr : report;
    // Pixel values follow the zoom of the surface the control sits on.
    size_.SetPixelScale(band ? band->Size().Zoom() : (report ? report->Zoom() : 100));
    if (TCustomRpReport* r = Report())
        size_.SetUnits(r->Units());
}

void TRpPrintable::StorePixels(int index, int pixels) {
    if (size_.PixelsOf(size_.Stored(index)) == pixels)
        return;
    size_.SetStored(index, size_.FromPixels(pixels));
}

void TRpPrintable::SetBounds(int left, int top, int width, int height) {
    if (Loading()) {
        pending_ = Bounds(left, top, width, height);
        return;
    }
    StorePixels(TRpPrintableSize::iLeft, left);
    StorePixels(TRpPrintableSize::iTop, top);
    StorePixels(TRpPrintableSize::iWidth, width);
    StorePixels(TRpPrintableSize::iHeight, height);
    UpdateBounds();
}

void TRpPrintable::UpdateBounds() {
    bounds_ = Bounds(size_.PixelsOf(size_.Stored(TRpPrintableSize::iLeft)),
                     size_.PixelsOf(size_.Stored(TRpPrintableSize::iTop)),
                     size_.PixelsOf(size_.Stored(TRpPrintableSize::iWidth)),
                     size_.PixelsOf(size_.Stored(TRpPrintableSize::iHeight)));
    if (!Loading())
        BoundsChanged();
}

void TRpPrintable::ApplyPendingBounds() {
    if (pending_) {
        // A stored value wins; the design's pixel value only fills a gap.
        const TRect p = *pending_;
        pending_.reset();
        const auto fill = [this](int index, int pixels) {
            if (size_.Stored(index) == 0)
                size_.SetStored(index, size_.FromPixels(pixels));
        };
        fill(TRpPrintableSize::iLeft, p.Left);
        fill(TRpPrintableSize::iTop, p.Top);
        fill(TRpPrintableSize::iWidth, p.Width());
        fill(TRpPrintableSize::iHeight, p.Height());
    }
    UpdateBounds();
}

void TRpPrintable::Print(TRpPrintContext&, double, double) {
    // Controls that draw nothing of their own are finished at once.
    printFinished_ = true;
}
