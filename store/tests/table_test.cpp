// The table cursor over the real engine: flags and record numbers after each
// move, the edit states, truncation of string fields, record locks between
// two cursors, and the messages of every refusal.
#include "store/table.h"

#include "platform/testing/exception_message.h"
#include "store/database.h"
#include "store/database_error.h"
#include "store/field.h"
#include "store/tests/store_test_support.h"

#include <QFile>
#include <ostream>

namespace {
QString Text(TDataSet& table, const char* field) {
    return table.FieldByName(QString::fromLatin1(field))->AsString();
}
} // namespace

TEST_F(StoreTest, OpenOnEmptyTableReadsBothFlagsAndRecordNumberZero) {
    auto table = OpenQuestions();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_TRUE(table->Bof());
    EXPECT_TRUE(table->Eof());
    EXPECT_TRUE(table->IsEmpty());
    EXPECT_EQ(table->RecNo(), 0);
    EXPECT_EQ(table->RecordCount(), 0);
}

TEST_F(StoreTest, OpenOnFilledTableStandsOnTheFirstRecord) {
    auto table = OpenQuestions(3);
    EXPECT_TRUE(table->Bof());
    EXPECT_FALSE(table->Eof());
    EXPECT_FALSE(table->IsEmpty());
    EXPECT_EQ(table->RecNo(), 1);
    EXPECT_EQ(Text(*table, "Codigo"), "1");
    EXPECT_EQ(Text(*table, "Questao"), "Questao 1");
    EXPECT_EQ(table->RecordCount(), 3);
}

TEST_F(StoreTest, NextWalksInKeyOrderAndStopsOnTheLastRecord) {
    PrepareTables(3);
    AddPassword();
    auto table = MakeQuestions();
    TDataSource source;
    TRecordingLink link;
    source.SetDataSet(table.get());
    link.SetDataSource(&source);
    table->Open();
    table->Next();
    EXPECT_EQ(table->RecNo(), 2);
    EXPECT_FALSE(table->Bof());
    table->Next();
    EXPECT_EQ(table->RecNo(), 3);
    EXPECT_FALSE(table->Eof());
    link.Clear();
    table->Next();
    EXPECT_EQ(table->RecNo(), 3);
    EXPECT_EQ(Text(*table, "Codigo"), "3");
    EXPECT_TRUE(table->Eof());
    EXPECT_EQ(link.Log, (std::vector<std::string>{"check", "scrolled 0"}));
    link.Clear();
    table->Next();
    EXPECT_EQ(link.Log, (std::vector<std::string>{"check"})); // no scroll, no change
    EXPECT_EQ(table->RecNo(), 3);
    // From the end, Prior reads the record before the current one.
    table->Prior();
    EXPECT_EQ(table->RecNo(), 2);
    EXPECT_FALSE(table->Eof());
}

TEST_F(StoreTest, PriorOnTheFirstRecordKeepsItAndSetsBof) {
    auto table = OpenQuestions(2);
    table->Next();
    table->Prior();
    EXPECT_EQ(table->RecNo(), 1);
    EXPECT_FALSE(table->Bof());
    table->Prior();
    EXPECT_EQ(table->RecNo(), 1);
    EXPECT_TRUE(table->Bof());
    EXPECT_EQ(Text(*table, "Codigo"), "1");
    table->Next();
    EXPECT_EQ(table->RecNo(), 2);
}

TEST_F(StoreTest, FirstAndLastSetTheirFlag) {
    auto table = OpenQuestions(4);
    table->Last();
    EXPECT_EQ(table->RecNo(), 4);
    EXPECT_TRUE(table->Eof());
    EXPECT_FALSE(table->Bof());
    table->First();
    EXPECT_EQ(table->RecNo(), 1);
    EXPECT_TRUE(table->Bof());
    EXPECT_FALSE(table->Eof());
}

TEST_F(StoreTest, EditOnAnEmptyTableStartsAnInsert) {
    auto table = OpenPhrases();
    table->Edit();
    EXPECT_EQ(table->State(), dsInsert);
    EXPECT_EQ(table->RecNo(), -1);
    EXPECT_FALSE(table->IsEmpty());
    EXPECT_TRUE(table->Bof());
    EXPECT_TRUE(table->Eof());
}

