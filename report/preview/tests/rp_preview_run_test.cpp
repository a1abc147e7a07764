// The question listing's preview operation with the standard preview
// window registered, over a real questions table: the window fills while
// the listing is generated, the operation returns when it closes, and
// closing it early stops the run and leaves the table usable.
#include "report/fr_rel_quest.h"
#include "report/preview/rp_preview.h"
#include "report/preview/rp_standard_preview.h"
#include "report/preview/rp_standard_preview_interface.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"
#include "store/field.h"
#include "store/table.h"
#include "store/tests/store_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace {

class PreviewRunTest : public StoreTest {
protected:
    void OpenListing(int questions) {
        PrepareTables(questions);
        AddPassword();
        Perguntas = MakeQuestions();
        Perguntas->Open();
        Form = std::make_unique<TFRRelQuest>(Perguntas.get());
        RegisterRpStandardPreview();
    }
    ~PreviewRunTest() override {
        RegisterRpPreviewInterface({});
        // Closed windows free themselves once control is back in a loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TRpReport& Report() { return *Form->RpRelQuest(); }

    static QList<TRpStandardPreview*> Windows() {
        QList<TRpStandardPreview*> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* preview = dynamic_cast<TRpStandardPreview*>(w);
                preview && preview->isVisible())
                windows << preview;
        return windows;
    }

    // Runs the preview operation; `step` is called with the window again
    // and again while it shows, until it returns true (or 30 seconds pass,
    // when the window is closed and the test fails).
    void Preview(const std::function<bool(TRpStandardPreview&)>& step) {
        QElapsedTimer clock;
        clock.start();
        QTimer timer;
        bool done = false;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const QList<TRpStandardPreview*> windows = Windows();
            if (windows.isEmpty())
                return;
            if (clock.elapsed() > 30000) {
                ADD_FAILURE() << "the preview never reached the expected state or stayed open";
                windows.first()->close();
                return;
            }
            if (!done)
                done = step(*windows.first());
        });
        timer.start(0);
        Report().Preview();
    }

    std::unique_ptr<TTable> Perguntas;
    std::unique_ptr<TFRRelQuest> Form;
};

} // namespace

TEST_F(PreviewRunTest, TheWindowFillsWithTheListingAndThePreviewEndsWhenItCloses) {
    OpenListing(50);
    QString position;
    QString title;
    bool printable = false;
    int windows = 0;
    Preview([&](TRpStandardPreview& window) {
        if (window.Printer()->Status() != rpsFinished || !window.Print->isEnabled())
            return false;
        position = window.PanelText(1);
        title = window.windowTitle();
        printable = window.PrintSetup->isEnabled();
        // A second preview while this one shows returns at once.
        Report().Preview();
        windows = static_cast<int>(Windows().size());
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : &window, Qt::Key_Escape);
        return true;
    });
    EXPECT_EQ(position, QStringLiteral("Page 1 of 6"));
    EXPECT_EQ(title, Report().ReportTitle().isEmpty() ? QStringLiteral("Print Preview")
                                                      : Report().ReportTitle());
    EXPECT_TRUE(printable);
    EXPECT_EQ(windows, 1);
    // The preview released its printer object; the table stands on its
    // last record, past its end.
    EXPECT_EQ(Report().Printer(), nullptr);
    EXPECT_TRUE(Report().Idle());
    EXPECT_TRUE(Perguntas->Eof());
    EXPECT_EQ(Perguntas->FieldByName(QStringLiteral("Questao"))->AsString(),
              QStringLiteral("Questao 50"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Windows().isEmpty());
}

TEST_F(PreviewRunTest, ClosingDuringGenerationStopsTheRunAndLeavesTheTableUsable) {
    OpenListing(200);
    int pagesWhenClosed = 0;
    QPointer<TRpPrinter> printer;
    Preview([&](TRpStandardPreview& window) {
        if (window.Printer()->AvailablePages() < 1)
            return false;
        EXPECT_EQ(window.Printer()->Status(), rpsBusy);
        EXPECT_EQ(window.RpPreview->ZoomState(), rzsFitWidth);
        printer = window.Printer();
        pagesWhenClosed = printer->PageCount();
        window.close();
        return true;
    });
    EXPECT_GE(pagesWhenClosed, 1);
    EXPECT_LT(pagesWhenClosed, 23);
    EXPECT_TRUE(printer.isNull());
    EXPECT_EQ(Report().Printer(), nullptr);
    EXPECT_TRUE(Report().Idle());
    EXPECT_FALSE(Perguntas->Eof());

    // The table goes on as before.
    Perguntas->First();
    EXPECT_EQ(Perguntas->FieldByName(QStringLiteral("Questao"))->AsString(),
              QStringLiteral("Questao 1"));
    Perguntas->Edit();
    Perguntas->FieldByName(QStringLiteral("Questao"))->SetAsString(QStringLiteral("Outra"));
    Perguntas->Post();
    Perguntas->Next();
    Perguntas->First();
    EXPECT_EQ(Perguntas->FieldByName(QStringLiteral("Questao"))->AsString(),
              QStringLiteral("Outra"));

    // And the listing can be previewed again, to its end.
    QString position;
    Preview([&](TRpStandardPreview& window) {
        if (window.Printer()->Status() != rpsFinished)
            return false;
        window.LastPage->click();
        position = window.PanelText(1);
        window.close();
        return true;
    });
    EXPECT_EQ(position, QStringLiteral("Page 23 of 23"));
}
