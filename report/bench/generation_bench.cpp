// How fast the question listing is generated into the page store, from
// questions tables of 1,000, 10,000 and 100,000 records: pages per second,
// the time from the start of the run until page 1 is complete, and the
// process's peak resident memory after each run. The goals: 1,000 pages a
// second for the 10,000-question listing, page 1 within 50 ms whatever the
// table's size, and under 150 MB for the 100,000-question listing (pages
// past the store's memory limit spill to its temporary file).
//
// The tables are made by the built dbadmin from a CSV file, in a private
// configuration whose registry points the library search at the engine.
#include "platform/messages.h"
#include "report/bench/question_bank.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

QTemporaryDir* Root = nullptr;

QString TableDir(int records) {
    return Root->path() + QStringLiteral("/db%1").arg(records);
}

// Notes when the first page is complete.
class TFirstPage : public TMessageHandler<QObject> {
public:
    QElapsedTimer Clock;
    qint64 FirstPageNs = -1;
    void WndProc(TMessage& message) override {
        if (message.Msg == RP_PAGES_AVAILABLE && FirstPageNs < 0 && message.WParam >= 1)
            FirstPageNs = Clock.nsecsElapsed();
    }
};

double PeakResidentMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void BM_GenerateListing(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const TBenchListing listing(MakeQuestionBank(TableDir(records), records));
    TRpReport& report = listing.Report();
    qint64 pages = 0;
    double firstPageMs = 0;
    for (auto _ : state) {
        TFirstPage client;
        auto seed = std::make_unique<TRpPrinter>();
        seed->SetClientWindow(&client);
        report.SetPrinter(std::move(seed));
        client.Clock.start();
        report.Preview();
        // The message of the last page is posted after the run.
        QCoreApplication::processEvents();
        pages += report.Printer()->PageCount();
        firstPageMs = std::max(firstPageMs, client.FirstPageNs / 1e6);
        report.SetPrinter(nullptr);
    }
    state.counters["pages_per_second"] =
        benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
    state.counters["first_page_ms"] = firstPageMs;
    state.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(BM_GenerateListing)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    Root = &root;
    if (!UseBuiltEngine(root.path()))
        return 1;
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
