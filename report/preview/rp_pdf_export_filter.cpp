// The PDF export filter: hands the printer object's pages to the PDF writer.
#include "report/preview/rp_pdf_export_filter.h"

#include "report/preview/rp_export_filters.h"
#include "report/rp_pdf_export.h"
#include "report/rp_printer.h"

#include <memory>
#include <utility>

void WriteRpPagesAsPdf(TRpPageList& pages, const QString& fileName) {
    TRpPdfExport writer(pages);
    writer.Export(fileName);
}

TRpPdfExportFilter::TRpPdfExportFilter(QString fileName) : fileName_(std::move(fileName)) {}

QString TRpPdfExportFilter::Description() const {
    return QStringLiteral("PDF document");
}

QString TRpPdfExportFilter::Extension() const {
    return QStringLiteral("pdf");
}

void TRpPdfExportFilter::Export(TRpPrinter& printer) {
    WriteRpPagesAsPdf(printer.Pages(), fileName_);
}

void RegisterRpPdfExportFilter() {
    RegisterRpExportFilter(
        [](const QString& fileName) { return std::make_unique<TRpPdfExportFilter>(fileName); });
}
