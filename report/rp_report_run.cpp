// Report generation: the preview and print operations, the generation run,
// band printing and pagination.
//
// Every position is in tenths of a millimetre. Current Y is where the next
// band starts on the page (-1 before page 1); a band that does not fit in
// what is left above the page footers moves to the next column, and with
// one column that is a new page. Pages are finished (page footers, the
// report's own controls and frame) when the next one starts and when the
// run ends.
#include "report/rp_controller.h"
#include "report/rp_error.h"
#include "report/rp_export_filter.h"
#include "report/rp_print_context.h"
#include "report/rp_printable.h"
#include "report/rp_printer.h"
#include "report/rp_progress_interface.h"
#include "report/rp_report.h"
#include "store/data_set.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>

namespace {

std::function<bool(TCustomRpReport*, QObject*)>& PrintSetupOperation() {
    static std::function<bool(TCustomRpReport*, QObject*)> op;
    return op;
}

double Round(double value) {
    return std::round(value);
}

bool BreaksPages(TRpBandType type) {
    return type != rbTitle && type != rbPageHeader && type != rbPageFooter && type != rbOverlay;
}

} // namespace

void TCustomRpReport::SetPrintSetupOperation(std::function<bool(TCustomRpReport*, QObject*)> op) {
    PrintSetupOperation() = std::move(op);
}

bool TCustomRpReport::PrintSetup(QObject* sender) {
    return PrintSetupOperation() ? PrintSetupOperation()(this, sender) : false;
}

void TCustomRpReport::ExportReport(TRpExportFilter& filter) {
    if (printer_)
        filter.Export(*printer_);
}

void TCustomRpReport::SetPrinter(std::unique_ptr<TRpPrinter> printer) {
    printer_ = std::move(printer);
}

int TCustomRpReport::DetailNumber() const {
    return controller_ ? controller_->DetailNumber() : 0;
}

int TCustomRpReport::DetailCount() const {
    return controller_ ? controller_->RecordCount() : 0;
}

void TCustomRpReport::Cancel() {
    if (idle_)
        return;
    cancelled_ = true;
    if (printer_)
        printer_->SetCancelled(true);
}

// ---- Operations --------------------------------------------------------------

std::unique_ptr<TRpPrinter> TCustomRpReport::NewPrinter() const {
    auto printer = std::make_unique<TRpPrinter>();
    if (printer_)
        printer->SetClientWindow(printer_->ClientWindow());
    TCustomRpReport* self = const_cast<TCustomRpReport*>(this);
    printer->SetMaster(self);
    printer->SetTitle(reportTitle_);
    printer->OnPreviewClosed = [self] {
        if (self->AfterPreview)
            self->AfterPreview(self);
    };
    printer->OnDocumentPrinted = [self] {
        if (self->AfterPrint)
            self->AfterPrint(self);
    };
    printer->OnPrintSetup = [self](QObject* sender) { return self->PrintSetup(sender); };
    printer->OnExport = [self](TRpExportFilter& filter) { self->ExportReport(filter); };
    return printer;
}

void TCustomRpReport::Preview() {
    QCoreApplication::processEvents();
    if (!idle_ || (printer_ && printer_->PreviewShowing()))
        return;
    printer_ = NewPrinter();
    printer_->SetDestination(rpdMetafile);
    if (OnPreview)
        printer_->OnPreview = [this](TRpPrinter*) { OnPreview(this); };
    printer_->ShowPreview();
    Generate();
    if (cancelled_) {
        printer_.reset();
        return;
    }
    // The preview window sends RP_PREVIEW_CLOSED when it closes, which
    // releases the printer object and so ends this wait.
    while (printer_ && printer_->PreviewShowing() && !QCoreApplication::closingDown())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TCustomRpReport::PrintReport() {
    if (!idle_)
        return;
    // Declared first so that it goes last: the printer object refers to it
    // as its client window until released.
    std::unique_ptr<QObject> progress;
    std::unique_ptr<TRpPrinter> remembered = std::move(printer_);
    printer_ = NewPrinter();
    const auto restore = qScopeGuard([&] { printer_ = std::move(remembered); });
    if (!printer_->PrintersAvailable()) {
        // Doing nothing at all would look like a program that does not
        // work; the user is told why nothing is printed.
        ShowNoPrinterMessage();
        return;
    }
    printer_->SetDestination(rpdPrinter);
    progress = CreateRpProgressWindow(printer_.get(), showProgress_);
    printer_->SetClientWindow(progress.get());
    Generate();
}

void TCustomRpReport::WndProc(TMessage& message) {
    switch (message.Msg) {
    case RP_PRINT:
        PrintReport();
        break;
    case RP_PREVIEW_CLOSED: {
        if (!idle_) {
            Cancel();
            break;
        }
        // Only the printer object that sent it ends the preview.
        const auto* sender = reinterpret_cast<const TRpPrinter*>(message.LParam);
        if (!printer_ || (sender != nullptr && sender != printer_.get()))
            break;
        std::unique_ptr<TRpPrinter> printer = std::move(printer_);
        printer->SetPreviewShowing(false);
        break;
    }
    default:
        break;
    }
}

// ---- The run -------------------------------------------------------------------

void TCustomRpReport::Generate() {
    if (!idle_ || !printer_)
        return;
    // Margins wider than the paper are dropped rather than giving a
    // negative printable area.
    if (page_.Stored(TRpPage::iWidth) - page_.Stored(TRpPage::iLeftMargin) -
            page_.Stored(TRpPage::iRightMargin) <
        0) {
        page_.SetStored(TRpPage::iLeftMargin, 0);
        page_.SetStored(TRpPage::iRightMargin, 0);
    }
    if (page_.Stored(TRpPage::iLength) - page_.Stored(TRpPage::iTopMargin) -
            page_.Stored(TRpPage::iBottomMargin) <
        0) {
        page_.SetStored(TRpPage::iTopMargin, 0);
        page_.SetStored(TRpPage::iBottomMargin, 0);
    }
    idle_ = false;
    cancelled_ = false;
    lastPage_ = false;
    headersOnly_ = false;
    // Whatever happens inside the run, the report is ready for the next one.
    const auto backToIdle = qScopeGuard([this] { idle_ = true; });
    bool print = true;
    if (BeforePrint)
        BeforePrint(this, print);
    if (print)
        RunDocument();
}

void TCustomRpReport::RunDocument() {
    const TRpUnit previousUnits = units_;
    SetUnits(TRpUnit::Native);
    bool prepared = false;
    const auto finally = qScopeGuard([&] {
        if (prepared)
            UnprepareRun();
        SetUnits(previousUnits);
        if (cancelled_)
            printer_->AbortDocument();
        else
            printer_->EndDocument();
    });
    PassValuesToPrinter();
    printer_->SetTitle(reportTitle_);
    printer_->SetCompression(HasOption(TRpOption::Compression));
    printer_->BeginDocument();
    currentY_ = -1;
    pageCount_ = 0;
    currentColumn_ = page_.Columns();
    pageFooterSize_ = PageFooterSize();
    currentX_ = static_cast<double>(page_.Stored(TRpPage::iLeftMargin));
    PrepareRun();
    prepared = true;

    controller_->Walk(*this);

    currentX_ = static_cast<double>(page_.Stored(TRpPage::iLeftMargin));
    lastPage_ = true;
    if (!cancelled_)
        EndPage();
}

void TCustomRpReport::PassValuesToPrinter() {
    TPrinterSettings& settings = printer_->Settings();
    settings.SetPrinterIndex(printerSettings_.PrinterIndex());
    settings.SetPaperSize(page_.PaperSize());
    if (page_.PaperSize() == TRpPaperSize::Custom)
        settings.SetCustomPaper(static_cast<int>(std::lround(page_.Stored(TRpPage::iWidth))),
                                static_cast<int>(std::lround(page_.Stored(TRpPage::iLength))));
    settings.SetOrientation(page_.Orientation());
    settings.SetCopies(printerSettings_.Copies());
    settings.SetOutputBin(printerSettings_.OutputBin());
    settings.SetPageRange(printerSettings_.FirstPage(), printerSettings_.LastPage());
}

void TCustomRpReport::ForEachPrintable(const std::function<void(TRpPrintable*)>& fn) const {
    for (const auto& band : bandList_)
        for (const auto& p : band->Printables())
            fn(p.get());
    for (const auto& p : printables_)
        fn(p.get());
}

void TCustomRpReport::PrepareRun() {
    functions_.Prepare();
    pageNumber_ = functions_.Constant(QStringLiteral("PAGENUMBER"));
    columnNumber_ = functions_.Constant(QStringLiteral("COLUMNNUMBER"));
    TRpEvEnvironment::SetStringConstant(functions_.Constant(QStringLiteral("REPORTTITLE")),
                                        reportTitle_);
    ForEachPrintable([](TRpPrintable* p) {
        p->SetPrintFinished(true);
        p->Prepare();
    });
    controller_ = std::make_unique<TRpController>(ReportDataSet(), FindBand(rbTitle),
                                                  FindBand(rbDetail), FindBand(rbSummary));
}

void TCustomRpReport::UnprepareRun() {
    ForEachPrintable([](TRpPrintable* p) { p->Unprepare(); });
    pageNumber_ = nullptr;
    columnNumber_ = nullptr;
    functions_.Unprepare();
}

// ---- Bands -----------------------------------------------------------------------

TRpCustomBand* TCustomRpReport::ChildOf(const TRpCustomBand* band) const {
    if (!band->HasChild())
        return nullptr;
    for (const auto& b : bandList_)
        if (auto* child = dynamic_cast<TRpChildBand*>(b.get());
            child && child->ParentBand() == band)
            return child;
    return nullptr;
}

double TCustomRpReport::PageFooterSize() const {
    double size = 0;
    for (const auto& band : bandList_) {
        if (band->BandType() != rbPageFooter || !band->Enabled())
            continue;
        for (const TRpCustomBand* b = band.get(); b != nullptr; b = ChildOf(b))
            size += static_cast<double>(b->Size().Stored(TRpBandSize::iHeight));
    }
    return size;
}

double TCustomRpReport::SpaceLeft() const {
    if (idle_ || pageCount_ == 0)
        return 0;
    return Round(printer_->VerticalExtent() -
                 static_cast<double>(page_.Stored(TRpPage::iBottomMargin)) - pageFooterSize_ -
                 currentY_);
}

void TCustomRpReport::PrintBand(TRpCustomBand* band) {
    if (band == nullptr)
        return;
    const double height = static_cast<double>(band->Size().Stored(TRpBandSize::iHeight));
    if (band->AlignToBottom()) {
        const double bottom = printer_->VerticalExtent() -
                              static_cast<double>(page_.Stored(TRpPage::iBottomMargin)) - height -
                              pageFooterSize_;
        currentY_ = std::max(currentY_, bottom);
    }
    bool print = band->Enabled();
    if (print && band->BeforePrint)
        band->BeforePrint(band, print);
    if (print) {
        const TRpBandType type = band->BandType();
        if (band->ForceNewPage() && BreaksPages(type) && pageCount_ > 0 && !headersOnly_) {
            do
                NextColumn();
            while (currentColumn_ != 1);
        } else if (band->ForceNewColumn() && BreaksPages(type) && pageCount_ > 0 && !headersOnly_) {
            NextColumn();
        } else {
            MakeRoom(band);
        }
        Q_ASSERT_X(pageCount_ > 0, "TCustomRpReport::PrintBand",
                   "a band placed before page 1 started");
        PrintBandContents(band, height);
        // The first page's headers and title may stand alone above a forced
        // break; anything else makes the page worth keeping.
        if (type != rbTitle && type != rbColumnHeader && type != rbPageHeader)
            headersOnly_ = false;
    }
    if (band->AfterPrint)
        band->AfterPrint(band, print);
    if (TRpCustomBand* child = ChildOf(band))
        PrintBand(child);
}

void TCustomRpReport::PrintBandContents(TRpCustomBand* band, double height) {
    TRpPrintContext context{*printer_};
    const double bandWidth = static_cast<double>(band->Size().Stored(TRpBandSize::iWidth));
    bool firstPass = true;
    for (;;) {
        const TRect rect = Rect(printer_->XPosition(currentX_), printer_->YPosition(currentY_),
                                printer_->XPosition(currentX_ + bandWidth),
                                printer_->YPosition(currentY_ + height));
        context.Expanded = 0;
        if (printer_->YSize(height) == 0)
            break;
        // Pages are white: painting a white band again would only wipe out
        // the bottom rule of the band above where the two meet on one row.
        if (band->Color() != clWhite) {
            TCanvas& canvas = printer_->Canvas();
            canvas.Brush() = TBrush{band->Color(), bsSolid};
            canvas.FillRect(rect);
        }
        context.GrowthAllowed = SpaceLeft() - height;
        bool unfinished = false;
        for (const auto& p : band->Printables()) {
            if (!p->Enabled() || (!firstPass && p->PrintFinished()))
                continue;
            p->Print(context, currentX_, currentY_);
            unfinished = unfinished || !p->PrintFinished();
        }
        TRect framed = rect;
        framed.Bottom = printer_->YPosition(currentY_ + height + context.Expanded) + 1;
        DrawRpFrame(band->Frame(), *printer_, framed);
        if (!unfinished)
            break;
        // Stretching text went past the page: it goes on in the next column.
        NextColumn();
        firstPass = false;
    }
    currentY_ += Round(height + context.Expanded);
}

// ---- Pagination --------------------------------------------------------------------

void TCustomRpReport::MakeRoom(TRpCustomBand* band) {
    double needed = static_cast<double>(band->Size().Stored(TRpBandSize::iHeight));
    for (const TRpCustomBand* linked = band->LinkBand(); linked != nullptr && linked != band;
         linked = linked->LinkBand() == band ? nullptr : linked->LinkBand())
        needed += static_cast<double>(linked->Size().Stored(TRpBandSize::iHeight));
    needed = Round(needed);
    const double pageRoom =
        static_cast<double>(page_.Stored(TRpPage::iLength) - page_.Stored(TRpPage::iTopMargin) -
                            page_.Stored(TRpPage::iBottomMargin));
    // A band taller than an empty page prints where it is.
    if (pageCount_ == 0 ||
        (band->BandType() != rbPageFooter && SpaceLeft() < needed && needed <= pageRoom))
        NextColumn();
}

double TCustomRpReport::ColumnWidth() const {
    if (const TRpCustomBand* detail = FindBand(rbDetail))
        return static_cast<double>(detail->Size().Stored(TRpBandSize::iWidth));
    const int columns = page_.Columns();
    const long double printable = page_.Stored(TRpPage::iWidth) -
                                  page_.Stored(TRpPage::iLeftMargin) -
                                  page_.Stored(TRpPage::iRightMargin);
    const long double space = page_.Stored(TRpPage::iColumnSpace);
    return std::floor(static_cast<double>((printable - space * (columns - 1)) / columns));
}

void TCustomRpReport::NextColumn() {
    if (currentColumn_ >= page_.Columns()) {
        currentColumn_ = 1;
        currentX_ = static_cast<double>(page_.Stored(TRpPage::iLeftMargin));
        NewPage();
    } else {
        currentX_ += static_cast<double>(page_.Stored(TRpPage::iColumnSpace)) + ColumnWidth();
        currentY_ = columnTop_;
        ++currentColumn_;
    }
    TRpEvEnvironment::SetIntegerConstant(columnNumber_, currentColumn_);
    if (currentColumn_ == 1 && pageCount_ == 1)
        return;
    TRpCustomBand* columnHeader = FindBand(rbColumnHeader);
    if (columnHeader != nullptr && columnHeader->Enabled())
        PrintBand(columnHeader);
}

void TCustomRpReport::NewPage() {
    EndPage();
    ++pageCount_;
    TRpEvEnvironment::SetIntegerConstant(pageNumber_, pageCount_);
    printer_->NewPage();
    currentY_ = static_cast<double>(page_.Stored(TRpPage::iTopMargin));
    headersOnly_ = pageCount_ == 1;
    if (OnStartPage)
        OnStartPage(this);
    if (pageCount_ > 1 || HasOption(TRpOption::FirstPageHeader))
        PrintBand(FindBand(rbPageHeader));
    columnTop_ = currentY_;
    if (pageCount_ == 1)
        if (const TRpCustomBand* title = FindBand(rbTitle))
            columnTop_ += static_cast<double>(title->Size().Stored(TRpBandSize::iHeight));
}

void TCustomRpReport::EndPage() {
    if (pageCount_ == 0)
        return;
    currentY_ = Round(
        static_cast<double>(page_.Stored(TRpPage::iLength) - page_.Stored(TRpPage::iBottomMargin)) -
        pageFooterSize_);
    currentX_ = static_cast<double>(page_.Stored(TRpPage::iLeftMargin));
    if (!lastPage_ || HasOption(TRpOption::LastPageFooter))
        for (const auto& band : bandList_)
            if (band->BandType() == rbPageFooter)
                PrintBand(band.get());
    TRpPrintContext context{*printer_};
    for (const auto& p : printables_)
        if (p->Enabled())
            p->Print(context, 0, 0);
    const double left = static_cast<double>(page_.Stored(TRpPage::iLeftMargin));
    const double top = static_cast<double>(page_.Stored(TRpPage::iTopMargin));
    const double right =
        static_cast<double>(page_.Stored(TRpPage::iWidth) - page_.Stored(TRpPage::iRightMargin));
    const double bottom =
        static_cast<double>(page_.Stored(TRpPage::iLength) - page_.Stored(TRpPage::iBottomMargin));
    DrawRpFrame(Frame(), *printer_,
                Rect(printer_->XPosition(left), printer_->YPosition(top),
                     printer_->XPosition(right), printer_->YPosition(bottom)));
    if (OnEndPage)
        OnEndPage(this);
}
