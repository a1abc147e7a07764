#include "app/tests/app_test_support.h"

#include "app/tool_bar.h"
#include "platform/dispatch.h"
#include "store/field.h"
#include "store/table.h"

#include <QApplication>
#include <QTest>

namespace {
class CommandsTest : public MainFormTest {
protected:
    // Enabled flags of "Primeira" to "Novo".
    QString Navigation() const { return ButtonStates().left(5); }
};
} // namespace

TEST_F(CommandsTest, NavigationButtonsFollowTheBeginAndEndFlags) {
    AddQuestions(3);
    TForm1& form = Form();
    form.ToolButton1->Click();
    EXPECT_EQ(Navigation(), QStringLiteral("00111"));
    EXPECT_EQ(RecordPanel(), QStringLiteral("1"));

    form.ToolButton3->Click(); // onto record 2
    form.ToolButton2->Click(); // back onto the first: the flag is not set yet
    EXPECT_EQ(Navigation(), QStringLiteral("11111"));
    EXPECT_EQ(RecordPanel(), QStringLiteral("1"));
    form.ToolButton2->Click();
    EXPECT_EQ(Navigation(), QStringLiteral("00111"));

    form.ToolButton3->Click();
    form.ToolButton3->Click(); // arrives on the last record
    EXPECT_EQ(Navigation(), QStringLiteral("11111"));
    EXPECT_EQ(RecordPanel(), QStringLiteral("3"));
    form.ToolButton3->Click(); // past it
    EXPECT_EQ(Navigation(), QStringLiteral("11001"));
    EXPECT_EQ(RecordPanel(), QStringLiteral("3"));

    form.ToolButton1->Click();
    form.ToolButton5->SetEnabled(false);
    form.ToolButton4->Click(); // "Ultima" always leaves "Novo" enabled
    EXPECT_EQ(Navigation(), QStringLiteral("11001"));
    EXPECT_EQ(RecordPanel(), QStringLiteral("3"));
}

TEST_F(CommandsTest, NovoShowsMinusOneAndOnlySaveCancelAndAboutStayEnabled) {
    AddQuestions(2);
    TForm1& form = Form();
    form.ToolButton5->Click();
    EXPECT_EQ(form.TPerguntas()->State(), dsInsert);
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(EditingSet));
    EXPECT_EQ(RecordPanel(), QStringLiteral("-1"));
    EXPECT_EQ(QApplication::focusWidget(), form.DBMemo1);

    form.ToolButton9->Click();
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(BrowseSet));
    EXPECT_NE(RecordPanel(), QStringLiteral("-1"));
}

TEST_F(CommandsTest, NovoOnThePhrasesPageFocusesTheFirstPhraseEditor) {
    TForm1& form = Form();
    ShowPhrases();
    form.ToolButton5->Click();
    EXPECT_EQ(form.TFrases()->State(), dsInsert);
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
    EXPECT_EQ(QApplication::focusWidget(), form.DBEdit1);
}

TEST_F(CommandsTest, SavingANewQuestionStoresItWithFlagN) {
    TForm1& form = Form();
    form.ToolButton5->Click();
    QTest::keyClicks(form.DBMemo1, QStringLiteral("Quanto e 2+2?"));
    QTest::keyClicks(form.DBMemo2, QStringLiteral("4"));
    form.DBComboBox1->setFocus();
    QTest::keyClicks(form.DBComboBox1, QStringLiteral("A"));
    form.ToolButton6->Click();
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(BrowseSet));
    EXPECT_EQ(RecordPanel(), QStringLiteral("1"));
    const QString dump = DbAdmin({QStringLiteral("dump"), QStringLiteral("QUESTOES.DB")});
    EXPECT_TRUE(dump.contains(QStringLiteral("Quanto e 2+2?"))) << dump.toStdString();
    EXPECT_TRUE(dump.trimmed().endsWith(QStringLiteral(",A,N"))) << dump.toStdString();
}

TEST_F(CommandsTest, ChangedQuestionsGetFlagNToo) {
    AddQuestions(1);
    TForm1& form = Form();
    form.TPerguntas()->Edit();
    form.TPerguntas()->FieldByName(QStringLiteral("Flag"))->SetAsString(QStringLiteral("S"));
    form.TPerguntas()->Post();
    form.ToolButton7->Click();
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(EditingSet));
    form.ToolButton6->Click();
    EXPECT_EQ(form.TPerguntas()->FieldByName(QStringLiteral("Flag"))->AsString(),
              QStringLiteral("N"));
}

TEST_F(CommandsTest, SaveOutsideAnEditFailsAndChangesNothing) {
    AddQuestions(1);
    TForm1& form = Form();
    form.ApplyEditingSet();
    EXPECT_FALSE(Dispatch([&] { form.ToolButton6->Click(); }));
    ASSERT_EQ(Boxes().BoxCount(), 1);
    EXPECT_TRUE(
        Boxes().LastBox().Text.contains(QStringLiteral("Dataset not in edit or insert mode")))
        << Boxes().LastBox().Text.toStdString();
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(EditingSet));
    EXPECT_EQ(RecordPanel(), QStringLiteral("1"));
}

TEST_F(CommandsTest, TypingIntoAPhraseStartsAnEditWhileTheToolbarStaysBrowsing) {
    AddPhrases(2);
    TForm1& form = Form();
    ShowPhrases();
    form.DBEdit1->setFocus();
    QTest::keyClicks(form.DBEdit1, QStringLiteral("x"));
    EXPECT_EQ(form.TFrases()->State(), dsEdit);
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(BrowseSet));
    // A navigation command stores the typed change before moving.
    form.ToolButton3->Click();
    form.ToolButton1->Click();
    EXPECT_TRUE(form.TFrases()
                    ->FieldByName(QStringLiteral("Correta"))
                    ->AsString()
                    .contains(QLatin1Char('x')));
}

TEST_F(CommandsTest, TypingIntoAQuestionChangesNothingWhileBrowsing) {
    AddQuestions(1);
    TForm1& form = Form();
    form.DBMemo1->setFocus();
    QTest::keyClicks(form.DBMemo1, QStringLiteral("zz"));
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
}

TEST_F(CommandsTest, AlterarOnAnEmptyTableStartsANewRecord) {
    TForm1& form = Form();
    QWidget* focus = QApplication::focusWidget();
    form.ToolButton7->Click();
    EXPECT_EQ(form.TPerguntas()->State(), dsInsert);
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(EditingSet));
    EXPECT_EQ(QApplication::focusWidget(), focus);
}
