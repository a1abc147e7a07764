#include "store/tests/engine_setup.h"

#include "platform/library.h"

#include <cstring>
#include <gtest/gtest.h>

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

hDbeCur TEngineSetup::OpenForAdding(const char* table, const char* password,
                                    std::vector<char>& record) {
    if (password)
        ENGINE(DbeAddPassword)(password);
    hDbeCur cursor = nullptr;
    Check(ENGINE(DbeOpenTable)(db_, table, "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1,
                               &cursor),
          table);
    if (!cursor)
        return nullptr;
    DbeCurProps props;
    ENGINE(DbeGetCursorProps)(cursor, &props);
    record.resize(props.iRecBufSize);
    return cursor;
}

void TEngineSetup::AddQuestions(int count, const char* password) {
    if (!db_)
        return;
    std::vector<char> record;
    hDbeCur cursor = OpenForAdding("QUESTOES.DB", password, record);
    if (!cursor)
        return;
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
    std::vector<char> record;
    hDbeCur cursor = OpenForAdding("FRASES.DB", password, record);
    if (!cursor)
        return;
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

void TEngineSetup::CreateNumbers(int value, const char* password) {
    if (!db_)
        return;
    const DbeFieldDef fields[] = {Column("Numero", DBE_FLD_INTEGER, 0)};
    DbeTableDesc desc{"NUMEROS.DB", 1, fields, 0, 0, password};
    Check(ENGINE(DbeCreateTable)(db_, &desc), "create NUMEROS.DB");
    std::vector<char> record;
    hDbeCur cursor = OpenForAdding("NUMEROS.DB", password, record);
    if (!cursor)
        return;
    ENGINE(DbeInitRecord)(cursor, record.data());
    const int32_t number = value;
    ENGINE(DbePutField)(cursor, 1, record.data(), &number);
    Check(ENGINE(DbeInsertRecord)(cursor, dbeNOLOCK, record.data()), "insert");
    ENGINE(DbeCloseCursor)(&cursor);
}
