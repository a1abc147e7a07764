// The print setup of the question listing on a scripted print dialog: what
// the dialog is offered before and after a preview, and what an answer
// changes for the next run.
#include "report/preview/rp_print_setup.h"

#include "platform/testing/scripted_print_dialog.h"
#include "platform/testing/scripted_printer.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"
#include "report/tests/rp_run_test_support.h"

class PrintSetupTest : public RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        RegisterRpPrintSetup();
    }
    void TearDown() override { TCustomRpReport::SetPrintSetupOperation(nullptr); }

    TScriptedPrinter Printers{{QStringLiteral("Laser"), QStringLiteral("Jato")}};
    TScriptedPrintDialog Dialog;
};

TEST_F(PrintSetupTest, AfterAFinishedPreviewTheDialogOffersItsPagesAsTheRange) {
    OpenListing(30);
    ASSERT_EQ(Generate(), 4);
    Dialog.QueueAnswer(std::nullopt);
    EXPECT_FALSE(Report().Printer()->PrintSetup(nullptr));
    ASSERT_EQ(Dialog.Requests().size(), 1u);
    const TPrintDialogOptions& asked = Dialog.Requests().front();
    EXPECT_EQ(asked.MinPage, 1);
    EXPECT_EQ(asked.MaxPage, 4);
    EXPECT_EQ(asked.FromPage, 1);
    EXPECT_EQ(asked.ToPage, 4);
    EXPECT_TRUE(asked.PageNumbers);
    EXPECT_FALSE(asked.PrintToFile);
    EXPECT_FALSE(asked.Selection);
    EXPECT_EQ(asked.Orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(asked.Copies, 1);
    EXPECT_EQ(asked.Printer, -1);
}

TEST_F(PrintSetupTest, BeforeAnyDocumentThePagesAreOpen) {
    OpenListing(3);
    Dialog.QueueAnswer(std::nullopt);
    EXPECT_FALSE(RpPrintSetup(&Report(), nullptr));
    ASSERT_EQ(Dialog.Requests().size(), 1u);
    EXPECT_EQ(Dialog.Requests().front().MinPage, 0);
    EXPECT_EQ(Dialog.Requests().front().MaxPage, 9999);
    EXPECT_EQ(Dialog.Requests().front().FromPage, 0);
}

TEST_F(PrintSetupTest, CancellingChangesNothing) {
    OpenListing(3);
    Report().PrinterSettings().SetFirstPage(2);
    Dialog.QueueAnswer(std::nullopt);
    EXPECT_FALSE(RpPrintSetup(&Report(), nullptr));
    EXPECT_EQ(Report().Page().Orientation(), poLandscape);
    EXPECT_EQ(Report().PrinterSettings().FirstPage(), 2);
    EXPECT_EQ(Report().PrinterSettings().PrinterIndex(), -1);
}

TEST_F(PrintSetupTest, PortraitAndAPageRangeShapeTheNextRun) {
    OpenListing(30);
    ASSERT_EQ(Generate(), 4);
    EXPECT_EQ(Report().Printer()->HorizontalExtent(), 2970);
    TPrintDialogAnswer answer;
    answer.Printer = 1;
    answer.Copies = 2;
    answer.Range = prPageNums;
    answer.FromPage = 2;
    answer.ToPage = 3;
    answer.Orientation = DMORIENT_PORTRAIT;
    Dialog.QueueAnswer(answer);
    EXPECT_TRUE(Report().Printer()->PrintSetup(nullptr));
    EXPECT_EQ(Report().Page().Orientation(), poPortrait);
    EXPECT_EQ(Report().PrinterSettings().PrinterIndex(), 1);
    EXPECT_EQ(Report().PrinterSettings().Copies(), 2);
    EXPECT_EQ(Report().PrinterSettings().FirstPage(), 2);
    EXPECT_EQ(Report().PrinterSettings().LastPage(), 3);

    // The page is A4 portrait now: narrower and longer.
    Report().PrintReport();
    ASSERT_EQ(Printers.Jobs().size(), 1u);
    const TScriptedJob& job = Printers.Jobs().front();
    EXPECT_EQ(job.Printer, 1);
    EXPECT_EQ(job.Mode.Orientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(job.Mode.Copies, 2);
    EXPECT_EQ(job.Pages, 2);
    EXPECT_EQ(Report().Page().Stored(TRpPage::iWidth), 2100);
    EXPECT_EQ(Report().Page().Stored(TRpPage::iLength), 2970);
}

TEST_F(PrintSetupTest, AllPagesClearTheRangeAndOneCopyTakesTheDriversCount) {
    OpenListing(3);
    Report().PrinterSettings().SetFirstPage(2);
    Report().PrinterSettings().SetLastPage(3);
    TDeviceMode driver = Printers.DeviceMode(0);
    driver.Copies = 4;
    Printers.SetDeviceMode(0, driver);
    TPrintDialogAnswer answer;
    answer.Printer = 0;
    answer.Copies = 1;
    answer.Range = prAllPages;
    answer.Orientation = DMORIENT_LANDSCAPE;
    Dialog.QueueAnswer(answer);
    EXPECT_TRUE(RpPrintSetup(&Report(), nullptr));
    EXPECT_EQ(Report().PrinterSettings().Copies(), 4);
    EXPECT_EQ(Report().PrinterSettings().FirstPage(), 0);
    EXPECT_EQ(Report().PrinterSettings().LastPage(), 0);
    EXPECT_EQ(Report().Page().Orientation(), poLandscape);
}
