// The single-line bound editor over the phrases table: what it shows, when
// it is writable, AutoEdit on the first key, the length limit from the field,
// Esc, write-back on leaving and on moving, and a write-back that fails.
#include "store/controls/db_edit.h"

#include "platform/exceptions.h"
#include "platform/testing/exception_message.h"
#include "store/controls/tests/controls_test_support.h"
#include "store/field.h"
#include "store/table.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <string>

namespace {
// Counts the Esc presses that reach the form, i.e. that an editor let go.
class TEscCounter : public QObject {
public:
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            ++Count;
        return false;
    }
};

const TPhrases kTwoPhrases = {{QStringLiteral("O sol nasce"), QStringLiteral("O sol cai")},
                              {QStringLiteral("A agua molha"), QStringLiteral("A agua seca")}};
} // namespace

class DBEditTest : public ControlsTest {
protected:
    TDBEdit* MakeEdit(const char* name, const char* field, TDataSource* source) {
        auto* edit = new TDBEdit(Form.get());
        edit->SetName(QString::fromLatin1(name));
        edit->SetDataField(QString::fromLatin1(field));
        edit->SetDataSource(source);
        return edit;
    }
};

TEST_F(DBEditTest, FollowsItsTableWithNoOtherCode) {
    PrepareTables(0, kTwoPhrases);
    TDBEdit* edit1 = MakeEdit("DBEdit1", "Correta", &DSFrases);
    TDBEdit* edit2 = MakeEdit("DBEdit2", "Errada", &DSFrases);
    EXPECT_TRUE(edit1->text().isEmpty());
    EXPECT_TRUE(edit1->isReadOnly());

    OpenPhrases();
    EXPECT_EQ(edit1->text(), QStringLiteral("O sol nasce"));
    EXPECT_EQ(edit2->text(), QStringLiteral("O sol cai"));
    EXPECT_TRUE(edit1->isReadOnly());
    ASSERT_NE(edit1->Field(), nullptr);
    EXPECT_EQ(edit1->Field()->FieldName(), QStringLiteral("Correta"));

    TFrases->Next();
    EXPECT_EQ(edit1->text(), QStringLiteral("A agua molha"));
    EXPECT_EQ(edit2->text(), QStringLiteral("A agua seca"));

    TFrases->Edit();
    EXPECT_FALSE(edit1->isReadOnly());
    EXPECT_FALSE(edit2->isReadOnly());
    TFrases->Cancel();
    EXPECT_TRUE(edit1->isReadOnly());

    TFrases->Close();
    EXPECT_TRUE(edit1->text().isEmpty());
    EXPECT_TRUE(edit2->text().isEmpty());
    EXPECT_TRUE(edit1->isReadOnly());
}

TEST_F(DBEditTest, TypingInBrowseStartsAnEditAndTheLetterIsEntered) {
    PrepareTables(0, kTwoPhrases);
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(edit));
    ASSERT_EQ(TFrases->State(), dsBrowse);

    QTest::keyClick(edit, Qt::Key_X);
    EXPECT_EQ(TFrases->State(), dsEdit);
    EXPECT_FALSE(edit->isReadOnly());
    EXPECT_EQ(edit->text(), QStringLiteral("O sol nascex"));
    EXPECT_TRUE(edit->DataLink().IsModified());
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(DBEditTest, TypingOnAnEmptyTableStartsAnInsert) {
    PrepareTables(0, {});
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(edit));

    QTest::keyClicks(edit, QStringLiteral("Nova"));
    EXPECT_EQ(TFrases->State(), dsInsert);
    EXPECT_EQ(edit->text(), QStringLiteral("Nova"));
    TFrases->Post();
    EXPECT_EQ(TFrases->State(), dsBrowse);
    EXPECT_EQ(FieldText(*TFrases, "Correta"), QStringLiteral("Nova"));
}

