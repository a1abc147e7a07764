// The PDF filter in the preview's save dialog: second after the saved-report
// entry, and writing the pages generated so far as one PDF document.
#include "report/preview/rp_pdf_export_filter.h"

#include "platform/testing/scripted_dialogs.h"
#include "report/preview/rp_export_filters.h"
#include "report/preview/rp_standard_preview.h"
#include "report/preview/tests/preview_test_support.h"
#include "report/rp_printer.h"

#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

int PdfPages(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(file.readAll());
    if (!text.startsWith(QStringLiteral("%PDF-")))
        return -1;
    return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

} // namespace

TEST(PdfExportFilter, TheSaveDialogOffersPdfSecondAndWritesThePagesMadeSoFar) {
    ClearRpExportFilters();
    RegisterRpPdfExportFilter();
    QTemporaryDir dir;
    TScriptedDialogs boxes;
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(3); // two pages complete
    printer->OnExport = [&](TRpExportFilter& filter) { filter.Export(*printer); };
    QPointer<TRpStandardPreview> window = new TRpStandardPreview(printer.get());
    window->ShowPreview();

    boxes.QueueFile(dir.filePath(QStringLiteral("partial.pdf")), 2);
    window->SaveReport->click();
    ASSERT_EQ(boxes.SaveRequests().size(), 1u);
    EXPECT_EQ(boxes.SaveRequests()[0].Filter,
              QStringLiteral("Saved reports(*.RPP)|*.RPP|PDF document (*.pdf)|*.pdf"));
    EXPECT_EQ(PdfPages(dir.filePath(QStringLiteral("partial.pdf"))), 2);

    printer->EndDocument();
    DeliverMessages();
    boxes.QueueFile(dir.filePath(QStringLiteral("all.pdf")), 2);
    window->SaveReport->click();
    EXPECT_EQ(PdfPages(dir.filePath(QStringLiteral("all.pdf"))), 3);
    delete window.data();
    ClearRpExportFilters();
}
