#include "store/tests/store_test_support.h"

#include "store/field.h"
#include "store/question_tables.h"

#include <QDir>

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
    DeclareQuestionTable(*table);
    return table;
}

std::unique_ptr<TTable> StoreTest::MakePhrases(const QString& name) {
    auto table = std::make_unique<TTable>(name);
    table->SetSession(DbSession.get());
    table->SetDatabaseName(QStringLiteral("Questoes"));
    DeclarePhraseTable(*table);
    return table;
}

std::unique_ptr<TTable> StoreTest::OpenQuestions(int questions) {
    PrepareTables(questions);
    AddPassword();
    auto table = MakeQuestions();
    table->Open();
    return table;
}

std::unique_ptr<TTable>
StoreTest::OpenPhrases(const std::vector<std::pair<QString, QString>>& phrases) {
    PrepareTables(0, phrases);
    AddPassword();
    auto table = MakePhrases();
    table->Open();
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
