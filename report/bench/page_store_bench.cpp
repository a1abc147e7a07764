// Speed of the page store: adding 1000 pages of a few KB and reading them
// back in order and at random, in memory (a raised limit) and spilled to a
// temporary file, plain and compressed; and the coder's speed in MB/s.
#include "report/rp_compress.h"
#include "report/rp_page_list.h"
#include "report/tests/rp_test_support.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kPages = 1000;

const std::vector<QByteArray>& SamplePages() {
    static const std::vector<QByteArray> pages = [] {
        std::vector<QByteArray> v;
        for (int i = 0; i < kPages; ++i) {
            v.push_back(rptest::MakeEmf(1123, 794, 2500 + (i * 37) % 3000, 1 + i));
        }
        return v;
    }();
    return pages;
}

qint64 TotalBytes() {
    qint64 total = 0;
    for (const QByteArray& p : SamplePages()) {
        total += p.size();
    }
    return total;
}

// Arguments: 0 in memory / 1 spilled to a file, 0 plain / 1 compressed.
void Fill(TRpPageList& list, const benchmark::State& state) {
    const bool inFile = state.range(0) != 0;
    list.SetCompression(state.range(1) != 0);
    list.CreateStream(inFile ? TRpStream::kDefaultMemoryLimit : qint64(1) << 40);
    for (const QByteArray& p : SamplePages()) {
        list.AddPageData(p);
    }
    list.Finish();
}

void BM_AddPages(benchmark::State& state) {
    rptest::ScopedTempDir tmp;
    SamplePages();
    for (auto _ : state) {
        TRpPageList list;
        Fill(list, state);
        benchmark::DoNotOptimize(list.Stream()->Size());
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes());
}

void BM_ReadInOrder(benchmark::State& state) {
    rptest::ScopedTempDir tmp;
    TRpPageList list;
    Fill(list, state);
    for (auto _ : state) {
        for (int n = 1; n <= kPages; ++n) {
            benchmark::DoNotOptimize(list.GetPageData(n));
        }
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes());
}

void BM_ReadAtRandom(benchmark::State& state) {
    rptest::ScopedTempDir tmp;
    TRpPageList list;
    Fill(list, state);
    QRandomGenerator rng(9);
    std::vector<int> order(kPages);
    for (int& n : order) {
        n = 1 + static_cast<int>(rng.bounded(kPages));
    }
    for (auto _ : state) {
        for (int n : order) {
            benchmark::DoNotOptimize(list.GetPageData(n));
        }
    }
    state.SetItemsProcessed(state.iterations() * kPages);
}

void StoreArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"file", "compressed"});
    for (int file : {0, 1}) {
        for (int compressed : {0, 1}) {
            b->Args({file, compressed});
        }
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_AddPages)->Apply(StoreArgs);
BENCHMARK(BM_ReadInOrder)->Apply(StoreArgs);
// Random reads walk the links; far fewer iterations are enough.
BENCHMARK(BM_ReadAtRandom)->Apply(StoreArgs)->Iterations(2);

void BM_Code(benchmark::State& state) {
    const QByteArray& page = SamplePages()[0];
    QByteArray data = page.repeated(64);
    for (auto _ : state) {
        benchmark::DoNotOptimize(TRpCompress::CodeBytes(data));
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}
BENCHMARK(BM_Code);

void BM_Decode(benchmark::State& state) {
    QByteArray data = SamplePages()[0].repeated(64);
    const QByteArray code = TRpCompress::CodeBytes(data);
    for (auto _ : state) {
        benchmark::DoNotOptimize(TRpCompress::DecodeBytes(code, data.size()));
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}
BENCHMARK(BM_Decode);

} // namespace

BENCHMARK_MAIN();
