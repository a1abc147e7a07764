#include "store/controls/tests/controls_test_support.h"

#include "platform/dispatch.h"
#include "platform/library.h"
#include "store/engine/dbengine.h"
#include "store/field.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <cstring>

namespace {
constexpr const char* kPassword = "marmelada";

DbeFieldDef Column(const char* name, uint16_t type, uint16_t size) {
    DbeFieldDef def;
    std::memset(&def, 0, sizeof def);
    std::strncpy(def.szName, name, DBE_MAXNAMELEN);
    def.iFldType = type;
    def.iUnits1 = size;
    return def;
}

// The engine, loaded beside the session's own use of the same library, for
// making the tables before the session starts; stopped again at the end so
// that the session under test starts afresh.
class TEngineSetup {
public:
    explicit TEngineSetup(const QString& directory) {
        const TLoadResult loaded = LoadLibraryEx(QStringLiteral("DBENGINE.DLL"));
        if (!loaded.Ok()) {
            ADD_FAILURE() << "engine not loadable: " << loaded.Text.toStdString();
            return;
        }
        module_ = loaded.Handle;
        DbeEnv env;
        std::memset(&env, 0, sizeof env);
        std::strcpy(env.szLang, "0009");
        const DbeResult init =
            Entry<decltype(&DbeInitFn)>("DbeInitFn")(DBE_INTERFACE_VERSION, &env);
        if (init != DBE_OK && init != DBE_ERR_ALREADYINIT) {
            ADD_FAILURE() << "engine did not start: " << init;
            return;
        }
        initialized_ = true;
        Check(Entry<decltype(&DbeOpenDatabase)>("DbeOpenDatabase")(nullptr, nullptr, dbeREADWRITE,
                                                                   dbeOPENSHARED, nullptr, &db_),
              "open database");
        Check(Entry<decltype(&DbeSetDirectory)>("DbeSetDirectory")(db_,
                                                                   directory.toUtf8().constData()),
              "set directory");
        Entry<decltype(&DbeAddPassword)>("DbeAddPassword")(kPassword);
    }
    ~TEngineSetup() {
        if (db_)
            Entry<decltype(&DbeCloseDatabase)>("DbeCloseDatabase")(&db_);
        if (initialized_)
            Entry<decltype(&DbeExit)>("DbeExit")();
        // The library stays loaded: the engine keeps its state for the life
        // of the process, and unloading it would leave that state behind as
        // a leak the sanitizer reports.
    }
    TEngineSetup(const TEngineSetup&) = delete;
    TEngineSetup& operator=(const TEngineSetup&) = delete;

    void Create(const char* name, const std::vector<DbeFieldDef>& fields, uint16_t key,
                uint16_t index) {
        if (!db_)
            return;
        DbeTableDesc desc{name,     static_cast<uint16_t>(fields.size()), fields.data(), key, index,
                          kPassword};
        Check(Entry<decltype(&DbeCreateTable)>("DbeCreateTable")(db_, &desc), name);
    }

