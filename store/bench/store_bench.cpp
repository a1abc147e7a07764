// How fast the table cursor walks and fills the questions table, measured
// against SQLite walking the same rows directly. The goals: the cursor walk
// of 100,000 records within 2x of the direct walk, and no more than 12x the
// walk of 10,000 (a step costs the same wherever it is). The direct walk of
// 10,000 rows is quicker per row than that of 100,000, as SQLite's default
// cache holds the whole small table; the cursor's cache holds both.
//
// Runs in a private temporary configuration: registry.conf points the
// library search at the built engine, dbengine.conf names the alias.
#include "platform/library.h"
#include "store/engine/dbengine.h"
#include "store/field.h"
#include "store/session.h"
#include "store/table.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {
QTemporaryDir* Root = nullptr;

QString TableDir(int records) {
    return Root->path() + QStringLiteral("/db%1").arg(records);
}

void WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        std::abort();
    file.write(text);
}

template <class Fn> Fn Entry(HMODULE module, const char* name) {
    auto entry = reinterpret_cast<Fn>(GetProcAddress(module, name));
    if (!entry) {
        std::fprintf(stderr, "engine entry missing: %s\n", name);
        std::abort();
    }
    return entry;
}
#define ENGINE(name) Entry<decltype(&name)>(module, #name)

void Require(DbeResult result, const char* what) {
    if (result != DBE_OK) {
        std::fprintf(stderr, "%s failed: %04X\n", what, result);
        std::abort();
    }
}

DbeFieldDef Column(const char* name, uint16_t type, uint16_t size) {
    DbeFieldDef def;
    std::memset(&def, 0, sizeof def);
    std::strncpy(def.szName, name, DBE_MAXNAMELEN);
    def.iFldType = type;
    def.iUnits1 = size;
    return def;
}

QString QuestionText(int i) {
    return QStringLiteral("Qual é a resposta certa da questão número %1?").arg(i);
}