TEST_F(DBEditTest, TheHundredAndFirstCharacterIsRefused) {
    PrepareTables(0, {});
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    OpenPhrases();
    EXPECT_EQ(edit->MaxLength(), 100);
    ShowForm();
    ASSERT_TRUE(Focus(edit));

    const QString typed = QString(100, QLatin1Char('a')) + QLatin1Char('b');
    QTest::keyClicks(edit, typed);
    EXPECT_EQ(edit->text(), QString(100, QLatin1Char('a')));
    TFrases->Post();
    EXPECT_EQ(FieldText(*TFrases, "Correta"), QString(100, QLatin1Char('a')));
}

namespace {
// A key whose text is `text` whole, as X delivers a character outside the
// basic plane (QTest would send its two halves as two keys).
void TypeCharacter(QWidget* widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}
} // namespace

// The limit counts characters: a character outside the basic plane (two
// UTF-16 units) is kept whole or refused whole, typed or pasted.
TEST_F(DBEditTest, CharactersBeyondTheBasicPlaneAreCountedWholeAndNeverSplit) {
    PrepareTables(0, {});
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    TDBEdit* other = MakeEdit("DBEdit2", "Errada", &DSFrases);
    other->move(0, 40);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(edit));
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600
    const QString heart = QString::fromUtf8("\xE2\x9D\xA4");     // U+2764, one unit

    // Sixty pasted fit in a hundred characters though they are 120 units.
    QApplication::clipboard()->setText(smile.repeated(60));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), smile.repeated(60));
    // Thirty-nine more fill it to 99; of three pasted at 99 one fits.
    QApplication::clipboard()->setText(smile.repeated(39));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QApplication::clipboard()->setText(smile.repeated(3));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), smile.repeated(100));
    // At the limit: a typed one, a pasted one and a one-unit one are refused
    // whole, also put between two others.
    TypeCharacter(edit, smile);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    TypeCharacter(edit, heart);
    edit->setCursorPosition(2);
    TypeCharacter(edit, smile);
    EXPECT_EQ(edit->text(), smile.repeated(100));
    // Replacing a selected character by another is no growth.
    edit->setSelection(0, 2);
    TypeCharacter(edit, heart);
    EXPECT_EQ(edit->text(), heart + smile.repeated(99));

    ASSERT_TRUE(Focus(other));
    QApplication::clipboard()->setText(QStringLiteral("ab") + smile.repeated(100));
    QTest::keyClick(other, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(other->text(), QStringLiteral("ab") + smile.repeated(98));
    TFrases->Post();
    const QByteArray stored = FieldText(*TFrases, "Correta").toUtf8();
    EXPECT_EQ(stored, (heart + smile.repeated(99)).toUtf8());
    EXPECT_EQ(FieldText(*TFrases, "Errada"), QStringLiteral("ab") + smile.repeated(98));
}

// Typing on a phrase that another user deleted meanwhile: the engine's
// message, and the key goes nowhere, least of all into the next phrase.
TEST_F(DBEditTest, TypingOnAPhraseDeletedElsewhereIsRefusedWithTheEnginesMessage) {
    PrepareTables(0, kTwoPhrases);
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(edit));
    TTable other(QStringLiteral("TOutra"));
    other.SetSession(DbSession.get());
    other.SetDatabaseName(QStringLiteral("Questoes"));
    other.SetTableName(QStringLiteral("FRASES.DB"));
    other.Open();
    other.Delete();

    QTest::keyClicks(edit, QStringLiteral("x"));
    EXPECT_EQ(Errors, QStringList{QStringLiteral("Record was deleted by another user\n"
                                                 "Table: FRASES.DB")});
    EXPECT_EQ(TFrases->State(), dsBrowse);
    EXPECT_EQ(edit->text(), QStringLiteral("O sol nasce"));
    TFrases->Next();
    EXPECT_EQ(edit->text(), QStringLiteral("A agua molha"));
    EXPECT_EQ(other.RecordCount(), 1);
}

TEST_F(DBEditTest, MaximumLengthIsClearedAndTakenAgainOnReactivation) {
    PrepareTables(0, kTwoPhrases);
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    EXPECT_EQ(edit->MaxLength(), 0);
    OpenPhrases();
    EXPECT_EQ(edit->MaxLength(), 100);
    TFrases->Close();
    EXPECT_EQ(edit->MaxLength(), 0);
    TFrases->FieldByName(QStringLiteral("Correta"))->SetSize(60);
    TFrases->Open();
    EXPECT_EQ(edit->MaxLength(), 60);

    // A length of the editor's own is kept.
    edit->SetMaxLength(20);
    TFrases->Close();
    TFrases->Open();
    EXPECT_EQ(edit->MaxLength(), 20);
}

