#include "app/tests/app_test_support.h"

#include "app/popup_menu.h"
#include "app/tool_bar.h"
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_panels.h"
#include "store/table.h"

namespace {
class DeleteTest : public MainFormTest {
protected:
    void MarkPanel() { Window->SB1->Panels()[3]->SetText(QStringLiteral("x")); }
};
} // namespace

TEST_F(DeleteTest, SingleDeleteOnAnEmptyTableAsksAndStillWritesThePanel) {
    TForm1& form = Form();
    MarkPanel();
    Boxes().QueueAnswer(IDYES);
    form.ToolButton8->Click();
    ASSERT_EQ(Boxes().BoxCount(), 1);
    EXPECT_EQ(Boxes().LastBox().Text, QStringLiteral("Deseja Realmente Excluir ?"));
    EXPECT_EQ(Boxes().LastBox().Caption, QStringLiteral("Confirmação de Exclusão"));
    EXPECT_EQ(Boxes().LastBox().Flags, 36u);
    EXPECT_NE(RecordPanel(), QStringLiteral("x"));
    EXPECT_TRUE(form.TPerguntas()->IsEmpty());
}

TEST_F(DeleteTest, AnsweringNoKeepsTheRecordAndWritesThePanel) {
    AddQuestions(2);
    TForm1& form = Form();
    MarkPanel();
    Boxes().QueueAnswer(IDNO);
    form.ToolButton8->Click();
    EXPECT_EQ(form.TPerguntas()->RecordCount(), 2);
    EXPECT_EQ(RecordPanel(), QStringLiteral("1"));
}

TEST_F(DeleteTest, DeletingTheLastRecordKeepsTheBrowseSet) {
    AddQuestions(1);
    TForm1& form = Form();
    Boxes().QueueAnswer(IDYES);
    form.ToolButton8->Click();
    EXPECT_TRUE(form.TPerguntas()->IsEmpty());
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(BrowseSet));
}

TEST_F(DeleteTest, DeleteAllStartedOnTheLastRecordEmptiesTheWholeTable) {
    AddQuestions(5);
    AddPhrases(2);
    TForm1& form = Form();
    form.ToolButton4->Click();
    const QString panel = RecordPanel();
    const QString states = ButtonStates();
    Boxes().QueueAnswer(IDYES);
    form.f1->Click();
    EXPECT_TRUE(form.TPerguntas()->IsEmpty());
    EXPECT_EQ(form.TFrases()->RecordCount(), 2);
    ASSERT_EQ(Boxes().BoxCount(), 2);
    EXPECT_EQ(Boxes().Boxes()[0].Text,
              QStringLiteral("Deseja Realmente Excluir TODAS as QUESTÕES ?"));
    EXPECT_EQ(Boxes().LastBox().Kind, TShownBox::bkShowMessage);
    EXPECT_EQ(Boxes().LastBox().Text, QStringLiteral("Todas as Questões Foram Excluídos"));
    EXPECT_EQ(RecordPanel(), panel);
    EXPECT_EQ(ButtonStates(), states);
}

TEST_F(DeleteTest, DeleteAllOnThePhrasesPageKeepsEveryQuestion) {
    AddQuestions(2);
    AddPhrases(3);
    TForm1& form = Form();
    ShowPhrases();
    Boxes().QueueAnswer(IDYES);
    form.f1->Click();
    EXPECT_TRUE(form.TFrases()->IsEmpty());
    EXPECT_EQ(form.TPerguntas()->RecordCount(), 2);
    EXPECT_EQ(Boxes().Boxes()[0].Text,
              QStringLiteral("Deseja Realmente Excluir TODAS as FRASES ?"));
    EXPECT_EQ(Boxes().LastBox().Text, QStringLiteral("Todas as Frases Foram Excluídos"));
}

TEST_F(DeleteTest, DeleteAllAnsweredNoDoesNothing) {
    AddQuestions(2);
    TForm1& form = Form();
    Boxes().QueueAnswer(IDNO);
    form.f1->Click();
    EXPECT_EQ(form.TPerguntas()->RecordCount(), 2);
    EXPECT_EQ(Boxes().BoxCount(), 1);
}

TEST_F(DeleteTest, DeleteAllOnAnEmptyTableShowsTheNotice) {
    TForm1& form = Form();
    Boxes().QueueAnswer(IDYES);
    form.f1->Click();
    EXPECT_EQ(Boxes().LastBox().Text, QStringLiteral("Todas as Questões Foram Excluídos"));
}

TEST_F(DeleteTest, DeleteAllDuringAnInsertDropsTheEntryAndTheStoredRecords) {
    AddQuestions(2);
    TForm1& form = Form();
    form.ToolButton5->Click();
    Boxes().QueueAnswer(IDYES);
    form.f1->Click();
    EXPECT_TRUE(form.TPerguntas()->IsEmpty());
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
}
