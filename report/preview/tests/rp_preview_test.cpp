// The page view: the page image's size and place for each zoom, the zoom
// operations and their rounding, going to a page, the painted sheet, and
// the first page appearing the moment it is complete.
#include "report/preview/rp_preview.h"
#include "report/preview/rp_preview_image.h"
#include "report/preview/tests/preview_test_support.h"
#include "report/rp_printer.h"
#include "report/rp_units.h"

#include <QImage>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RpScreenPixelsPerInch(), 96);
        View.resize(800, 600);
        // Shown, so that a resize reaches the view at once.
        View.show();
    }
    void Attach(TRpPrinter* printer) {
        View.SetPrinter(printer);
        DeliverMessages();
    }
    QSize ImageSize() const { return View.Image()->size(); }

    TRpPreview View;
};

} // namespace

TEST_F(PreviewTest, LandscapeA4AtZoom100IsTheSheetPlusFrameAndShadow) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(1);
    Attach(printer.get());
    View.SetZoom(100);
    EXPECT_EQ(View.PageSizeAt100(), QSize(1123, 794));
    EXPECT_EQ(ImageSize(), QSize(1127, 798));
    EXPECT_EQ(View.Image()->Zoom(), 100);
    // Wider and taller than the view: it starts at the top left.
    EXPECT_EQ(View.Image()->pos(), QPoint(0, 0));
    EXPECT_GT(View.horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(View.verticalScrollBar()->maximum(), 0);
}

TEST_F(PreviewTest, ZoomToFitIsLimitedByTheNarrowerRatioAndFollowsResizing) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(1);
    Attach(printer.get());
    View.ZoomToFit();
    EXPECT_EQ(View.Zoom(), 68); // 800 / 1123 * 95 = 67.7; the height would allow 72
    EXPECT_EQ(View.ZoomState(), rzsFitPage);
    // A smaller image than the view is centred, and no scroll bar is needed.
    const QSize image = ImageSize();
    EXPECT_EQ(image, QSize(763 + 4, 540 + 4));
    EXPECT_EQ(View.Image()->pos(), QPoint((800 - image.width()) / 2, (600 - image.height()) / 2));
    EXPECT_EQ(View.horizontalScrollBar()->maximum(), 0);

    View.resize(400, 600);
    EXPECT_EQ(View.Zoom(), 34); // 400 / 1123 * 95 = 33.8
    EXPECT_EQ(View.ZoomState(), rzsFitPage);
}

TEST_F(PreviewTest, ZoomToWidthFollowsTheViewUntilAFixedZoomIsSet) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(1);
    Attach(printer.get());
    View.ZoomToWidth();
    EXPECT_EQ(View.Zoom(), 64); // 800 / 1123 * 90 = 64.1
    EXPECT_EQ(View.ZoomState(), rzsFitWidth);
    View.resize(1000, 600);
    EXPECT_EQ(View.Zoom(), 80); // 80.1

    View.SetZoom(150);
    EXPECT_EQ(View.ZoomState(), rzsFixed);
    View.resize(800, 600);
    EXPECT_EQ(View.Zoom(), 150);
}

TEST_F(PreviewTest, ZoomOutsideTwoToTwoThousandIsIgnored) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(1);
    Attach(printer.get());
    View.SetZoom(2);
    EXPECT_EQ(View.Zoom(), 2);
    View.SetZoom(2000);
    EXPECT_EQ(View.Zoom(), 2000);
    EXPECT_EQ(ImageSize(), QSize(22450 + 4, 15874 + 4));
    View.SetZoom(1);
    View.SetZoom(2001);
    View.SetZoom(-5);
    EXPECT_EQ(View.Zoom(), 2000);
}

TEST_F(PreviewTest, ZoomsRoundHalvesToEven) {
    // A custom sheet 240 pixels wide: a view 44 pixels wide gives
    // 44 / 240 * 90 = 16.5, which rounds to 16 (not 17).
    auto printer = std::make_unique<TRpPrinter>();
    printer->Settings().SetPaperSize(TRpPaperSize::Custom);
    printer->Settings().SetCustomPaper(635, 635);
    printer->BeginDocument();
    AddPage(*printer);
    printer->EndDocument();
    Attach(printer.get());
    ASSERT_EQ(View.PageSizeAt100(), QSize(240, 240));
    View.resize(44, 600);
    View.ZoomToWidth();
    EXPECT_EQ(View.Zoom(), 16);
    // 60 / 240 * 90 = 22.5 gives 22; 68 / 240 * 90 = 25.5 gives 26.
    View.resize(60, 600);
    EXPECT_EQ(View.Zoom(), 22);
    View.resize(68, 600);
    EXPECT_EQ(View.Zoom(), 26);
}

TEST_F(PreviewTest, GoingToAPageOutsideTheDocumentChangesNothing) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(3);
    Attach(printer.get());
    ASSERT_TRUE(View.Image()->PageLoaded());
    EXPECT_EQ(PageMark(*View.Image()->Metafile()), 1);
    View.SetPageNumber(3);
    EXPECT_EQ(View.PageNumber(), 3);
    EXPECT_EQ(PageMark(*View.Image()->Metafile()), 3);
    for (int outside : {0, -1, 4}) {
        View.SetPageNumber(outside);
        EXPECT_EQ(View.PageNumber(), 3) << outside;
        EXPECT_EQ(View.Image()->PageNumber(), 3) << outside;
    }
    View.SetPageNumber(2);
    EXPECT_EQ(PageMark(*View.Image()->Metafile()), 2);
}

