// "Sobre o Sistema": the About box opens modally over the main window in any
// state and leaves the tables, the toolbar and the status bar as they were.
#include "app/tests/app_test_support.h"

#include "about/f_sobre.h"
#include "app/tool_bar.h"
#include "platform/testing/when_modal.h"
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_panels.h"
#include "store/field.h"
#include "store/table.h"

#include <QApplication>
#include <QTest>

#include <memory>

namespace {

class AboutBoxTest : public MainFormTest {
protected:
    AboutBoxTest() {
        Box = std::make_unique<TFSobre>();
        FSobre = Box.get();
    }

    // Clicks "Sobre o Sistema" and, while the box is up, records what the
    // main window shows, then closes the box with Esc.
    void OpenAndCloseAbout() {
        TWhenModal when([this](QWidget* modal) {
            ShownModal = modal;
            StatesWhileOpen = ButtonStates();
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : modal,
                            Qt::Key_Escape);
        });
        Form().ToolButton13->Click();
    }

    std::unique_ptr<TFSobre> Box;
    QWidget* ShownModal = nullptr;
    QString StatesWhileOpen;
};

} // namespace

TEST_F(AboutBoxTest, OpensModallyAndChangesNothingWhileBrowsing) {
    AddQuestions(3);
    TForm1& form = Form();
    form.ToolButton3->Click();
    const QString states = ButtonStates();
    const QString panel = RecordPanel();
    const QString status = form.SB1->Panels()[2]->Text();

    OpenAndCloseAbout();

    EXPECT_EQ(ShownModal, Box.get());
    EXPECT_EQ(StatesWhileOpen, states);
    EXPECT_FALSE(Box->isVisible());
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
    EXPECT_EQ(form.TPerguntas()->RecNo(), 2);
    EXPECT_EQ(ButtonStates(), states);
    EXPECT_EQ(RecordPanel(), panel);
    EXPECT_EQ(form.SB1->Panels()[2]->Text(), status);
}

TEST_F(AboutBoxTest, OpensDuringAnInsertAndLeavesTheRecordBeingEntered) {
    AddQuestions(1);
    TForm1& form = Form();
    form.ToolButton5->Click();
    QTest::keyClicks(form.DBMemo1, QStringLiteral("Meio escrita"));
    ASSERT_EQ(ButtonStates(), QString::fromLatin1(EditingSet));
    ASSERT_TRUE(form.ToolButton13->Enabled());

    OpenAndCloseAbout();

    EXPECT_EQ(ShownModal, Box.get());
    EXPECT_EQ(StatesWhileOpen, QString::fromLatin1(EditingSet));
    EXPECT_EQ(form.TPerguntas()->State(), dsInsert);
    EXPECT_EQ(ButtonStates(), QString::fromLatin1(EditingSet));
    EXPECT_EQ(RecordPanel(), QStringLiteral("-1"));
    // The memo still holds what was typed, and saving stores it.
    form.ToolButton6->Click();
    EXPECT_EQ(form.TPerguntas()->State(), dsBrowse);
    EXPECT_EQ(form.TPerguntas()->FieldByName(QStringLiteral("Questao"))->AsString(),
              QStringLiteral("Meio escrita"));
}
