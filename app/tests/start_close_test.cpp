#include "app/tests/app_test_support.h"

#include "app/tool_bar.h"
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_panels.h"
#include "store/table.h"

#include <QDir>
#include <QTabWidget>
#include <QTest>

namespace {
class StartCloseTest : public MainFormTest {};

const QString InsertRefusal =
    QStringLiteral("Não pode Sair, Termine seu Cadastro ou Cancele para Sair !");
const QString EditRefusal =
    QStringLiteral("Não pode Sair, Termine suas Alterações ou Cancele para Sair !");
} // namespace

TEST_F(StartCloseTest, CreationOpensBothTablesAndShowsTheFirstRecordNumber) {
    AddQuestions(3);
    AddPhrases(2);
    TForm1& form = Form();
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
    EXPECT_EQ(form.TFrases()->State(), dsBrowse);
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(BrowseSet));
    EXPECT_EQ(RecordPanel(), QStringLiteral("1"));
    EXPECT_EQ(Boxes().BoxCount(), 0);
}

TEST_F(StartCloseTest, MissingEngineIsReportedAndTheWindowStillComesUpFullyEnabled) {
    // No registry: the engine library is nowhere to be found.
    Env.SetVariable("XDG_CONFIG_HOME", (Env.Root() + QStringLiteral("/empty")).toUtf8());
    TForm1& form = Form();
    ASSERT_EQ(Boxes().BoxCount(), 1);
    EXPECT_EQ(Boxes().LastBox().Caption, QStringLiteral("Radoziv iv Ivaduvorir de Jogos"));
    EXPECT_EQ(Boxes().LastBox().Flags & MB_ICONMASK, MB_ICONERROR);
    EXPECT_FALSE(form.TPerguntas()->Active());
    EXPECT_FALSE(form.TFrases()->Active());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(ButtonStates(), QStringLiteral("1111111111111"));
}

TEST_F(StartCloseTest, ClosingDuringAQuestionInsertIsRefusedWithoutConfirmation) {
    TForm1& form = Form();
    form.ToolButton5->Click();
    EXPECT_FALSE(form.close());
    ASSERT_EQ(Boxes().BoxCount(), 1);
    EXPECT_EQ(Boxes().LastBox().Kind, TShownBox::bkShowMessage);
    EXPECT_EQ(Boxes().LastBox().Text, InsertRefusal);
    EXPECT_EQ(form.TPerguntas()->State(), dsInsert);
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(EditingSet));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(StartCloseTest, ClosingDuringAPhraseEditIsRefusedWithTheEditMessage) {
    AddPhrases(2);
    TForm1& form = Form();
    ShowPhrases();
    form.ToolButton7->Click();
    EXPECT_FALSE(form.close());
    ASSERT_EQ(Boxes().BoxCount(), 1);
    EXPECT_EQ(Boxes().LastBox().Text, EditRefusal);
    EXPECT_EQ(form.TFrases()->State(), dsEdit);
}

TEST_F(StartCloseTest, ClosingIsRefusedWhileTheOtherPagesTableIsEnteredOrChanged) {
    AddPhrases(1);
    TForm1& form = Form();
    form.ToolButton5->Click(); // a question being entered
    ShowPhrases();
    EXPECT_FALSE(form.close());
    ASSERT_EQ(Boxes().BoxCount(), 1);
    EXPECT_EQ(Boxes().LastBox().Text, InsertRefusal);
    EXPECT_EQ(form.TPerguntas()->State(), dsInsert);
    EXPECT_TRUE(form.isVisible());
    form.TPerguntas()->Cancel();

    // A phrase typed into starts its change by itself; leaving it for the
    // questions page must not lose it on exit.
    form.DBEdit1->setFocus();
    QTest::keyClicks(form.DBEdit1, QStringLiteral("X"));
    ASSERT_EQ(form.TFrases()->State(), dsEdit);
    form.PageControl1->setCurrentWidget(form.TabSheet1);
    EXPECT_FALSE(form.close());
    ASSERT_EQ(Boxes().BoxCount(), 2);
    EXPECT_EQ(Boxes().LastBox().Text, EditRefusal);
    EXPECT_EQ(form.TFrases()->State(), dsEdit);
    ShowPhrases();
    form.ToolButton6->Click();
    EXPECT_EQ(form.TFrases()->State(), dsBrowse);
    EXPECT_TRUE(DbAdmin({QStringLiteral("dump"), QStringLiteral("FRASES.DB")})
                    .contains(QStringLiteral("Certa 1X")));

    // With both tables at rest the exit is asked for.
    Boxes().QueueAnswer(IDNO);
    EXPECT_FALSE(form.close());
    EXPECT_EQ(Boxes().LastBox().Text, QStringLiteral("Deseja Realmente Sair do Sistema ?"));
    EXPECT_EQ(Boxes().LastBox().Caption, QStringLiteral("Sair do Sistema?"));
    EXPECT_EQ(Boxes().LastBox().Flags, 36u);
}

TEST_F(StartCloseTest, YesClosesBothTablesAndEndsTheApplication) {
    TForm1& form = Form();
    Boxes().QueueAnswer(IDYES);
    form.ToolButton10->Click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.TPerguntas()->Active());
    EXPECT_FALSE(form.TFrases()->Active());
    EXPECT_TRUE(App->Terminated());
}
