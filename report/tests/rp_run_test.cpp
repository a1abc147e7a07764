// The question listing generated from a real questions table: how many
// pages, where every band and text lands, the empty listing, the table's
// position afterwards, cancelling, and a run after a failed one.
#include "report/tests/rp_run_test_support.h"

#include "platform/graphics/metafile.h"
#include "platform/messages.h"
#include "platform/testing/exception_message.h"
#include "platform/testing/scoped_test_clock.h"
#include "platform/testing/scripted_printer.h"
#include "report/rp_error.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"
#include "store/table.h"

#include <QTemporaryDir>
#include <cmath>

namespace {

// Tenths of a millimetre to the preview's pixels.
int Px(double tenths) {
    return static_cast<int>(std::lround(tenths * 96.0 / 254.0));
}

// Receives the printer object's messages and lets a test act on them.
class TClientWindow : public TMessageHandler<QObject> {
public:
    std::function<void(const TMessage&)> OnMessage;
    std::vector<TMessage> Received;
    void WndProc(TMessage& message) override {
        Received.push_back(message);
        if (OnMessage)
            OnMessage(message);
    }
};

} // namespace

class PageCountTest : public RunTest, public ::testing::WithParamInterface<int> {};

TEST_P(PageCountTest, NineQuestionsFitOnAPage) {
    const int questions = GetParam();
    OpenListing(questions);
    EXPECT_EQ(Generate(), (questions + 8) / 9);
    EXPECT_EQ(Report().Printer()->Status(), rpsFinished);
    EXPECT_EQ(Report().Printer()->Pages().PageCount(), (questions + 8) / 9);
    // The walk leaves the table on its last record, past its end.
    EXPECT_TRUE(Perguntas->Eof());
    EXPECT_EQ(Perguntas->FieldByName(QStringLiteral("Questao"))->AsString(),
              QStringLiteral("Questao %1").arg(questions));
    EXPECT_TRUE(Report().Idle());
}

INSTANTIATE_TEST_SUITE_P(Listing, PageCountTest, ::testing::Values(1, 9, 10, 18, 19, 50),
                         [](const auto& info) { return "Questions" + std::to_string(info.param); });

TEST_F(RunTest, EveryPageHasTheHeaderNineDetailsAndTheFooterInPlace) {
    OpenListing(20);
    ASSERT_EQ(Generate(), 3);
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        const std::unique_ptr<TMetafile> page = Page(n);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->Width(), 1123);
        EXPECT_EQ(page->Height(), 794);
        const std::vector<TDrawnText> texts = PageTexts(*page);
        const TDrawnText* title = FindText(texts, QStringLiteral("Relação das Questões"));
        ASSERT_TRUE(title);
        EXPECT_EQ(title->Y, Px(50));
        for (const char* caption :
             {"Questão", "Alternativa A", "Alternativa B", "Alternativa C", "Correta"})
            EXPECT_TRUE(FindText(texts, QString::fromUtf8(caption))) << caption;
        const int onPage = n < 3 ? 9 : 2;
        for (int k = 0; k < onPage; ++k) {
            const TDrawnText* question =
                FindText(texts, QStringLiteral("Questao %1").arg((n - 1) * 9 + k + 1));
            ASSERT_TRUE(question) << k;
            EXPECT_EQ(question->Y, Px(156 + 196 * k));
            EXPECT_EQ(question->X, Px(50));
        }
        EXPECT_FALSE(FindText(texts, QStringLiteral("Questao %1").arg(n * 9 + 1)));
        // Each question keeps its rule, also where the next band begins on
        // the same row.
        const QImage image = RenderPage(*page);
        for (int k = 0; k < onPage; ++k)
            EXPECT_LT(qGray(image.pixel(600, Px(156 + 196 * k + 195.791666666667))), 128) << k;
        // The footer, the last page's included: page number at 274.4 mm.
        const TDrawnText* number = FindText(texts, QString::number(n));
        ASSERT_TRUE(number);
        EXPECT_EQ(number->Y, Px(2000));
        EXPECT_EQ(number->X, Px(50 + 2743.72916666667));
    }
}

