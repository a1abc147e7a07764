// The preview window: its layout at creation, the page position and the
// progress panel, the keys, the commands as the printer object's state
// allows them, saving and opening report files, export filters, closing.
#include "report/preview/rp_standard_preview.h"

#include "platform/dispatch.h"
#include "platform/graphics/metafile.h"
#include "platform/testing/scripted_dialogs.h"
#include "report/preview/rp_export_filters.h"
#include "report/preview/rp_preview.h"
#include "report/preview/rp_preview_image.h"
#include "report/preview/tests/preview_test_support.h"
#include "report/rp_export_filter.h"
#include "report/rp_page_list.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class StandardPreviewTest : public ::testing::Test {
protected:
    ~StandardPreviewTest() override {
        if (Window)
            delete Window.data();
        ClearRpExportFilters();
    }
    TRpStandardPreview& Open(TRpPrinter* printer) {
        Window = new TRpStandardPreview(printer);
        Window->ShowPreview();
        DeliverMessages();
        return *Window;
    }
    // A key as the user presses it: to the control that has the focus.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr || target->window() != Window)
            target = Window;
        QTest::keyClick(target, key, modifiers);
        DeliverMessages();
    }
    QString Position() const { return Window->PanelText(1); }
    int Shown() const { return PageMark(*Window->RpPreview->Image()->Metafile()); }
    QString SavedFile(const QString& name) const { return Dir.filePath(name); }

    QTemporaryDir Dir;
    TScriptedDialogs Boxes;
    QPointer<TRpStandardPreview> Window;
};

// An export filter that writes the marks of the pages it is given, one a line.
class TMarksFilter : public TRpExportFilter {
public:
    explicit TMarksFilter(QString fileName) : fileName_(std::move(fileName)) {}
    QString Description() const override { return QStringLiteral("Page marks"); }
    QString Extension() const override { return QStringLiteral("txt"); }
    void Export(TRpPrinter& printer) override {
        QFile file(fileName_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int n = 1; n <= printer.Pages().PageCount(); ++n)
            file.write(QByteArray::number(PageMark(*printer.GetPage(n))) + '\n');
    }

private:
    QString fileName_;
};

} // namespace

TEST_F(StandardPreviewTest, AtCreationTheWindowShowsItsLayout) {
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(1);
    TRpStandardPreview& window = Open(printer.get());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Print Preview"));
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(window.ZoomToWidth->isChecked());
    EXPECT_FALSE(window.ZoomFit->isChecked());
    EXPECT_FALSE(window.Print->isEnabled());
    EXPECT_FALSE(window.PrintSetup->isEnabled());
    EXPECT_EQ(window.PanelText(0), QStringLiteral("0%"));
    EXPECT_EQ(Position(), QStringLiteral("Page 1 of 1"));
    EXPECT_EQ(window.LastProgress(), 0);
    EXPECT_EQ(window.ExitButton->text(), QStringLiteral("&Close"));
    EXPECT_EQ(window.ExitButton->size(), QSize(40, 22));

    // The buttons left to right with their hints.
    QStringList names;
    QStringList hints;
    for (QAction* action : window.ToolBar1->actions()) {
        QWidget* widget = window.ToolBar1->widgetForAction(action);
        if (action->isSeparator()) {
            names << QStringLiteral("|");
            continue;
        }
        names << widget->objectName();
        hints << widget->toolTip();
    }
    EXPECT_EQ(names.join(' '), QStringLiteral("| ZoomFit Zoom100 ZoomToWidth | FirstPage "
                                              "PreviousPage ToolButton2 LastPage | PrintSetup "
                                              "Print | SaveReport LoadReport | ExitButton"));
    EXPECT_EQ(hints.join(','), QStringLiteral("Zoom to fit,100%,Zoom to width,First page,Previous "
                                              "page,Next page,Last page,Printer setup,Print,Save "
                                              "Report,Load Report,"));
    // The printer object reports to the view.
    EXPECT_EQ(printer->ClientWindow(), window.RpPreview);
    EXPECT_TRUE(printer->PreviewShowing());
}

