// The recording canvas: a page recorded and played back onto an image looks
// exactly like the same drawing made on the image directly (both end in the
// same painter canvas, which draws without antialiasing), the records are
// well formed and select what they use, text carries the reference device's
// advances, and an independent EMF reader accepts the page.
#include "platform/graphics/metafile_canvas.h"

#include "platform/graphics/bitmap.h"
#include "platform/graphics/emf_format.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_player.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <map>

extern "C" {
#include <uemf_safe.h>
}

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;

using TDrawing = std::function<void(TCanvas&)>;

TFont Arial(int points, TFontStyles style = 0) {
    TFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetSize(points);
    font.SetStyle(style);
    return font;
}

QImage DrawDirectly(const TDrawing& draw) {
    TBitmap bitmap(kWidth, kHeight);
    draw(bitmap.Canvas());
    bitmap.ReleaseCanvas();
    return bitmap.Image();
}

TMetafile Record(const TDrawing& draw, int width = kWidth, int height = kHeight) {
    TMetafile page;
    page.SetWidth(width);
    page.SetHeight(height);
    TMetafileCanvas canvas(page);
    draw(canvas);
    canvas.End();
    return page;
}

QImage DrawThroughMetafile(const TDrawing& draw) {
    const TMetafile page = Record(draw);
    TBitmap bitmap(kWidth, kHeight);
    PlayMetafile(page, bitmap.Canvas(), Rect(0, 0, kWidth, kHeight));
    bitmap.ReleaseCanvas();
    return bitmap.Image();
}

int DifferentPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return a.width() * a.height();
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF))
                ++count;
    return count;
}

// Where two images differ, for the failure message.
std::string DifferenceBox(const QImage& a, const QImage& b) {
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return "none";
    return "(" + std::to_string(left) + "," + std::to_string(top) + ")-(" + std::to_string(right) +
           "," + std::to_string(bottom) + ")";
}

int PixelsOfColor(const QImage& image, TColor color) {
    const QRgb rgb = ToQColor(color).rgb() & 0xFFFFFF;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == rgb)
                ++count;
    return count;
}

struct TRecord {
    std::uint32_t Type;
    emf::TByteView View;
};

std::vector<TRecord> Records(const QByteArray& data) {
    std::vector<TRecord> records;
    const emf::TByteView view(data);
    std::size_t offset = 0;
    while (view.Has(offset, 8)) {
        const std::uint32_t size = *view.U32(offset + 4);
        if (size < 8 || !view.Has(offset, size))
            break;
        records.push_back({*view.U32(offset), view.Sub(offset, size)});
        offset += size;
    }
    return records;
}

struct TDrawingCase {
    const char* Name;
    TDrawing Draw;
};

void PrintTo(const TDrawingCase& c, std::ostream* os) {
    *os << c.Name;
}

class MetafileCanvasPlayback : public ::testing::TestWithParam<TDrawingCase> {};

TBitmap Checkerboard() {
    TBitmap bitmap(8, 6);
    QImage image(8, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(200, 30, 30) : qRgb(20, 20, 180));
    image.setPixel(0, 0, qRgb(0, 255, 0));
    bitmap.SetImage(image);
    return bitmap;
}

