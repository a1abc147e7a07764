// The multi-line bound editor over the questions table (no AutoEdit) and
// over the phrases table (AutoEdit): read-only in browse, no effect of keys
// while no edit can start, no length of its own, and write-back on Post
// with the caret still in the memo.
#include "store/controls/db_memo.h"

#include "store/controls/tests/controls_test_support.h"
#include "store/field.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

class DBMemoTest : public ControlsTest {
protected:
    TDBMemo* MakeMemo(const char* name, const char* field, TDataSource* source) {
        auto* memo = new TDBMemo(Form.get());
        memo->SetName(QString::fromLatin1(name));
        memo->SetDataField(QString::fromLatin1(field));
        memo->SetDataSource(source);
        return memo;
    }
};

TEST_F(DBMemoTest, FollowsItsTableWithNoOtherCode) {
    PrepareTables(2, {});
    TDBMemo* question = MakeMemo("DBMemo1", "Questao", &DSPerguntas);
    TDBMemo* answerC = MakeMemo("DBMemo4", "Resp_C", &DSPerguntas);
    OpenQuestions();
    EXPECT_EQ(question->Text(), QStringLiteral("Questao 1"));
    EXPECT_EQ(answerC->Text(), QStringLiteral("C1"));
    EXPECT_TRUE(question->isReadOnly());
    TPerguntas->Last();
    EXPECT_EQ(question->Text(), QStringLiteral("Questao 2"));
    TPerguntas->Insert();
    EXPECT_TRUE(question->Text().isEmpty());
    EXPECT_FALSE(question->isReadOnly());
    TPerguntas->Cancel();
    EXPECT_EQ(question->Text(), QStringLiteral("Questao 2"));
    EXPECT_TRUE(question->isReadOnly());
    TPerguntas->Close();
    EXPECT_TRUE(question->Text().isEmpty());
}

TEST_F(DBMemoTest, TypingInABrowsedQuestionChangesNothing) {
    PrepareTables(1, {});
    TDBMemo* memo = MakeMemo("DBMemo1", "Questao", &DSPerguntas);
    OpenQuestions();
    ShowForm();
    ASSERT_TRUE(Focus(memo));

    QTest::keyClicks(memo, QStringLiteral("mais"));
    QTest::keyClick(memo, Qt::Key_Backspace);
    QTest::keyClick(memo, Qt::Key_Delete);
    QTest::keyClick(memo, Qt::Key_Return);
    QApplication::clipboard()->setText(QStringLiteral("colado"));
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(memo->Text(), QStringLiteral("Questao 1"));
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(TPerguntas->State(), dsBrowse);
    EXPECT_FALSE(memo->DataLink().IsModified());
}

TEST_F(DBMemoTest, ThreeHundredPastedCharactersAreStoredAsTheFirstTwoHundredFifty) {
    PrepareTables(0, {});
    TDBMemo* memo = MakeMemo("DBMemo1", "Questao", &DSPerguntas);
    OpenQuestions();
    ShowForm();
    TPerguntas->Insert();
    ASSERT_TRUE(Focus(memo));
    QString pasted;
    for (int i = 0; i < 300; ++i)
        pasted += QChar(u'a' + i % 26);
    QApplication::clipboard()->setText(pasted);

    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(memo->Text(), pasted); // no length of its own
    TPerguntas->FieldByName(QStringLiteral("Correta"))->SetAsString(QStringLiteral("B"));
    TPerguntas->Post();
    EXPECT_EQ(FieldText(*TPerguntas, "Questao"), pasted.left(250));
}

TEST_F(DBMemoTest, PostWithTheCaretStillInTheMemoSavesTheTypedText) {
    PrepareTables(1, {});
    TDBMemo* memo = MakeMemo("DBMemo2", "Resp_A", &DSPerguntas);
    OpenQuestions();
    ShowForm();
    ASSERT_TRUE(Focus(memo));
    TPerguntas->Edit();
    ASSERT_FALSE(memo->isReadOnly());

    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, QStringLiteral(" certo"));
    ASSERT_TRUE(memo->hasFocus());
    TPerguntas->Post();
    EXPECT_EQ(TPerguntas->State(), dsBrowse);
    EXPECT_EQ(FieldText(*TPerguntas, "Resp_A"), QStringLiteral("A1 certo"));
    TPerguntas->Close();
    TPerguntas->Open();
    EXPECT_EQ(memo->Text(), QStringLiteral("A1 certo"));
}