TEST_F(StoreTest, InsertThenPostMakesTheNewRecordCurrentWithItsCodigo) {
    auto table = OpenQuestions(3);
    table->Next();
    table->Insert();
    EXPECT_EQ(table->State(), dsInsert);
    EXPECT_EQ(table->RecNo(), -1);
    EXPECT_TRUE(table->FieldByName(QStringLiteral("Codigo"))->IsNull());
    EXPECT_FALSE(table->Modified());
    table->FieldByName(QStringLiteral("Questao"))->SetAsString(QStringLiteral("Nova"));
    EXPECT_TRUE(table->Modified());
    table->FieldByName(QStringLiteral("Flag"))->SetText(QStringLiteral("N"));
    table->Post();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(Text(*table, "Codigo"), "4");
    EXPECT_EQ(Text(*table, "Questao"), "Nova");
    EXPECT_EQ(table->RecNo(), 4);
    EXPECT_FALSE(table->Bof());
    EXPECT_FALSE(table->Eof());
    EXPECT_EQ(table->RecordCount(), 4);
}

TEST_F(StoreTest, InsertThenCancelReturnsToThePreviousRecord) {
    auto table = OpenQuestions(3);
    table->Next();
    table->Insert();
    table->FieldByName(QStringLiteral("Questao"))->SetAsString(QStringLiteral("descartada"));
    table->Cancel();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecNo(), 2);
    EXPECT_EQ(Text(*table, "Questao"), "Questao 2");
    EXPECT_EQ(table->RecordCount(), 3);
}

TEST_F(StoreTest, InsertThenCancelOnAnEmptyTableLeavesItEmpty) {
    auto table = OpenQuestions();
    table->Insert();
    table->Cancel();
    EXPECT_TRUE(table->IsEmpty());
    EXPECT_TRUE(table->Bof());
    EXPECT_TRUE(table->Eof());
}

TEST_F(StoreTest, InsertInThePhrasesTableLandsBeforeTheCurrentRecord) {
    auto table = OpenPhrases({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    table->Next();
    ASSERT_EQ(Text(*table, "Correta"), "b");
    table->Insert();
    table->FieldByName(QStringLiteral("Correta"))->SetAsString(QStringLiteral("nova"));
    table->Post();
    EXPECT_EQ(table->RecNo(), 2);
    EXPECT_EQ(Text(*table, "Correta"), "nova");
    table->Next();
    EXPECT_EQ(Text(*table, "Correta"), "b");
    EXPECT_EQ(table->RecNo(), 3);
    table->First();
    EXPECT_EQ(Text(*table, "Correta"), "a");
}

TEST_F(StoreTest, DeletingTheLastOfSeveralMakesTheNewLastCurrent) {
    auto table = OpenQuestions(3);
    table->Last();
    table->Delete();
    EXPECT_EQ(table->RecNo(), 2);
    EXPECT_EQ(Text(*table, "Codigo"), "2");
    EXPECT_FALSE(table->Bof());
    EXPECT_FALSE(table->Eof());
}

TEST_F(StoreTest, DeletingAMiddleRecordMakesTheFollowingOneCurrent) {
    auto table = OpenQuestions(3);
    table->Next();
    table->Delete();
    EXPECT_EQ(Text(*table, "Codigo"), "3");
    EXPECT_EQ(table->RecNo(), 2);
}

TEST_F(StoreTest, DeletingTheOnlyRecordEmptiesTheTableThenRefuses) {
    auto table = OpenQuestions(1);
    table->Delete();
    EXPECT_TRUE(table->IsEmpty());
    EXPECT_TRUE(table->Bof());
    EXPECT_TRUE(table->Eof());
    EXPECT_EQ(ExceptionMessage([&] { table->Delete(); }),
              "TPerguntas: Cannot perform this operation on an empty dataset");
}

TEST_F(StoreTest, DeleteWhileInsertingCancelsTheInsert) {
    auto table = OpenQuestions(2);
    table->Insert();
    table->Delete();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecordCount(), 2);
    EXPECT_EQ(table->RecNo(), 1);
}

TEST_F(StoreTest, DeleteWhileEditingDeletesTheEditedRecord) {
    auto table = OpenQuestions(2);
    table->Edit();
    table->Delete();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecordCount(), 1);
    EXPECT_EQ(Text(*table, "Codigo"), "2");
}