const TDrawingCase kDrawings[] = {
    {"SolidFills",
     [](TCanvas& c) {
         c.Brush().Color = clSilver;
         c.FillRect(Rect(10, 10, 200, 60));
         c.Brush().Color = RGB(12, 34, 56);
         c.FillRect(Rect(50, 40, 120, 150));
         c.Brush().Style = bsClear;
         c.FillRect(Rect(0, 0, 240, 160));
     }},
    {"FramesAsFills",
     [](TCanvas& c) {
         c.Brush().Color = clBlack;
         c.FillRect(Rect(20, 20, 220, 22));
         c.FillRect(Rect(20, 100, 220, 103));
         c.FillRect(Rect(20, 20, 21, 103));
         c.FillRect(Rect(219, 20, 220, 103));
         c.Brush().Style = bsClear;
     }},
    {"RectanglesWithPens",
     [](TCanvas& c) {
         c.Pen().Color = clRed;
         c.Brush().Color = clYellow;
         c.Rectangle(Rect(10, 10, 90, 70));
         c.Pen().Width = 3;
         c.Pen().Color = clNavy;
         c.Brush().Style = bsClear;
         c.Rectangle(Rect(100, 20, 200, 120));
         c.Pen().Style = psClear;
         c.Brush().Style = bsSolid;
         c.Brush().Color = clTeal;
         c.Rectangle(Rect(30, 90, 80, 150));
     }},
    {"Lines",
     [](TCanvas& c) {
         c.MoveTo(5, 5);
         c.LineTo(230, 150);
         c.LineTo(230, 10);
         c.Pen().Color = clGreen;
         c.Pen().Width = 2;
         c.MoveTo(10, 140);
         c.LineTo(200, 140);
         c.Pen().Style = psDash;
         c.Pen().Width = 1;
         c.MoveTo(10, 80);
         c.LineTo(220, 80);
     }},
    {"Ellipses",
     [](TCanvas& c) {
         c.Brush().Color = clAqua;
         c.Pen().Color = clPurple;
         c.Ellipse(Rect(20, 20, 140, 100));
         c.Brush().Style = bsClear;
         c.Ellipse(Rect(100, 60, 230, 150));
     }},
    {"TextTransparent",
     [](TCanvas& c) {
         c.SetFont(Arial(10));
         c.SetBkMode(TRANSPARENT);
         c.SetTextColor(clNavy);
         c.TextOut(10, 10, QStringLiteral("Qual é a capital do Brasil?"));
         c.SetFont(Arial(12, fsBold | fsItalic));
         c.TextOut(10, 40, QStringLiteral("Questões ÁÉÍÓÚ ç"));
         c.SetFont(Arial(8, fsUnderline));
         c.TextOut(10, 80, QStringLiteral("Página 1"));
     }},
    {"TextOpaqueOnBrush",
     [](TCanvas& c) {
         c.SetFont(Arial(10));
         c.Brush().Color = clYellow;
         c.SetBkMode(OPAQUE);
         c.TextOut(5, 5, QStringLiteral("Fundo opaco"));
         c.Brush().Style = bsClear;
         c.TextOut(5, 40, QStringLiteral("Pincel vazio"));
     }},
    {"TextAlignments",
     [](TCanvas& c) {
         c.SetFont(Arial(10));
         c.SetBkMode(TRANSPARENT);
         c.SetTextAlign(TA_RIGHT | TA_TOP);
         c.TextOut(230, 10, QStringLiteral("à direita"));
         c.SetTextAlign(TA_CENTER | TA_BOTTOM);
         c.TextOut(120, 80, QStringLiteral("centrado"));
         c.SetTextAlign(TA_LEFT | TA_BASELINE);
         c.TextOut(10, 120, QStringLiteral("linha de base"));
     }},
    {"TextClippedAndOpaqueRect",
     [](TCanvas& c) {
         c.SetFont(Arial(14));
         c.Brush().Color = clSilver;
         const TRect clip = Rect(20, 20, 90, 36);
         c.ExtTextOut(15, 15, ETO_CLIPPED | ETO_OPAQUE, &clip,
                      QStringLiteral("Texto cortado na caixa"));
         c.SetBkMode(TRANSPARENT);
         const TRect clip2 = Rect(20, 60, 160, 70);
         c.ExtTextOut(20, 58, ETO_CLIPPED, &clip2, QStringLiteral("Metade da altura"));
     }},
    {"TextWithOwnAdvances",
     [](TCanvas& c) {
         c.SetFont(Arial(10));
         c.SetBkMode(TRANSPARENT);
         const std::vector<int> dx = {12, 12, 12, 12, 12};
         c.ExtTextOut(10, 30, 0, nullptr, QStringLiteral("ABCDE"), &dx);
     }},
    {"WordWrappedDrawText",
     [](TCanvas& c) {
         c.SetFont(Arial(10));
         c.SetBkMode(TRANSPARENT);
         TRect box = Rect(10, 10, 130, 150);
         c.DrawText(QStringLiteral("Um texto longo que precisa quebrar em várias linhas-hífen"),
                    box, DT_WORDBREAK | DT_NOPREFIX);
         TRect right = Rect(140, 10, 235, 40);
         c.DrawText(QStringLiteral("fim"), right, DT_RIGHT | DT_SINGLELINE);
     }},
    {"ClipIntersectSaveRestore",
     [](TCanvas& c) {
         c.Brush().Color = clRed;
         const int saved = c.SaveDC();
         c.IntersectClipRect(Rect(30, 30, 120, 100));
         c.IntersectClipRect(Rect(60, 0, 200, 80));
         c.FillRect(Rect(0, 0, 240, 160));
         c.RestoreDC(saved);
         c.Brush().Color = clBlue;
         c.FillRect(Rect(150, 100, 200, 150));
     }},
    {"ClipSelect",
     [](TCanvas& c) {
         const TRect clip = Rect(10, 10, 50, 50);
         c.SelectClipRect(&clip);
         c.Brush().Color = clGreen;
         c.FillRect(Rect(0, 0, 240, 160));
         c.SelectClipRect(nullptr);
         c.Brush().Color = clMaroon;
         c.FillRect(Rect(200, 120, 230, 150));
     }},
    {"NestedStatesRestoreObjects",
     [](TCanvas& c) {
         c.Pen().Color = clRed;
         c.SaveDC();
         c.Pen().Color = clBlue;
         c.SaveDC();
         c.Pen().Color = clGreen;
         c.MoveTo(0, 10);
         c.LineTo(200, 10);
         c.RestoreDC(-1);
         c.MoveTo(0, 20);
         c.LineTo(200, 20);
         c.RestoreDC(1);
         c.MoveTo(0, 30);
         c.LineTo(200, 30);
     }},
    {"Bitmaps",
     [](TCanvas& c) {
         const TBitmap board = Checkerboard();
         c.StretchDraw(Rect(10, 10, 18, 16), board);
         c.StretchDraw(Rect(30, 10, 94, 58), board);
         c.CopyRect(Rect(120, 10, 128, 16), board, Rect(8, 0, 0, 6));
         c.DrawTransparent(150, 30, board, RGB(200, 30, 30));
     }},
};

} // namespace

