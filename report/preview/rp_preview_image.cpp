// The page image: loading a page from the printer object and painting it.
#include "report/preview/rp_preview_image.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/painter_canvas.h"
#include "report/rp_printer.h"

#include <QPainter>

TRpPreviewImage::TRpPreviewImage(QWidget* parent) : QWidget(parent) {
    resize(100, 50);
    // Clicks and drags over the page belong to the view around it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The paint event covers every pixel it owns; what it leaves (the
    // corners beside the shadow) shows the view behind.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

TRpPreviewImage::~TRpPreviewImage() = default;

TRpPrinter* TRpPreviewImage::Printer() const {
    return printer_;
}

void TRpPreviewImage::SetPrinter(TRpPrinter* printer) {
    printer_ = printer;
}

void TRpPreviewImage::LoadPage(int n) {
    pageNumber_ = n;
    metafile_.reset();
    if (printer_)
        metafile_ = printer_->GetPage(n);
    repaint();
}

void TRpPreviewImage::paintEvent(QPaintEvent*) {
    if (!metafile_)
        return;
    const int w = width();
    const int h = height();
    QPainter painter(this);
    TPainterCanvas canvas(&painter);
    canvas.Brush() = TBrush{clWhite, bsSolid};
    canvas.FillRect(Rect(1, 1, w - 3, h - 3));
    canvas.StretchDraw(Rect(0, 0, w, h), *metafile_);
    canvas.Pen() = TPen{clBlack, psSolid, 1};
    canvas.MoveTo(0, 0);
    canvas.LineTo(0, h - 3);
    canvas.LineTo(w - 3, h - 3);
    canvas.LineTo(w - 3, 0);
    canvas.LineTo(0, 0);
    canvas.Brush() = TBrush{clBlack, bsSolid};
    canvas.FillRect(Rect(w - 2, 2, w, h));
    canvas.FillRect(Rect(2, h - 2, w, h));
}
