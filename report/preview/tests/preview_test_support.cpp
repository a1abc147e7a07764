// Printer objects with marked pages for the preview tests.
#include "report/preview/tests/preview_test_support.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_player.h"
#include "platform/graphics/painter_canvas.h"
#include "report/rp_printer.h"

#include <QCoreApplication>
#include <QImage>
#include <vector>

namespace {

// Writes down the texts a page draws.
class TTextReader : public TPainterCanvas {
public:
    explicit TTextReader(QImage* image) : TPainterCanvas(image) {}
    std::vector<QString> Texts;
    void ExtTextOut(int x, int y, unsigned options, const TRect* clip, const QString& text,
                    const std::vector<int>* advances) override {
        Texts.push_back(text);
        TPainterCanvas::ExtTextOut(x, y, options, clip, text, advances);
    }
};

void MarkPage(TRpPrinter& printer) {
    TCanvas& canvas = printer.Canvas();
    canvas.SetBkMode(TRANSPARENT);
    canvas.TextOut(100, 100, QStringLiteral("Page mark %1").arg(printer.PageCount()));
    canvas.Brush() = TBrush{clBlack, bsSolid};
    canvas.FillRect(Rect(100, 200, 300, 210));
}

} // namespace

std::unique_ptr<TRpPrinter> BusyPrinter(int pages, TRpPaperSize paper,
                                        TPrinterOrientation orientation) {
    auto printer = std::make_unique<TRpPrinter>();
    printer->Settings().SetPaperSize(paper);
    printer->Settings().SetOrientation(orientation);
    printer->BeginDocument();
    for (int n = 0; n < pages; ++n)
        AddPage(*printer);
    return printer;
}

std::unique_ptr<TRpPrinter> FinishedPrinter(int pages) {
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(pages);
    printer->EndDocument();
    return printer;
}

void AddPage(TRpPrinter& printer) {
    printer.NewPage();
    MarkPage(printer);
}

int PageMark(const TMetafile& page) {
    QImage image(page.Width(), page.Height(), QImage::Format_RGB32);
    TTextReader reader(&image);
    PlayMetafile(page, reader, Rect(0, 0, page.Width(), page.Height()));
    for (const QString& text : reader.Texts)
        if (text.startsWith(QStringLiteral("Page mark ")))
            return text.mid(10).toInt();
    return 0;
}

void DeliverMessages() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}