    // Appends records; each is a list of (column number, text) pairs, or an
    // integer column given as text.
    void Append(const char* name, const std::vector<std::vector<QString>>& records,
                const std::vector<bool>& integerColumns = {}) {
        if (!db_ || records.empty())
            return;
        hDbeCur cursor = nullptr;
        Check(Entry<decltype(&DbeOpenTable)>("DbeOpenTable")(
                  db_, name, "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1, &cursor),
              name);
        if (!cursor)
            return;
        DbeCurProps props;
        Entry<decltype(&DbeGetCursorProps)>("DbeGetCursorProps")(cursor, &props);
        std::vector<char> record(props.iRecBufSize);
        for (const auto& values : records) {
            Entry<decltype(&DbeInitRecord)>("DbeInitRecord")(cursor, record.data());
            for (size_t i = 0; i < values.size(); ++i) {
                const uint16_t column = static_cast<uint16_t>(i + 1);
                if (values[i].isNull())
                    continue;
                if (i < integerColumns.size() && integerColumns[i]) {
                    const int32_t number = values[i].toInt();
                    Entry<decltype(&DbePutField)>("DbePutField")(cursor, column, record.data(),
                                                                 &number);
                } else {
                    const QByteArray text = values[i].toUtf8();
                    Entry<decltype(&DbePutField)>("DbePutField")(cursor, column, record.data(),
                                                                 text.constData());
                }
            }
            // At the end: a table without a key stores before what follows.
            Check(Entry<decltype(&DbeSetToEnd)>("DbeSetToEnd")(cursor), "set to end");
            Check(Entry<decltype(&DbeInsertRecord)>("DbeInsertRecord")(cursor, dbeNOLOCK,
                                                                       record.data()),
                  "insert");
        }
        Entry<decltype(&DbeCloseCursor)>("DbeCloseCursor")(&cursor);
    }

private:
    template <class Fn> Fn Entry(const char* name) const {
        auto entry = reinterpret_cast<Fn>(GetProcAddress(static_cast<HMODULE>(module_), name));
        if (!entry)
            throw std::runtime_error(std::string("engine entry missing: ") + name);
        return entry;
    }
    void Check(DbeResult result, const char* what) const {
        if (result != DBE_OK)
            ADD_FAILURE() << what << " failed with engine code " << result;
    }

    void* module_ = nullptr;
    hDbeDb db_ = nullptr;
    bool initialized_ = false;
};

std::unique_ptr<TTable> MakeTable(TSession* session, const QString& name, const QString& file) {
    auto table = std::make_unique<TTable>(name);
    table->SetSession(session);
    table->SetDatabaseName(QStringLiteral("Questoes"));
    table->SetTableName(file);
    return table;
}
} // namespace

ControlsTest::ControlsTest() {
    AliasDir = Env.Root() + QStringLiteral("/Questoes");
    QDir().mkpath(AliasDir);
    Env.AppendRegistryConf(QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\Database Engine]"));
    Env.AppendRegistryConf(QStringLiteral("DLLPATH=") + QStringLiteral(DBENGINE_DIR));
    Env.AppendDbEngineConf(QStringLiteral("[Aliases]"));
    Env.AppendDbEngineConf(QStringLiteral("Questoes=") + AliasDir);
    DbSession = std::make_unique<TSession>(QStringLiteral("Test"));
    DSPerguntas.SetAutoEdit(false);
    Form = std::make_unique<QWidget>();
    Form->resize(520, 440);
    SetExceptionHandler([this](const QString& message) { Errors << message; });
}

ControlsTest::~ControlsTest() {
    SetExceptionHandler({});
    // Editors go before the tables and data sources they are linked to.
    Form.reset();
}

void ControlsTest::SetUp() {
#ifdef CONTROLS_TESTS_WITHOUT_ENGINE
    GTEST_SKIP() << "the engine library is not part of this build";
#endif
}

void ControlsTest::PrepareTables(int questions, const TPhrases& phrases) {
    TEngineSetup setup(AliasDir);
    setup.Create("QUESTOES.DB",
                 {Column("Codigo", DBE_FLD_AUTOINC, 0), Column("Questao", DBE_FLD_STRING, 250),
                  Column("Resp_A", DBE_FLD_STRING, 250), Column("Resp_B", DBE_FLD_STRING, 250),
                  Column("Resp_C", DBE_FLD_STRING, 250), Column("Correta", DBE_FLD_STRING, 1),
                  Column("Flag", DBE_FLD_STRING, 1)},
                 1, 2);
    setup.Create("FRASES.DB",
                 {Column("Correta", DBE_FLD_STRING, 100), Column("Errada", DBE_FLD_STRING, 100)}, 0,
                 0);
    setup.Create("NUMEROS.DB", {Column("Numero", DBE_FLD_INTEGER, 0)}, 0, 0);
    std::vector<std::vector<QString>> records;
    for (int i = 1; i <= questions; ++i)
        records.push_back({QString(), QStringLiteral("Questao %1").arg(i), QStringLiteral("A1"),
                           QStringLiteral("B1"), QStringLiteral("C1"), QStringLiteral("A"),
                           QStringLiteral("N")});
    setup.Append("QUESTOES.DB", records);
    records.clear();
    for (const auto& [correct, wrong] : phrases)
        records.push_back({correct, wrong});
    setup.Append("FRASES.DB", records);
    setup.Append("NUMEROS.DB", {{QStringLiteral("7")}}, {true});
}

void ControlsTest::OpenQuestions() {
    DbSession->AddPassword(QString::fromLatin1(kPassword));
    TPerguntas =
        MakeTable(DbSession.get(), QStringLiteral("TPerguntas"), QStringLiteral("QUESTOES.DB"));
    TPerguntas->AddField<TAutoIncField>(QStringLiteral("Codigo"));
    for (const char* name : {"Questao", "Resp_A", "Resp_B", "Resp_C"})
        TPerguntas->AddField<TStringField>(QString::fromLatin1(name), 250);
    TPerguntas->AddField<TStringField>(QStringLiteral("Correta"), 1);
    TPerguntas->AddField<TStringField>(QStringLiteral("Flag"), 1);
    DSPerguntas.SetDataSet(TPerguntas.get());
    TPerguntas->Open();
}

void ControlsTest::OpenPhrases() {
    DbSession->AddPassword(QString::fromLatin1(kPassword));
    TFrases = MakeTable(DbSession.get(), QStringLiteral("TFrases"), QStringLiteral("FRASES.DB"));
    TFrases->AddField<TStringField>(QStringLiteral("Correta"), 100);
    TFrases->AddField<TStringField>(QStringLiteral("Errada"), 100);
    DSFrases.SetDataSet(TFrases.get());
    TFrases->Open();
}

void ControlsTest::OpenNumbers() {
    DbSession->AddPassword(QString::fromLatin1(kPassword));
    TNumeros = MakeTable(DbSession.get(), QStringLiteral("TNumeros"), QStringLiteral("NUMEROS.DB"));
    TNumeros->AddField<TIntegerField>(QStringLiteral("Numero"));
    DSNumeros.SetDataSet(TNumeros.get());
    TNumeros->Open();
}

void ControlsTest::ShowForm() {
    Form->show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
}

bool ControlsTest::Focus(QWidget* widget) {
    widget->setFocus(Qt::TabFocusReason);
    return QTest::qWaitFor([widget] { return widget->hasFocus(); }, 2000);
}

QString ControlsTest::FieldText(TTable& table, const char* field) {
    return table.FieldByName(QString::fromLatin1(field))->AsString();
}