TEST_F(PreviewTest, GoingToAPageScrollsBackToTheTopLeft) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(2);
    Attach(printer.get());
    View.SetZoom(200);
    View.horizontalScrollBar()->setValue(300);
    View.verticalScrollBar()->setValue(200);
    EXPECT_EQ(View.Image()->pos(), QPoint(-300, -200));
    View.SetPageNumber(2);
    EXPECT_EQ(View.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(View.verticalScrollBar()->value(), 0);
    EXPECT_EQ(View.Image()->pos(), QPoint(0, 0));
}

TEST_F(PreviewTest, TheFirstPageAppearsAtFitWidthWhenItIsComplete) {
    // Page 1 begun, not complete: nothing to show yet.
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(1);
    Attach(printer.get());
    EXPECT_FALSE(View.Image()->PageLoaded());
    View.SetZoom(100);
    std::vector<int> available;
    View.OnPageAvailable = [&](QObject*, int pages) { available.push_back(pages); };

    AddPage(*printer); // completes page 1
    DeliverMessages();
    ASSERT_TRUE(View.Image()->PageLoaded());
    EXPECT_EQ(PageMark(*View.Image()->Metafile()), 1);
    EXPECT_EQ(View.Zoom(), 64);
    EXPECT_EQ(View.ZoomState(), rzsFitWidth);
    EXPECT_EQ(available, std::vector<int>{1});

    // Later pages do not move the view.
    View.SetZoom(100);
    AddPage(*printer);
    printer->EndDocument();
    DeliverMessages();
    EXPECT_EQ(View.PageNumber(), 1);
    EXPECT_EQ(View.Zoom(), 100);
    EXPECT_EQ(available, (std::vector<int>{1, 2, 3}));
}

TEST_F(PreviewTest, AnIncompletePageShownIsLoadedWhenItCompletes) {
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(3); // pages 1 and 2 complete
    Attach(printer.get());
    View.SetPageNumber(3);
    EXPECT_EQ(View.PageNumber(), 3);
    EXPECT_FALSE(View.Image()->PageLoaded());
    printer->EndDocument();
    DeliverMessages();
    ASSERT_TRUE(View.Image()->PageLoaded());
    EXPECT_EQ(PageMark(*View.Image()->Metafile()), 3);
}

TEST_F(PreviewTest, ThePageIsAWhiteSheetWithFrameAndShadow) {
    std::unique_ptr<TRpPrinter> printer = FinishedPrinter(1);
    Attach(printer.get());
    View.SetZoom(50);
    TRpPreviewImage& image = *View.Image();
    const int w = image.width();
    const int h = image.height();
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(QColor(1, 2, 3));
    image.render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb behind = qRgb(1, 2, 3);
    // The frame through (0, 0), (0, h - 3), (w - 3, h - 3), (w - 3, 0).
    for (const QPoint p : {QPoint(0, 0), QPoint(0, h - 3), QPoint(w - 3, h - 3), QPoint(w - 3, 0),
                           QPoint(w / 2, 0), QPoint(0, h / 2), QPoint(w / 2, h - 3)})
        EXPECT_EQ(picture.pixel(p), black) << p.x() << "," << p.y();
    // Inside it the paper; the page's own drawing is stretched onto it.
    EXPECT_EQ(picture.pixel(1, 1), white);
    EXPECT_EQ(picture.pixel(w - 4, h - 4), white);
    // The shadow, two pixels wide, from (w - 2, 2) and (2, h - 2).
    for (const QPoint p :
         {QPoint(w - 2, 2), QPoint(w - 1, h - 1), QPoint(2, h - 2), QPoint(w / 2, h - 1)})
        EXPECT_EQ(picture.pixel(p), black) << p.x() << "," << p.y();
    // The corners beside the shadow are left as they were.
    for (const QPoint p : {QPoint(w - 1, 0), QPoint(w - 2, 1), QPoint(0, h - 1), QPoint(1, h - 2)})
        EXPECT_EQ(picture.pixel(p), behind) << p.x() << "," << p.y();
    // The page's bar (100..300 × 200..210 of 1123 × 794) at half size.
    EXPECT_EQ(picture.pixel(100, 102), black);
}

TEST_F(PreviewTest, WithoutAPageNothingIsPainted) {
    std::unique_ptr<TRpPrinter> printer = BusyPrinter(1);
    Attach(printer.get());
    TRpPreviewImage& image = *View.Image();
    QImage picture(image.size(), QImage::Format_RGB32);
    picture.fill(QColor(1, 2, 3));
    image.render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(picture.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(picture.pixel(image.width() / 2, image.height() / 2), qRgb(1, 2, 3));
}

TEST_F(PreviewTest, AnotherPrinterObjectReleasesThePreviousOne) {
    std::unique_ptr<TRpPrinter> first = BusyPrinter(2);
    bool closed = false;
    first->OnPreviewClosed = [&] { closed = true; };
    Attach(first.get());
    EXPECT_EQ(first->ClientWindow(), &View);
    EXPECT_TRUE(first->PreviewShowing());

    std::unique_ptr<TRpPrinter> second = FinishedPrinter(1);
    Attach(second.get());
    // The busy document of the first was cancelled.
    EXPECT_TRUE(closed);
    EXPECT_TRUE(first->Cancelled());
    EXPECT_FALSE(first->PreviewShowing());
    EXPECT_EQ(first->ClientWindow(), nullptr);
    EXPECT_EQ(second->ClientWindow(), &View);
    EXPECT_EQ(View.PageNumber(), 1);

    // A printer object freed while attached is forgotten.
    second.reset();
    EXPECT_EQ(View.Printer(), nullptr);
    View.SetPageNumber(1);
    View.ZoomToFit();
}