TEST_F(RunTest, AnEmptyTablePrintsOneEmptyDetailUnderTheTopMargin) {
    OpenListing(0);
    ASSERT_EQ(Generate(), 1);
    const std::unique_ptr<TMetafile> page = Page(1);
    const std::vector<TDrawnText> texts = PageTexts(*page);
    EXPECT_FALSE(FindText(texts, QStringLiteral("Questão")));
    EXPECT_FALSE(FindText(texts, QStringLiteral("Relação das Questões")));
    const TDrawnText* number = FindText(texts, QStringLiteral("1"));
    ASSERT_TRUE(number);
    EXPECT_EQ(number->Y, Px(2000));
    // The detail band starts at the top margin: its bottom rule is the
    // first dark row of the page's middle.
    const QImage image = RenderPage(*page);
    const int x = 600;
    int firstDark = -1;
    for (int y = 0; y < image.height() && firstDark < 0; ++y)
        if (qGray(image.pixel(x, y)) < 128)
            firstDark = y;
    EXPECT_EQ(firstDark, Px(50 + 195.791666666667));
}

TEST_F(RunTest, ALongQuestionShowsTheFourLinesThatFitAndTheBandDoesNotGrow) {
    OpenListing(0);
    QString long_;
    for (int i = 1; i <= 40; ++i)
        long_ += QStringLiteral("palavra%1 ").arg(i);
    AddQuestion(long_.trimmed());
    AddQuestion(QStringLiteral("Seguinte"));
    ASSERT_EQ(Generate(), 1);
    const std::vector<TDrawnText> texts = PageTexts(*Page(1));
    std::vector<TDrawnText> lines;
    for (const TDrawnText& t : texts)
        if (t.Text.startsWith(QStringLiteral("palavra")))
            lines.push_back(t);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines.front().Y, Px(156));
    const TDrawnText* next = FindText(texts, QStringLiteral("Seguinte"));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->Y, Px(156 + 196));
}

TEST_F(RunTest, PrinterPagesBreakTheTextsWhereThePreviewDoes) {
    TScopedTestClock clock(2026, 12, 8, 10, 30, 0);
    OpenListing(0);
    AddQuestion(QStringLiteral("Quantos lados tem um hexágono regular desenhado no quadro-negro "
                               "da sala de aula durante a aula de geometria plana?"),
                QStringLiteral("Seis lados iguais, todos com o mesmo comprimento"));
    ASSERT_EQ(Generate(), 1);
    const QStringList preview = TextsOf(PageTexts(*Page(1)));

    TScriptedPrinter printer;
    TPrinterDevice device;
    device.PixelsPerInchX = device.PixelsPerInchY = 600;
    device.PhysicalWidth = 7016;
    device.PhysicalHeight = 4961;
    printer.SetDevice(device);
    auto object = std::make_unique<TRpPrinter>();
    object->SetDestination(rpdPrinter);
    Report().SetPrinter(std::move(object));
    Report().Generate();
    ASSERT_EQ(printer.Jobs().size(), 1u);
    EXPECT_TRUE(printer.Jobs().front().Ended);
    EXPECT_EQ(printer.PageTexts(1), preview);
    EXPECT_GT(preview.filter(QStringLiteral("hexágono")).size(), 0);
}

TEST_F(RunTest, ClosingThePreviewDuringTheRunStopsAtTheNextRecordAndAbortsTheDocument) {
    OpenListing(100);
    TClientWindow client;
    auto printer = std::make_unique<TRpPrinter>();
    TRpPrinter* object = printer.get();
    printer->SetClientWindow(&client);
    Report().SetPrinter(std::move(printer));
    // The preview closes when page 2 is complete.
    client.OnMessage = [&](const TMessage& m) {
        if (m.Msg == RP_PAGES_AVAILABLE && m.WParam == 2 && Report().Printer() == object)
            object->ClosePreview();
    };
    object->SetMaster(&Report());
    object->SetDestination(rpdMetafile);
    Report().Generate();
    EXPECT_TRUE(Report().Cancelled());
    EXPECT_TRUE(Report().Idle());
    EXPECT_EQ(object->Status(), rpsFinished);
    EXPECT_LT(object->PageCount(), 5);
    EXPECT_FALSE(Perguntas->Eof());
    // The table is usable afterwards.
    Perguntas->First();
    EXPECT_EQ(Perguntas->FieldByName(QStringLiteral("Questao"))->AsString(),
              QStringLiteral("Questao 1"));
}

