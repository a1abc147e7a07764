// PDF output of a page store; see rp_pdf_export.h.
//
// The writer works at the reference resolution of the pages (96 pixels per
// inch), so a page's metafile is played 1:1 onto its PDF page and every text
// lands on the same whole pixel as on screen; the PDF scales the vectors to
// points. Each page sets its own page size before it starts, so a report may
// mix portrait and landscape pages.
#include "report/rp_pdf_export.h"

#include "platform/exceptions.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_player.h"
#include "platform/graphics/painter_canvas.h"
#include "report/rp_page_list.h"

#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <memory>

namespace {

// The page layout of a page of the given size in reference pixels: the
// nearest standard paper when one is that size (A4 for a 1123 x 794 page,
// turned to landscape), the exact size otherwise; no margins.
QPageLayout LayoutFor(const TMetafile& page) {
    const double width = page.Width() * 25.4 / ReferencePixelsPerInch;
    const double height = page.Height() * 25.4 / ReferencePixelsPerInch;
    const bool landscape = width > height;
    const QSizeF portrait = landscape ? QSizeF(height, width) : QSizeF(width, height);
    const QPageSize size(portrait, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

Exception CannotCreate(const QString& fileName, const QString& reason) {
    return Exception(QStringLiteral("Cannot create file \"%1\". %2")
                         .arg(QDir::toNativeSeparators(fileName), reason));
}

Exception CannotExport(int n, const QString& reason) {
    return Exception(QStringLiteral("Page %1 cannot be exported: %2").arg(n).arg(reason));
}

// Page n of the store, checked to be drawable at its size.
std::unique_ptr<TMetafile> PageToExport(TRpPageList& pages, int n) {
    std::unique_ptr<TMetafile> page;
    try {
        page = pages.GetPage(n);
    } catch (const Exception& e) {
        throw CannotExport(n, e.Message());
    }
    if (!page) {
        throw CannotExport(n, QStringLiteral("the report has %1 page(s)").arg(pages.PageCount()));
    }
    const QString problem = page->SizeProblem();
    if (!problem.isEmpty()) {
        throw CannotExport(n, problem);
    }
    return page;
}

} // namespace

TRpPdfExport::TRpPdfExport(TRpPageList& pages) : pages_(pages) {}

void TRpPdfExport::SetRange(int first, int last) {
    first_ = first;
    last_ = last;
}

void TRpPdfExport::Export(const QString& fileName) {
    const int count = pages_.PageCount();
    const int first = first_ > 0 ? first_ : 1;
    const int last = last_ > 0 ? last_ : count;
    if (count < 1) {
        throw Exception(QStringLiteral("The report has no pages to export"));
    }
    if (first > last || last > count) {
        throw Exception(
            QStringLiteral("Pages %1 to %2 cannot be exported: the report has %3 page(s)")
                .arg(first)
                .arg(last)
                .arg(count));
    }
    // The first page is read before the file is made: its size is the
    // document's first page size, and a store that cannot be read leaves
    // nothing behind.
    std::unique_ptr<TMetafile> page = PageToExport(pages_, first);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        throw CannotCreate(fileName, file.errorString());
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(ReferencePixelsPerInch);
        writer.setPageLayout(LayoutFor(*page));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            throw CannotCreate(fileName, QStringLiteral("The PDF writer could not start"));
        }
        // A failure inside the loop unwinds through the painter, the writer
        // and the file, which drops what it has written.
        const int total = last - first + 1;
        for (int n = first;; ++n) {
            TMetafilePlayback played;
            {
                TPainterCanvas canvas(&painter);
                played = PlayMetafile(*page, canvas, Rect(0, 0, page->Width(), page->Height()));
            }
            // A page drawn in part would pass for the whole page.
            if (played.Stopped) {
                throw CannotExport(
                    n,
                    QStringLiteral("its drawing is damaged after record %1").arg(played.Records));
            }
            if (OnProgress) {
                OnProgress(n - first + 1, total);
            }
            if (n == last) {
                break;
            }
            page = PageToExport(pages_, n + 1);
            writer.setPageLayout(LayoutFor(*page));
            writer.newPage();
        }
        painter.end();
    }
    if (!file.commit()) {
        throw CannotCreate(fileName, file.errorString());
    }
}
