// The bound combo box over the questions' Correta field (size 1, no
// AutoEdit): the field's text in its edit box, a choice that cannot start
// an edit undone with the list closed, Up and Down inert in browse, and the
// edit-box text cut to the field's size when it is written back.
#include "store/controls/db_combo_box.h"

#include "store/controls/tests/controls_test_support.h"
#include "store/field.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>

class DBComboBoxTest : public ControlsTest {
protected:
    TDBComboBox* MakeCombo(TDataSource* source, const char* field = "Correta") {
        auto* combo = new TDBComboBox(Form.get());
        combo->SetName(QStringLiteral("DBComboBox1"));
        combo->SetItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        combo->SetDataField(QString::fromLatin1(field));
        combo->SetDataSource(source);
        return combo;
    }
    // Opens the list and picks the item `steps` rows below the current one.
    static void ChooseFromList(TDBComboBox* combo, int steps) {
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        ASSERT_TRUE(QTest::qWaitFor([view] { return view->isVisible(); }, 2000));
        for (int i = 0; i < steps; ++i)
            QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
    }
};

TEST_F(DBComboBoxTest, ShowsTheFieldsTextEvenWhenItIsNoItem) {
    PrepareTables(2, {});
    TDBComboBox* combo = MakeCombo(&DSPerguntas);
    OpenQuestions();
    EXPECT_EQ(combo->Text(), QStringLiteral("A"));
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_TRUE(combo->lineEdit()->isReadOnly());
    TPerguntas->Edit();
    TPerguntas->FieldByName(QStringLiteral("Correta"))->SetAsString(QStringLiteral("Z"));
    EXPECT_EQ(combo->Text(), QStringLiteral("Z"));
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->count(), 3);
    TPerguntas->Close();
    EXPECT_TRUE(combo->Text().isEmpty());
}

TEST_F(DBComboBoxTest, TypedABIsStoredAsA) {
    PrepareTables(0, {});
    TDBComboBox* combo = MakeCombo(&DSPerguntas);
    OpenQuestions();
    ShowForm();
    TPerguntas->Insert();
    ASSERT_TRUE(Focus(combo));

    QTest::keyClicks(combo, QStringLiteral("AB"));
    EXPECT_EQ(combo->Text(), QStringLiteral("AB"));
    EXPECT_EQ(combo->count(), 3); // nothing typed joins the list
    TPerguntas->Post();
    EXPECT_EQ(FieldText(*TPerguntas, "Correta"), QStringLiteral("A"));
    EXPECT_EQ(combo->Text(), QStringLiteral("A"));
}

TEST_F(DBComboBoxTest, AChoiceInBrowseIsUndoneAndTheListCloses) {
    PrepareTables(1, {});
    TDBComboBox* combo = MakeCombo(&DSPerguntas);
    OpenQuestions();
    ShowForm();
    ASSERT_TRUE(Focus(combo));

    ChooseFromList(combo, 2);
    EXPECT_FALSE(combo->view()->isVisible());
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->Text(), QStringLiteral("A"));
    EXPECT_EQ(TPerguntas->State(), dsBrowse);
    EXPECT_FALSE(combo->DataLink().IsModified());
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(DBComboBoxTest, AChoiceWhileEditingIsStoredOnPost) {
    PrepareTables(1, {});
    TDBComboBox* combo = MakeCombo(&DSPerguntas);
    OpenQuestions();
    ShowForm();
    ASSERT_TRUE(Focus(combo));
    TPerguntas->Edit();

    ChooseFromList(combo, 2);
    EXPECT_EQ(combo->Text(), QStringLiteral("C"));
    EXPECT_TRUE(combo->DataLink().IsModified());
    TPerguntas->Post();
    EXPECT_EQ(FieldText(*TPerguntas, "Correta"), QStringLiteral("C"));
}

TEST_F(DBComboBoxTest, UpAndDownDoNothingWhileNotEditing) {
    PrepareTables(1, {});
    TDBComboBox* combo = MakeCombo(&DSPerguntas);
    OpenQuestions();
    ShowForm();
    ASSERT_TRUE(Focus(combo));

    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->Text(), QStringLiteral("A"));
    EXPECT_EQ(TPerguntas->State(), dsBrowse);

    TPerguntas->Edit();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->Text(), QStringLiteral("B"));
    EXPECT_TRUE(combo->DataLink().IsModified());
    TPerguntas->Post();
    EXPECT_EQ(FieldText(*TPerguntas, "Correta"), QStringLiteral("B"));
}

TEST_F(DBComboBoxTest, EscBringsBackTheFieldAndSelectsIt) {
    PrepareTables(1, {});
    TDBComboBox* combo = MakeCombo(&DSPerguntas);
    OpenQuestions();
    ShowForm();
    ASSERT_TRUE(Focus(combo));
    TPerguntas->Edit();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, QStringLiteral("C"));
    ASSERT_EQ(combo->Text(), QStringLiteral("C"));

    QTest::keyClick(combo, Qt::Key_Escape);
    EXPECT_EQ(combo->Text(), QStringLiteral("A"));
    EXPECT_EQ(combo->lineEdit()->selectedText(), QStringLiteral("A"));
    EXPECT_FALSE(combo->DataLink().IsModified());
}

TEST_F(DBComboBoxTest, TypingInAPhraseComboStartsAnEditThroughAutoEdit) {
    PrepareTables(0, {{QStringLiteral("x"), QStringLiteral("y")}});
    TDBComboBox* combo = MakeCombo(&DSFrases);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(combo));
    combo->lineEdit()->end(false);

    QTest::keyClicks(combo, QStringLiteral("z"));
    EXPECT_EQ(TFrases->State(), dsEdit);
    EXPECT_EQ(combo->Text(), QStringLiteral("xz"));
    TFrases->Next(); // checks browse mode: writes back and posts
    EXPECT_EQ(FieldText(*TFrases, "Correta"), QStringLiteral("xz"));
}

TEST_F(DBComboBoxTest, AFailedWriteBackKeepsTheFocusAndShowsTheError) {
    PrepareTables(0, {});
    TDBComboBox* combo = MakeCombo(&DSNumeros, "Numero");
    auto* other = new QLineEdit(Form.get());
    other->move(0, 60);
    OpenNumbers();
    ShowForm();
    ASSERT_TRUE(Focus(combo));
    combo->lineEdit()->end(false);

    QTest::keyClicks(combo, QStringLiteral("B"));
    ASSERT_EQ(TNumeros->State(), dsEdit);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(QTest::qWaitFor([combo] { return combo->hasFocus(); }, 2000));
    EXPECT_EQ(combo->lineEdit()->selectedText(), QStringLiteral("7B"));
    EXPECT_EQ(Errors, QStringList{QStringLiteral("'7B' is not a valid integer value")});
}