TEST_P(MetafileCanvasPlayback, PlaysBackAsDrawnDirectly) {
    const QImage direct = DrawDirectly(GetParam().Draw);
    const QImage played = DrawThroughMetafile(GetParam().Draw);
    EXPECT_EQ(DifferentPixels(direct, played), 0)
        << "differences in " << DifferenceBox(direct, played);
    // The drawing must have drawn something, or the comparison proves nothing.
    EXPECT_LT(PixelsOfColor(direct, clWhite), kWidth * kHeight);
}

TEST_P(MetafileCanvasPlayback, EveryRecordIsSafeAndCounted) {
    const TMetafile page = Record(GetParam().Draw);
    const QByteArray data = page.Data();
    const std::vector<TRecord> records = Records(data);
    ASSERT_GE(records.size(), 2u);
    std::size_t total = 0;
    for (const TRecord& r : records) {
        EXPECT_EQ(r.View.Size() % 4, 0u);
        EXPECT_NE(U_emf_record_safe(r.View.Data()), 0) << "record type " << r.Type;
        total += r.View.Size();
    }
    EXPECT_EQ(total, static_cast<std::size_t>(data.size()));
    EXPECT_EQ(page.RecordCount(), records.size());
    EXPECT_EQ(records.front().Type, 1u);
    EXPECT_EQ(records.back().Type, 14u);
}

TEST_P(MetafileCanvasPlayback, ObjectsAreSelectedBeforeUseAndAllDeleted) {
    const TMetafile page = Record(GetParam().Draw);
    std::map<std::uint32_t, std::uint32_t> live; // handle -> record type that made it
    bool brushSelected = false, penSelected = false;
    for (const TRecord& r : Records(page.Data())) {
        switch (r.Type) {
        case 38:   // create pen
        case 39:   // create brush
        case 82: { // create font
            const std::uint32_t h = *r.View.U32(8);
            EXPECT_GT(h, 0u);
            EXPECT_LT(h, page.HandleCount());
            EXPECT_EQ(live.count(h), 0u) << "handle " << h << " reused while alive";
            live[h] = r.Type;
            break;
        }
        case 40:
            EXPECT_EQ(live.erase(*r.View.U32(8)), 1u);
            break;
        case 37: {
            const std::uint32_t h = *r.View.U32(8);
            if (h & 0x80000000u) {
                const std::uint32_t stock = h & 0x7FFFFFFFu;
                brushSelected = brushSelected || stock <= 5;
                penSelected = penSelected || (stock >= 6 && stock <= 8);
            } else {
                ASSERT_EQ(live.count(h), 1u) << "selected a handle that does not exist";
                brushSelected = brushSelected || live[h] == 39;
                penSelected = penSelected || live[h] == 38;
            }
            break;
        }
        case 76: // pattern fill with the selected brush
            EXPECT_TRUE(brushSelected);
            EXPECT_EQ(*r.View.U32(40), 0x00F00021u) << "PATCOPY";
            break;
        case 42:
        case 43:
        case 54: // ellipse, rectangle, line
            EXPECT_TRUE(penSelected);
            if (r.Type != 54) {
                EXPECT_TRUE(brushSelected);
            }
            break;
        default:
            break;
        }
    }
    EXPECT_TRUE(live.empty()) << live.size() << " objects never deleted";
}

