// Speed of the engine's cursor against SQLite used directly: walking a
// table record by record (the cost of one step must not grow with the
// table), and inserting records one posted change at a time or in a batch.
#include "store/engine/dbengine.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TBenchEngine {
    fs::path Dir;
    hDbeDb Db = nullptr;
    TBenchEngine() {
        std::string tmpl = (fs::temp_directory_path() / "engine-bench-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            std::abort();
        Dir = tmpl;
        DbeEnv env = {};
        DbeInitFn(DBE_INTERFACE_VERSION, &env);
        DbeOpenDatabase(nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED, "", &Db);
        DbeSetDirectory(Db, Dir.c_str());
    }
    ~TBenchEngine() {
        DbeExit();
        std::error_code ec;
        fs::remove_all(Dir, ec);
    }
};

TBenchEngine& Engine() {
    static TBenchEngine engine;
    return engine;
}

std::string CreateQuestions(const std::string& name) {
    static const DbeFieldDef fields[7] = {
        {"Codigo", DBE_FLD_AUTOINC, 0},  {"Questao", DBE_FLD_STRING, 250},
        {"Resp_A", DBE_FLD_STRING, 250}, {"Resp_B", DBE_FLD_STRING, 250},
        {"Resp_C", DBE_FLD_STRING, 250}, {"Correta", DBE_FLD_STRING, 1},
        {"Flag", DBE_FLD_STRING, 1}};
    DbeTableDesc desc = {name.c_str(), 7, fields, 1, 2, nullptr};
    fs::remove(Engine().Dir / name);
    if (DbeCreateTable(Engine().Db, &desc) != DBE_OK)
        std::abort();
    return name;
}

hDbeCur Open(const std::string& name) {
    hDbeCur cur = nullptr;
    if (DbeOpenTable(Engine().Db, name.c_str(), "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1,
                     &cur) != DBE_OK)
        std::abort();
    return cur;
}

void InsertQuestions(hDbeCur cur, int64_t count, bool batch) {
    DbeCurProps props;
    DbeGetCursorProps(cur, &props);
    std::vector<unsigned char> rec(props.iRecBufSize);
    if (batch)
        DbeBeginBatch(cur);
    for (int64_t i = 0; i < count; ++i) {
        DbeInitRecord(cur, rec.data());
        std::string q = "Pergunta número " + std::to_string(i) + " sobre a história do Brasil?";
        DbePutField(cur, 2, rec.data(), q.c_str());
        DbePutField(cur, 3, rec.data(), "Alternativa A");
        DbePutField(cur, 4, rec.data(), "Alternativa B");
        DbePutField(cur, 5, rec.data(), "Alternativa C");
        DbePutField(cur, 6, rec.data(), "A");
        DbePutField(cur, 7, rec.data(), "N");
        if (DbeInsertRecord(cur, dbeNOLOCK, rec.data()) != DBE_OK)
            std::abort();
    }
    if (batch)
        DbeCommitBatch(cur);
}

// The table `name`, which `make` creates and fills the first time it is
// asked for.
std::string MadeOnce(const std::string& name, const std::function<void()>& make) {
    static std::set<std::string> made;
    if (made.insert(name).second)
        make();
    return name;
}

// A table of `count` questions.
std::string TableOf(int64_t count) {
    std::string name = "WALK" + std::to_string(count) + ".DB";
    return MadeOnce(name, [&] {
        CreateQuestions(name);
        hDbeCur cur = Open(name);
        InsertQuestions(cur, count, true);
        DbeCloseCursor(&cur);
    });
}

// A phrases table of `count` pairs in stored order.
std::string PhrasesOf(int64_t count) {
    std::string name = "PHRASES" + std::to_string(count) + ".DB";
    return MadeOnce(name, [&] {
        static const DbeFieldDef fields[2] = {{"Correta", DBE_FLD_STRING, 100},
                                              {"Errada", DBE_FLD_STRING, 100}};
        DbeTableDesc desc = {name.c_str(), 2, fields, 0, 0, nullptr};
        if (DbeCreateTable(Engine().Db, &desc) != DBE_OK)
            std::abort();
        hDbeCur cur = Open(name);
        DbeCurProps props;
        DbeGetCursorProps(cur, &props);
        std::vector<unsigned char> rec(props.iRecBufSize);
        DbeBeginBatch(cur);
        for (int64_t i = 0; i < count; ++i) {
            DbeInitRecord(cur, rec.data());
            std::string phrase = "A frase certa número " + std::to_string(i);
            DbePutField(cur, 1, rec.data(), phrase.c_str());
            DbePutField(cur, 2, rec.data(), "A frase errada");
            DbeSetToEnd(cur);
            if (DbeInsertRecord(cur, dbeNOLOCK, rec.data()) != DBE_OK)
                std::abort();
        }
        DbeCommitBatch(cur);
        DbeCloseCursor(&cur);
    });
}

