#include "store/tests/store_test_support.h"

#include "platform/library.h"
#include "store/field.h"

#include <QDir>
#include <cstring>

namespace {
template <class Fn> Fn Entry(void* module, const char* name) {
    auto entry = reinterpret_cast<Fn>(GetProcAddress(static_cast<HMODULE>(module), name));
    if (!entry)
        ADD_FAILURE() << "engine entry missing: " << name;
    return entry;
}
#define ENGINE(name) Entry<decltype(&name)>(module_, #name)

DbeFieldDef Column(const char* name, uint16_t type, uint16_t size) {
    DbeFieldDef def;
    std::memset(&def, 0, sizeof def);
    std::strncpy(def.szName, name, DBE_MAXNAMELEN);
    def.iFldType = type;
    def.iUnits1 = size;
    return def;
}
} // namespace

void PointDllPathAt(ScopedTestEnvironment& env, const QString& directory) {
    env.AppendRegistryConf(QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\Database Engine]"));
    env.AppendRegistryConf(QStringLiteral("DLLPATH=") + directory);
}

// Every preparation starts the engine and stops it again, so that the
// session under test starts afresh: no password added here leaks into it.
TEngineSetup::TEngineSetup(const QString& directory) {
    const TLoadResult loaded = LoadLibraryEx(QStringLiteral("DBENGINE.DLL"));
    if (!loaded.Ok()) {
        ADD_FAILURE() << "engine not loadable: " << loaded.Text.toStdString();
        return;
    }
    module_ = loaded.Handle;
    DbeEnv env;
    std::memset(&env, 0, sizeof env);
    std::strcpy(env.szLang, "0009");
    const DbeResult init = ENGINE(DbeInitFn)(DBE_INTERFACE_VERSION, &env);
    if (init != DBE_OK && init != DBE_ERR_ALREADYINIT) {
        ADD_FAILURE() << "engine did not start: " << std::hex << init;
        return;
    }
    initialized_ = true;
    Check(ENGINE(DbeOpenDatabase)(nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED, nullptr, &db_),
          "open database");
    Check(ENGINE(DbeSetDirectory)(db_, directory.toUtf8().constData()), "set directory");
}

TEngineSetup::~TEngineSetup() {
    if (db_)
        ENGINE(DbeCloseDatabase)(&db_);
    if (initialized_)
        ENGINE(DbeExit)();
    // Left loaded, as the session leaves it: the engine keeps process-wide state.
}

void TEngineSetup::Check(DbeResult result, const char* what) const {
    if (result == DBE_OK)
        return;
    char text[DBE_MAXMSGLEN + 1] = {};
    ENGINE(DbeGetErrorString)(result, text);
    ADD_FAILURE() << what << " failed: " << std::hex << result << " " << text;
}

void TEngineSetup::CreateQuestions(const char* password) {
    if (!db_)
        return;
    const DbeFieldDef fields[] = {
        Column("Codigo", DBE_FLD_AUTOINC, 0),  Column("Questao", DBE_FLD_STRING, 250),
        Column("Resp_A", DBE_FLD_STRING, 250), Column("Resp_B", DBE_FLD_STRING, 250),
        Column("Resp_C", DBE_FLD_STRING, 250), Column("Correta", DBE_FLD_STRING, 1),
        Column("Flag", DBE_FLD_STRING, 1),
    };
    DbeTableDesc desc{"QUESTOES.DB", 7, fields, 1, 2, password};
    Check(ENGINE(DbeCreateTable)(db_, &desc), "create QUESTOES.DB");
}

void TEngineSetup::CreatePhrases(const char* password) {
    if (!db_)
        return;
    const DbeFieldDef fields[] = {Column("Correta", DBE_FLD_STRING, 100),
                                  Column("Errada", DBE_FLD_STRING, 100)};
    DbeTableDesc desc{"FRASES.DB", 2, fields, 0, 0, password};
    Check(ENGINE(DbeCreateTable)(db_, &desc), "create FRASES.DB");
}

