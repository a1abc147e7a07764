// PDF output of stored pages, read back with poppler's pdfinfo, pdftotext and
// pdffonts: the text is there as text in an embedded font, each page has its
// paper size and orientation, a range writes only its pages, a page of a
// listing stays small, and every failure names its cause and leaves no PDF.
#include "report/rp_pdf_export.h"

#include "platform/exceptions.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_canvas.h"
#include "platform/testing/exception_message.h"
#include "report/rp_page_list.h"
#include "report/tests/rp_pdf_test_support.h"
#include "report/tests/rp_test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using rptest::ListingPage;
using rptest::Poppler;

// A store holding the pages, finished.
void Fill(TRpPageList& list, const std::vector<TMetafile>& pages) {
    list.CreateStream();
    for (const TMetafile& p : pages) {
        list.AddPage(p);
    }
    list.Finish();
}

// A page of the given size with one line of text at its top left.
TMetafile TextPage(int width, int height, const QString& text) {
    TMetafile page;
    page.SetWidth(width);
    page.SetHeight(height);
    TMetafileCanvas canvas(page);
    canvas.Font().SetName(QStringLiteral("Arial"));
    canvas.Font().SetHeight(-16);
    canvas.TextOut(40, 40, text);
    canvas.End();
    return page;
}

TEST(RpPdfExport, TextCanBeExtractedAndEveryFontIsEmbedded) {
    rptest::ScopedTempDir tmp;
    TRpPageList list;
    Fill(list, {ListingPage(1, 9), ListingPage(2, 4)});
    const QString pdf = tmp.File("listing.pdf");
    TRpPdfExport(list).Export(pdf);

    const QString text = Poppler("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("Questão 5 da página 1: qual é a alternativa")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Resposta B da questão 4")));
    EXPECT_TRUE(text.contains(QStringLiteral("Página 2")));
    // The pages break where they were made: page 2's text is on page 2.
    const QString second = Poppler("pdftotext", {"-f", "2", "-l", "2", pdf, "-"});
    EXPECT_FALSE(second.contains(QStringLiteral("página 1:")));

    const QStringList fonts =
        Poppler("pdffonts", {pdf}).split('\n', Qt::SkipEmptyParts).mid(2); // after the heading
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& line : fonts) {
        // name type encoding emb sub uni object ID
        const QStringList columns = line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        ASSERT_GE(columns.size(), 7) << line.toStdString();
        EXPECT_EQ(columns[columns.size() - 5], "yes") << "not embedded: " << line.toStdString();
    }
}

TEST(RpPdfExport, EachPageTakesThePaperSizeAndOrientationOfItsPage) {
    rptest::ScopedTempDir tmp;
    TRpPageList list;
    // Landscape A4, portrait A4, landscape A3, and a size no paper has.
    Fill(list, {TextPage(1123, 794, "um"), TextPage(794, 1123, "dois"),
                TextPage(1587, 1123, "tres"), TextPage(400, 300, "quatro")});
    const QString pdf = tmp.File("sizes.pdf");
    TRpPdfExport(list).Export(pdf);

    // pdfinfo rounds to whole points or not, by its version.
    const QString info = Poppler("pdfinfo", {"-f", "1", "-l", "4", pdf});
    EXPECT_TRUE(
        info.contains(QRegularExpression("Page +1 size: +84[12][.\\d]* x 595[.\\d]* pts \\(A4\\)")))
        << info.toStdString();
    EXPECT_TRUE(info.contains(
        QRegularExpression("Page +2 size: +595[.\\d]* x 84[12][.\\d]* pts \\(A4\\)")));
    EXPECT_TRUE(info.contains(
        QRegularExpression("Page +3 size: +119[01][.\\d]* x 84[12][.\\d]* pts \\(A3\\)")));
    // 400 x 300 pixels at 96 per inch are 300 x 225 points.
    EXPECT_TRUE(
        info.contains(QRegularExpression("Page +4 size: +300(\\.0+)? x 225(\\.0+)? pts\n")));
    EXPECT_TRUE(info.contains(QRegularExpression("Page +1 rot: +0")));
}

TEST(RpPdfExport, RangeWritesOnlyItsPagesAndReportsEach) {
    rptest::ScopedTempDir tmp;
    TRpPageList list;
    std::vector<TMetafile> pages;
    for (int n = 1; n <= 5; ++n) {
        pages.push_back(TextPage(794, 1123, QStringLiteral("Folha numero %1").arg(n)));
    }
    Fill(list, pages);
    const QString pdf = tmp.File("range.pdf");
    TRpPdfExport exporter(list);
    exporter.SetRange(2, 4);
    std::vector<std::pair<int, int>> progress;
    exporter.OnProgress = [&](int page, int count) { progress.emplace_back(page, count); };
    exporter.Export(pdf);

    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_TRUE(Poppler("pdfinfo", {pdf}).contains(QRegularExpression("Pages: +3\n")));
    const QString text = Poppler("pdftotext", {pdf, "-"});
    EXPECT_FALSE(text.contains("numero 1"));
    EXPECT_TRUE(text.contains("numero 2"));
    EXPECT_TRUE(text.contains("numero 4"));
    EXPECT_FALSE(text.contains("numero 5"));
    const QString first = Poppler("pdftotext", {"-f", "1", "-l", "1", pdf, "-"});
    EXPECT_TRUE(first.contains("numero 2")) << first.toStdString();
}

// Pixels of the area darker than mid grey.
int DarkPixels(const QImage& image, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    return n;
}

