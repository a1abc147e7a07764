// Cost of one panel paint: a percent gauge, an animation frame of each
// indeterminate style, and a text panel whose text does not change.
#include "statusbar/ex_status_bar.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

std::unique_ptr<TExStatusBar> GaugeBar(TExGaugeStyle style) {
    auto bar = std::make_unique<TExStatusBar>();
    bar->resize(508, 19);
    TExStatusPanel* gauge = bar->Panels().Add();
    gauge->SetWidth(320);
    bar->Panels().Add();
    gauge->GaugeAttrs()->SetStyle(style);
    gauge->SetPanelType(sptGauge);
    gauge->SetEnabled(true);
    return bar;
}

void BM_PercentGaugePaint(benchmark::State& state) {
    auto bar = GaugeBar(gsPercent);
    int position = 0;
    for (auto _ : state) {
        bar->Panels()[0]->GaugeAttrs()->SetPosition(position);
        position = (position + 1) % 101;
    }
}
BENCHMARK(BM_PercentGaugePaint);

void BM_BallFrame(benchmark::State& state) {
    auto bar = GaugeBar(gsIndeterminate);
    for (auto _ : state)
        bar->Panels().ClockTick();
}
BENCHMARK(BM_BallFrame);

void BM_GradientFrame(benchmark::State& state) {
    auto bar = GaugeBar(gsIndeterminate2);
    for (auto _ : state)
        bar->Panels().ClockTick();
}
BENCHMARK(BM_GradientFrame);

void BM_UnchangedText(benchmark::State& state) {
    auto bar = GaugeBar(gsPercent);
    bar->Panels()[1]->SetText(QStringLiteral("12"));
    for (auto _ : state)
        bar->Panels()[1]->SetText(QStringLiteral("12"));
}
BENCHMARK(BM_UnchangedText);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
