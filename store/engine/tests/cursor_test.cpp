// Cursor behaviour the record store builds on: end codes, gaps, insert
// positions, sequence numbers, bookmarks, field cutting.
#include "store/engine/tests/engine_test_support.h"

#include <string>

using CursorTest = EngineTest;

TEST_F(CursorTest, EmptyTableAnswersBeginAndEndCodes) {
    CreatePhrases();
    hDbeCur cur = Open("FRASES.DB");
    TRec rec(cur);
    EXPECT_DBE(DBE_ERR_EOF, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    EXPECT_DBE(DBE_ERR_BOF, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    ASSERT_DBE(DBE_OK, DbeSetToEnd(cur));
    EXPECT_DBE(DBE_ERR_BOF, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    uint32_t count = 99;
    EXPECT_DBE(DBE_OK, DbeGetExactRecordCount(cur, &count));
    EXPECT_EQ(0u, count);
}

TEST_F(CursorTest, WalkEndsWithEndCodeAndPriorFromEndReadsTheLast) {
    CreatePhrases();
    hDbeCur cur = Open("FRASES.DB");
    ASSERT_DBE(DBE_OK, DbeSetToEnd(cur));
    for (const char* p : {"one", "two", "three"}) {
        ASSERT_DBE(DBE_OK, DbeSetToEnd(cur)); // append
        ASSERT_DBE(DBE_OK, InsertPhrase(cur, p));
    }
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), Walk(cur, pCorreta));
    TRec rec(cur);
    EXPECT_DBE(DBE_ERR_EOF, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    DbeRecProps props;
    ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ("three", rec.Get(pCorreta));
    EXPECT_EQ(3u, props.iSeqNum);
    ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props));
    ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ(1u, props.iSeqNum);
    EXPECT_DBE(DBE_ERR_BOF, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_DBE(DBE_ERR_BOF, DbeGetRecord(cur, dbeNOLOCK, rec.Data(), &props));
}

TEST_F(CursorTest, InsertAtGapInUnkeyedTableLandsBeforeTheCurrentRecord) {
    CreatePhrases();
    hDbeCur cur = Open("FRASES.DB");
    for (const char* p : {"a", "c"}) {
        ASSERT_DBE(DBE_OK, DbeSetToEnd(cur));
        ASSERT_DBE(DBE_OK, InsertPhrase(cur, p));
    }
    // Make "c" current, then insert as the store does: gap, then insert.
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    TRec rec(cur);
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    ASSERT_EQ("c", rec.Get(pCorreta));
    ASSERT_DBE(DBE_OK, DbeMakeGap(cur));
    ASSERT_DBE(DBE_OK, InsertPhrase(cur, "b"));
    DbeRecProps props;
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ("b", rec.Get(pCorreta));
    EXPECT_EQ(2u, props.iSeqNum);
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Walk(cur, pCorreta));
}

TEST_F(CursorTest, RepeatedInsertsAtTheSameGapKeepTheirOrder) {
    // Far more inserts at one spot than halving the order values allows, so
    // the order column is renumbered on the way.
    CreatePhrases();
    hDbeCur cur = Open("FRASES.DB");
    ASSERT_DBE(DBE_OK, InsertPhrase(cur, "first"));
    ASSERT_DBE(DBE_OK, DbeSetToEnd(cur));
    ASSERT_DBE(DBE_OK, InsertPhrase(cur, "last"));
    // Each new record goes before "last", after the previous new one.
    std::vector<std::string> expected{"first"};
    for (int i = 0; i < 120; ++i) {
        ASSERT_DBE(DBE_OK, DbeSetToEnd(cur));
        TRec rec(cur);
        ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
        ASSERT_DBE(DBE_OK, DbeMakeGap(cur));
        std::string name = "n" + std::to_string(i);
        ASSERT_DBE(DBE_OK, InsertPhrase(cur, name.c_str()));
        expected.push_back(name);
    }
    expected.push_back("last");
    EXPECT_EQ(expected, Walk(cur, pCorreta));
}

TEST_F(CursorTest, KeyedInsertAssignsCodigoAndLeavesCursorOnTheNewRecord) {
    CreateQuestions();
    hDbeCur cur = Open("QUESTOES.DB");
    EXPECT_EQ(1, InsertQuestion(cur, "Primeira?"));
    EXPECT_EQ(2, InsertQuestion(cur, "Segunda?"));
    TRec rec(cur);
    DbeRecProps props;
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ(2, rec.Int(qCodigo));
    EXPECT_EQ("Segunda?", rec.Get(qQuestao));
    EXPECT_EQ(2u, props.iSeqNum);
    // Deleted numbers are not given out again.
    ASSERT_DBE(DBE_OK, DbeDeleteRecord(cur, nullptr));
    EXPECT_EQ(3, InsertQuestion(cur, "Terceira?"));
}