TEST(RpPdfExport, ClippedTextIsCutWhereItsClipEndsAndWholeWhereNothingIsCut) {
    rptest::ScopedTempDir tmp;
    TMetafile page;
    page.SetWidth(400);
    page.SetHeight(200);
    {
        TMetafileCanvas canvas(page);
        canvas.Font().SetName(QStringLiteral("Arial"));
        canvas.Font().SetHeight(-32);
        const TRect half = Rect(0, 0, 150, 100);
        canvas.ExtTextOut(20, 20, ETO_CLIPPED, &half, QStringLiteral("MMMMMMMMMM"));
        const TRect whole = Rect(0, 100, 400, 200);
        canvas.ExtTextOut(20, 120, ETO_CLIPPED, &whole, QStringLiteral("MMMMMMMMMM"));
    }
    TRpPageList list;
    Fill(list, {page});
    const QString pdf = tmp.File("clip.pdf");
    TRpPdfExport(list).Export(pdf);
    Poppler("pdftoppm", {"-r", "96", "-png", "-singlefile", pdf, tmp.File("clip")});
    const QImage image(tmp.File("clip.png"));
    ASSERT_EQ(image.size(), QSize(400, 200));
    EXPECT_GT(DarkPixels(image, QRect(20, 20, 125, 40)), 200);
    EXPECT_EQ(DarkPixels(image, QRect(152, 0, 248, 100)), 0);
    EXPECT_GT(DarkPixels(image, QRect(152, 120, 200, 40)), 200);
}

TEST(RpPdfExport, ListingPagesTakeAtMostThreeKilobytesEach) {
    rptest::ScopedTempDir tmp;
    TRpPageList list;
    std::vector<TMetafile> pages;
    constexpr int kPages = 40;
    for (int n = 1; n <= kPages; ++n) {
        pages.push_back(ListingPage(n, 9));
    }
    Fill(list, pages);
    const QString pdf = tmp.File("listing.pdf");
    TRpPdfExport(list).Export(pdf);
    const qint64 size = QFileInfo(pdf).size();
    EXPECT_LE(size, kPages * 3 * 1024) << size / kPages << " bytes per page";
}

TEST(RpPdfExport, FailuresNameTheirCauseAndLeaveAnExistingFileAlone) {
    rptest::ScopedTempDir tmp;
    // Page 2 of three is not a metafile.
    QByteArray bad = rptest::MakeEmf(794, 1123);
    bad[40] = 'x';
    const QString rpp = tmp.File("damaged.rpp");
    {
        QFile f(rpp);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(rptest::BuildFile(
            {TextPage(794, 1123, "um").Data(), bad, TextPage(794, 1123, "tres").Data()}, false));
    }
    TRpPageList list;
    list.LoadFromFile(rpp);
    const QString pdf = tmp.File("out.pdf");
    {
        QFile f(pdf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("an earlier export");
    }
    TRpPdfExport exporter(list);
    EXPECT_EQ(ExceptionMessage([&] { exporter.Export(pdf); }),
              "Page 2 cannot be exported: Metafile is not valid");
    exporter.SetRange(2, 3);
    EXPECT_EQ(ExceptionMessage([&] { exporter.Export(pdf); }),
              "Page 2 cannot be exported: Metafile is not valid");
    exporter.SetRange(3, 4);
    EXPECT_EQ(ExceptionMessage([&] { exporter.Export(pdf); }),
              "Pages 3 to 4 cannot be exported: the report has 3 page(s)");
    exporter.SetRange(3, 2);
    EXPECT_EQ(ExceptionMessage([&] { exporter.Export(pdf); }),
              "Pages 3 to 2 cannot be exported: the report has 3 page(s)");
    QFile earlier(pdf);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "an earlier export");
    EXPECT_EQ(QDir(tmp.Path()).entryList(QDir::Files).size(), 2); // no temporary left

    exporter.SetRange(1, 1);
    const QString nowhere = tmp.File("no/such/dir/out.pdf");
    const QString message = ExceptionMessage([&] { exporter.Export(nowhere); });
    EXPECT_TRUE(message.startsWith("Cannot create file \"" + nowhere + "\". "))
        << message.toStdString();
    EXPECT_GT(message.size(), QStringLiteral("Cannot create file \"\". ").size() + nowhere.size());
    exporter.SetRange(3, 3);
    exporter.Export(pdf);
    EXPECT_TRUE(Poppler("pdftotext", {pdf, "-"}).contains("tres"));
}

TEST(RpPdfExport, PageWhoseDrawingBreaksOffIsRefusedRatherThanWrittenInPart) {
    rptest::ScopedTempDir tmp;
    // The drawing record after the header claims more bytes than the page has.
    QByteArray broken = rptest::MakeEmf(794, 1123, 40);
    rptest::PutI32(broken, 88 + 4, 0x7FFFFFF0);
    TRpPageList list;
    list.CreateStream();
    list.AddPage(TextPage(794, 1123, "um"));
    list.AddPageData(broken);
    list.Finish();
    const QString pdf = tmp.File("out.pdf");
    EXPECT_EQ(ExceptionMessage([&] { TRpPdfExport(list).Export(pdf); }),
              "Page 2 cannot be exported: its drawing is damaged after record 1");
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(RpPdfExport, EmptyStoreAndPagesLargerThanAnyPaperAreRefused) {
    rptest::ScopedTempDir tmp;
    const QString pdf = tmp.File("out.pdf");
    TRpPageList empty;
    EXPECT_EQ(ExceptionMessage([&] { TRpPdfExport(empty).Export(pdf); }),
              "The report has no pages to export");

    TRpPageList list;
    list.CreateStream();
    list.AddPageData(rptest::MakeEmf(19999, 19999));
    list.Finish();
    EXPECT_EQ(ExceptionMessage([&] { TRpPdfExport(list).Export(pdf); }),
              "Page 1 cannot be exported: its size of 19999 x 19999 pixels (5291 x 5291 mm) is "
              "not that of a sheet of paper; a page measures at most 2000 mm a side");
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace
