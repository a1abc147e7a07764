// The report printer object: the canvas provider and page cycle of one
// report document. With the metafile destination every page is recorded as
// an enhanced metafile at the screen's resolution and handed to the page
// store when the next page starts, so a preview can show the first pages
// while later ones are made; with the printer destination pages are drawn
// straight onto the printer's pages (those outside the requested range onto
// a throwaway metafile). Positions come in tenths of a millimetre and are
// turned into device pixels here.
//
// The object tells its client window (a preview or progress window) of its
// progress and of each completed page by posted messages, and its master
// report of a print request and of the preview's closing. It lives from the
// start of a preview or print until the preview closes; the page store
// belongs to it.
#pragma once

#include "platform/messages.h"
#include "report/printer_settings.h"
#include "report/rp_page_list.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class TCanvas;
class TCustomRpReport;
class TMetafile;
class TMetafileCanvas;
class TRpExportFilter;

// Tells the user that printing has no printer to go to.
void ShowNoPrinterMessage();

enum TRpDestination : int { rpdMetafile = 0, rpdPrinter = 1 };
enum TRpPrinterStatus : int { rpsReady = 0, rpsBusy = 1, rpsFinished = 2 };

// Messages of the report engine. The first parameter of RP_PROGRESS is the
// percent, of RP_PAGES_AVAILABLE the number of completed pages; the second
// parameter of RP_PREVIEW_CLOSED is the printer object.
constexpr unsigned RP_PROGRESS = WM_USER;
constexpr unsigned RP_PAGES_AVAILABLE = WM_USER + 1;
constexpr unsigned RP_PRINT = WM_USER + 2;
constexpr unsigned RP_PREVIEW_CLOSED = WM_USER + 4;

// Deriving from QObject lets a window keep a guarded pointer to the object.
class TRpPrinter : public QObject {
public:
    // Notes whether any printer is installed and reads the default
    // printer's values. Destination metafile, status ready.
    TRpPrinter();
    ~TRpPrinter() override;

    TRpDestination Destination() const { return destination_; }
    void SetDestination(TRpDestination destination) { destination_ = destination; }
    TRpPrinterStatus Status() const { return status_; }
    // Pages begun in the current document, and the page being drawn.
    int PageCount() const { return pageCount_; }
    int PageNum() const { return pageNum_; }
    // Pages completed and handed on.
    int AvailablePages() const { return availablePages_; }
    bool Cancelled() const { return cancelled_; }
    void SetCancelled(bool cancelled) { cancelled_ = cancelled; }
    // The last percentage reported; a new value is posted to the client
    // window (RP_PROGRESS).
    int Progress() const { return progress_; }
    void SetProgress(int percent);

    // Device pixels per tenth of a millimetre, and the device's unprintable
    // offsets in tenths of a millimetre.
    double XFactor() const { return xFactor_; }
    double YFactor() const { return yFactor_; }
    double LeftWaste() const { return leftWaste_; }
    double TopWaste() const { return topWaste_; }

    const QString& Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }
    bool Compression() const { return pages_.Compression(); }
    void SetCompression(bool on) { pages_.SetCompression(on); }
    QObject* ClientWindow() const { return clientWindow_; }
    void SetClientWindow(QObject* window) { clientWindow_ = window; }
    TCustomRpReport* Master() const { return master_; }
    void SetMaster(TCustomRpReport* report) { master_ = report; }
    // True while a preview window shows these pages. Clearing it cancels a
    // busy document and raises OnPreviewClosed.
    bool PreviewShowing() const { return previewShowing_; }
    void SetPreviewShowing(bool showing);
    QObject* PreviewWindow() const { return previewWindow_; }

    TPrinterSettings& Settings() { return *settings_; }
    const TPrinterSettings& Settings() const { return *settings_; }
    bool PrintersAvailable() const { return settings_->PrintersAvailable(); }
    // The paper as printed, in tenths of a millimetre.
    int HorizontalExtent() const { return settings_->HorizontalExtent(); }
    int VerticalExtent() const { return settings_->VerticalExtent(); }

    // The document cycle. BeginDocument throws ERpError "RpPrinter not
    // ready" unless the status is ready; NewPage throws ERpError "Illegal
    // call to NewPage" outside a document.
    void BeginDocument();
    void NewPage();
    void EndDocument();
    void AbortDocument();
    // The open page's canvas (device pixels). Throws ERpError outside a page.
    TCanvas& Canvas();

    // Tenths of a millimetre to device pixels; the positions take the
    // wastes off, the sizes do not.
    int XPosition(double x) const;
    int YPosition(double y) const;
    int XSize(double x) const;
    int YSize(double y) const;

    // The page store and page n (1-based) as a new metafile; none outside
    // the stored pages.
    TRpPageList& Pages() { return pages_; }
    std::unique_ptr<TMetafile> GetPage(int n);
    // Saves a finished document; nothing is written otherwise.
    void SaveToFile(const QString& fileName);
    // Opens a saved report: its pages become this object's, finished. On
    // failure the pages shown stay as they were.
    void LoadFromFile(const QString& fileName);
    // True when the pages were made by a run of this program, not opened.
    bool Generated() const { return generated_; }

    // The preview step: the report's preview handler when one is set,
    // otherwise the registered preview interface, whose window is kept.
    void ShowPreview();
    // Sends RP_PREVIEW_CLOSED to the master report.
    void ClosePreview();
    // Print: pages made in this run are printed again by the master report
    // (RP_PRINT); opened pages go to the printer as they are.
    void Print();
    // The print-setup and export operations the report provides.
    bool PrintSetup(QObject* sender);
    void Export(TRpExportFilter& filter);

    std::function<bool(QObject* sender)> OnPrintSetup;
    std::function<void(TRpExportFilter& filter)> OnExport;
    std::function<void(TRpPrinter* printer)> OnPreview;
    std::function<void()> OnPreviewClosed;
    std::function<void()> OnDocumentPrinted;

private:
    void ClosePage();
    void OpenPage();
    void SetAvailablePages(int pages);
    void PrintStoredPages();
    // A loaded report's paper: the standard size its first page has.
    void DetectPaper();

    TRpDestination destination_ = rpdMetafile;
    TRpPrinterStatus status_ = rpsReady;
    int pageCount_ = 0;
    int pageNum_ = 0;
    int availablePages_ = 0;
    bool cancelled_ = false;
    int progress_ = 0;
    double xFactor_ = 0;
    double yFactor_ = 0;
    double leftWaste_ = 0;
    double topWaste_ = 0;
    QString title_;
    QPointer<QObject> clientWindow_;
    TCustomRpReport* master_ = nullptr;
    bool previewShowing_ = false;
    QPointer<QObject> previewWindow_;
    bool generated_ = false;
    bool jobStarted_ = false;
    std::unique_ptr<TPrinterSettings> settings_;
    TRpPageList pages_;
    // The page being recorded (metafile pages and pages out of the range).
    std::unique_ptr<TMetafile> metafile_;
    std::unique_ptr<TMetafileCanvas> metafileCanvas_;
};