// A questions table with `records` rows made through the engine directly,
// and the same rows in a plain SQLite file for the baseline.
void PrepareQuestions(int records) {
    QDir().mkpath(TableDir(records));
    const TLoadResult loaded = LoadLibraryEx(QStringLiteral("DBENGINE.DLL"));
    if (!loaded.Ok()) {
        std::fprintf(stderr, "engine not found: %s\n", qPrintable(loaded.Text));
        std::abort();
    }
    HMODULE module = loaded.Handle;
    DbeEnv env;
    std::memset(&env, 0, sizeof env);
    std::strcpy(env.szLang, "0009");
    ENGINE(DbeInitFn)(DBE_INTERFACE_VERSION, &env);
    hDbeDb db = nullptr;
    Require(ENGINE(DbeOpenDatabase)(nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED, nullptr, &db),
            "open database");
    Require(ENGINE(DbeSetDirectory)(db, TableDir(records).toUtf8().constData()), "set directory");
    const DbeFieldDef fields[] = {
        Column("Codigo", DBE_FLD_AUTOINC, 0),  Column("Questao", DBE_FLD_STRING, 250),
        Column("Resp_A", DBE_FLD_STRING, 250), Column("Resp_B", DBE_FLD_STRING, 250),
        Column("Resp_C", DBE_FLD_STRING, 250), Column("Correta", DBE_FLD_STRING, 1),
        Column("Flag", DBE_FLD_STRING, 1),
    };
    DbeTableDesc desc{"QUESTOES.DB", 7, fields, 1, 2, nullptr};
    Require(ENGINE(DbeCreateTable)(db, &desc), "create table");
    hDbeCur cursor = nullptr;
    Require(ENGINE(DbeOpenTable)(db, "QUESTOES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED,
                                 1, &cursor),
            "open table");
    DbeCurProps props;
    ENGINE(DbeGetCursorProps)(cursor, &props);
    std::vector<char> record(props.iRecBufSize);

    sqlite3* lite = nullptr;
    sqlite3_open((TableDir(records) + QStringLiteral("/baseline.sqlite")).toUtf8().constData(),
                 &lite);
    sqlite3_exec(lite,
                 "CREATE TABLE q (Codigo INTEGER PRIMARY KEY AUTOINCREMENT, Questao TEXT, Resp_A "
                 "TEXT, Resp_B TEXT,"
                 " Resp_C TEXT, Correta TEXT, Flag TEXT); BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(
        lite, "INSERT INTO q (Questao, Resp_A, Resp_B, Resp_C, Correta, Flag) VALUES (?,?,?,?,?,?)",
        -1, &insert, nullptr);

    Require(ENGINE(DbeBeginBatch)(cursor), "begin batch");
    for (int i = 1; i <= records; ++i) {
        const QByteArray text = QuestionText(i).toUtf8();
        ENGINE(DbeInitRecord)(cursor, record.data());
        ENGINE(DbePutField)(cursor, 2, record.data(), text.constData());
        ENGINE(DbePutField)(cursor, 3, record.data(), "Primeira alternativa");
        ENGINE(DbePutField)(cursor, 4, record.data(), "Segunda alternativa");
        ENGINE(DbePutField)(cursor, 5, record.data(), "Terceira alternativa");
        ENGINE(DbePutField)(cursor, 6, record.data(), "B");
        ENGINE(DbePutField)(cursor, 7, record.data(), "N");
        Require(ENGINE(DbeInsertRecord)(cursor, dbeNOLOCK, record.data()), "insert");

        sqlite3_bind_text(insert, 1, text.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, "Primeira alternativa", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, "Segunda alternativa", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, "Terceira alternativa", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 5, "B", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 6, "N", -1, SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    Require(ENGINE(DbeCommitBatch)(cursor), "commit batch");
    ENGINE(DbeCloseCursor)(&cursor);
    ENGINE(DbeCloseDatabase)(&db);
    ENGINE(DbeExit)();
    sqlite3_finalize(insert);
    sqlite3_exec(lite, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(lite);
}

std::unique_ptr<TTable> QuestionsTable(const QString& directory) {
    auto table = std::make_unique<TTable>(QStringLiteral("TPerguntas"));
    table->SetDatabaseName(directory);
    table->SetTableName(QStringLiteral("QUESTOES.DB"));
    table->AddField<TAutoIncField>(QStringLiteral("Codigo"));
    table->AddField<TStringField>(QStringLiteral("Questao"), 250);
    table->AddField<TStringField>(QStringLiteral("Resp_A"), 250);
    table->AddField<TStringField>(QStringLiteral("Resp_B"), 250);
    table->AddField<TStringField>(QStringLiteral("Resp_C"), 250);
    table->AddField<TStringField>(QStringLiteral("Correta"), 1);
    table->AddField<TStringField>(QStringLiteral("Flag"), 1);
    return table;
}

// The walks run on both tables, several times each, interleaved at random
// with the other benchmarks (see main), and the ratios use the fastest run
// of each: on a shared machine other work only ever adds time, so the
// fastest run is the one that tells the walk's own cost.
void Walks(benchmark::internal::Benchmark* b) {
    b->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(9);
    b->ComputeStatistics(
        "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
    b->ReportAggregatesOnly(true);
}

// First to the end with Next, reading the question text as the report does.
void BM_CursorWalk(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    auto table = QuestionsTable(TableDir(records));
    table->Open();
    TField* questao = table->FieldByName(QStringLiteral("Questao"));
    qsizetype characters = 0;
    for (auto _ : state) {
        table->First();
        while (!table->Eof()) {
            characters += questao->DisplayText().size();
            table->Next();
        }
    }
    benchmark::DoNotOptimize(characters);
    state.SetItemsProcessed(state.iterations() * records);
    table->Close();
}
BENCHMARK(BM_CursorWalk)->Apply(Walks);

// The baseline table of `records` rows opened straight with SQLite, and the
// statement that walks it in order.
class TDirectWalk {
public:
    explicit TDirectWalk(int records) {
        const QByteArray path = (TableDir(records) + QStringLiteral("/baseline.sqlite")).toUtf8();
        sqlite3_open_v2(path.constData(), &lite_, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_prepare_v2(lite_,
                           "SELECT Codigo, Questao, Resp_A, Resp_B, Resp_C, Correta, Flag FROM q "
                           "ORDER BY Codigo",
                           -1, &select_, nullptr);
    }
    ~TDirectWalk() {
        sqlite3_finalize(select_);
        sqlite3_close(lite_);
    }
    TDirectWalk(const TDirectWalk&) = delete;
    TDirectWalk& operator=(const TDirectWalk&) = delete;
    sqlite3_stmt* Select() const { return select_; }
    // The question of the row the statement stands on, as a QString.
    QString Question() const {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select_, 1)));
    }

private:
    sqlite3* lite_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
};

// The same rows straight from SQLite, the question made a QString.
void BM_SqliteWalk(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    TDirectWalk walk(records);
    qsizetype characters = 0;
    for (auto _ : state) {
        while (sqlite3_step(walk.Select()) == SQLITE_ROW)
            characters += walk.Question().size();
        sqlite3_reset(walk.Select());
    }
    benchmark::DoNotOptimize(characters);
    state.SetItemsProcessed(state.iterations() * records);
}
BENCHMARK(BM_SqliteWalk)->Apply(Walks);

// The same walk reading every column of every row, as a program that wants
// whole records does: the cost of the record itself, without the cursor.
void BM_SqliteRecordWalk(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    TDirectWalk walk(records);
    sqlite3_stmt* select = walk.Select();
    qsizetype characters = 0;
    int64_t sum = 0;
    for (auto _ : state) {
        while (sqlite3_step(select) == SQLITE_ROW) {
            sum += sqlite3_column_int64(select, 0);
            for (int column = 2; column < 7; ++column)
                sum += sqlite3_column_bytes(select, column) +
                       (sqlite3_column_text(select, column) != nullptr);
            characters += walk.Question().size();
        }
        sqlite3_reset(select);
    }
    benchmark::DoNotOptimize(characters);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * records);
}
BENCHMARK(BM_SqliteRecordWalk)->Apply(Walks);

// The engine alone, called as the cursor calls it for each Next (read the
// next record, its bookmark, one field): tells the store's own share of the
// cursor walk from the engine's.
void BM_EngineWalk(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const TLoadResult loaded = LoadLibraryEx(QStringLiteral("DBENGINE.DLL"));
    HMODULE module = loaded.Handle;
    TSessionLock lock(Session()); // started and initialised by the session
    hDbeDb db = nullptr;
    ENGINE(DbeOpenDatabase)(nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED, nullptr, &db);
    ENGINE(DbeSetDirectory)(db, TableDir(records).toUtf8().constData());
    hDbeCur cursor = nullptr;
    Require(ENGINE(DbeOpenTable)(db, "QUESTOES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED,
                                 1, &cursor),
            "open table");
    DbeCurProps props;
    ENGINE(DbeGetCursorProps)(cursor, &props);
    std::vector<char> record(props.iRecBufSize);
    std::vector<char> bookmark(props.iBookMarkSize);
    std::vector<char> text(4 * 250 + 1);
    auto getNext = ENGINE(DbeGetNextRecord);
    auto getBookmark = ENGINE(DbeGetBookMark);
    auto getField = ENGINE(DbeGetField);
    qsizetype characters = 0;
    for (auto _ : state) {
        ENGINE(DbeSetToBegin)(cursor);
        DbeRecProps recProps;
        while (getNext(cursor, dbeNOLOCK, record.data(), &recProps) == DBE_OK) {
            getBookmark(cursor, bookmark.data());
            int16_t blank = 0;
            getField(cursor, 2, record.data(), text.data(), text.size(), &blank);
            characters += QString::fromUtf8(text.data()).size();
        }
    }
    benchmark::DoNotOptimize(characters);
    state.SetItemsProcessed(state.iterations() * records);
    ENGINE(DbeCloseCursor)(&cursor);
    ENGINE(DbeCloseDatabase)(&db);
}
BENCHMARK(BM_EngineWalk)->Apply(Walks);

// Insert and Post 10,000 questions into an empty table, as the main window
// saves them one by one.
void BM_InsertPost(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString directory = Root->path() + QStringLiteral("/insert%1").arg(++round);
        QDir().mkpath(directory);
        QFile::copy(TableDir(0) + QStringLiteral("/QUESTOES.DB"),
                    directory + QStringLiteral("/QUESTOES.DB"));
        auto table = QuestionsTable(directory);
        table->Open();
        TField* questao = table->FieldByName(QStringLiteral("Questao"));
        TField* correta = table->FieldByName(QStringLiteral("Correta"));
        TField* flag = table->FieldByName(QStringLiteral("Flag"));
        state.ResumeTiming();
        for (int i = 1; i <= records; ++i) {
            table->Insert();
            questao->SetAsString(QuestionText(i));
            correta->SetAsString(QStringLiteral("A"));
            flag->SetAsString(QStringLiteral("N"));
            table->Post();
        }
        state.PauseTiming();
        table->Close();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * records);
}
BENCHMARK(BM_InsertPost)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// The record number after Last on the large table.
void BM_RecNoAfterLast(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    auto table = QuestionsTable(TableDir(records));
    table->Open();
    int recNo = 0;
    for (auto _ : state) {
        table->First();
        table->Last();
        recNo = table->RecNo();
    }
    if (recNo != records)
        state.SkipWithError("wrong record number after Last");
    table->Close();
}
BENCHMARK(BM_RecNoAfterLast)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Keeps each run's time per iteration for the ratios printed at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "min")
                Times[run.run_name.function_name +
                      (run.run_name.args.empty() ? "" : "/" + run.run_name.args)] =
                    run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
};
} // namespace