TEST_F(RunTest, CancellingThroughTheProgressFlagFinishesTheCurrentPage) {
    OpenListing(100);
    TClientWindow client;
    auto printer = std::make_unique<TRpPrinter>();
    TRpPrinter* object = printer.get();
    printer->SetClientWindow(&client);
    client.OnMessage = [&](const TMessage& m) {
        if (m.Msg == RP_PROGRESS && m.WParam >= 20)
            object->SetCancelled(true);
    };
    Report().SetPrinter(std::move(printer));
    Report().Generate();
    EXPECT_FALSE(Report().Cancelled());
    EXPECT_EQ(object->Status(), rpsFinished);
    const int pages = object->PageCount();
    EXPECT_GE(pages, 3);
    EXPECT_LT(pages, 12);
    // Ended normally: the store is finished and the last page has its footer.
    EXPECT_EQ(object->Pages().Header().PageCount, pages);
    const std::vector<TDrawnText> last = PageTexts(*object->GetPage(pages));
    EXPECT_TRUE(FindText(last, QString::number(pages)));
    EXPECT_EQ(object->AvailablePages(), pages);
}

TEST_F(RunTest, AFailedRunLeavesTheReportReadyForTheNextPreview) {
    OpenListing(12);
    auto printer = std::make_unique<TRpPrinter>();
    printer->BeginDocument(); // busy: a run cannot begin another document on it
    Report().SetPrinter(std::move(printer));
    EXPECT_EQ(ExceptionMessage<ERpError>([&] { Report().Generate(); }),
              QStringLiteral("RpPrinter not ready"));
    EXPECT_TRUE(Report().Idle());
    EXPECT_EQ(Generate(), 2);
}

TEST_F(RunTest, NewPageOutsideADocumentIsRefused) {
    TRpPrinter printer;
    EXPECT_EQ(ExceptionMessage<ERpError>([&] { printer.NewPage(); }),
              QStringLiteral("Illegal call to NewPage"));
}

TEST_F(RunTest, PagesOutsideTheRequestedRangeAreMadeButNotPrinted) {
    OpenListing(45);
    TScriptedPrinter printer;
    Report().PrinterSettings().SetFirstPage(2);
    Report().PrinterSettings().SetLastPage(3);
    auto object = std::make_unique<TRpPrinter>();
    object->SetDestination(rpdPrinter);
    TRpPrinter* raw = object.get();
    Report().SetPrinter(std::move(object));
    Report().Generate();
    EXPECT_EQ(raw->PageCount(), 5);
    ASSERT_EQ(printer.Jobs().size(), 1u);
    EXPECT_EQ(printer.Jobs().front().Pages, 2);
    EXPECT_TRUE(printer.PageTexts(1).contains(QStringLiteral("Questao 10")));
    EXPECT_TRUE(printer.PageTexts(2).contains(QStringLiteral("Questao 27")));
    EXPECT_FALSE(printer.PageTexts(2).contains(QStringLiteral("Questao 28")));
}

TEST_F(RunTest, AnOpenedReportKnowsItsScaleAndPaperFromItsPages) {
    OpenListing(12);
    ASSERT_EQ(Generate(), 2);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("listagem.rpp"));
    Report().Printer()->SaveToFile(file);

    TRpPrinter opened;
    opened.LoadFromFile(file);
    EXPECT_EQ(opened.Status(), rpsFinished);
    EXPECT_EQ(opened.PageCount(), 2);
    EXPECT_FALSE(opened.Generated());
    EXPECT_DOUBLE_EQ(opened.XFactor(), 96 / 254.0);
    // A4 Small has A4's dimensions and comes later in the table: the last
    // size that matches wins.
    EXPECT_EQ(opened.Settings().PaperSize(), TRpPaperSize::A4Small);
    EXPECT_EQ(opened.Settings().Orientation(), poLandscape);
    EXPECT_EQ(opened.XSize(opened.HorizontalExtent()), 1123);
    EXPECT_EQ(opened.YSize(opened.VerticalExtent()), 794);
}
