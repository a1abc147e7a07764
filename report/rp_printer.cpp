// The report printer object's page cycle, conversions and page store.
#include "report/rp_printer.h"

#include "platform/dialogs.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_canvas.h"
#include "platform/printers.h"
#include "report/rp_error.h"
#include "report/rp_preview_interface.h"
#include "report/rp_report.h"
#include "report/rp_units.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace {

// A generated report keeps its first 100000 bytes of pages in memory and
// the rest in a temporary file.
constexpr qint64 kGeneratedMemoryLimit = 100000;

int Round(double value) {
    return static_cast<int>(std::lround(value));
}

} // namespace

void ShowNoPrinterMessage() {
    Dialogs().ShowMessage(QStringLiteral("No printer installed"));
}

TRpPrinter::TRpPrinter() : settings_(std::make_unique<TPrinterSettings>(PrinterService())) {}

TRpPrinter::~TRpPrinter() {
    metafileCanvas_.reset();
    if (jobStarted_ && PrinterService().Printing())
        PrinterService().AbortJob();
}

void TRpPrinter::SetProgress(int percent) {
    if (percent == progress_)
        return;
    progress_ = percent;
    PostMessage(clientWindow_, RP_PROGRESS, static_cast<quintptr>(percent));
}

void TRpPrinter::SetAvailablePages(int pages) {
    availablePages_ = pages;
    PostMessage(clientWindow_, RP_PAGES_AVAILABLE, static_cast<quintptr>(pages));
}

void TRpPrinter::SetPreviewShowing(bool showing) {
    if (showing == previewShowing_)
        return;
    previewShowing_ = showing;
    if (showing)
        return;
    if (status_ == rpsBusy) {
        cancelled_ = true;
        if (master_ != nullptr)
            master_->Cancel();
    }
    if (OnPreviewClosed)
        OnPreviewClosed();
}

// ---- Document cycle --------------------------------------------------------

void TRpPrinter::BeginDocument() {
    metafileCanvas_.reset();
    metafile_.reset();
    availablePages_ = 0;
    cancelled_ = false;
    const bool toPrinter = destination_ == rpdPrinter;
    if (toPrinter)
        settings_->ApplyToDriver();
    leftWaste_ = toPrinter ? settings_->LeftOffset() : 0;
    topWaste_ = toPrinter ? settings_->TopOffset() : 0;
    if (status_ != rpsReady)
        throw ERpError(QStringLiteral("RpPrinter not ready"));
    pageCount_ = 0;
    pageNum_ = 0;
    status_ = rpsBusy;
    generated_ = true;
    jobStarted_ = false;
    if (toPrinter) {
        xFactor_ = settings_->PixelsPerInchX() / 254.0;
        yFactor_ = settings_->PixelsPerInchY() / 254.0;
    } else {
        pages_.CreateStream(kGeneratedMemoryLimit);
        xFactor_ = RpScreenPixelsPerInch() / 254.0;
        yFactor_ = xFactor_;
    }
}

void TRpPrinter::NewPage() {
    if (status_ != rpsBusy)
        throw ERpError(QStringLiteral("Illegal call to NewPage"));
    if (pageNum_ > 0) {
        ClosePage();
        SetAvailablePages(availablePages_ + 1);
    }
    ++pageCount_;
    ++pageNum_;
    OpenPage();
}

void TRpPrinter::OpenPage() {
    if (destination_ == rpdPrinter && settings_->InRange(pageCount_)) {
        TPrinterService& printers = PrinterService();
        if (!jobStarted_) {
            printers.BeginJob(settings_->JobPrinter(), title_);
            jobStarted_ = true;
        } else {
            printers.NewPage();
        }
        return;
    }
    // Metafile pages, and printer pages outside the range, which are drawn
    // all the same and thrown away.
    metafile_ = std::make_unique<TMetafile>();
    metafile_->SetWidth(XSize(HorizontalExtent()));
    metafile_->SetHeight(YSize(VerticalExtent()));
    metafileCanvas_ = std::make_unique<TMetafileCanvas>(*metafile_);
}

void TRpPrinter::ClosePage() {
    if (!metafileCanvas_)
        return;
    metafileCanvas_->End();
    if (destination_ == rpdMetafile)
        pages_.AddPage(*metafile_);
    metafileCanvas_.reset();
    metafile_.reset();
}

void TRpPrinter::EndDocument() {
    if (status_ != rpsBusy)
        return;
    const bool hadPage = pageNum_ > 0;
    if (destination_ == rpdPrinter && jobStarted_)
        PrinterService().EndJob();
    ClosePage();
    status_ = rpsFinished;
    QCoreApplication::processEvents();
    // With no page at all the message still tells the client the document
    // is finished.
    SetAvailablePages(hadPage ? availablePages_ + 1 : availablePages_);
    if (destination_ == rpdMetafile) {
        pages_.Finish();
    } else if (OnDocumentPrinted) {
        OnDocumentPrinted();
    }
}

void TRpPrinter::AbortDocument() {
    if (destination_ == rpdPrinter && jobStarted_)
        PrinterService().AbortJob();
    ClosePage();
    status_ = rpsFinished;
}

TCanvas& TRpPrinter::Canvas() {
    if (metafileCanvas_)
        return *metafileCanvas_;
    if (destination_ == rpdPrinter && jobStarted_ && PrinterService().Printing())
        return PrinterService().JobCanvas();
    throw ERpError(QStringLiteral("RpPrinter has no page open"));
}

