#include "app/tests/app_test_support.h"

#include "app/tool_bar.h"
#include "store/field.h"
#include "store/table.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

namespace {
class KeysTest : public MainFormTest {};
} // namespace

TEST_F(KeysTest, InsertStartsANewRecordOnlyWhileNovoIsEnabled) {
    AddQuestions(2);
    TForm1& form = Form();
    Key(Qt::Key_Insert);
    EXPECT_EQ(form.TPerguntas()->State(), dsInsert);
    EXPECT_EQ(RecordPanel(), QStringLiteral("-1"));
    form.TPerguntas()->Cancel();
    form.ApplyEditingSet();
    Key(Qt::Key_Insert);
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
}

TEST_F(KeysTest, ShiftInsertActsAsInsertWhileCtrlInsRunsThePopupItem) {
    AddQuestions(2);
    TForm1& form = Form();
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(form.TPerguntas()->State(), dsInsert);
    form.ToolButton9->Click();
    Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(form.TPerguntas()->State(), dsEdit);
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(EditingSet));
}

TEST_F(KeysTest, F10SavesF9ChangesAndEscCancels) {
    AddQuestions(1);
    TForm1& form = Form();
    Key(Qt::Key_F9);
    EXPECT_EQ(form.TPerguntas()->State(), dsEdit);
    Key(Qt::Key_Escape);
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
    Key(Qt::Key_Insert);
    Key(Qt::Key_F10);
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
    EXPECT_EQ(form.TPerguntas()->RecordCount(), 2);
}

TEST_F(KeysTest, DeleteHomeAndEndTestTheQuestionsTableWhateverThePage) {
    AddQuestions(1);
    AddPhrases(3);
    TForm1& form = Form();
    ShowPhrases();
    // The questions table editing outside the toolbar: the phrase buttons
    // stay enabled, yet End must not act.
    form.TPerguntas()->Edit();
    Key(Qt::Key_End);
    EXPECT_EQ(form.TFrases()->RecNo(), 1);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Boxes().BoxCount(), 0);
    form.TPerguntas()->Cancel();
    Key(Qt::Key_End);
    EXPECT_EQ(form.TFrases()->RecNo(), 3);
    Key(Qt::Key_Home);
    EXPECT_EQ(form.TFrases()->RecNo(), 1);
    Boxes().QueueAnswer(IDNO);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Boxes().LastBox().Text, QStringLiteral("Deseja Realmente Excluir ?"));
}

TEST_F(KeysTest, PageKeysMoveWheneverTheirButtonsAreEnabled) {
    AddPhrases(3);
    TForm1& form = Form();
    ShowPhrases();
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(form.TFrases()->RecNo(), 3);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(form.TFrases()->RecNo(), 2);
    form.ToolButton2->SetEnabled(false);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(form.TFrases()->RecNo(), 2);
}

TEST_F(KeysTest, EnterMovesToTheNextFieldAndNeverReachesTheMemo) {
    TForm1& form = Form();
    Key(Qt::Key_Insert);
    ASSERT_EQ(QApplication::focusWidget(), form.DBMemo1);
    QTest::keyClicks(form.DBMemo1, QStringLiteral("abc"));
    Key(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form.DBMemo2);
    EXPECT_EQ(form.DBMemo1->toPlainText(), QStringLiteral("abc"));
}

TEST_F(KeysTest, KeysArePreviewedWhenQtDoesNotCountTheWindowAsActive) {
    AddQuestions(1);
    TForm1& form = Form();
    form.DBMemo1->setFocus();
    // As without a window manager: the window is not active, yet the keys
    // reach its editor.
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::focusWidget(), nullptr);
    QTest::keyClick(form.DBMemo1, Qt::Key_Insert);
    EXPECT_EQ(form.TPerguntas()->State(), dsInsert);
    QTest::keyClicks(form.DBMemo1, QStringLiteral("abc"));
    QTest::keyClick(form.DBMemo1, Qt::Key_Return);
    EXPECT_EQ(form.DBMemo1->toPlainText(), QStringLiteral("abc"));
    EXPECT_EQ(form.focusWidget(), form.DBMemo2);
}

TEST_F(KeysTest, CtrlDelRunsDeleteAllWhateverTheToolbarState) {
    AddQuestions(2);
    TForm1& form = Form();
    Key(Qt::Key_Insert);
    Boxes().QueueAnswer(IDNO);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(Boxes().BoxCount(), 1);
    EXPECT_EQ(Boxes().LastBox().Text,
              QStringLiteral("Deseja Realmente Excluir TODAS as QUESTÕES ?"));
    EXPECT_EQ(form.TPerguntas()->State(), dsInsert);
}

TEST_F(KeysTest, F11StartsTheExportAndUnmappedKeysDoNothing) {
    Form();
    Key(Qt::Key_F5);
    EXPECT_EQ(Boxes().BoxCount(), 0);
    Boxes().QueueAnswer(IDNO);
    Key(Qt::Key_F11);
    EXPECT_EQ(Boxes().LastBox().Text, QStringLiteral("Deseja Exportar as Questões ?"));
}

TEST_F(KeysTest, AKeyIsPreviewedOnceEvenWhenItsHandlerMovesTheFocus) {
    TForm1& form = Form();
    form.DBMemo1->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), form.DBMemo1);
    // The box takes the focus away, as a real message box does; the key
    // then travels on to the window and must not start a second export.
    Boxes().OnBox = [&](const TShownBox&) { form.DBMemo1->clearFocus(); };
    Boxes().QueueAnswer(IDNO);
    Key(Qt::Key_F11);
    EXPECT_EQ(Boxes().BoxCount(), 1);
}
