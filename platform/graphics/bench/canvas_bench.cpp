// Speed of the canvas operations that run most often: measuring words for
// report line breaks on the reference canvas, drawing a status panel's text
// and copying the gauge's gradient strip.
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/text_format.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

TFont DetailFont() {
    TFont f;
    f.SetName(QStringLiteral("Arial"));
    f.SetSize(10);
    return f;
}

const QString kQuestion = QStringLiteral(
    "Qual destes animais é um mamífero que vive no mar e respira o ar da superfície?");

void BM_TextExtentOnReferenceCanvas(benchmark::State& state) {
    TCanvas& c = ReferenceCanvas();
    c.SetFont(DetailFont());
    for (auto _ : state)
        benchmark::DoNotOptimize(c.TextExtent(kQuestion));
}
BENCHMARK(BM_TextExtentOnReferenceCanvas);

void BM_WordBreakLayout(benchmark::State& state) {
    TCanvas& c = ReferenceCanvas();
    c.SetFont(DetailFont());
    const TTextMeasure measure = [&c](const QString& s) { return c.TextExtent(s).cx; };
    const int lineHeight = c.TextHeight(QStringLiteral("W"));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            LayoutDrawText(kQuestion, Rect(0, 0, 250, 100), DT_WORDBREAK, measure, lineHeight));
}
BENCHMARK(BM_WordBreakLayout);

void BM_PanelText(benchmark::State& state) {
    TBitmap panel(318, 17);
    TCanvas& c = panel.Canvas();
    for (auto _ : state) {
        c.Brush().Color = clBtnFace;
        c.FillRect(Rect(0, 0, 318, 17));
        TRect r = Rect(0, 0, 318, 17);
        c.DrawText(kQuestion, r,
                   DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}
BENCHMARK(BM_PanelText);

void BM_GaugeStripCopy(benchmark::State& state) {
    TBitmap strip(100, 19);
    TBitmap panel(318, 17);
    TCanvas& c = panel.Canvas();
    for (auto _ : state)
        c.CopyRect(Rect(40, 0, 140, 17), strip, Rect(99, 18, -1, -1));
}
BENCHMARK(BM_GaugeStripCopy);

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