TEST_F(StoreTest, WritingOutsideEditStatesIsRefused) {
    auto table = OpenQuestions(1);
    EXPECT_EQ(ExceptionMessage([&] {
                  table->FieldByName(QStringLiteral("Flag"))->SetText(QStringLiteral("N"));
              }),
              "TPerguntas: Dataset not in edit or insert mode");
    EXPECT_EQ(ExceptionMessage([&] { table->Post(); }),
              "TPerguntas: Dataset not in edit or insert mode");
    table->Edit();
    EXPECT_EQ(
        ExceptionMessage([&] { table->FieldByName(QStringLiteral("Codigo"))->SetAsInteger(9); }),
        "Field 'Codigo' cannot be modified");
    EXPECT_EQ(table->State(), dsEdit);
}

TEST_F(StoreTest, NextWithModifiedTextInEditStatePostsFirst) {
    auto table = OpenQuestions(2);
    table->Edit();
    table->FieldByName(QStringLiteral("Questao"))->SetAsString(QStringLiteral("mudada"));
    table->Next();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecNo(), 2);
    table->Prior();
    EXPECT_EQ(Text(*table, "Questao"), "mudada");
}

TEST_F(StoreTest, NextInEditStateWithoutChangesCancels) {
    auto table = OpenQuestions(2);
    table->Edit();
    table->Next();
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecNo(), 2);
}

TEST_F(StoreTest, CancelInEditStateDiscardsTypedValues) {
    auto table = OpenQuestions(2);
    table->Next();
    table->Edit();
    table->FieldByName(QStringLiteral("Resp_A"))->SetAsString(QStringLiteral("outra"));
    table->Cancel();
    EXPECT_EQ(Text(*table, "Resp_A"), "A1");
    EXPECT_EQ(table->RecNo(), 2);
}

struct TCutCase {
    const char* Name;
    const char* Field;
    QString Written;
    QString Stored;
    friend void PrintTo(const TCutCase& c, std::ostream* os) { *os << c.Name; }
};

class StringCutTest : public StoreTest, public ::testing::WithParamInterface<TCutCase> {};

TEST_P(StringCutTest, StoresAtMostSizeCharacters) {
    auto table = OpenQuestions(1);
    table->Edit();
    TField* field = table->FieldByName(QString::fromLatin1(GetParam().Field));
    field->SetAsString(GetParam().Written);
    EXPECT_EQ(field->AsString(), GetParam().Stored); // cut on write, before Post
    table->Post();
    table->Close();
    table->Open();
    EXPECT_EQ(table->FieldByName(QString::fromLatin1(GetParam().Field))->AsString(),
              GetParam().Stored);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StringCutTest,
    ::testing::Values(
        TCutCase{"Question300", "Questao", QString(300, QLatin1Char('x')),
                 QString(250, QLatin1Char('x'))},
        TCutCase{"CorrectAB", "Correta", QStringLiteral("AB"), QStringLiteral("A")},
        TCutCase{"Accented300", "Questao", QString(300, QChar(0x00E7)),
                 QString(250, QChar(0x00E7))},
        TCutCase{"AccentedPair", "Correta", QStringLiteral("ÁB"), QStringLiteral("Á")},
        TCutCase{"Exactly250", "Resp_B", QString(250, QChar(0x00E3)), QString(250, QChar(0x00E3))},
        TCutCase{"Emoji", "Flag", QStringLiteral("\U0001F600x"), QStringLiteral("\U0001F600")},
        TCutCase{"Empty", "Resp_C", QString(), QString()}),
    [](const ::testing::TestParamInfo<TCutCase>& info) { return std::string(info.param.Name); });

