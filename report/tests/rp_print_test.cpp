// Printing the question listing on a scripted printer: the device mode that
// reaches the driver, the settings read from it, the print operation with
// its progress window and without any printer, and stored pages printed
// from a saved report.
#include "report/tests/rp_run_test_support.h"

#include "platform/dialogs.h"
#include "platform/graphics/metafile.h"
#include "platform/messages.h"
#include "platform/testing/scripted_printer.h"
#include "report/printer_settings.h"
#include "report/rp_printer.h"
#include "report/rp_progress_interface.h"
#include "report/rp_report.h"

#include <QDir>
#include <QPointer>
#include <algorithm>
#include <vector>

namespace {

// Stands in for the progress window: keeps the percentages it is told and
// may cancel the printer object at a given one.
class TProgressProbe : public TMessageHandler<QObject> {
public:
    explicit TProgressProbe(TRpPrinter* printer) : printer_(printer) {}
    void WndProc(TMessage& message) override {
        if (message.Msg != RP_PROGRESS)
            return;
        Percents.push_back(static_cast<int>(message.WParam));
        if (CancelAt > 0 && static_cast<int>(message.WParam) >= CancelAt && printer_)
            static_cast<TRpPrinter*>(printer_.data())->SetCancelled(true);
    }
    std::vector<int> Percents;
    int CancelAt = 0;

private:
    QPointer<QObject> printer_;
};

// Registers a maker of probes for one test and keeps what it made.
class ScopedProgressProbes {
public:
    explicit ScopedProgressProbes(int cancelAt = 0) {
        previous_ = RegisterRpProgressWindow([this, cancelAt](TRpPrinter* printer, bool show) {
            auto probe = std::make_unique<TProgressProbe>(printer);
            probe->CancelAt = cancelAt;
            Shown = show;
            Made = probe.get();
            Printer = printer;
            QObject::connect(probe.get(), &QObject::destroyed, [this] { Released = true; });
            return probe;
        });
    }
    ~ScopedProgressProbes() { RegisterRpProgressWindow(previous_); }
    TProgressProbe* Made = nullptr;
    TRpPrinter* Printer = nullptr;
    bool Shown = false;
    bool Released = false;

private:
    TRpProgressWindowClass previous_;
};

} // namespace

using PrintTest = RunTest;

