#include "store/controls/tests/controls_test_support.h"

#include "platform/dispatch.h"
#include "store/field.h"
#include "store/tests/engine_setup.h"

#include <QApplication>
#include <QDir>
#include <QTest>

namespace {
constexpr const char* kPassword = "marmelada";

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
    PointDllPathAt(Env, QStringLiteral(DBENGINE_DIR));
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
    setup.CreateQuestions(kPassword);
    setup.CreatePhrases(kPassword);
    setup.CreateNumbers(7, kPassword);
    if (questions > 0)
        setup.AddQuestions(questions, kPassword);
    if (!phrases.empty())
        setup.AddPhrases(phrases, kPassword);
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