TEST_F(StoreTest, ASecondCursorCannotEditARecordBeingEdited) {
    PrepareTables(2);
    AddPassword();
    auto first = MakeQuestions();
    auto second = MakeQuestions(QStringLiteral("TOutra"));
    first->Open();
    second->Open();
    first->Edit();
    const auto error = CaughtException<EDBEngineError>([&] { second->Edit(); });
    ASSERT_TRUE(error) << "the locked record was edited";
    EXPECT_EQ(error->ErrorCode(), DBE_ERR_LOCKED);
    EXPECT_FALSE(error->Message().isEmpty());
    EXPECT_FALSE(
        error->Message().startsWith(QStringLiteral("TOutra:"))); // engine errors carry no prefix
    EXPECT_EQ(second->State(), dsBrowse);
    // Another record is free.
    second->Next();
    second->Edit();
    second->Cancel();
    second->First();
    first->FieldByName(QStringLiteral("Questao"))->SetAsString(QStringLiteral("por primeiro"));
    first->Post();
    second->Edit();
    EXPECT_EQ(second->State(), dsEdit);
    EXPECT_EQ(Text(*second, "Questao"), "por primeiro"); // Edit rereads the stored values
    second->Cancel();
    first->Edit();
    first->Cancel();
    second->Edit();
    EXPECT_EQ(second->State(), dsEdit);
}

TEST_F(StoreTest, ClosedTableRefusesMovesAndReadsInactive) {
    PrepareTables(1);
    auto table = MakeQuestions();
    EXPECT_EQ(table->State(), dsInactive);
    EXPECT_TRUE(table->Bof());
    EXPECT_TRUE(table->Eof());
    EXPECT_TRUE(table->IsEmpty());
    const QString closed =
        QStringLiteral("TPerguntas: Cannot perform this operation on a closed dataset");
    EXPECT_EQ(ExceptionMessage([&] { table->Next(); }), closed);
    EXPECT_EQ(ExceptionMessage([&] { table->First(); }), closed);
    EXPECT_EQ(ExceptionMessage([&] { table->Insert(); }), closed);
    EXPECT_EQ(ExceptionMessage([&] { table->Edit(); }), closed);
    EXPECT_EQ(ExceptionMessage([&] { table->Delete(); }), closed);
    EXPECT_EQ(ExceptionMessage([&] { table->RecNo(); }), closed);
    EXPECT_EQ(ExceptionMessage([&] { table->RecordCount(); }), closed);
    EXPECT_NO_THROW(table->Cancel());
}

TEST_F(StoreTest, OpenAndCloseTwiceDoNothingMoreAndTheDatabaseStaysConnected) {
    PrepareTables(2);
    AddPassword();
    auto table = MakeQuestions();
    auto phrases = MakePhrases();
    table->Open();
    table->Next();
    table->Open();
    EXPECT_EQ(table->RecNo(), 2);
    phrases->Open();
    ASSERT_EQ(DbSession->DatabaseCount(), 1);
    TDatabase* database = DbSession->Databases(0);
    EXPECT_EQ(database->DatabaseName(), "Questoes");
    EXPECT_TRUE(database->Temporary());
    EXPECT_EQ(database->RefCount(), 2);
    table->Close();
    table->Close();
    phrases->Close();
    EXPECT_EQ(table->State(), dsInactive);
    EXPECT_EQ(database->RefCount(), 0);
    EXPECT_TRUE(database->Connected());
    table->Open();
    EXPECT_EQ(DbSession->DatabaseCount(), 1);
    EXPECT_EQ(table->RecNo(), 1);
}

TEST_F(StoreTest, CloseDropsPendingChanges) {
    auto table = OpenQuestions(1);
    table->Edit();
    table->FieldByName(QStringLiteral("Questao"))->SetAsString(QStringLiteral("perdida"));
    table->Close();
    table->Open();
    EXPECT_EQ(Text(*table, "Questao"), "Questao 1");
    table->Edit(); // the lock went with the close
    EXPECT_EQ(table->State(), dsEdit);
}

