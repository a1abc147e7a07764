// The PDF export filter of the preview's save dialog: the pages the printer
// object holds, written as one PDF document by the report engine's PDF
// writer (vector text with its fonts embedded, each page on its report's
// paper size and orientation). It is offered only where the program is
// built with that writer.
#pragma once

#include "report/rp_export_filter.h"

class TRpPageList;

// Writes every page of `pages` to `fileName` as PDF; throws Exception with
// the writer's message when the file cannot be written.
void WriteRpPagesAsPdf(TRpPageList& pages, const QString& fileName);

class TRpPdfExportFilter : public TRpExportFilter {
public:
    explicit TRpPdfExportFilter(QString fileName);
    QString Description() const override;
    QString Extension() const override;
    // The pages generated so far (all of them once the document is finished).
    void Export(TRpPrinter& printer) override;
    const QString& FileName() const { return fileName_; }

private:
    QString fileName_;
};

// Offers the PDF filter in the preview's save dialog.
void RegisterRpPdfExportFilter();
