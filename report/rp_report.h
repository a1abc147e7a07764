// The report definition: page setup, printer settings, report functions, the
// band list and the controls placed directly on the report, plus the values
// that shape a run (options, font, title, progress window). The report lays
// its bands out one under the other inside the margins, as a design view
// shows them; generation walks the same objects.
#pragma once

#include "platform/graphics/font.h"
#include "report/rp_band.h"
#include "report/rp_base_panel.h"
#include "report/rp_functions.h"
#include "report/rp_page.h"
#include "report/rp_printer_settings.h"

#include <QFlags>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QObject;
class TCustomRpReport;
class TDataSet;
class TRpController;
class TRpCustomLabel;
class TRpExportFilter;
class TRpPrintable;
class TRpPrinter;
struct TMessage;
struct TRpEvElement;

enum class TRpOption : unsigned { FirstPageHeader = 1u, LastPageFooter = 2u, Compression = 4u };
Q_DECLARE_FLAGS(TRpOptions, TRpOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TRpOptions)

// The six band-presence switches: each reads whether a band of its type is
// in the report's band list; setting one creates or destroys that band.
class TRpReportBands {
public:
    explicit TRpReportBands(TCustomRpReport* report) : report_(report) {}

    bool HasTitle() const;
    void SetHasTitle(bool on);
    bool HasPageHeader() const;
    void SetHasPageHeader(bool on);
    bool HasColumnHeader() const;
    void SetHasColumnHeader(bool on);
    bool HasDetail() const;
    void SetHasDetail(bool on);
    bool HasPageFooter() const;
    void SetHasPageFooter(bool on);
    bool HasSummary() const;
    void SetHasSummary(bool on);

private:
    bool Has(TRpBandType type) const;
    void Switch(TRpBandType type, bool on);
    TCustomRpReport* report_;
};

class TCustomRpReport : public TRpBasePanel {
public:
    TCustomRpReport();
    ~TCustomRpReport() override;

    TRpPage& Page() { return page_; }
    const TRpPage& Page() const { return page_; }
    TRpReportPrinterSettings& PrinterSettings() { return printerSettings_; }
    const TRpReportPrinterSettings& PrinterSettings() const { return printerSettings_; }
    TRpEvEnvironment& Functions() { return functions_; }
    const TRpEvEnvironment& Functions() const { return functions_; }
    TRpReportBands& Bands() { return bands_; }

    // The unit of the page, every band (and their controls) and the
    // controls placed directly on the report.
    TRpUnit Units() const { return units_; }
    void SetUnits(TRpUnit units);
    TRpOptions Options() const { return options_; }
    void SetOptions(TRpOptions options) { options_ = options; }
    bool HasOption(TRpOption o) const { return options_.testFlag(o); }

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    int Zoom() const { return zoom_; }
    // 0 or less is ignored.
    void SetZoom(int zoom);
    bool SnapToGrid() const { return snapToGrid_; }
    void SetSnapToGrid(bool on) { snapToGrid_ = on; }
    bool ShowProgress() const { return showProgress_; }
    void SetShowProgress(bool on) { showProgress_ = on; }
    bool PrintIfEmpty() const { return printIfEmpty_; }
    void SetPrintIfEmpty(bool on) { printIfEmpty_ = on; }
    const QString& ReportTitle() const { return reportTitle_; }
    void SetReportTitle(const QString& title) { reportTitle_ = title; }
    const QString& Description() const { return description_; }
    void SetDescription(const QString& text) { description_ = text; }

    // Events of a run. BeforePrint may veto the whole run.
    std::function<void(TCustomRpReport* sender, bool& print)> BeforePrint;
    std::function<void(TCustomRpReport* sender)> AfterPrint;
    std::function<void(TCustomRpReport* sender)> AfterPreview;
    std::function<void(TCustomRpReport* sender)> OnPreview;
    std::function<void(TCustomRpReport* sender)> OnStartPage;
    std::function<void(TCustomRpReport* sender)> OnEndPage;
    std::function<void(TCustomRpReport* sender, bool& moreData)> OnNeedData;
    // A text control printed only part of its text: `printed` of its
    // `lines` lines fit its box, and `dropped` tells that characters were
    // left out of the lines themselves (a word wider than the box).
    std::function<void(TRpCustomLabel* control, int printed, int lines, bool dropped)> OnTextCut;

    // The band list in print order (page header, title, column header,
    // group headers, detail, sub-detail, group footers, summary, page
    // footer, overlay; a child band right after its parent).
    const std::vector<std::unique_ptr<TRpCustomBand>>& BandList() const { return bandList_; }
    // Takes ownership; rebuilds the order and re-lays the bands. A band
    // already in a report (this one or another) is refused with ERpError and
    // stays where it is.
    TRpCustomBand* AddBand(std::unique_ptr<TRpCustomBand> band);
    // Destroys the band (and its controls); links to it are cleared.
    void RemoveBand(TRpCustomBand* band);
    // The first band of a type, or null.
    TRpCustomBand* FindBand(TRpBandType type) const;
    TRpCustomBand* FindBandByName(const QString& name) const;