TEST_F(StandardPreviewTest, ATitledDocumentNamesTheWindowAndAFinishedOneCanBePrinted) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(2);
    printer->SetTitle(QStringLiteral("Relação das Questões"));
    TRpStandardPreview& window = Open(printer.get());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Relação das Questões"));
    EXPECT_TRUE(window.Print->isEnabled());
    EXPECT_FALSE(window.PrintSetup->isEnabled());
    EXPECT_EQ(Position(), QStringLiteral("Page 1 of 2"));
}

TEST_F(StandardPreviewTest, TheZoomButtonsReleaseEachOther) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(1);
    TRpStandardPreview& window = Open(printer.get());
    window.ZoomFit->click();
    EXPECT_TRUE(window.ZoomFit->isChecked());
    EXPECT_FALSE(window.ZoomToWidth->isChecked());
    EXPECT_EQ(window.RpPreview->ZoomState(), rzsFitPage);
    window.Zoom100->click();
    EXPECT_TRUE(window.Zoom100->isChecked());
    EXPECT_FALSE(window.ZoomFit->isChecked());
    EXPECT_EQ(window.RpPreview->Zoom(), 100);
    window.ZoomToWidth->click();
    EXPECT_EQ(window.RpPreview->ZoomState(), rzsFitWidth);
}

TEST_F(StandardPreviewTest, ProgressShowsInStepsOfFiveAndEmptiesAtTheEnds) {
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(1);
    TRpStandardPreview& window = Open(printer.get());
    const auto progress = [&](int percent) {
        printer->SetProgress(percent);
        DeliverMessages();
        return window.PanelText(0);
    };
    EXPECT_EQ(progress(3), QStringLiteral("0%"));
    EXPECT_EQ(progress(5), QStringLiteral("5%"));
    EXPECT_EQ(progress(9), QStringLiteral("5%"));
    EXPECT_EQ(progress(10), QStringLiteral("10%"));
    EXPECT_EQ(window.LastProgress(), 10);
    EXPECT_EQ(progress(100), QString());
    // The last value is kept: going back to 12 shows nothing new.
    EXPECT_EQ(progress(12), QString());
    EXPECT_EQ(progress(0), QString());
    EXPECT_EQ(window.LastProgress(), 100);
}

TEST_F(StandardPreviewTest, PrintAndPrintSetupWaitForTheDocumentToFinish) {
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(1);
    TRpStandardPreview& window = Open(printer.get());
    AddPage(*printer);
    DeliverMessages();
    EXPECT_EQ(Position(), QStringLiteral("Page 1 of 2"));
    EXPECT_EQ(Shown(), 1);
    EXPECT_FALSE(window.Print->isEnabled());
    EXPECT_FALSE(window.PrintSetup->isEnabled());
    printer->EndDocument();
    DeliverMessages();
    EXPECT_TRUE(window.Print->isEnabled());
    EXPECT_TRUE(window.PrintSetup->isEnabled());
}