TEST_F(DBEditTest, EscAfterTypingBringsBackTheFieldAndIsSwallowed) {
    PrepareTables(0, kTwoPhrases);
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(edit));
    TEscCounter counter;
    Form->installEventFilter(&counter);

    QTest::keyClicks(edit, QStringLiteral(" hoje"));
    ASSERT_EQ(edit->text(), QStringLiteral("O sol nasce hoje"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->text(), QStringLiteral("O sol nasce"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("O sol nasce"));
    EXPECT_FALSE(edit->DataLink().IsModified());
    EXPECT_EQ(counter.Count, 0);
    // The table's edit is the window's to cancel, not the editor's.
    EXPECT_EQ(TFrases->State(), dsEdit);
    TFrases->Post();
    EXPECT_EQ(FieldText(*TFrases, "Correta"), QStringLiteral("O sol nasce"));
}

TEST_F(DBEditTest, MovingToAnotherPhraseStoresTheTypedTextFirst) {
    PrepareTables(0, kTwoPhrases);
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(edit));

    QTest::keyClicks(edit, QStringLiteral("!"));
    TFrases->Next();
    EXPECT_EQ(TFrases->State(), dsBrowse);
    EXPECT_EQ(edit->text(), QStringLiteral("A agua molha"));
    TFrases->First();
    EXPECT_EQ(FieldText(*TFrases, "Correta"), QStringLiteral("O sol nasce!"));
    EXPECT_EQ(edit->text(), QStringLiteral("O sol nasce!"));
}

TEST_F(DBEditTest, LeavingTheEditWritesItsTextIntoTheField) {
    PrepareTables(0, kTwoPhrases);
    TDBEdit* edit1 = MakeEdit("DBEdit1", "Correta", &DSFrases);
    TDBEdit* edit2 = MakeEdit("DBEdit2", "Errada", &DSFrases);
    edit2->move(0, 40);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(edit1));

    QTest::keyClick(edit1, Qt::Key_Backspace);
    ASSERT_EQ(TFrases->State(), dsEdit);
    EXPECT_EQ(FieldText(*TFrases, "Correta"), QStringLiteral("O sol nasce"));
    ASSERT_TRUE(Focus(edit2));
    EXPECT_EQ(FieldText(*TFrases, "Correta"), QStringLiteral("O sol nasc"));
    EXPECT_FALSE(edit1->DataLink().IsModified());
    EXPECT_TRUE(TFrases->Modified());
}

TEST_F(DBEditTest, PasteInBrowseStartsAnEditAndCutsToTheLimit) {
    PrepareTables(0, kTwoPhrases);
    TDBEdit* edit = MakeEdit("DBEdit1", "Errada", &DSFrases);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(edit));
    QApplication::clipboard()->setText(QString(150, QLatin1Char('z')));

    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(TFrases->State(), dsEdit);
    EXPECT_EQ(edit->text(), QString(100, QLatin1Char('z')));
    TFrases->Post();
    EXPECT_EQ(FieldText(*TFrases, "Errada"), QString(100, QLatin1Char('z')));
}

TEST_F(DBEditTest, PasteRequestWithoutAutoEditChangesNothing) {
    PrepareTables(0, kTwoPhrases);
    DSFrases.SetAutoEdit(false);
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    OpenPhrases();
    QApplication::clipboard()->setText(QStringLiteral("colado"));

    edit->PasteFromClipboard();
    edit->CutToClipboard();
    QTest::keyClicks(edit, QStringLiteral("abc"));
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(TFrases->State(), dsBrowse);
    EXPECT_EQ(edit->text(), QStringLiteral("O sol nasce"));
    EXPECT_FALSE(edit->DataLink().IsModified());
}