int main(int argc, char** argv) {
    QTemporaryDir root;
    Root = &root;
    const QString config = root.path() + QStringLiteral("/config");
    QDir().mkpath(config + QStringLiteral("/questoes"));
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    WriteFile(config + QStringLiteral("/questoes/registry.conf"),
              QByteArray("[HKEY_LOCAL_MACHINE\\Software\\Database Engine]\nDLLPATH=") +
                  DBENGINE_DIR + "\n");
    for (int records : {0, 10000, 100000})
        PrepareQuestions(records);

    // Interleaving by default; flags given on the command line come after,
    // so they win.
    std::vector<char*> args{argv[0],
                            const_cast<char*>("--benchmark_enable_random_interleaving=true")};
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* a, const char* b) {
        if (reporter.Times.count(a) && reporter.Times.count(b) && reporter.Times[b] > 0)
            std::printf("  %-52s %6.2f\n", (std::string(a) + " / " + b).c_str(),
                        reporter.Times[a] / reporter.Times[b]);
    };
    std::printf("\nRatios of the fastest runs (goals: the walk of 100,000 within 2x of SQLite's, "
                "and no more than 12x the walk of 10,000)\n");
    ratio("BM_CursorWalk/100000", "BM_SqliteWalk/100000");
    ratio("BM_CursorWalk/100000", "BM_CursorWalk/10000");
    std::printf("For reference:\n");
    ratio("BM_CursorWalk/10000", "BM_SqliteWalk/10000");
    ratio("BM_CursorWalk/100000", "BM_SqliteRecordWalk/100000");
    ratio("BM_CursorWalk/100000", "BM_EngineWalk/100000");
    ratio("BM_EngineWalk/100000", "BM_SqliteWalk/100000");
    benchmark::Shutdown();
    return 0;
}
