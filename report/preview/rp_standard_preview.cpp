// The standard preview window: its tool bar and status bar, the commands,
// the keys, and the messages the page view passes on.
#include "report/preview/rp_standard_preview.h"

#include "platform/dialogs.h"
#include "platform/dispatch.h"
#include "platform/files.h"
#include "platform/ui/application.h"
#include "platform/ui/key_translation.h"
#include "report/preview/rp_export_filters.h"
#include "report/preview/rp_preview.h"
#include "report/preview/rp_preview_icons.h"
#include "report/preview/rp_preview_image.h"
#include "report/rp_export_filter.h"
#include "report/rp_printer.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>
#include <memory>

namespace {

const QString kReportExtension = QStringLiteral("RPP");

QString Text(const char* text) {
    return QString::fromUtf8(text);
}

// QUESTOES_TRACE_PREVIEW=1: the window writes what it shows on standard
// error, so that a test driving the real program can follow it.
void Trace(const QString& line) {
    static const bool tracing = qEnvironmentVariableIsSet("QUESTOES_TRACE_PREVIEW");
    if (!tracing)
        return;
    std::fprintf(stderr, "preview: %s\n", qUtf8Printable(line));
    std::fflush(stderr);
}

} // namespace

TRpStandardPreview::TRpStandardPreview(TRpPrinter* printer) {
    setObjectName(QStringLiteral("TRpStandardPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Text("Print Preview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateToolBar();
    layout->addWidget(ToolBar1);
    RpPreview = new TRpPreview(this);
    RpPreview->setObjectName(QStringLiteral("RpPreview"));
    layout->addWidget(RpPreview, 1);
    CreateStatusBar();
    layout->addWidget(StatusBar);

    RpPreview->OnPageAvailable = [this](QObject* sender, int page) { PageAvailable(sender, page); };
    RpPreview->OnProgressUpdate = [this](QObject* sender, int progress) {
        ProgressUpdate(sender, progress);
    };
    RpPreview->SetPrinter(printer);
    if (printer != nullptr && !printer->Title().isEmpty())
        setWindowTitle(printer->Title());
    lastProgress_ = 0;
    ZoomToWidth->setChecked(true);
    EnableFinishedCommands();
    setWindowState(Qt::WindowMaximized);
    // The window previews the keys of all its controls.
    qApp->installEventFilter(this);
}

TRpStandardPreview::~TRpStandardPreview() {
    qApp->removeEventFilter(this);
}

TRpPrinter* TRpStandardPreview::Printer() const {
    return RpPreview->Printer();
}

// ---- Layout -------------------------------------------------------------------

QToolButton* TRpStandardPreview::AddButton(const char* name, const QString& hint, int icon,
                                           void (TRpStandardPreview::*click)(QObject*)) {
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setIcon(RpPreviewIcon(icon));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    ToolBar1->addWidget(button);
    connect(button, &QToolButton::clicked, this,
            [this, button, click] { Dispatch([&] { (this->*click)(button); }); });
    return button;
}

void TRpStandardPreview::CreateToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(RpPreviewIconSize, RpPreviewIconSize));
    ToolBar1->setMovable(false);
    ToolBar1->setContentsMargins(2, 2, 2, 2);
    ToolBar1->addSeparator()->setObjectName(QStringLiteral("ToolButton1"));
    ZoomFit =
        AddButton("ZoomFit", Text("Zoom to fit"), rpiZoomFit, &TRpStandardPreview::ZoomFitClick);
    Zoom100 = AddButton("Zoom100", Text("100%"), rpiZoom100, &TRpStandardPreview::Zoom100Click);
    ZoomToWidth = AddButton("ZoomToWidth", Text("Zoom to width"), rpiZoomToWidth,
                            &TRpStandardPreview::ZoomToWidthClick);
    // Pressing one of the three zoom buttons releases the others.
    zoomGroup_ = new QButtonGroup(this);
    zoomGroup_->setExclusive(true);
    for (QToolButton* zoom : {ZoomFit, Zoom100, ZoomToWidth}) {
        zoom->setCheckable(true);
        zoomGroup_->addButton(zoom);
    }
    ToolBar1->addSeparator()->setObjectName(QStringLiteral("Separator1"));
    FirstPage = AddButton("FirstPage", Text("First page"), rpiFirstPage,
                          &TRpStandardPreview::FirstPageClick);
    PreviousPage = AddButton("PreviousPage", Text("Previous page"), rpiPreviousPage,
                             &TRpStandardPreview::PreviousPageClick);
    ToolButton2 = AddButton("ToolButton2", Text("Next page"), rpiNextPage,
                            &TRpStandardPreview::NextPageClick);
    LastPage =
        AddButton("LastPage", Text("Last page"), rpiLastPage, &TRpStandardPreview::LastPageClick);
    ToolBar1->addSeparator()->setObjectName(QStringLiteral("Separator2"));
    PrintSetup = AddButton("PrintSetup", Text("Printer setup"), rpiPrintSetup,
                           &TRpStandardPreview::PrintSetupClick);
    Print = AddButton("Print", Text("Print"), rpiPrint, &TRpStandardPreview::PrintClick);
    PrintSetup->setEnabled(false);
    Print->setEnabled(false);
    ToolBar1->addSeparator()->setObjectName(QStringLiteral("Separator3"));
    SaveReport = AddButton("SaveReport", Text("Save Report"), rpiSaveReport,
                           &TRpStandardPreview::SaveReportClick);
    LoadReport = AddButton("LoadReport", Text("Load Report"), rpiLoadReport,
                           &TRpStandardPreview::LoadReportClick);
    ToolBar1->addSeparator()->setObjectName(QStringLiteral("Separator4"));
    ExitButton = new QPushButton(Text("&Close"), ToolBar1);
    ExitButton->setObjectName(QStringLiteral("ExitButton"));
    ExitButton->setFlat(true);
    ExitButton->setFixedSize(40, 22);
    ExitButton->setFocusPolicy(Qt::NoFocus);
    ToolBar1->addWidget(ExitButton);
    connect(ExitButton, &QPushButton::clicked, this,
            [this] { Dispatch([this] { ExitButtonClick(ExitButton); }); });
}