TEST_F(StoreTest, FindFieldIgnoresCaseAndFieldByNameNamesTheTable) {
    auto table = OpenQuestions(1);
    EXPECT_EQ(table->FindField(QStringLiteral("questao")),
              table->FieldByName(QStringLiteral("Questao")));
    EXPECT_EQ(table->FindField(QStringLiteral("Nada")), nullptr);
    EXPECT_EQ(ExceptionMessage([&] { table->FieldByName(QStringLiteral("Nada")); }),
              "TPerguntas: Field 'Nada' not found");
    TField* codigo = table->FieldByName(QStringLiteral("Codigo"));
    EXPECT_EQ(codigo->DisplayText(), "1");
    EXPECT_EQ(codigo->Alignment(), taRightJustify);
    EXPECT_FALSE(codigo->CanModify());
    EXPECT_TRUE(table->FieldByName(QStringLiteral("Questao"))->CanModify());
}

TEST_F(StoreTest, TableWithoutDeclaredFieldsMakesThemFromTheColumns) {
    PrepareTables(1);
    AddPassword();
    TTable table(QStringLiteral("TSolta"));
    table.SetSession(DbSession.get());
    table.SetDatabaseName(QStringLiteral("Questoes"));
    table.SetTableName(QStringLiteral("questoes.db"));
    table.Open();
    ASSERT_EQ(table.FieldCount(), 7);
    EXPECT_EQ(table.Fields(0)->DataType(), ftAutoInc);
    EXPECT_EQ(table.Fields(1)->Size(), 250);
    EXPECT_EQ(Text(table, "Correta"), "A");
    table.Close();
    EXPECT_EQ(table.FieldCount(), 0);
}

TEST_F(StoreTest, MissingTableNameIsRefused) {
    PrepareTables();
    AddPassword();
    auto table = MakeQuestions();
    table->SetTableName(QString());
    EXPECT_EQ(ExceptionMessage([&] { table->Open(); }), "TPerguntas: Missing TableName property");
    EXPECT_EQ(table->State(), dsInactive);
    EXPECT_EQ(DbSession->Databases(0)->RefCount(), 0);
}

TEST_F(StoreTest, DeclaredFieldWithoutColumnIsRefused) {
    PrepareTables();
    AddPassword();
    auto table = MakePhrases();
    table->AddField<TStringField>(QStringLiteral("Nada"), 10);
    EXPECT_EQ(ExceptionMessage([&] { table->Open(); }), "TFrases: Field 'Nada' not found");
    EXPECT_EQ(table->State(), dsInactive);
}

TEST_F(StoreTest, DeclaredFieldOfAnotherTypeIsRefused) {
    PrepareTables();
    AddPassword();
    TTable table(QStringLiteral("TFrases"));
    table.SetSession(DbSession.get());
    table.SetDatabaseName(QStringLiteral("Questoes"));
    table.SetTableName(QStringLiteral("FRASES.DB"));
    table.AddField<TIntegerField>(QStringLiteral("Correta"));
    EXPECT_EQ(ExceptionMessage([&] { table.Open(); }),
              "TFrases: Type mismatch for field 'Correta', expecting: Integer actual: String");
    EXPECT_EQ(table.State(), dsInactive);
    EXPECT_TRUE(table.Bof());
}

TEST_F(StoreTest, MissingTableGivesTheEngineMessage) {
    AddPassword();
    auto table = MakeQuestions();
    const auto error = CaughtException<EDBEngineError>([&] { table->Open(); });
    ASSERT_TRUE(error) << "opened a table that does not exist";
    EXPECT_EQ(DBE_ERR_CATEGORY(error->ErrorCode()), DBE_CAT_IO);
    EXPECT_FALSE(error->Message().isEmpty());
    EXPECT_FALSE(error->Message().endsWith(QLatin1Char('\n')));
    EXPECT_FALSE(error->Message().startsWith(QStringLiteral("TPerguntas")));
    EXPECT_EQ(table->State(), dsInactive);
}