// ---- Conversions -----------------------------------------------------------

int TRpPrinter::XPosition(double x) const {
    return Round((x - leftWaste_) * xFactor_);
}

int TRpPrinter::YPosition(double y) const {
    return Round((y - topWaste_) * yFactor_);
}

int TRpPrinter::XSize(double x) const {
    return Round(x * xFactor_);
}

int TRpPrinter::YSize(double y) const {
    return Round(y * yFactor_);
}

// ---- Pages -----------------------------------------------------------------

std::unique_ptr<TMetafile> TRpPrinter::GetPage(int n) {
    return pages_.GetPage(n);
}

void TRpPrinter::SaveToFile(const QString& fileName) {
    if (status_ != rpsFinished)
        return;
    pages_.SaveToFile(fileName);
}

void TRpPrinter::LoadFromFile(const QString& fileName) {
    pages_.LoadFromFile(fileName);
    metafileCanvas_.reset();
    metafile_.reset();
    status_ = rpsFinished;
    generated_ = false;
    pageCount_ = pages_.PageCount();
    pageNum_ = pageCount_;
    availablePages_ = pageCount_;
    xFactor_ = RpScreenPixelsPerInch() / 254.0;
    yFactor_ = xFactor_;
    leftWaste_ = 0;
    topWaste_ = 0;
    DetectPaper();
    // The pages are printed as they are; no setup applies to them.
    OnPrintSetup = nullptr;
}

void TRpPrinter::DetectPaper() {
    const std::unique_ptr<TMetafile> first = pageCount_ > 0 ? pages_.GetPage(1) : nullptr;
    if (!first)
        return;
    // Compared in units of 4 mm, which tells the standard sizes apart while
    // forgiving the rounding of their pixel size; the last match wins.
    const int w = static_cast<int>(first->Width() / xFactor_ / 40);
    const int h = static_cast<int>(first->Height() / yFactor_ / 40);
    for (int i = static_cast<int>(TRpPaperSize::Letter);
         i <= static_cast<int>(TRpPaperSize::ESheet); ++i) {
        const auto size = static_cast<TRpPaperSize>(i);
        TRpPaperDimensions d{};
        if (!RpPaperDimensions(size, d))
            continue;
        const int width = static_cast<int>(d.Width / 4);
        const int length = static_cast<int>(d.Length / 4);
        if (width == w && length == h) {
            settings_->SetPaperSize(size);
            settings_->SetOrientation(poPortrait);
        }
        if (width == h && length == w) {
            settings_->SetPaperSize(size);
            settings_->SetOrientation(poLandscape);
        }
    }
}

// ---- Operations a preview window starts ------------------------------------

void TRpPrinter::ShowPreview() {
    if (OnPreview) {
        OnPreview(this);
        return;
    }
    std::unique_ptr<TRpPreviewInterface> preview = CreateRpPreviewInterface();
    previewWindow_ = preview->Show(this);
}

void TRpPrinter::ClosePreview() {
    if (master_ != nullptr)
        SendMessage(master_->MessageWindow(), RP_PREVIEW_CLOSED, 0,
                    reinterpret_cast<qintptr>(this));
}

void TRpPrinter::Print() {
    if (master_ != nullptr && generated_) {
        PostMessage(master_->MessageWindow(), RP_PRINT);
        return;
    }
    PrintStoredPages();
}

void TRpPrinter::PrintStoredPages() {
    if (status_ != rpsFinished)
        return;
    if (!PrintersAvailable()) {
        ShowNoPrinterMessage();
        return;
    }
    TPrinterService& printers = PrinterService();
    if (printers.Printing())
        printers.AbortJob();
    const int first = settings_->FirstPage() > 0 ? settings_->FirstPage() : 1;
    const int last =
        settings_->LastPage() > 0 ? std::min(settings_->LastPage(), pageCount_) : pageCount_;
    if (last < first)
        return;
    cancelled_ = false;
    // A saved report does not record its orientation; its pages do, and a
    // landscape page stretched over a portrait sheet would come out
    // squeezed.
    if (!generated_) {
        if (std::unique_ptr<TMetafile> page = pages_.GetPage(first))
            settings_->SetOrientation(page->Width() > page->Height() ? poLandscape : poPortrait);
    }
    settings_->ApplyToDriver();
    printers.BeginJob(settings_->JobPrinter(), title_);
    const TPrinterDevice device = printers.Device(settings_->JobPrinter());
    const TRect printable{0, 0, device.PageWidth > 0 ? device.PageWidth : device.PhysicalWidth,
                          device.PageHeight > 0 ? device.PageHeight : device.PhysicalHeight};
    for (int n = first; n <= last; ++n) {
        QCoreApplication::processEvents();
        pageNum_ = n;
        if (std::unique_ptr<TMetafile> page = pages_.GetPage(n))
            printers.JobCanvas().StretchDraw(printable, *page);
        if (cancelled_) {
            printers.AbortJob();
            return;
        }
        if (n < last)
            printers.NewPage();
    }
    if (printers.Printing())
        printers.EndJob();
}

bool TRpPrinter::PrintSetup(QObject* sender) {
    return OnPrintSetup ? OnPrintSetup(sender) : false;
}

void TRpPrinter::Export(TRpExportFilter& filter) {
    if (OnExport)
        OnExport(filter);
}