INSTANTIATE_TEST_SUITE_P(Drawings, MetafileCanvasPlayback, ::testing::ValuesIn(kDrawings),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(MetafileCanvas, TextRecordsCarryReferenceDeviceAdvances) {
    const QString text = QStringLiteral("Resposta correta: Ação");
    const TMetafile page = Record([&](TCanvas& c) {
        c.SetFont(Arial(10));
        c.TextOut(3, 4, text);
    });
    TCanvas& reference = ReferenceCanvas();
    reference.SetFont(Arial(10));
    const std::vector<int> expected = reference.CharacterAdvances(text);
    int texts = 0;
    for (const TRecord& r : Records(page.Data())) {
        if (r.Type != 84)
            continue;
        ++texts;
        EXPECT_EQ(*r.View.I32(36), 3);
        EXPECT_EQ(*r.View.I32(40), 4);
        const std::uint32_t count = *r.View.U32(44);
        ASSERT_EQ(count, static_cast<std::uint32_t>(text.size()));
        const std::uint32_t offString = *r.View.U32(48);
        QString recorded;
        for (std::uint32_t i = 0; i < count; ++i)
            recorded.append(QChar(*r.View.U16(offString + 2 * i)));
        EXPECT_EQ(recorded, text);
        const std::uint32_t offDx = *r.View.U32(72);
        ASSERT_TRUE(r.View.Has(offDx, count * 4));
        for (std::uint32_t i = 0; i < count; ++i)
            EXPECT_EQ(*r.View.I32(offDx + 4 * i), expected[i]) << i;
    }
    EXPECT_EQ(texts, 1);
}

TEST(MetafileCanvas, MeasuresOnTheReferenceDevice) {
    TMetafile page;
    page.SetWidth(100);
    page.SetHeight(100);
    TMetafileCanvas canvas(page);
    canvas.SetFont(Arial(10));
    TCanvas& reference = ReferenceCanvas();
    reference.SetFont(Arial(10));
    EXPECT_EQ(canvas.TextExtent(QStringLiteral("Questão")),
              reference.TextExtent(QStringLiteral("Questão")));
    EXPECT_EQ(canvas.TextHeight(QStringLiteral("W")), reference.TextHeight(QStringLiteral("W")));
    EXPECT_EQ(canvas.PixelsPerInchX(), 96);
    EXPECT_EQ(canvas.PixelsPerInchY(), 96);
}

TEST(MetafileCanvas, FontIsALogicalFontOfTheReferenceHeight) {
    const TMetafile page = Record([](TCanvas& c) {
        TFont font = Arial(10, fsBold);
        c.SetFont(font);
        c.TextOut(0, 0, QStringLiteral("x"));
    });
    int fonts = 0;
    for (const TRecord& r : Records(page.Data())) {
        if (r.Type != 82)
            continue;
        ++fonts;
        EXPECT_EQ(*r.View.I32(12), -13) << "10 points at 96 dpi";
        EXPECT_EQ(*r.View.I32(28), 700);
        QString face;
        for (int i = 0; i < 32 && *r.View.U16(40 + 2 * i) != 0; ++i)
            face.append(QChar(*r.View.U16(40 + 2 * i)));
        EXPECT_EQ(face, QStringLiteral("Arial"));
    }
    EXPECT_EQ(fonts, 1);
}

TEST(MetafileCanvas, UnchangedStateIsNotRecordedAgain) {
    const TMetafile once = Record([](TCanvas& c) {
        c.Brush().Color = clRed;
        c.FillRect(Rect(0, 0, 10, 10));
    });
    const TMetafile twice = Record([](TCanvas& c) {
        c.Brush().Color = clRed;
        c.FillRect(Rect(0, 0, 10, 10));
        c.FillRect(Rect(20, 0, 30, 10));
    });
    EXPECT_EQ(twice.RecordCount(), once.RecordCount() + 1) << "only the second fill is new";
}

TEST(MetafileCanvas, HeaderBoundsCoverTheDrawing) {
    const TMetafile page = Record([](TCanvas& c) {
        c.Brush().Color = clRed;
        c.FillRect(Rect(10, 20, 30, 40));
        c.FillRect(Rect(50, 5, 60, 15));
    });
    EXPECT_EQ(page.Bounds(), Rect(10, 5, 59, 39)) << "inclusive device pixels";
    EXPECT_EQ(page.Frame(), Rect(0, 0, page.MMWidth(), page.MMHeight()));
}

TEST(MetafileCanvas, NothingDrawnGivesEmptyBounds) {
    const TMetafile page = Record([](TCanvas&) {});
    EXPECT_EQ(page.Bounds(), Rect(0, 0, -1, -1));
    EXPECT_FALSE(page.Empty());
}

TEST(MetafileCanvas, DestructorEndsTheRecording) {
    TMetafile page;
    page.SetWidth(50);
    page.SetHeight(50);
    {
        TMetafileCanvas canvas(page);
        canvas.Brush().Color = clBlue;
        canvas.FillRect(Rect(0, 0, 5, 5));
    }
    EXPECT_FALSE(page.Empty());
    EXPECT_GT(page.RecordCount(), 2u);
}

TEST(MetafileCanvas, DrawingAfterEndIsIgnored) {
    TMetafile page;
    page.SetWidth(50);
    page.SetHeight(50);
    TMetafileCanvas canvas(page);
    canvas.End();
    const QByteArray ended = page.Data();
    canvas.FillRect(Rect(0, 0, 5, 5));
    canvas.End();
    EXPECT_EQ(page.Data(), ended);
    EXPECT_TRUE(canvas.Ended());
}

TEST(MetafileCanvas, RecordedPageSurvivesTheStream) {
    const TMetafile page = Record([](TCanvas& c) {
        c.SetFont(Arial(10));
        c.TextOut(5, 5, QStringLiteral("Salvo"));
    });
    TMetafile copy;
    copy.LoadFromData(page.Data());
    TBitmap a(kWidth, kHeight), b(kWidth, kHeight);
    PlayMetafile(page, a.Canvas(), Rect(0, 0, kWidth, kHeight));
    PlayMetafile(copy, b.Canvas(), Rect(0, 0, kWidth, kHeight));
    a.ReleaseCanvas();
    b.ReleaseCanvas();
    EXPECT_EQ(DifferentPixels(a.Image(), b.Image()), 0);
    EXPECT_EQ(copy.Width(), kWidth);
    EXPECT_EQ(copy.Height(), kHeight);
}

TEST(MetafileCanvas, AnIndependentReaderAcceptsThePage) {
    QString converter = qEnvironmentVariable("EMF2SVG_CONV");
    if (converter.isEmpty() || converter.endsWith(QStringLiteral("NOTFOUND")))
        converter = QStandardPaths::findExecutable(QStringLiteral("emf2svg-conv"));
    if (converter.isEmpty())
        GTEST_SKIP() << "emf2svg-conv is not installed";

    const TMetafile page = Record(
        [](TCanvas& c) {
            c.Brush().Color = RGB(0x12, 0x34, 0x56);
            c.FillRect(Rect(40, 40, 400, 80));
            c.Pen().Color = clRed;
            c.Brush().Style = bsClear;
            c.Rectangle(Rect(20, 100, 300, 200));
            c.MoveTo(10, 300);
            c.LineTo(500, 300);
            c.SetFont(Arial(10));
            c.SetBkMode(TRANSPARENT);
            c.TextOut(50, 120, QStringLiteral("Questao numero um"));
            const TRect clip = Rect(50, 150, 200, 170);
            c.ExtTextOut(50, 150, ETO_CLIPPED, &clip, QStringLiteral("Alternativa"));
        },
        1123, 794);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString emfName = dir.filePath(QStringLiteral("page.emf"));
    const QString svgName = dir.filePath(QStringLiteral("page.svg"));
    page.SaveToFile(emfName);

    QProcess process;
    process.start(converter, {QStringLiteral("-i"), emfName, QStringLiteral("-o"), svgName});
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QFile svg(svgName);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(svg.readAll());
    EXPECT_TRUE(content.contains(QStringLiteral("Questao numero um")))
        << content.left(2000).toStdString();
    EXPECT_TRUE(content.contains(QStringLiteral("Alternativa")));
    EXPECT_TRUE(content.contains(QStringLiteral("Arial")));
    EXPECT_TRUE(content.contains(QStringLiteral("#123456"), Qt::CaseInsensitive)) << "the fill";
    EXPECT_TRUE(content.contains(QStringLiteral("#FF0000"), Qt::CaseInsensitive)) << "the pen";
}