TEST_F(PrintTest, TheListingReachesTheDriverAsLandscapeA4WithOneCopyFromTheAutomaticBin) {
    OpenListing(10);
    TScriptedPrinter printer;
    Report().PrintReport();
    ASSERT_EQ(printer.Jobs().size(), 1u);
    const TScriptedJob& job = printer.Jobs().front();
    EXPECT_TRUE(job.Ended);
    EXPECT_EQ(job.Pages, 2);
    EXPECT_EQ(job.Title, Report().ReportTitle());
    EXPECT_EQ(job.Mode.PaperSize, DMPAPER_A4);
    EXPECT_EQ(job.Mode.Orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(job.Mode.Copies, 1);
    EXPECT_EQ(job.Mode.DefaultSource, 7);
    EXPECT_EQ(job.Mode.Duplex, DMDUP_SIMPLEX);
}

TEST_F(PrintTest, CustomPaperSendsThePagesOwnWidthAndLength) {
    OpenListing(3);
    TScriptedPrinter printer;
    Report().Page().SetPaperSize(TRpPaperSize::Custom);
    Report().Page().SetStored(TRpPage::iWidth, 2500);
    Report().Page().SetStored(TRpPage::iLength, 1800);
    Report().PrintReport();
    ASSERT_EQ(printer.Jobs().size(), 1u);
    const TDeviceMode& mode = printer.Jobs().front().Mode;
    EXPECT_EQ(mode.PaperSize, DMPAPER_USER);
    EXPECT_EQ(mode.PaperWidth, 2500);
    EXPECT_EQ(mode.PaperLength, 1800);
}

TEST_F(PrintTest, FieldsTheDriverDoesNotKnowAreLeftAsTheDriverHasThem) {
    OpenListing(3);
    TScriptedPrinter printer;
    TDeviceMode driver;
    driver.Fields = DM_ORIENTATION | DM_COPIES | DM_DEFAULTSOURCE;
    driver.PaperSize = 5;
    driver.PaperWidth = 1111;
    driver.PaperLength = 2222;
    // The driver's own flag in the paper source survives the bin change.
    driver.DefaultSource = 0x100 | 4;
    printer.SetDefaultMode(driver);
    Report().Page().SetPaperSize(TRpPaperSize::Custom);
    Report().PrintReport();
    ASSERT_EQ(printer.Jobs().size(), 1u);
    const TDeviceMode& mode = printer.Jobs().front().Mode;
    EXPECT_EQ(mode.PaperSize, 5);
    EXPECT_EQ(mode.PaperWidth, 1111);
    EXPECT_EQ(mode.PaperLength, 2222);
    EXPECT_EQ(mode.DefaultSource, 0x100 | 7);
}

TEST_F(PrintTest, SettingsAreReadFromTheDriverThroughThePaperAndBinTables) {
    TScriptedPrinter printer({QStringLiteral("Laser"), QStringLiteral("Plotter")});
    TPrinterCapabilities caps;
    caps.Driver = QStringLiteral("/usr/lib/drivers/") + QString(70, QLatin1Char('d'));
    caps.Papers = {1, 5, 8, 300};
    caps.Bins = {2, 14};
    caps.Copies = true;
    caps.Duplex = true;
    printer.SetCapabilities(caps);
    TDeviceMode driver;
    driver.Fields = DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE | DM_DUPLEX;
    driver.PaperSize = 5;
    driver.Copies = 3;
    driver.DefaultSource = 14;
    driver.Duplex = DMDUP_VERTICAL;
    printer.SetDefaultMode(driver);
    TPrinterDevice device;
    device.PixelsPerInchX = 600;
    device.PixelsPerInchY = 300;
    device.PhysicalOffsetX = 100;
    device.PhysicalOffsetY = 60;
    device.PhysicalWidth = 5100;
    device.PhysicalHeight = 3300;
    printer.SetDevice(device);

    TPrinterSettings settings(PrinterService());
    settings.SetPrinterIndex(1);
    EXPECT_EQ(settings.Device(), QStringLiteral("Plotter"));
    EXPECT_EQ(settings.Driver(), QString(63, QLatin1Char('d')));
    EXPECT_EQ(settings.Copies(), 3);
    EXPECT_EQ(settings.OutputBin(), TRpBin::Cassette);
    EXPECT_TRUE(settings.Duplex());
    EXPECT_EQ(settings.PaperSize(), TRpPaperSize::Legal);
    EXPECT_EQ(settings.LeftOffset(), 42);
    EXPECT_EQ(settings.TopOffset(), 51);
    EXPECT_TRUE(settings.PaperSupported(TRpPaperSize::Letter));
    EXPECT_TRUE(settings.PaperSupported(TRpPaperSize::A3));
    EXPECT_FALSE(settings.PaperSupported(TRpPaperSize::A4));
    EXPECT_TRUE(settings.PaperSupported(TRpPaperSize::Custom));

    // A driver without copies, bins or duplex support reads as one copy,
    // the first bin and no duplex, whatever its mode says.
    printer.SetCapabilities(TPrinterCapabilities{});
    settings.SetPrinterIndex(0);
    EXPECT_EQ(settings.Copies(), 1);
    EXPECT_EQ(settings.OutputBin(), TRpBin::First);
    EXPECT_FALSE(settings.Duplex());
    EXPECT_EQ(settings.PaperSize(), TRpPaperSize::Default);
}

TEST_F(PrintTest, DuplexReadFromTheDriverIsSentBackAsHorizontalDuplex) {
    OpenListing(3);
    TScriptedPrinter printer;
    TDeviceMode driver = printer.DeviceMode(0);
    driver.Duplex = DMDUP_VERTICAL;
    printer.SetDefaultMode(driver);
    Report().PrintReport();
    ASSERT_EQ(printer.Jobs().size(), 1u);
    EXPECT_EQ(printer.Jobs().front().Mode.Duplex, DMDUP_HORIZONTAL);
}

TEST_F(PrintTest, ThePrintOperationReportsToItsProgressWindowAndReleasesIt) {
    OpenListing(40);
    ASSERT_EQ(Generate(), 5);
    TRpPrinter* preview = Report().Printer();
    TScriptedPrinter printer;
    ScopedProgressProbes probes;
    Report().PrintReport();
    ASSERT_NE(probes.Made, nullptr);
    EXPECT_TRUE(probes.Shown);
    EXPECT_TRUE(probes.Released);
    EXPECT_NE(probes.Printer, preview);
    // The preview's printer object is back, its pages untouched.
    EXPECT_EQ(Report().Printer(), preview);
    EXPECT_EQ(preview->PageCount(), 5);
    ASSERT_EQ(printer.Jobs().size(), 1u);
    EXPECT_EQ(printer.Jobs().front().Pages, 5);
}

TEST_F(PrintTest, CancelFinishesTheCurrentPageAndEndsTheJobWithThePagesSoFar) {
    OpenListing(90);
    TScriptedPrinter printer;
    ScopedProgressProbes probes(/*cancelAt=*/25);
    Report().PrintReport();
    ASSERT_EQ(printer.Jobs().size(), 1u);
    const TScriptedJob& job = printer.Jobs().front();
    EXPECT_TRUE(job.Ended);
    EXPECT_FALSE(job.Aborted);
    EXPECT_GE(job.Pages, 3);
    EXPECT_LT(job.Pages, 10);
    // The last page printed is complete: its footer carries its number.
    EXPECT_TRUE(printer.PageTexts(job.Pages).contains(QString::number(job.Pages)));
}

TEST_F(PrintTest, WithoutAPrinterPrintSaysSoAndChangesNothing) {
    OpenListing(12);
    ASSERT_EQ(Generate(), 2);
    TRpPrinter* preview = Report().Printer();
    TScriptedPrinter none(QStringList{});
    ScopedProgressProbes probes;
    Report().PrintReport();
    EXPECT_EQ(Env.Dialogs().Texts(), QStringList{QStringLiteral("No printer installed")});
    EXPECT_EQ(probes.Made, nullptr);
    EXPECT_EQ(Report().Printer(), preview);
    EXPECT_EQ(preview->Status(), rpsFinished);
    EXPECT_TRUE(none.Jobs().empty());

    // Pages opened from a file say the same.
    const QString file = QDir::temp().filePath(QStringLiteral("none.rpp"));
    preview->SaveToFile(file);
    TRpPrinter opened;
    opened.LoadFromFile(file);
    opened.Print();
    EXPECT_EQ(Env.Dialogs().BoxCount(), 2);
    EXPECT_TRUE(none.Jobs().empty());
}

TEST_F(PrintTest, StoredPagesAreStretchedOverThePrintablePage) {
    OpenListing(12);
    ASSERT_EQ(Generate(), 2);
    const std::vector<TDrawnText> onScreen = PageTexts(*Page(2));
    const TDrawnText* first = FindText(onScreen, QStringLiteral("Questao 10"));
    ASSERT_NE(first, nullptr);
    const QString file = QDir::temp().filePath(QStringLiteral("listing.rpp"));
    Report().Printer()->SaveToFile(file);

    TScriptedPrinter printer;
    TPrinterDevice device;
    device.PixelsPerInchX = device.PixelsPerInchY = 192;
    device.PhysicalWidth = 2300;
    device.PhysicalHeight = 1700;
    // The printable page: twice the preview's page.
    device.PageWidth = 2246;
    device.PageHeight = 1588;
    printer.SetDevice(device);
    TRpPrinter opened;
    opened.LoadFromFile(file);
    opened.Settings().SetPageRange(2, 0);
    opened.Print();
    ASSERT_EQ(printer.Jobs().size(), 1u);
    const TScriptedJob& job = printer.Jobs().front();
    EXPECT_TRUE(job.Ended);
    EXPECT_EQ(job.Pages, 1);
    // The saved pages are landscape, and so is the sheet they go to.
    EXPECT_EQ(job.Mode.Orientation, DMORIENT_LANDSCAPE);
    const auto printed =
        std::find_if(job.Texts.begin(), job.Texts.end(),
                     [](const TPrintedText& t) { return t.Text == QStringLiteral("Questao 10"); });
    ASSERT_NE(printed, job.Texts.end());
    EXPECT_NEAR(printed->X, first->X * 2, 2);
    EXPECT_NEAR(printed->Y, first->Y * 2, 2);
}