// Every record of the table `name` from one end to the other, with next or
// with prior.
void CursorWalk(benchmark::State& state, const std::string& name, bool forward) {
    hDbeCur cur = Open(name);
    DbeCurProps props;
    DbeGetCursorProps(cur, &props);
    std::vector<unsigned char> rec(props.iRecBufSize);
    DbeRecProps recProps;
    int64_t steps = 0;
    for (auto _ : state) {
        if (forward)
            DbeSetToBegin(cur);
        else
            DbeSetToEnd(cur);
        while ((forward ? DbeGetNextRecord : DbeGetPriorRecord)(cur, dbeNOLOCK, rec.data(),
                                                                &recProps) == DBE_OK)
            ++steps;
        benchmark::DoNotOptimize(recProps.iSeqNum);
    }
    state.SetItemsProcessed(steps);
    DbeCloseCursor(&cur);
}

void BM_CursorWalkNext(benchmark::State& state) {
    CursorWalk(state, TableOf(state.range(0)), true);
}
BENCHMARK(BM_CursorWalkNext)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_CursorWalkPrior(benchmark::State& state) {
    CursorWalk(state, TableOf(state.range(0)), false);
}

// The phrases table orders by a column of its own, which the walk seeks
// its place by.
void BM_CursorWalkPhrasesNext(benchmark::State& state) {
    CursorWalk(state, PhrasesOf(state.range(0)), true);
}
BENCHMARK(BM_CursorWalkPhrasesNext)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CursorWalkPrior)->Arg(100000)->Unit(benchmark::kMillisecond);

// Baseline: the same walk as one SQLite query.
// The table of `records` rows opened straight with SQLite, read-only, and
// `sql` prepared on it.
struct TDirect {
    TDirect(int64_t records, const std::string& sql) {
        std::string path = (Engine().Dir / TableOf(records)).string();
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    }
    ~TDirect() {
        sqlite3_finalize(stmt);
        sqlite3_close(db);
    }
    TDirect(const TDirect&) = delete;
    TDirect& operator=(const TDirect&) = delete;
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
};

// The columns of a question, as the cursor reads them.
const std::string kQuestionSelect =
    "SELECT rowid, Codigo, Questao, Resp_A, Resp_B, Resp_C, Correta, Flag FROM records ";

// Reads the texts of the row `stmt` stands on, as a step of a walk must.
void ReadTexts(sqlite3_stmt* stmt) {
    for (int c = 2; c < 8; ++c)
        benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
}

void BM_SqliteWalkQuery(benchmark::State& state) {
    TDirect direct(state.range(0), kQuestionSelect + "ORDER BY rowid");
    sqlite3_stmt* stmt = direct.stmt;
    int64_t steps = 0;
    for (auto _ : state) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            ReadTexts(stmt);
            ++steps;
        }
        sqlite3_reset(stmt);
    }
    state.SetItemsProcessed(steps);
}
BENCHMARK(BM_SqliteWalkQuery)->Arg(100000)->Unit(benchmark::kMillisecond);

// Baseline: one SQLite lookup per step, as a cursor that keeps no statement
// open must do.
void BM_SqliteWalkStepwise(benchmark::State& state) {
    TDirect direct(state.range(0), kQuestionSelect + "WHERE rowid > ?1 ORDER BY rowid LIMIT 1");
    sqlite3_stmt* stmt = direct.stmt;
    int64_t steps = 0;
    for (auto _ : state) {
        int64_t last = 0;
        for (;;) {
            sqlite3_bind_int64(stmt, 1, last);
            if (sqlite3_step(stmt) != SQLITE_ROW)
                break;
            last = sqlite3_column_int64(stmt, 0);
            ReadTexts(stmt);
            sqlite3_reset(stmt);
            ++steps;
        }
        sqlite3_reset(stmt);
    }
    state.SetItemsProcessed(steps);
}
BENCHMARK(BM_SqliteWalkStepwise)->Arg(100000)->Unit(benchmark::kMillisecond);

// Inserting records: 10,000 in one batch, or each one posted on its own
// (durable when the call returns, so each costs a few disk flushes; 1,000 of
// those keep the run short).
void BM_CursorInsert(benchmark::State& state) {
    bool batch = state.range(1) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string name = CreateQuestions("INSERT.DB");
        hDbeCur cur = Open(name);
        state.ResumeTiming();
        InsertQuestions(cur, state.range(0), batch);
        state.PauseTiming();
        DbeCloseCursor(&cur);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CursorInsert)
    ->Args({10000, 1})
    ->Args({1000, 0})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
