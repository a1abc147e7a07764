// The standard preview window: a tool bar of zoom, page, print, save and
// open commands over the page view, and a status bar with the progress of
// the generation and the page position ("Page 2 of 7"). The window sees the
// keys before its controls (Escape closes; Page Up/Down, Home and End page,
// with Ctrl to the first or last page). Closing it tells the printer
// object's report that the preview has closed, which ends a running
// generation or releases the printer object; the window then frees itself.
#pragma once

#include "platform/keys.h"
#include "platform/ui/key_preview.h"

#include <QString>
#include <QWidget>

class QButtonGroup;
class QLabel;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;
class TRpPreview;
class TRpPrinter;

class TRpStandardPreview : public QWidget {
public:
    // The window for `printer`'s pages (not owned), maximized when shown,
    // with no owner but the application.
    explicit TRpStandardPreview(TRpPrinter* printer);
    ~TRpStandardPreview() override;

    // Shows the window without blocking and writes the page position.
    void ShowPreview();

    // The wording of saved-report files in the save and open dialogs.
    static QString ReportFileDescription();
    // The save dialog's filter: saved reports, then every export filter.
    static QString SaveFilter();
    static QString OpenFilter();

    // Components, named as in the window's layout.
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ZoomFit = nullptr;
    QToolButton* Zoom100 = nullptr;
    QToolButton* ZoomToWidth = nullptr;
    QToolButton* FirstPage = nullptr;
    QToolButton* PreviousPage = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* LastPage = nullptr;
    QToolButton* PrintSetup = nullptr;
    QToolButton* Print = nullptr;
    QToolButton* SaveReport = nullptr;
    QToolButton* LoadReport = nullptr;
    QPushButton* ExitButton = nullptr;
    TRpPreview* RpPreview = nullptr;
    QStatusBar* StatusBar = nullptr;

    // The text of status panel 0 (progress) or 1 (page position).
    QString PanelText(int index) const;
    int LastProgress() const { return lastProgress_; }
    TRpPrinter* Printer() const;

    // Handlers.
    void ZoomFitClick(QObject* Sender);
    void Zoom100Click(QObject* Sender);
    void ZoomToWidthClick(QObject* Sender);
    void FirstPageClick(QObject* Sender);
    void PreviousPageClick(QObject* Sender);
    void NextPageClick(QObject* Sender);
    void LastPageClick(QObject* Sender);
    void PrintSetupClick(QObject* Sender);
    void PrintClick(QObject* Sender);
    void SaveReportClick(QObject* Sender);
    void LoadReportClick(QObject* Sender);
    void ExitButtonClick(QObject* Sender);
    void FormKeyDown(QObject* Sender, int& Key, TShiftState Shift);
    void PageAvailable(QObject* Sender, int PageNum);
    void ProgressUpdate(QObject* Sender, int Progress);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateToolBar();
    void CreateStatusBar();
    QToolButton* AddButton(const char* name, const QString& hint, int icon,
                           void (TRpStandardPreview::*click)(QObject*));
    void WritePagePosition();
    void EnableFinishedCommands();

    QButtonGroup* zoomGroup_ = nullptr;
    QLabel* panels_[2] = {nullptr, nullptr};
    int lastProgress_ = 0;
    bool closing_ = false;
    TKeyPreview keyPreview_{this};
};