TEST_F(StandardPreviewTest, PageKeysAndButtonsMoveWithinTheDocument) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(6);
    TRpStandardPreview& window = Open(printer.get());
    Press(Qt::Key_PageDown);
    EXPECT_EQ(Position(), QStringLiteral("Page 2 of 6"));
    EXPECT_EQ(Shown(), 2);
    Press(Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier); // as without Ctrl
    EXPECT_EQ(Position(), QStringLiteral("Page 3 of 6"));
    Press(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(Position(), QStringLiteral("Page 6 of 6"));
    EXPECT_EQ(Shown(), 6);
    Press(Qt::Key_PageDown); // Next on the last page
    window.ToolButton2->click();
    EXPECT_EQ(Position(), QStringLiteral("Page 6 of 6"));
    EXPECT_EQ(Shown(), 6);
    Press(Qt::Key_PageUp, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Position(), QStringLiteral("Page 5 of 6"));
    Press(Qt::Key_Home);
    EXPECT_EQ(Position(), QStringLiteral("Page 1 of 6"));
    Press(Qt::Key_PageUp); // Previous on page 1
    window.PreviousPage->click();
    EXPECT_EQ(Position(), QStringLiteral("Page 1 of 6"));
    EXPECT_EQ(Shown(), 1);
    Press(Qt::Key_End);
    EXPECT_EQ(Position(), QStringLiteral("Page 6 of 6"));
    Press(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(Position(), QStringLiteral("Page 1 of 6"));
    window.LastPage->click();
    EXPECT_EQ(Position(), QStringLiteral("Page 6 of 6"));
    window.FirstPage->click();
    window.ToolButton2->click();
    EXPECT_EQ(Position(), QStringLiteral("Page 2 of 6"));
}

TEST_F(StandardPreviewTest, EscapeClosesAndTellsTheReportWhichReleasesThePrinterObject) {
    TRpReport report;
    report.SetPrinter(FinishedPrinter(2));
    TRpPrinter* printer = report.Printer();
    printer->SetMaster(&report);
    Open(printer);
    Press(Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Window.isNull());
    EXPECT_EQ(report.Printer(), nullptr);
}

TEST_F(StandardPreviewTest, TheCloseButtonClosesTheWindow) {
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(2);
    Open(printer.get());
    Window->ExitButton->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Window.isNull());
    // Freed, the view let go of the busy document: it is cancelled.
    EXPECT_TRUE(printer->Cancelled());
    EXPECT_FALSE(printer->PreviewShowing());
    EXPECT_EQ(printer->ClientWindow(), nullptr);
}

TEST_F(StandardPreviewTest, SavingWritesNothingUntilTheDocumentIsFinished) {
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(3);
    TRpStandardPreview& window = Open(printer.get());
    Boxes.QueueFileName(SavedFile(QStringLiteral("busy.RPP")));
    window.SaveReport->click();
    ASSERT_EQ(Boxes.SaveRequests().size(), 1u);
    const TFileDialogOptions& asked = Boxes.SaveRequests()[0];
    EXPECT_EQ(asked.Title, QStringLiteral("Save report"));
    EXPECT_EQ(asked.DefaultExt, QStringLiteral("RPP"));
    EXPECT_EQ(asked.Filter, QStringLiteral("Saved reports(*.RPP)|*.RPP"));
    EXPECT_FALSE(QFile::exists(SavedFile(QStringLiteral("busy.RPP"))));

    printer->EndDocument();
    DeliverMessages();
    Boxes.QueueFileName(SavedFile(QStringLiteral("done.RPP")));
    window.SaveReport->click();
    TRpPageList saved;
    saved.LoadFromFile(SavedFile(QStringLiteral("done.RPP")));
    EXPECT_EQ(saved.PageCount(), 3);
}

TEST_F(StandardPreviewTest, ASavedFileOpenedAgainShowsTheSamePages) {
    std::unique_ptr<TRpPrinter> source = FinishedPrinter(4);
    source->SaveToFile(SavedFile(QStringLiteral("four.RPP")));

    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(2);
    TRpStandardPreview& window = Open(printer.get());
    window.PrintSetup->setEnabled(true);
    Press(Qt::Key_End);
    Boxes.QueueFileName(SavedFile(QStringLiteral("four.RPP")));
    window.LoadReport->click();
    ASSERT_EQ(Boxes.OpenRequests().size(), 1u);
    EXPECT_EQ(Boxes.OpenRequests()[0].Title, QStringLiteral("Load report"));
    EXPECT_EQ(Boxes.OpenRequests()[0].Filter, QStringLiteral("Saved reports (*.RPP)|*.RPP"));
    EXPECT_EQ(Position(), QStringLiteral("Page 1 of 4"));
    EXPECT_EQ(Shown(), 1);
    EXPECT_TRUE(window.Print->isEnabled());
    EXPECT_FALSE(window.PrintSetup->isEnabled());
    Press(Qt::Key_End);
    EXPECT_EQ(Position(), QStringLiteral("Page 4 of 4"));
    EXPECT_EQ(Shown(), 4);
}

