// The page view: attaching a printer object, going to a page, the zoom
// operations and the layout of the page image, and the printer object's
// messages.
#include "report/preview/rp_preview.h"

#include "report/preview/rp_preview_image.h"
#include "report/rp_printer.h"
#include "report/rp_units.h"

#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <cfenv>
#include <cmath>

namespace {

// Without a printer object the view lays out an A4 portrait sheet.
constexpr int kPlaceholderWidth = 2100;
constexpr int kPlaceholderLength = 2970;

constexpr int kMinZoom = 2;
constexpr int kMaxZoom = 2000;

// Nearest integer, halves to even (the rounding of the zoom operations).
double RoundHalfEven(double value) {
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(mode);
    return rounded;
}

} // namespace

TRpPreview::TRpPreview(QWidget* parent) : TMessageHandler<QAbstractScrollArea>(parent) {
    image_ = new TRpPreviewImage(viewport());
    image_->move(0, 0);
    // Both bars move the page while the thumb is dragged.
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
}

TRpPreview::~TRpPreview() {
    SetPrinter(nullptr);
}

// ---- Printer object and pages -------------------------------------------------

TRpPrinter* TRpPreview::Printer() const {
    return printer_;
}

void TRpPreview::SetPrinter(TRpPrinter* printer) {
    if (printer_ && printer_->ClientWindow() == this) {
        // Clearing the flag cancels a busy document; the object may hand
        // the news on, but it stays alive while we still hold it.
        QPointer<TRpPrinter> previous = printer_;
        previous->SetPreviewShowing(false);
        if (previous)
            previous->SetClientWindow(nullptr);
    }
    printer_ = printer;
    image_->SetPrinter(printer);
    if (printer != nullptr) {
        printer->SetClientWindow(this);
        printer->SetPreviewShowing(true);
    }
    UpdateZoom();
    SetPageNumber(1);
    image_->LoadPage(1);
    viewport()->update();
}

void TRpPreview::SetPageNumber(int n) {
    if (n == pageNumber_ && image_->PageLoaded())
        return;
    if (n < 1 || !printer_ || n > printer_->PageCount())
        return;
    // Back to the top left first, so that the new page is painted once.
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    image_->LoadPage(n);
    pageNumber_ = n;
}

// ---- Zoom ---------------------------------------------------------------------

QSize TRpPreview::PageSizeAt100() const {
    if (printer_ && printer_->XFactor() > 0 && printer_->YFactor() > 0)
        return QSize(printer_->XSize(printer_->HorizontalExtent()),
                     printer_->YSize(printer_->VerticalExtent()));
    // Before its first document a printer object has no factors yet: its
    // paper is laid out at the screen's resolution, as its pages will be.
    const double factor = RpScreenPixelsPerInch() / 254.0;
    const int horizontal = printer_ ? printer_->HorizontalExtent() : kPlaceholderWidth;
    const int vertical = printer_ ? printer_->VerticalExtent() : kPlaceholderLength;
    return QSize(static_cast<int>(std::lround(horizontal * factor)),
                 static_cast<int>(std::lround(vertical * factor)));
}

void TRpPreview::UpdateZoom() {
    double xFactor = RpScreenPixelsPerInch() / 254.0;
    double yFactor = xFactor;
    if (printer_ && printer_->XFactor() > 0 && printer_->YFactor() > 0) {
        xFactor = printer_->XFactor();
        yFactor = printer_->YFactor();
    }
    const int horizontal = printer_ ? printer_->HorizontalExtent() : kPlaceholderWidth;
    const int vertical = printer_ ? printer_->VerticalExtent() : kPlaceholderLength;
    // The page at the zoom plus its frame and shadow.
    const int w = static_cast<int>(std::lround(horizontal * zoom_ / 100.0 * xFactor)) + 4;
    const int h = static_cast<int>(std::lround(vertical * zoom_ / 100.0 * yFactor)) + 4;
    image_->resize(w, h);
    imageOrigin_ =
        QPoint(w < width() ? (width() - w) / 2 : 0, h < height() ? (height() - h) / 2 : 0);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    UpdateScrollRanges();
    image_->SetZoom(zoom_);
}

void TRpPreview::UpdateScrollRanges() {
    QScrollBar* hbar = horizontalScrollBar();
    QScrollBar* vbar = verticalScrollBar();
    const QSize area = viewport()->size();
    hbar->setRange(0, std::max(0, imageOrigin_.x() + image_->width() - area.width()));
    vbar->setRange(0, std::max(0, imageOrigin_.y() + image_->height() - area.height()));
    hbar->setPageStep(std::max(1, area.width()));
    vbar->setPageStep(std::max(1, area.height()));
    PlaceImage();
}

void TRpPreview::SetZoom(int z) {
    if (z < kMinZoom || z > kMaxZoom)
        return;
    zoomState_ = rzsFixed;
    zoom_ = z;
    UpdateZoom();
}

void TRpPreview::ZoomToFit() {
    const QSize page = PageSizeAt100();
    if (page.width() <= 0 || page.height() <= 0)
        return;
    const double byWidth = static_cast<double>(width()) / page.width() * 95;
    const double byHeight = static_cast<double>(height()) / page.height() * 95;
    const double z = RoundHalfEven(std::min(byWidth, byHeight));
    if (z >= kMinZoom && z <= kMaxZoom)
        SetZoom(static_cast<int>(z));
    zoomState_ = rzsFitPage;
}

void TRpPreview::ZoomToWidth() {
    const QSize page = PageSizeAt100();
    if (page.width() <= 0)
        return;
    const double z = RoundHalfEven(static_cast<double>(width()) / page.width() * 90);
    if (z >= kMinZoom && z <= kMaxZoom)
        SetZoom(static_cast<int>(z));
    UpdateZoom();
    zoomState_ = rzsFitWidth;
}

void TRpPreview::PlaceImage() {
    image_->move(imageOrigin_ -
                 QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
}

void TRpPreview::scrollContentsBy(int, int) {
    PlaceImage();
}

bool TRpPreview::viewportEvent(QEvent* e) {
    // Scroll bars coming or going resize only the viewport.
    if (e->type() == QEvent::Resize)
        UpdateScrollRanges();
    return TMessageHandler<QAbstractScrollArea>::viewportEvent(e);
}

bool TRpPreview::event(QEvent* e) {
    const bool handled = TMessageHandler<QAbstractScrollArea>::event(e);
    // The view's own size (not its viewport's) decides the zoom; the
    // scroll bars appearing or going do not.
    if (e->type() == QEvent::Resize) {
        if (zoomState_ == rzsFitPage)
            ZoomToFit();
        else if (zoomState_ == rzsFitWidth)
            ZoomToWidth();
        UpdateZoom();
    }
    return handled;
}

// ---- Messages -----------------------------------------------------------------

void TRpPreview::WndProc(TMessage& message) {
    switch (message.Msg) {
    case RP_PROGRESS:
        if (OnProgressUpdate)
            OnProgressUpdate(this, static_cast<int>(message.WParam));
        break;
    case RP_PAGES_AVAILABLE:
        PagesAvailable(static_cast<int>(message.WParam));
        break;
    default:
        break;
    }
}

void TRpPreview::PagesAvailable(int pages) {
    // The page shown was begun but not complete: it is now.
    if (pages == pageNumber_ && !image_->PageLoaded() && printer_ &&
        printer_->AvailablePages() >= image_->PageNumber()) {
        ZoomToWidth();
        image_->LoadPage(image_->PageNumber());
    }
    if (OnPageAvailable)
        OnPageAvailable(this, pages);
}