TEST_F(DBMemoTest, EnterInABrowsedPhraseStartsAnEditAndBreaksTheLine) {
    PrepareTables(0, {{QStringLiteral("um"), QStringLiteral("dois")}});
    TDBMemo* memo = MakeMemo("DBMemo9", "Correta", &DSFrases);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(memo));
    memo->moveCursor(QTextCursor::End);

    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(TFrases->State(), dsEdit);
    QTest::keyClicks(memo, QStringLiteral("tres"));
    EXPECT_EQ(memo->Text(), QStringLiteral("um\ntres"));
    TFrases->Post();
    EXPECT_EQ(FieldText(*TFrases, "Correta"), QStringLiteral("um\ntres"));
}

TEST_F(DBMemoTest, EscBringsBackTheFieldWithoutCancellingTheTable) {
    PrepareTables(1, {});
    TDBMemo* memo = MakeMemo("DBMemo1", "Questao", &DSPerguntas);
    OpenQuestions();
    ShowForm();
    ASSERT_TRUE(Focus(memo));
    TPerguntas->Edit();
    QTest::keyClicks(memo, QStringLiteral("xyz"));
    ASSERT_NE(memo->Text(), QStringLiteral("Questao 1"));

    QTest::keyClick(memo, Qt::Key_Escape);
    EXPECT_EQ(memo->Text(), QStringLiteral("Questao 1"));
    EXPECT_FALSE(memo->DataLink().IsModified());
    EXPECT_EQ(TPerguntas->State(), dsEdit);
}

TEST_F(DBMemoTest, TabMovesTheFocusOnUnlessTabsAreWanted) {
    PrepareTables(1, {});
    TDBMemo* first = MakeMemo("DBMemo1", "Questao", &DSPerguntas);
    TDBMemo* second = MakeMemo("DBMemo2", "Resp_A", &DSPerguntas);
    second->move(0, 60);
    OpenQuestions();
    ShowForm();
    TPerguntas->Edit();
    ASSERT_TRUE(Focus(first));

    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_TRUE(second->hasFocus());
    EXPECT_EQ(first->Text(), QStringLiteral("Questao 1"));

    second->SetWantTabs(true);
    second->moveCursor(QTextCursor::End);
    QTest::keyClick(second, Qt::Key_Tab);
    EXPECT_EQ(second->Text(), QStringLiteral("A1\t"));
}

TEST_F(DBMemoTest, AFieldsFocusRequestGivesItsMemoTheFocus) {
    PrepareTables(1, {});
    TDBMemo* first = MakeMemo("DBMemo1", "Questao", &DSPerguntas);
    TDBMemo* third = MakeMemo("DBMemo3", "Resp_B", &DSPerguntas);
    third->move(0, 60);
    OpenQuestions();
    ShowForm();
    ASSERT_TRUE(Focus(first));

    TPerguntas->FieldByName(QStringLiteral("Resp_B"))->FocusControl();
    EXPECT_TRUE(QTest::qWaitFor([third] { return third->hasFocus(); }, 2000));
}

TEST_F(DBMemoTest, AReadOnlyLinkKeepsTheMemoReadOnlyWhileTheTableEdits) {
    PrepareTables(1, {});
    TDBMemo* memo = MakeMemo("DBMemo1", "Questao", &DSPerguntas);
    memo->SetReadOnly(true);
    OpenQuestions();
    ShowForm();
    ASSERT_TRUE(Focus(memo));
    TPerguntas->Edit();

    EXPECT_TRUE(memo->isReadOnly());
    QTest::keyClicks(memo, QStringLiteral("nada"));
    EXPECT_EQ(memo->Text(), QStringLiteral("Questao 1"));
    memo->SetReadOnly(false);
    EXPECT_FALSE(memo->isReadOnly());
}
