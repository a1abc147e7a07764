// How long `dbadmin load` takes over a CSV file of 1,000,000 records, and
// how much memory it holds while doing so. The goal: the whole file stored
// in one batch with a peak resident set within 100 MB, whatever the size
// of the file. The tool runs as a child process of its own, so that the
// peak (ru_maxrss from wait4) is the tool's and not this program's; the
// creation of the empty tables is not timed.
//
// Run by hand: build with -DQUESTOES_BENCH=ON, then
//   build/test/tools/dbadmin/bench/dbadmin_load_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

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

// Questions as people write them: commas and quotes inside quoted fields,
// accented words, the three answer letters in turn.
fs::path QuestionsFile() {
    fs::path file = Scratch().Root / "questoes.csv";
    if (fs::exists(file))
        return file;
    std::ofstream out(file, std::ios::binary);
    out << "Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\r\n";
    for (long i = 1; i <= kRows; ++i)
        out << "\"Qual é a questão número " << i << ", afinal?\",Alternativa A " << i
            << ",\"A \"\"segunda\"\" alternativa " << i << "\",Alternativa C " << i << ','
            << "ABC"[i % 3] << ",N\r\n";
    return file;
}

fs::path PhrasesFile() {
    fs::path file = Scratch().Root / "frases.csv";
    if (fs::exists(file))
        return file;
    std::ofstream out(file, std::ios::binary);
    for (long i = 1; i <= kRows; ++i)
        out << "A frase correta número " << i << ",\"Uma frase errada, a de número " << i
            << "\"\r\n";
    return file;
}

struct TChildRun {
    int Status = -1;
    double Seconds = 0;
    long PeakKb = 0;
};

// Runs dbadmin with `args`, its output thrown away.
TChildRun RunTool(const std::vector<std::string>& args) {
    std::vector<std::string> all{DBADMIN_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    TChildRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            run.PeakKb = usage.ru_maxrss;
        }
    }
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return run;
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
        TChildRun load = RunTool({"--dir", dir.string(), "load", table, file.string()});
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