TEST_F(CursorTest, KeyedTableOrdersByKeyWhereverTheCursorStands) {
    CreateQuestions();
    hDbeCur cur = Open("QUESTOES.DB");
    InsertQuestion(cur, "q1");
    InsertQuestion(cur, "q2");
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    ASSERT_DBE(DBE_OK, InsertQuestion(cur, "q3") == 3 ? DBE_OK : DBE_ERR_IO);
    EXPECT_EQ((std::vector<std::string>{"q1", "q2", "q3"}), Walk(cur, qQuestao));
}

TEST_F(CursorTest, DeleteLeavesTheCursorOnTheGap) {
    CreatePhrases();
    hDbeCur cur = Open("FRASES.DB");
    for (const char* p : {"a", "b", "c"}) {
        ASSERT_DBE(DBE_OK, DbeSetToEnd(cur));
        ASSERT_DBE(DBE_OK, InsertPhrase(cur, p));
    }
    TRec rec(cur);
    DbeRecProps props;
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    ASSERT_EQ("b", rec.Get(pCorreta));
    ASSERT_DBE(DBE_OK, DbeDeleteRecord(cur, nullptr));
    EXPECT_DBE(DBE_ERR_NOCURRREC, DbeGetRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    EXPECT_EQ(DBE_CAT_NOTFOUND, DBE_ERR_CATEGORY(DBE_ERR_NOCURRREC));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ("c", rec.Get(pCorreta));
    EXPECT_EQ(2u, props.iSeqNum);
    // Deleting the last record: the gap is at the end; prior reads the new last.
    ASSERT_DBE(DBE_OK, DbeDeleteRecord(cur, nullptr));
    EXPECT_DBE(DBE_ERR_EOF, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ("a", rec.Get(pCorreta));
    EXPECT_EQ(1u, props.iSeqNum);
    ASSERT_DBE(DBE_OK, DbeDeleteRecord(cur, nullptr));
    EXPECT_DBE(DBE_ERR_EOF, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    EXPECT_DBE(DBE_ERR_BOF, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
}

TEST_F(CursorTest, SequenceNumbersFollowTheWalkAndJumps) {
    CreateQuestions();
    hDbeCur cur = Open("QUESTOES.DB");
    for (int i = 1; i <= 10; ++i)
        ASSERT_EQ(i, InsertQuestion(cur, ("q" + std::to_string(i)).c_str()));
    TRec rec(cur);
    DbeRecProps props;
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    for (uint32_t i = 1; i <= 10; ++i) {
        ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), &props));
        EXPECT_EQ(i, props.iSeqNum);
        EXPECT_EQ(int32_t(i), rec.Int(qCodigo));
    }
    // Back four, then a bookmark jump from elsewhere.
    for (int i = 0; i < 4; ++i)
        ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ(6u, props.iSeqNum);
    std::vector<unsigned char> mark(CursorBookmarkSize(cur));
    ASSERT_DBE(DBE_OK, DbeGetBookMark(cur, mark.data()));
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), &props));
    ASSERT_DBE(DBE_OK, DbeSetToBookMark(cur, mark.data()));
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ(6u, props.iSeqNum);
    EXPECT_EQ("q6", rec.Get(qQuestao));
    // Deleting record 3 renumbers the rest.
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    for (int i = 0; i < 3; ++i)
        ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), &props));
    ASSERT_DBE(DBE_OK, DbeDeleteRecord(cur, nullptr));
    ASSERT_DBE(DBE_OK, DbeSetToBookMark(cur, mark.data()));
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ(5u, props.iSeqNum);
    ASSERT_DBE(DBE_OK, DbeSetToEnd(cur));
    ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ(9u, props.iSeqNum);
}

TEST_F(CursorTest, BookmarkOfADeletedRecordLeavesTheCursorInItsGap) {
    CreateQuestions();
    hDbeCur cur = Open("QUESTOES.DB");
    for (int i = 1; i <= 3; ++i)
        InsertQuestion(cur, ("q" + std::to_string(i)).c_str());
    TRec rec(cur);
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    std::vector<unsigned char> mark(CursorBookmarkSize(cur));
    ASSERT_DBE(DBE_OK, DbeGetBookMark(cur, mark.data()));
    ASSERT_DBE(DBE_OK, DbeDeleteRecord(cur, nullptr));
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    EXPECT_DBE(DBE_ERR_RECNOTFOUND, DbeSetToBookMark(cur, mark.data()));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    EXPECT_EQ("q3", rec.Get(qQuestao));
    std::vector<unsigned char> junk(mark.size(), 0x5a);
    EXPECT_DBE(DBE_ERR_INVALIDPARAM, DbeSetToBookMark(cur, junk.data()));
}

