// How long dbadmin lint takes over banks of 10,000 and 100,000 questions.
// The goal: 100,000 questions within a few seconds, and about ten times the
// bank of 10,000 (the near-duplicate search grows with the bank, not with
// its square). Half the questions carry accented words, which take the
// slower Unicode folding.
#include "tools/dbadmin/lint.h"

#include <benchmark/benchmark.h>
#include <random>

namespace {

std::vector<TLintQuestion> Bank(size_t size) {
    static const char* const kAccented[] = {"ação", "órgão", "pêssego", "fácil", "Índio"};
    std::mt19937 random(11);
    std::uniform_int_distribution<int> letter('a', 'z'), length(3, 9), words(9, 15), accent(0, 4);
    std::vector<TLintQuestion> bank;
    bank.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        std::string text = i % 2 ? std::string("Qual é a ") + kAccented[accent(random)] : "Which";
        for (int w = words(random); w > 0; --w) {
            text += ' ';
            for (int n = length(random); n > 0; --n)
                text += char(letter(random));
        }
        bank.push_back(
            {long(i + 1), text + "?", {"um", "dois", "três"}, "ABC"[i % 3] + std::string()});
    }
    return bank;
}

void BM_Lint(benchmark::State& state) {
    std::vector<TLintQuestion> bank = Bank(size_t(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(LintBank(bank, {}));
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Lint)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