TEST_F(StoreTest, UnknownAliasGivesTheEngineMessage) {
    PrepareTables();
    AddPassword();
    auto table = MakeQuestions();
    table->SetDatabaseName(QStringLiteral("Inexistente"));
    const auto error = CaughtException<EDBEngineError>([&] { table->Open(); });
    ASSERT_TRUE(error) << "opened through an unknown alias";
    EXPECT_EQ(error->ErrorCode(), DBE_ERR_UNKNOWNALIAS);
    EXPECT_FALSE(error->Message().isEmpty());
    EXPECT_EQ(table->State(), dsInactive);
    EXPECT_EQ(DbSession->DatabaseCount(), 0);
}

TEST_F(StoreTest, DirectoryPathOpensWithoutAlias) {
    PrepareTables(1);
    AddPassword();
    auto table = MakeQuestions();
    table->SetDatabaseName(AliasDir);
    table->Open();
    EXPECT_EQ(table->RecNo(), 1);
    EXPECT_TRUE(table->Database()->IsDirectory());
}

TEST_F(StoreTest, ReadOnlyFileOpensReadOnlyAndRefusesChanges) {
    PrepareTables(1);
    AddPassword();
    QFile file(AliasDir + QStringLiteral("/QUESTOES.DB"));
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                    QFileDevice::ReadOther));
    auto table = MakeQuestions();
    table->Open();
    EXPECT_TRUE(table->ReadOnlyOpen());
    EXPECT_FALSE(table->CanModify());
    EXPECT_EQ(Text(*table, "Questao"), "Questao 1");
    EXPECT_EQ(ExceptionMessage([&] { table->Insert(); }),
              "TPerguntas: Cannot modify a read-only dataset");
    EXPECT_EQ(ExceptionMessage([&] { table->Edit(); }),
              "TPerguntas: Cannot modify a read-only dataset");
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_FALSE(table->FieldByName(QStringLiteral("Questao"))->CanModify());
}

TEST_F(StoreTest, DamagedFileGivesAnEngineErrorNotACrash) {
    PrepareTables(1);
    AddPassword();
    QFile file(AliasDir + QStringLiteral("/QUESTOES.DB"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, '\x5A'));
    file.close();
    auto table = MakeQuestions();
    EXPECT_THROW(table->Open(), EDBEngineError);
    EXPECT_EQ(table->State(), dsInactive);
}

TEST_F(StoreTest, RecordDeletedByAnotherCursorIsSteppedOver) {
    PrepareTables(3);
    AddPassword();
    auto first = MakeQuestions();
    auto second = MakeQuestions(QStringLiteral("TOutra"));
    first->Open();
    second->Open();
    first->Next();
    second->Next();
    second->Delete();
    // The first cursor still shows the deleted record; its moves go on from the gap.
    EXPECT_EQ(Text(*first, "Codigo"), "2");
    first->Next();
    EXPECT_EQ(Text(*first, "Codigo"), "3");
    first->Prior();
    EXPECT_EQ(Text(*first, "Codigo"), "1");
}

TEST_F(StoreTest, EditOfARecordDeletedElsewhereFailsAndMovesNowhere) {
    PrepareTables(3);
    AddPassword();
    auto first = MakeQuestions();
    auto second = MakeQuestions(QStringLiteral("TOutra"));
    first->Open();
    second->Open();
    second->Next();
    first->Next();
    second->Delete();
    EXPECT_EQ(ExceptionMessage([&] { first->Edit(); }),
              "Record was deleted by another user\nTable: QUESTOES.DB");
    EXPECT_EQ(first->State(), dsBrowse);
    EXPECT_EQ(Text(*first, "Codigo"), "2");
    EXPECT_EQ(first->RecNo(), 2);
    // Steps go on from the gap it left.
    first->Next();
    EXPECT_EQ(Text(*first, "Codigo"), "3");
    first->Edit();
    EXPECT_EQ(first->State(), dsEdit);
    first->Cancel();
    first->Prior();
    EXPECT_EQ(Text(*first, "Codigo"), "1");
}