void TRpStandardPreview::CreateStatusBar() {
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    panels_[0] = new QLabel(QStringLiteral("0%"), StatusBar);
    panels_[0]->setFixedWidth(40);
    panels_[0]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panels_[1] = new QLabel(Text("Page"), StatusBar);
    panels_[1]->setMinimumWidth(50);
    for (QLabel* panel : panels_)
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusBar->addWidget(panels_[0]);
    // The last panel reaches the window's right edge.
    StatusBar->addWidget(panels_[1], 1);
}

QString TRpStandardPreview::PanelText(int index) const {
    if (index < 0 || index > 1)
        return QString();
    return panels_[index]->text();
}

void TRpStandardPreview::ShowPreview() {
    // Where no window manager maximizes it, the window still covers the
    // screen's free area.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    showMaximized();
    raise();
    activateWindow();
    RpPreview->setFocus();
    WritePagePosition();
    Trace(QStringLiteral("shown ") + windowTitle());
    for (QToolButton* button : {SaveReport, LoadReport}) {
        const QPoint centre = button->mapToGlobal(button->rect().center());
        Trace(QStringLiteral("%1 at %2 %3")
                  .arg(button->objectName())
                  .arg(centre.x())
                  .arg(centre.y()));
    }
}

// ---- Page position and the printer object's news -------------------------------

void TRpStandardPreview::WritePagePosition() {
    const int count = Printer() ? Printer()->PageCount() : 0;
    panels_[1]->setText(Text("Page") + QLatin1Char(' ') + QString::number(RpPreview->PageNumber()) +
                        QLatin1Char(' ') + Text("of") + QLatin1Char(' ') + QString::number(count));
    Trace(panels_[1]->text());
}

void TRpStandardPreview::EnableFinishedCommands() {
    const bool finished = Printer() != nullptr && Printer()->Status() == rpsFinished;
    Print->setEnabled(Print->isEnabled() || finished);
    // A saved report opened into the window replaces the pages, so it waits
    // until the generation is over.
    LoadReport->setEnabled(finished || Printer() == nullptr);
}

void TRpStandardPreview::PageAvailable(QObject*, int) {
    WritePagePosition();
    if (Printer() != nullptr && Printer()->Status() == rpsFinished) {
        PrintSetup->setEnabled(true);
        Print->setEnabled(true);
        LoadReport->setEnabled(true);
    }
}

void TRpStandardPreview::ProgressUpdate(QObject*, int progress) {
    if (progress >= lastProgress_ + 5) {
        panels_[0]->setText(QString::number(progress) + QLatin1Char('%'));
        lastProgress_ = progress;
    }
    if (progress == 0 || progress == 100)
        panels_[0]->setText(QString());
}

// ---- Commands -----------------------------------------------------------------

void TRpStandardPreview::ZoomFitClick(QObject*) {
    QCoreApplication::processEvents();
    RpPreview->ZoomToFit();
}

void TRpStandardPreview::Zoom100Click(QObject*) {
    QCoreApplication::processEvents();
    RpPreview->SetZoom(100);
}

void TRpStandardPreview::ZoomToWidthClick(QObject*) {
    QCoreApplication::processEvents();
    RpPreview->ZoomToWidth();
}

void TRpStandardPreview::FirstPageClick(QObject*) {
    RpPreview->SetPageNumber(1);
    WritePagePosition();
}

void TRpStandardPreview::PreviousPageClick(QObject*) {
    RpPreview->SetPageNumber(RpPreview->PageNumber() - 1);
    WritePagePosition();
}