TEST_F(CursorTest, ModifyReplacesTheRecordAndKeepsItsKey) {
    CreateQuestions();
    hDbeCur cur = Open("QUESTOES.DB");
    InsertQuestion(cur, "old");
    TRec rec(cur);
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeWRITELOCK, rec.Data(), nullptr));
    rec.Put(qQuestao, "new");
    rec.PutInt(qCodigo, 77);
    ASSERT_DBE(DBE_OK, DbeModifyRecord(cur, rec.Data(), 1));
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    EXPECT_EQ("new", rec.Get(qQuestao));
    EXPECT_EQ(1, rec.Int(qCodigo));
}

struct TCutCase {
    const char* Name;
    uint16_t Field;
    std::string Input;
    std::string Stored;
};

void PrintTo(const TCutCase& c, std::ostream* os) {
    *os << c.Name;
}

class FieldCutTest : public EngineTest, public ::testing::WithParamInterface<TCutCase> {};

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST_P(FieldCutTest, StringIsCutToItsSizeInCharacters) {
    CreateQuestions();
    hDbeCur cur = Open("QUESTOES.DB");
    TRec rec(cur);
    ASSERT_DBE(DBE_OK, rec.Put(GetParam().Field, GetParam().Input.c_str()));
    EXPECT_EQ(GetParam().Stored, rec.Get(GetParam().Field));
    ASSERT_DBE(DBE_OK, DbeInsertRecord(cur, dbeNOLOCK, rec.Data()));
    TRec back(cur);
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeNOLOCK, back.Data(), nullptr));
    EXPECT_EQ(GetParam().Stored, back.Get(GetParam().Field));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldCutTest,
    ::testing::Values(TCutCase{"TwoLettersIntoOne", qCorreta, "AB", "A"},
                      TCutCase{"AccentIntoOne", qCorreta, "\xc3\x89x", "\xc3\x89"},
                      TCutCase{"ThreeHundredAccented", qQuestao, Repeat("\xc3\xa7", 300),
                               Repeat("\xc3\xa7", 250)},
                      TCutCase{"FourByteCharacters", qQuestao, Repeat("\xf0\x9f\x98\x80", 260),
                               Repeat("\xf0\x9f\x98\x80", 250)},
                      TCutCase{"ExactSizeKept", qQuestao, Repeat("\xc3\xa3", 250),
                               Repeat("\xc3\xa3", 250)},
                      TCutCase{"ShortKept", qQuestao, "Qual \xc3\xa9?", "Qual \xc3\xa9?"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(CursorTest, InvalidUtf8AndBadFieldNumbersAreRefused) {
    CreateQuestions();
    hDbeCur cur = Open("QUESTOES.DB");
    TRec rec(cur);
    EXPECT_DBE(DBE_ERR_INVALIDPARAM, rec.Put(qQuestao, "bad \xc3"));
    EXPECT_DBE(DBE_ERR_OUTOFRANGE, rec.Put(8, "x"));
    EXPECT_DBE(DBE_ERR_OUTOFRANGE, rec.Put(0, "x"));
    std::vector<unsigned char> garbage(4096, 0xee);
    EXPECT_DBE(DBE_ERR_INVALIDREC, DbeInsertRecord(cur, dbeNOLOCK, garbage.data()));
    EXPECT_TRUE(rec.IsBlank(qQuestao));
    EXPECT_EQ(-1, rec.Int(qCodigo));
}

TEST_F(CursorTest, PropertiesAndFieldDescriptionsDescribeTheTable) {
    CreateQuestions();
    hDbeCur cur = Open("questoes.db"); // names match ignoring case
    DbeCurProps props;
    ASSERT_DBE(DBE_OK, DbeGetCursorProps(cur, &props));
    EXPECT_EQ(7, props.iFields);
    EXPECT_EQ(1, props.iSeqNums);
    EXPECT_EQ(dbeREADWRITE, props.eOpenMode);
    EXPECT_EQ(1, props.iKeyField);
    EXPECT_GT(props.iRecBufSize, 4 * 1001);
    std::vector<DbeFldDesc> descs(props.iFields);
    ASSERT_DBE(DBE_OK, DbeGetFieldDescs(cur, descs.data()));
    EXPECT_STREQ("Codigo", descs[0].szName);
    EXPECT_EQ(DBE_FLD_AUTOINC, descs[0].iFldType);
    EXPECT_STREQ("Questao", descs[1].szName);
    EXPECT_EQ(DBE_FLD_STRING, descs[1].iFldType);
    EXPECT_EQ(250, descs[1].iUnits1);
    EXPECT_EQ(1, descs[5].iUnits1);
}

TEST_F(CursorTest, SecondaryIndexOrdersByItsColumn) {
    CreateQuestions();
    hDbeCur cur = Open("QUESTOES.DB");
    for (const char* q : {"b", "c", "a"})
        InsertQuestion(cur, q);
    hDbeCur byText = nullptr;
    ASSERT_DBE(DBE_OK, DbeOpenTable(db_, "QUESTOES.DB", "NATIVE", "Questao", dbeREADONLY,
                                    dbeOPENSHARED, 1, &byText));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Walk(byText, qQuestao));
    EXPECT_EQ((std::vector<std::string>{"b", "c", "a"}), Walk(cur, qQuestao));
    hDbeCur none = nullptr;
    EXPECT_DBE(DBE_ERR_NOINDEX, DbeOpenTable(db_, "QUESTOES.DB", "NATIVE", "Resp_A", dbeREADONLY,
                                             dbeOPENSHARED, 1, &none));
}

TEST_F(CursorTest, BatchCommitsAllOrNothing) {
    CreatePhrases();
    hDbeCur cur = Open("FRASES.DB");
    ASSERT_DBE(DBE_OK, DbeBeginBatch(cur));
    ASSERT_DBE(DBE_OK, InsertPhrase(cur, "gone"));
    ASSERT_DBE(DBE_OK, DbeRollbackBatch(cur));
    EXPECT_TRUE(Walk(cur, pCorreta).empty());
    ASSERT_DBE(DBE_OK, DbeBeginBatch(cur));
    EXPECT_DBE(DBE_ERR_TRANSACTION, DbeBeginBatch(cur));
    ASSERT_DBE(DBE_OK, InsertPhrase(cur, "kept"));
    ASSERT_DBE(DBE_OK, DbeCommitBatch(cur));
    EXPECT_DBE(DBE_ERR_TRANSACTION, DbeCommitBatch(cur));
    EXPECT_EQ((std::vector<std::string>{"kept"}), Walk(cur, pCorreta));
}

TEST_F(CursorTest, HandlesAreCheckedAndClosedCursorsForgotten) {
    CreatePhrases();
    hDbeCur cur = Open("FRASES.DB");
    hDbeCur copy = cur;
    ASSERT_DBE(DBE_OK, DbeCloseCursor(&cur));
    EXPECT_EQ(nullptr, cur);
    EXPECT_DBE(DBE_ERR_INVALIDHNDL, DbeSetToBegin(copy));
    EXPECT_DBE(DBE_ERR_INVALIDHNDL, DbeSetToBegin(nullptr));
    EXPECT_EQ(DBE_ERR_ALREADYINIT, DbeInitFn(DBE_INTERFACE_VERSION, nullptr));
}

TEST_F(CursorTest, TextKeyOrdersByKeyAndRefusesDuplicates) {
    DbeFieldDef fields[2] = {{"Nome", DBE_FLD_STRING, 10}, {"Valor", DBE_FLD_INTEGER, 0}};
    DbeTableDesc desc = {"NOMES.DB", 2, fields, 1, 0, nullptr};
    ASSERT_DBE(DBE_OK, DbeCreateTable(db_, &desc));
    hDbeCur cur = Open("NOMES.DB");
    for (const char* name : {"maria", "ana", "jo\xc3\xa3o"}) {
        TRec rec(cur);
        rec.Put(1, name);
        rec.PutInt(2, 7);
        ASSERT_DBE(DBE_OK, DbeInsertRecord(cur, dbeNOLOCK, rec.Data()));
    }
    EXPECT_EQ((std::vector<std::string>{"ana", "jo\xc3\xa3o", "maria"}), Walk(cur, 1));
    TRec dup(cur);
    dup.Put(1, "ana");
    EXPECT_DBE(DBE_ERR_KEYVIOL, DbeInsertRecord(cur, dbeNOLOCK, dup.Data()));
    DbeRecProps props;
    TRec rec(cur);
    ASSERT_DBE(DBE_OK, DbeSetToEnd(cur));
    ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ(3u, props.iSeqNum);
    EXPECT_EQ(7, rec.Int(2));
}