TEST_F(DBEditTest, AMissingFieldIsReportedWithTheEditorsNameWhenTheTableOpens) {
    PrepareTables(0, kTwoPhrases);
    MakeEdit("DBEdit1", "Certa", &DSFrases);
    EXPECT_EQ(ExceptionMessage([&] { OpenPhrases(); }),
              QStringLiteral("DBEdit1: Field 'Certa' not found"));
}

TEST_F(DBEditTest, AFailedWriteBackKeepsTheFocusSelectsAllAndShowsTheError) {
    PrepareTables(0, {});
    TDBEdit* edit = MakeEdit("DBEdit9", "Numero", &DSNumeros);
    auto* other = new QPushButton(QStringLiteral("outro"), Form.get());
    other->move(0, 60);
    OpenNumbers();
    ShowForm();
    ASSERT_TRUE(Focus(edit));
    ASSERT_EQ(edit->text(), QStringLiteral("7"));
    EXPECT_EQ(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);

    QTest::keyClicks(edit, QStringLiteral("x"));
    ASSERT_EQ(TNumeros->State(), dsEdit);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(QTest::qWaitFor([edit] { return edit->hasFocus(); }, 2000));
    EXPECT_EQ(edit->text(), QStringLiteral("7x"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("7x"));
    EXPECT_EQ(Errors, QStringList{QStringLiteral("'7x' is not a valid integer value")});
    EXPECT_EQ(TNumeros->State(), dsEdit);
}

namespace {
struct TKeyRow {
    const char* Name;
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
    bool StartsEdit;
};

class DBEditKeyTest : public DBEditTest, public ::testing::WithParamInterface<TKeyRow> {};

const TKeyRow kKeyRows[] = {
    {"Letter", Qt::Key_Q, Qt::NoModifier, true},
    {"Space", Qt::Key_Space, Qt::NoModifier, true},
    {"Delete", Qt::Key_Delete, Qt::NoModifier, true},
    {"Backspace", Qt::Key_Backspace, Qt::NoModifier, true},
    {"ShiftInsert", Qt::Key_Insert, Qt::ShiftModifier, true},
    {"CtrlV", Qt::Key_V, Qt::ControlModifier, true},
    {"CtrlX", Qt::Key_X, Qt::ControlModifier, true},
    {"Left", Qt::Key_Left, Qt::NoModifier, false},
    {"Home", Qt::Key_Home, Qt::NoModifier, false},
    {"CtrlC", Qt::Key_C, Qt::ControlModifier, false},
    {"F2", Qt::Key_F2, Qt::NoModifier, false},
};
} // namespace

TEST_P(DBEditKeyTest, OnlyKeysThatChangeTheTextStartAnEdit) {
    PrepareTables(0, kTwoPhrases);
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(edit));
    QApplication::clipboard()->setText(QStringLiteral("colado"));

    QTest::keyClick(edit, GetParam().Key, GetParam().Modifiers);
    EXPECT_EQ(TFrases->State(), GetParam().StartsEdit ? dsEdit : dsBrowse);
    EXPECT_EQ(edit->isReadOnly(), !GetParam().StartsEdit);
}

INSTANTIATE_TEST_SUITE_P(Keys, DBEditKeyTest, ::testing::ValuesIn(kKeyRows),
                         [](const ::testing::TestParamInfo<TKeyRow>& info) {
                             return std::string(info.param.Name);
                         });

TEST_F(DBEditTest, ContextMenuPasteStartsAnEdit) {
    PrepareTables(0, kTwoPhrases);
    TDBEdit* edit = MakeEdit("DBEdit1", "Correta", &DSFrases);
    OpenPhrases();
    ShowForm();
    ASSERT_TRUE(Focus(edit));
    edit->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("colado"));

    bool pasteEnabled = false;
    bool menuSeen = false;
    QTimer::singleShot(0, edit, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        menuSeen = true;
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QLatin1String("edit-paste")) {
                pasteEnabled = action->isEnabled();
                action->trigger();
            }
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                            edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit, &event);

    ASSERT_TRUE(menuSeen);
    EXPECT_TRUE(pasteEnabled);
    EXPECT_EQ(TFrases->State(), dsEdit);
    EXPECT_EQ(edit->text(), QStringLiteral("colado"));
    EXPECT_TRUE(edit->DataLink().IsModified());
}