void TRpStandardPreview::NextPageClick(QObject*) {
    RpPreview->SetPageNumber(RpPreview->PageNumber() + 1);
    WritePagePosition();
}

void TRpStandardPreview::LastPageClick(QObject*) {
    if (Printer() != nullptr)
        RpPreview->SetPageNumber(Printer()->PageCount());
    WritePagePosition();
}

void TRpStandardPreview::PrintSetupClick(QObject* sender) {
    if (Printer() != nullptr)
        Printer()->PrintSetup(sender);
}

void TRpStandardPreview::PrintClick(QObject*) {
    if (Printer() != nullptr)
        Printer()->Print();
}

QString TRpStandardPreview::ReportFileDescription() {
    return Text("Saved reports");
}

QString TRpStandardPreview::SaveFilter() {
    QString filter = ReportFileDescription() + QStringLiteral("(*.") + kReportExtension +
                     QStringLiteral(")|*.") + kReportExtension;
    for (const TRpExportFilterClass& makeFilter : RpExportFilters()) {
        const std::unique_ptr<TRpExportFilter> sample = makeFilter(QString());
        filter += QLatin1Char('|') + sample->Description() + QStringLiteral(" (*.") +
                  sample->Extension() + QStringLiteral(")|*.") + sample->Extension();
    }
    return filter;
}

QString TRpStandardPreview::OpenFilter() {
    return ReportFileDescription() + QStringLiteral(" (*.") + kReportExtension +
           QStringLiteral(")|*.") + kReportExtension;
}

void TRpStandardPreview::SaveReportClick(QObject*) {
    TFileDialogOptions options;
    options.Title = Text("Save report");
    options.Filter = SaveFilter();
    options.DefaultExt = kReportExtension;
    const std::optional<TFileDialogChoice> choice = Dialogs().SaveFile(options);
    if (!choice || Printer() == nullptr)
        return;
    const int exportIndex = choice->FilterIndex - 2;
    if (exportIndex < 0 || exportIndex >= static_cast<int>(RpExportFilters().size())) {
        Printer()->SaveToFile(choice->FileName);
        return;
    }
    const std::unique_ptr<TRpExportFilter> filter =
        RpExportFilters()[exportIndex](choice->FileName);
    Printer()->Export(*filter);
}

void TRpStandardPreview::LoadReportClick(QObject*) {
    TFileDialogOptions options;
    options.Title = Text("Load report");
    options.Filter = OpenFilter();
    options.DefaultExt = kReportExtension;
    const std::optional<QString> fileName = Dialogs().OpenFileName(options);
    if (!fileName || Printer() == nullptr)
        return;
    if (!FileExists(*fileName)) {
        Dialogs().ShowMessage(Text("File does not exist"));
        return;
    }
    // A file that cannot be read fails here, before anything shown changes.
    Printer()->LoadFromFile(*fileName);
    RpPreview->SetPageNumber(1);
    RpPreview->Image()->LoadPage(1);
    WritePagePosition();
    PrintSetup->setEnabled(false);
    Print->setEnabled(true);
}

void TRpStandardPreview::ExitButtonClick(QObject*) {
    close();
}

// ---- Keys and closing ------------------------------------------------------------

void TRpStandardPreview::FormKeyDown(QObject*, int& Key, TShiftState Shift) {
    const bool ctrlOnly = Shift == TShiftState(ssCtrl);
    switch (Key) {
    case VK_ESCAPE:
        close();
        break;
    case VK_PRIOR:
        ctrlOnly ? FirstPageClick(this) : PreviousPageClick(this);
        break;
    case VK_NEXT:
        ctrlOnly ? LastPageClick(this) : NextPageClick(this);
        break;
    case VK_HOME:
        FirstPageClick(this);
        break;
    case VK_END:
        LastPageClick(this);
        break;
    default:
        return;
    }
    Key = 0;
}

bool TRpStandardPreview::eventFilter(QObject* watched, QEvent* event) {
    // The program is ending while the preview shows: close it, so that the
    // report stops waiting for it.
    if (!closing_ && Application != nullptr && Application->Terminated()) {
        closing_ = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    switch (keyPreview_.Classify(watched, event)) {
    case TKeyPreview::Swallow:
        return true;
    case TKeyPreview::Pass:
        return QWidget::eventFilter(watched, event);
    case TKeyPreview::Preview:
        break;
    }
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    int key = VirtualKeyFromQt(*keyEvent);
    const TShiftState shift = ShiftStateFromQt(keyEvent->modifiers());
    if (key == 0)
        return false;
    Dispatch([&] { FormKeyDown(this, key, shift); });
    return key == 0;
}

void TRpStandardPreview::closeEvent(QCloseEvent* event) {
    closing_ = true;
    // The report may free the printer object inside this call: the view's
    // guarded pointer then forgets it.
    if (TRpPrinter* printer = Printer())
        Dispatch([printer] { printer->ClosePreview(); });
    event->accept();
}
