// How long `dbadmin load` takes over a CSV file of 1,000,000 records, and
// how much memory it holds while doing so. The goal: the whole file stored
// in one batch with a peak resident set within 100 MB, whatever the size
// of the file. The tool runs as a child process of its own, so that the
// peak (ru_maxrss from wait4) is the tool's and not this program's; the
// creation of the empty tables is not timed.
//
// Run by hand: build with -DQUESTOES_BENCH=ON, then
//   build/test/tools/dbadmin/bench/dbadmin_load_bench
#include "tools/dbadmin/tests/child_process.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr long kRows = 1000000;

// A private folder for the file and the tables, removed at exit.
struct TScratch {
    fs::path Root;
    TScratch() {
        std::string tmpl = (fs::temp_directory_path() / "dbadmin-load-bench-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            throw std::runtime_error("cannot make a temporary folder");
        Root = tmpl;
    }
    ~TScratch() {
        std::error_code ec;
        fs::remove_all(Root, ec);
    }
};

TScratch& Scratch() {
    static TScratch scratch;
    return scratch;
}

// `name` in the scratch folder, written on first use: `header`, then the
// records that `record` writes for 1 to kRows.
template <class F> fs::path MadeFile(const char* name, const char* header, F record) {
    fs::path file = Scratch().Root / name;
    if (!fs::exists(file)) {
        std::ofstream out(file, std::ios::binary);
        out << header;
        for (long i = 1; i <= kRows; ++i)
            record(out, i);
    }
    return file;
}

// Questions as people write them: commas and quotes inside quoted fields,
// accented words, the three answer letters in turn.
fs::path QuestionsFile() {
    return MadeFile("questoes.csv", "Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\r\n",
                    [](std::ostream& out, long i) {
                        out << "\"Qual é a questão número " << i << ", afinal?\",Alternativa A "
                            << i << ",\"A \"\"segunda\"\" alternativa " << i << "\",Alternativa C "
                            << i << ',' << "ABC"[i % 3] << ",N\r\n";
                    });
}

fs::path PhrasesFile() {
    return MadeFile("frases.csv", "", [](std::ostream& out, long i) {
        out << "A frase correta número " << i << ",\"Uma frase errada, a de número " << i
            << "\"\r\n";
    });
}

struct TTimedRun {
    int Status = -1;
    double Seconds = 0;
    long PeakKb = 0;
};

// Runs dbadmin with `args`, its output thrown away.
TTimedRun RunTool(const std::vector<std::string>& args) {
    std::vector<std::string> all{DBADMIN_PATH};
    all.insert(all.end(), args.begin(), args.end());
    auto start = std::chrono::steady_clock::now();
    TChildRun child = RunChild(all, "/dev/null", "/dev/null");
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {child.Status, seconds, child.PeakKb};
}

void LoadInto(benchmark::State& state, const char* table, const fs::path& file) {
    long peakKb = 0;
    int round = 0;
    for (auto _ : state) {
        fs::path dir = Scratch().Root / ("tables" + std::to_string(round++));
        if (RunTool({"--dir", dir.string(), "create"}).Status != 0) {
            state.SkipWithError("dbadmin create failed");
            return;
        }
        TTimedRun load = RunTool({"--dir", dir.string(), "load", table, file.string()});
        if (load.Status != 0) {
            state.SkipWithError("dbadmin load failed");
            return;
        }
        state.SetIterationTime(load.Seconds);
        peakKb = std::max(peakKb, load.PeakKb);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    state.counters["peak_rss_MB"] = double(peakKb) / 1024.0;
    state.counters["file_MB"] = double(fs::file_size(file)) / (1024.0 * 1024.0);
    state.SetItemsProcessed(int64_t(state.iterations()) * kRows);
}

void BM_LoadQuestions(benchmark::State& state) {
    LoadInto(state, "QUESTOES.DB", QuestionsFile());
}
BENCHMARK(BM_LoadQuestions)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_LoadPhrases(benchmark::State& state) {
    LoadInto(state, "FRASES.DB", PhrasesFile());
}
BENCHMARK(BM_LoadPhrases)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
