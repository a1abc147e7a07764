// Speed of the page cycle the preview and the printer depend on: recording
// a listing page of bands, frames and wrapped text, saving and loading it,
// and playing it back on the screen and at printer resolution.
#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_canvas.h"
#include "platform/graphics/metafile_player.h"

#include <QBuffer>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

// An A4 landscape page shaped like the question listing: a column header
// and nine detail bands, each with a frame and five wrapped texts.
TMetafile ListingPage() {
    TMetafile page;
    page.SetWidth(1123);
    page.SetHeight(794);
    TMetafileCanvas canvas(page);
    TFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetSize(10);
    canvas.SetFont(font);
    canvas.SetBkMode(TRANSPARENT);
    for (int band = 0; band < 10; ++band) {
        const int top = 60 + band * 74;
        canvas.Brush().Color = band == 0 ? clSilver : clWhite;
        canvas.FillRect(Rect(19, top, 1104, top + 74));
        for (int column = 0; column < 5; ++column) {
            TRect box = Rect(24 + column * 216, top + 4, 230 + column * 216, top + 70);
            canvas.DrawText(
                QStringLiteral(
                    "Qual destas alternativas completa corretamente a frase da questão %1?")
                    .arg(band * 5 + column),
                box, DT_WORDBREAK | DT_NOPREFIX);
        }
        canvas.Brush().Color = clBlack;
        canvas.FillRect(Rect(19, top + 73, 1104, top + 74));
    }
    canvas.End();
    return page;
}

void BM_RecordListingPage(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ListingPage().Data().size());
}
BENCHMARK(BM_RecordListingPage)->Unit(benchmark::kMillisecond);

void BM_SaveAndLoadPage(benchmark::State& state) {
    const TMetafile page = ListingPage();
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        page.SaveToStream(buffer);
        buffer.seek(0);
        TMetafile copy;
        copy.LoadFromStream(buffer);
        benchmark::DoNotOptimize(copy.Width());
    }
}
BENCHMARK(BM_SaveAndLoadPage);

void BM_PlayPage(benchmark::State& state) {
    const TMetafile page = ListingPage();
    const int scale = static_cast<int>(state.range(0));
    TBitmap bitmap(1123 * scale / 96, 794 * scale / 96);
    for (auto _ : state)
        PlayMetafile(page, bitmap.Canvas(), Rect(0, 0, bitmap.Width(), bitmap.Height()));
    bitmap.ReleaseCanvas();
}
// Screen, then a 300 dpi printer page.
BENCHMARK(BM_PlayPage)->Arg(96)->Arg(300)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
