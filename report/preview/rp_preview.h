// The scrolling page view of the preview: it shows one page of a report
// printer object through its page image, lays the image out for the zoom
// (centred while it is smaller than the view), follows the view's size in
// the fit-page and fit-width states, and receives the printer object's
// messages as its client window: progress (RP_PROGRESS) and completed
// pages (RP_PAGES_AVAILABLE), which show page 1 the moment it is complete.
//
// Sizes are those of the view's outer frame, scroll bars included. Zooms
// are percentages rounded to the nearest integer, halves to even; a zoom
// outside 2 to 2000 and a page outside 1 to the page count are ignored.
#pragma once

#include "platform/messages.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <QSize>
#include <functional>

class TRpPreviewImage;
class TRpPrinter;

enum TRpZoomState { rzsFixed, rzsFitPage, rzsFitWidth };

using TRpPageAvailableEvent = std::function<void(QObject* Sender, int PageNum)>;
using TRpProgressUpdateEvent = std::function<void(QObject* Sender, int Progress)>;

class TRpPreview : public TMessageHandler<QAbstractScrollArea> {
public:
    explicit TRpPreview(QWidget* parent = nullptr);
    // Detaches the printer object (see SetPrinter).
    ~TRpPreview() override;

    int PageNumber() const { return pageNumber_; }
    // Goes to page n: ignored for the page shown (when loaded), below 1,
    // above the printer object's page count or without a printer object.
    void SetPageNumber(int n);
    int Zoom() const { return zoom_; }
    // A fixed zoom of z percent; ignored outside 2 to 2000.
    void SetZoom(int z);
    void ZoomToFit();
    void ZoomToWidth();
    TRpZoomState ZoomState() const { return zoomState_; }

    TRpPrinter* Printer() const;
    // Attaches a printer object (null detaches). A previous object that
    // reports to this view stops showing its preview (a busy document is
    // cancelled) and loses its client window. The new one reports to this
    // view; the view shows its page 1.
    void SetPrinter(TRpPrinter* printer);
    TRpPreviewImage* Image() const { return image_; }

    // Lays the page image out for the zoom (see the file comment) and
    // scrolls back to the top left.
    void UpdateZoom();
    // The page at 100 % in screen pixels, without frame and shadow.
    QSize PageSizeAt100() const;

    TRpPageAvailableEvent OnPageAvailable;
    TRpProgressUpdateEvent OnProgressUpdate;

    void WndProc(TMessage& message) override;

protected:
    bool event(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void PagesAvailable(int pages);
    void PlaceImage();
    void UpdateScrollRanges();

    int pageNumber_ = 1;
    int zoom_ = 100;
    TRpZoomState zoomState_ = rzsFixed;
    QPointer<TRpPrinter> printer_;
    TRpPreviewImage* image_ = nullptr;
    // Where the image lies in the scrolled area, before scrolling.
    QPoint imageOrigin_;
};
