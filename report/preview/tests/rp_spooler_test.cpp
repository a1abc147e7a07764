// The question listing printed through the real CUPS spooler to a PDF queue
// of the tests' own (scripts/cups_test_queue.sh sets it up), and the PDF it
// writes read back with poppler's pdfinfo and pdftotext.
#include "platform/printers.h"
#include "platform/ui/qt_printers.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"
#include "report/tests/rp_run_test_support.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

namespace {

QString Output(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool Mentions(const QString& text, const QString& words) {
    return text.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(words)));
}

} // namespace

class SpoolerTest : public RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        queue_ = qEnvironmentVariable("QUESTOES_TEST_PRINTER");
        pdfDir_ = qEnvironmentVariable("QUESTOES_TEST_PDF_DIR");
        if (queue_.isEmpty() || pdfDir_.isEmpty())
            GTEST_SKIP() << "no spooler queue was set up for this run";
        QFile unavailable(pdfDir_ + QStringLiteral("/unavailable"));
        if (unavailable.open(QIODevice::ReadOnly))
            GTEST_SKIP() << unavailable.readAll().trimmed().toStdString();
        previous_ = SetPrinterService(&printers_);
        installed_ = true;
        Index = static_cast<int>(printers_.Printers().indexOf(queue_));
        ASSERT_GE(Index, 0) << "the queue " << queue_.toStdString() << " is not listed";
        for (const QString& old : QDir(pdfDir_).entryList({QStringLiteral("*.pdf")}, QDir::Files))
            QFile::remove(QDir(pdfDir_).filePath(old));
    }
    void TearDown() override {
        if (installed_)
            SetPrinterService(previous_);
    }

    // Every job the queue has had, finished or not.
    int JobCount() {
        return static_cast<int>(
            Output(QStringLiteral("lpstat"),
                   {QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o"), queue_})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                .size());
    }

    // The PDF of the one job sent, once the queue has finished it.
    QString WaitForPdf() {
        const QDeadlineTimer deadline(90000);
        while (!deadline.hasExpired()) {
            const bool active = !Output(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue_})
                                     .trimmed()
                                     .isEmpty();
            const QStringList pdfs =
                QDir(pdfDir_).entryList({QStringLiteral("*.pdf")}, QDir::Files);
            if (!active && !pdfs.isEmpty())
                return QDir(pdfDir_).filePath(pdfs.front());
            QThread::msleep(200);
        }
        return QString();
    }

    TQtPrinters& Printers() { return printers_; }
    int Index = -1;

private:
    QString queue_;
    QString pdfDir_;
    TQtPrinters printers_;
    TPrinterService* previous_ = nullptr;
    bool installed_ = false;
};

TEST_F(SpoolerTest, PagesTwoAndThreeOfFiveReachThePaperAsLandscapeA4) {
    OpenListing(45);
    Report().PrinterSettings().SetPrinterIndex(Index);
    Report().PrinterSettings().SetFirstPage(2);
    Report().PrinterSettings().SetLastPage(3);
    Report().PrintReport();
    const QString pdf = WaitForPdf();
    ASSERT_FALSE(pdf.isEmpty()) << "the queue wrote no PDF";

    const QString info =
        Output(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                           QStringLiteral("-l"), QStringLiteral("9"), pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))))
        << info.toStdString();
    for (int page = 1; page <= 2; ++page) {
        const QRegularExpressionMatch size =
            QRegularExpression(
                QStringLiteral("Page\\s+%1 size:\\s+([\\d.]+) x ([\\d.]+) pts").arg(page))
                .match(info);
        const QRegularExpressionMatch rot =
            QRegularExpression(QStringLiteral("Page\\s+%1 rot:\\s+(\\d+)").arg(page)).match(info);
        ASSERT_TRUE(size.hasMatch() && rot.hasMatch()) << info.toStdString();
        double width = size.captured(1).toDouble();
        double height = size.captured(2).toDouble();
        if (rot.captured(1).toInt() % 180 == 90)
            std::swap(width, height);
        // A4 as printed in landscape: 297 × 210 mm.
        EXPECT_NEAR(width, 842, 2) << "page " << page;
        EXPECT_NEAR(height, 595, 2) << "page " << page;
    }

    QStringList pages;
    for (int page = 1; page <= 2; ++page)
        pages << Output(QStringLiteral("pdftotext"),
                        {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                         QString::number(page), pdf, QStringLiteral("-")});
    for (int n = 10; n <= 18; ++n)
        EXPECT_TRUE(Mentions(pages[0], QStringLiteral("Questao %1").arg(n))) << n;
    for (int n = 19; n <= 27; ++n)
        EXPECT_TRUE(Mentions(pages[1], QStringLiteral("Questao %1").arg(n))) << n;
    const QString all = pages.join(QString());
    EXPECT_FALSE(Mentions(all, QStringLiteral("Questao 9")));
    EXPECT_FALSE(Mentions(all, QStringLiteral("Questao 28")));
}

TEST_F(SpoolerTest, AnAbortedJobNeverReachesTheQueue) {
    const int before = JobCount();
    Printers().BeginJob(Index, QStringLiteral("Abandonado"));
    Printers().JobCanvas().TextOut(100, 100, QStringLiteral("nunca"));
    Printers().NewPage();
    Printers().AbortJob();
    EXPECT_FALSE(Printers().Printing());
    EXPECT_EQ(JobCount(), before);
}

TEST_F(SpoolerTest, TheQueueOffersA4AndItsDeviceFollowsTheOrientation) {
    const TPrinterCapabilities caps = Printers().Capabilities(Index);
    EXPECT_NE(std::find(caps.Papers.begin(), caps.Papers.end(), DMPAPER_A4), caps.Papers.end());
    EXPECT_TRUE(caps.Port.startsWith(QStringLiteral("cups-pdf:"))) << caps.Port.toStdString();
    TDeviceMode mode = Printers().DeviceMode(Index);
    mode.PaperSize = DMPAPER_A4;
    mode.Orientation = DMORIENT_PORTRAIT;
    Printers().SetDeviceMode(Index, mode);
    const TPrinterDevice portrait = Printers().Device(Index);
    mode.Orientation = DMORIENT_LANDSCAPE;
    Printers().SetDeviceMode(Index, mode);
    const TPrinterDevice landscape = Printers().Device(Index);
    ASSERT_GT(portrait.PixelsPerInchX, 0);
    EXPECT_NEAR(portrait.PhysicalWidth * 254.0 / portrait.PixelsPerInchX, 2100, 2);
    EXPECT_NEAR(portrait.PhysicalHeight * 254.0 / portrait.PixelsPerInchY, 2970, 2);
    EXPECT_EQ(landscape.PhysicalWidth, portrait.PhysicalHeight);
    EXPECT_EQ(landscape.PhysicalHeight, portrait.PhysicalWidth);
}

TEST_F(SpoolerTest, ALandscapeJobTravelsOnASheetWiderThanLong) {
    QPrinter printer(QPrinterInfo::printerInfo(QPrinterInfo::availablePrinterNames().at(Index)));
    TDeviceMode mode;
    mode.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DUPLEX;
    mode.PaperSize = DMPAPER_A4;
    mode.Orientation = DMORIENT_LANDSCAPE;
    mode.Copies = 2;
    QMap<QString, QString> options =
        TQtPrinters::JobOptions(mode, TQtPrinters::LayoutOf(mode, printer));
    EXPECT_EQ(options.value(QStringLiteral("media")), QStringLiteral("Custom.842x595"));
    EXPECT_EQ(options.value(QStringLiteral("copies")), QStringLiteral("2"));
    EXPECT_EQ(options.value(QStringLiteral("sides")), QStringLiteral("one-sided"));
    mode.Orientation = DMORIENT_PORTRAIT;
    mode.Duplex = DMDUP_HORIZONTAL;
    options = TQtPrinters::JobOptions(mode, TQtPrinters::LayoutOf(mode, printer));
    EXPECT_EQ(options.value(QStringLiteral("media")), QStringLiteral("A4"));
    EXPECT_EQ(options.value(QStringLiteral("sides")), QStringLiteral("two-sided-short-edge"));
}