    // Controls placed directly on the report (printed at every page end).
    const std::vector<std::unique_ptr<TRpPrintable>>& Printables() const { return printables_; }
    TRpPrintable* AddPrintable(std::unique_ptr<TRpPrintable> printable);
    // Any control of the report, on a band or not.
    TRpPrintable* FindPrintable(const QString& name) const;

    // Band layout in pixels: lefts at the left margin, the first top at the
    // top margin and each band under the previous one.
    void LayoutBands();
    // Printable width in pixels (paper width less both margins) and the
    // width of one column.
    int PrintableWidthPixels() const;
    int ColumnWidthPixels() const;

    // Reading a stored definition: no layout or sizing runs in between;
    // EndLoad applies remembered pixel bounds and lays the bands out.
    bool Loading() const { return loading_; }
    void BeginLoad();
    void EndLoad();

    // ---- Generation --------------------------------------------------------
    // The run walks the report's data set from its first record to its
    // end, one detail band per record, and draws every band on the pages of
    // the current printer object. A run in progress is not idle; whatever
    // happens inside it, the report is idle again afterwards.

    // The preview: a new printer object recording metafile pages, the
    // registered preview shown, the pages generated; then waits for the
    // preview to close (returns at once when no preview window shows the
    // pages, as with the base preview interface). A second call while a run
    // is in progress or a preview shows returns at once.
    void Preview();
    // Generates all pages of one document on the current printer object.
    void Generate();
    // Prints the report on the printer with a progress window (a print
    // request from the preview).
    void PrintReport();
    // Stops a run in progress at the next record; nothing otherwise.
    void Cancel();
    bool Idle() const { return idle_; }
    bool Cancelled() const { return cancelled_; }

    // The current printer object (null before the first preview and after
    // the preview closed).
    TRpPrinter* Printer() const { return printer_.get(); }
    void SetPrinter(std::unique_ptr<TRpPrinter> printer);
    // The receiver of the printer object's messages to the report.
    QObject* MessageWindow() const { return messageWindow_.get(); }
    void WndProc(TMessage& message);

    // Values of the run in progress: pages started, the column being
    // filled, the records walked and their count.
    int PageCount() const { return pageCount_; }
    int CurrentColumn() const { return currentColumn_; }
    int DetailNumber() const;
    int DetailCount() const;
    // Position of the next band, tenths of a millimetre (-1 before page 1).
    double CurrentY() const { return currentY_; }

    // The data set whose records drive the detail band.
    virtual TDataSet* ReportDataSet() const { return nullptr; }

    // What the print-setup command of a preview runs (set by the printing
    // layer); returns whether the user accepted.
    static void
    SetPrintSetupOperation(std::function<bool(TCustomRpReport* report, QObject* sender)> op);
    bool PrintSetup(QObject* sender);
    // Writes the pages of the current printer object through `filter`.
    void ExportReport(TRpExportFilter& filter);

private:
    friend class TRpController;
    class TRpCustomLabel;

    void SortBands();
    void PageChanged();

    // Steps of a run.
    void RunDocument();
    void PassValuesToPrinter();
    void PrepareRun();
    void UnprepareRun();
    std::unique_ptr<TRpPrinter> NewPrinter() const;
    double PageFooterSize() const;
    double SpaceLeft() const;
    void PrintBand(TRpCustomBand* band);
    void PrintBandContents(TRpCustomBand* band, double height);
    void MakeRoom(TRpCustomBand* band);
    void NextColumn();
    void NewPage();
    void EndPage();
    double ColumnWidth() const;
    TRpCustomBand* ChildOf(const TRpCustomBand* band) const;
    void ForEachPrintable(const std::function<void(TRpPrintable*)>& fn) const;

    TRpPage page_;
    TRpReportPrinterSettings printerSettings_;
    TRpEvEnvironment functions_;
    TRpReportBands bands_;
    TRpUnit units_;
    TRpOptions options_;
    TFont font_;
    int zoom_ = 100;
    bool snapToGrid_ = true;
    bool showProgress_ = true;
    bool printIfEmpty_ = false;
    QString reportTitle_;
    QString description_;
    bool loading_ = false;
    std::vector<std::unique_ptr<TRpCustomBand>> bandList_;
    std::vector<std::unique_ptr<TRpPrintable>> printables_;

    // Generation state.
    bool idle_ = true;
    bool cancelled_ = false;
    bool lastPage_ = false;
    // Only a title or the first page's column header printed since the
    // page began: a forced break now would leave an empty page.
    bool headersOnly_ = false;
    double currentY_ = -1;
    double currentX_ = 0;
    int pageCount_ = 0;
    int currentColumn_ = 1;
    double columnTop_ = 0;
    double pageFooterSize_ = 0;
    TRpEvElement* pageNumber_ = nullptr;
    TRpEvElement* columnNumber_ = nullptr;
    std::unique_ptr<TRpController> controller_;
    std::unique_ptr<TRpPrinter> printer_;
    std::unique_ptr<QObject> messageWindow_;
};

// The report class of stored definitions: adds the data set whose records
// drive the detail band (not owned).
class TRpReport : public TCustomRpReport {
public:
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet) { dataSet_ = dataSet; }
    TDataSet* ReportDataSet() const override { return dataSet_; }

private:
    TDataSet* dataSet_ = nullptr;
};