TEST_F(StandardPreviewTest, OpeningAMissingOrDamagedFileKeepsThePagesShown) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(3);
    TRpStandardPreview& window = Open(printer.get());
    Press(Qt::Key_PageDown);

    Boxes.QueueFileName(SavedFile(QStringLiteral("missing.RPP")));
    window.LoadReport->click();
    EXPECT_EQ(Boxes.LastBox().Text, QStringLiteral("File does not exist"));

    QFile damaged(SavedFile(QStringLiteral("damaged.RPP")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(300, 'x'));
    damaged.close();
    QStringList errors;
    SetExceptionHandler([&](const QString& message) { errors << message; });
    Boxes.QueueFileName(damaged.fileName());
    window.LoadReport->click();
    SetExceptionHandler({});
    ASSERT_EQ(errors.size(), 1);
    EXPECT_FALSE(errors[0].isEmpty());
    EXPECT_EQ(Position(), QStringLiteral("Page 2 of 3"));
    EXPECT_EQ(Shown(), 2);
    EXPECT_EQ(printer->PageCount(), 3);
    Press(Qt::Key_End);
    EXPECT_EQ(Shown(), 3);
}

TEST_F(StandardPreviewTest, AnOpenedReportCannotBeReplacedWhileGenerationRuns) {
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(2);
    TRpStandardPreview& window = Open(printer.get());
    EXPECT_FALSE(window.LoadReport->isEnabled());
    printer->EndDocument();
    DeliverMessages();
    EXPECT_TRUE(window.LoadReport->isEnabled());
}

TEST_F(StandardPreviewTest, ExportFiltersFollowTheReportEntryAndWriteTheChosenFile) {
    RegisterRpExportFilter(
        [](const QString& name) { return std::make_unique<TMarksFilter>(name); });
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(3);
    // What the report does with a filter it is handed.
    printer->OnExport = [&](TRpExportFilter& filter) { filter.Export(*printer); };
    TRpStandardPreview& window = Open(printer.get());
    Boxes.QueueFile(SavedFile(QStringLiteral("marks.txt")), 2);
    window.SaveReport->click();
    ASSERT_EQ(Boxes.SaveRequests().size(), 1u);
    EXPECT_EQ(Boxes.SaveRequests()[0].Filter,
              QStringLiteral("Saved reports(*.RPP)|*.RPP|Page marks (*.txt)|*.txt"));
    QFile marks(SavedFile(QStringLiteral("marks.txt")));
    ASSERT_TRUE(marks.open(QIODevice::ReadOnly));
    EXPECT_EQ(marks.readAll(), QByteArray("1\n2\n3\n"));
    // The first entry still saves the report itself.
    Boxes.QueueFile(SavedFile(QStringLiteral("report.RPP")), 1);
    window.SaveReport->click();
    EXPECT_TRUE(QFile::exists(SavedFile(QStringLiteral("report.RPP"))));
    EXPECT_FALSE(QFile::exists(SavedFile(QStringLiteral("report.txt"))));
}

TEST_F(StandardPreviewTest, ACancelledDialogDoesNothing) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(2);
    TRpStandardPreview& window = Open(printer.get());
    Boxes.QueueFileName(std::nullopt);
    window.SaveReport->click();
    Boxes.QueueFileName(std::nullopt);
    window.LoadReport->click();
    EXPECT_EQ(Boxes.BoxCount(), 0);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), 0);
}