void TEngineSetup::AddQuestions(int count, const char* password) {
    if (!db_)
        return;
    if (password)
        ENGINE(DbeAddPassword)(password);
    hDbeCur cursor = nullptr;
    Check(ENGINE(DbeOpenTable)(db_, "QUESTOES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED,
                               1, &cursor),
          "open QUESTOES.DB");
    if (!cursor)
        return;
    DbeCurProps props;
    ENGINE(DbeGetCursorProps)(cursor, &props);
    std::vector<char> record(props.iRecBufSize);
    Check(ENGINE(DbeBeginBatch)(cursor), "begin batch");
    for (int i = 1; i <= count; ++i) {
        ENGINE(DbeInitRecord)(cursor, record.data());
        const QByteArray text = QStringLiteral("Questao %1").arg(i).toUtf8();
        ENGINE(DbePutField)(cursor, 2, record.data(), text.constData());
        ENGINE(DbePutField)(cursor, 3, record.data(), "A1");
        ENGINE(DbePutField)(cursor, 4, record.data(), "B1");
        ENGINE(DbePutField)(cursor, 5, record.data(), "C1");
        ENGINE(DbePutField)(cursor, 6, record.data(), "A");
        ENGINE(DbePutField)(cursor, 7, record.data(), "N");
        Check(ENGINE(DbeSetToEnd)(cursor), "set to end");
        Check(ENGINE(DbeInsertRecord)(cursor, dbeNOLOCK, record.data()), "insert");
    }
    Check(ENGINE(DbeCommitBatch)(cursor), "commit batch");
    ENGINE(DbeCloseCursor)(&cursor);
}

void TEngineSetup::AddPhrases(const std::vector<std::pair<QString, QString>>& phrases,
                              const char* password) {
    if (!db_)
        return;
    if (password)
        ENGINE(DbeAddPassword)(password);
    hDbeCur cursor = nullptr;
    Check(ENGINE(DbeOpenTable)(db_, "FRASES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1,
                               &cursor),
          "open FRASES.DB");
    if (!cursor)
        return;
    DbeCurProps props;
    ENGINE(DbeGetCursorProps)(cursor, &props);
    std::vector<char> record(props.iRecBufSize);
    for (const auto& [correct, wrong] : phrases) {
        ENGINE(DbeInitRecord)(cursor, record.data());
        ENGINE(DbePutField)(cursor, 1, record.data(), correct.toUtf8().constData());
        ENGINE(DbePutField)(cursor, 2, record.data(), wrong.toUtf8().constData());
        // At the end: a table without a key stores before what follows the cursor.
        Check(ENGINE(DbeSetToEnd)(cursor), "set to end");
        Check(ENGINE(DbeInsertRecord)(cursor, dbeNOLOCK, record.data()), "insert");
    }
    ENGINE(DbeCloseCursor)(&cursor);
}

void StoreTest::SetUp() {
#ifdef STORE_TESTS_WITHOUT_ENGINE
    GTEST_SKIP() << "the engine library is not part of this build";
#endif
}

StoreTest::StoreTest() {
    AliasDir = Env.Root() + QStringLiteral("/Questoes");
    QDir().mkpath(AliasDir);
    PointDllPathAt(Env, QStringLiteral(DBENGINE_DIR));
    Env.AppendDbEngineConf(QStringLiteral("[Aliases]"));
    Env.AppendDbEngineConf(QStringLiteral("Questoes=") + AliasDir);
    DbSession = std::make_unique<TSession>(QStringLiteral("Test"));
}

StoreTest::~StoreTest() = default;

void StoreTest::PrepareTables(int questions,
                              const std::vector<std::pair<QString, QString>>& phrases) {
    TEngineSetup setup(AliasDir);
    setup.CreateQuestions();
    setup.CreatePhrases();
    if (questions > 0)
        setup.AddQuestions(questions);
    if (!phrases.empty())
        setup.AddPhrases(phrases);
}

std::unique_ptr<TTable> StoreTest::MakeQuestions(const QString& name) {
    auto table = std::make_unique<TTable>(name);
    table->SetSession(DbSession.get());
    table->SetDatabaseName(QStringLiteral("Questoes"));
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

std::unique_ptr<TTable> StoreTest::MakePhrases(const QString& name) {
    auto table = std::make_unique<TTable>(name);
    table->SetSession(DbSession.get());
    table->SetDatabaseName(QStringLiteral("Questoes"));
    table->SetTableName(QStringLiteral("FRASES.DB"));
    table->AddField<TStringField>(QStringLiteral("Correta"), 100);
    table->AddField<TStringField>(QStringLiteral("Errada"), 100);
    return table;
}

void TRecordingLink::ActiveChanged() {
    Log.push_back(Active() ? "active" : "inactive");
}

void TRecordingLink::CheckBrowseMode() {
    Log.push_back("check");
}

void TRecordingLink::DataSetChanged() {
    Log.push_back("changed");
}

void TRecordingLink::DataSetScrolled(int distance) {
    Log.push_back("scrolled " + std::to_string(distance));
}

void TRecordingLink::EditingChanged() {
    Log.push_back(Editing() ? "editing" : "browsing");
}

void TRecordingLink::RecordChanged(TField* field) {
    Log.push_back(field ? "record " + field->FieldName().toStdString() : std::string("record"));
}

void TRecordingLink::UpdateData() {
    Log.push_back("update");
}
