#include "app/tests/app_test_support.h"

#include "app/popup_menu.h"
#include "app/tool_bar.h"
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_panels.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QTabWidget>

namespace {

struct ButtonRow {
    const char* Name;
    int Left;
    int Width;
    const char* Caption;
    const char* Hint;
    int Image;
};

const ButtonRow Buttons[] = {
    {"ToolButton1", 0, 49, "Primeira", "Primeiro Registro (Home)", 0},
    {"ToolButton2", 49, 49, "Anterior", "Registro Anterior (Page Up)", 1},
    {"ToolButton3", 98, 49, "Próxima", "Próximo Registro (Page Down)", 2},
    {"ToolButton4", 147, 49, "Ultima", "Último Registro (End)", 3},
    {"ToolButton120", 196, 8, "", "", -1},
    {"ToolButton5", 204, 49, "Novo", "Incluir Novo Registro (Ins)", 4},
    {"ToolButton6", 253, 49, "Salvar", "Salvar Registro (F10)", 5},
    {"ToolButton7", 302, 49, "Alterar", "Alterar Registro (Ctrl+Ins)", 6},
    {"ToolButton8", 351, 49, "Excluir", "Excluir Registro (Del)", 7},
    {"ToolButton9", 400, 49, "Cancelar", "Cancelar (Esc)", 8},
    {"ToolButton130", 449, 7, "", "", -1},
    {"ToolButton10", 456, 49, "Sair", "Sair do Sistema", 10},
    {"ToolButton13", 0, 84, "Sobre o Sistema", "", 12},
    {"ToolButton100", 84, 247, "", "", -1},
    {"ToolButton11", 331, 84, "Exportar", "Exportar para o Disquete (F11)", 9},
    {"ToolButton140", 415, 8, "", "", -1},
    {"ToolButton12", 423, 84, "Imprimir", "Imprime as Questões (F12)", 11},
};

struct BoxRow {
    const char* Name;
    QRect Geometry;
};

const BoxRow Editors[] = {
    {"DBMemo1", QRect(8, 24, 489, 41)},     {"DBMemo2", QRect(8, 88, 489, 41)},
    {"DBMemo3", QRect(8, 152, 489, 41)},    {"DBMemo4", QRect(8, 216, 489, 41)},
    {"DBComboBox1", QRect(8, 280, 57, 21)}, {"DBEdit1", QRect(8, 24, 490, 21)},
    {"DBEdit2", QRect(8, 80, 490, 21)},
};

struct LabelRow {
    const char* Name;
    int Left, Top, Width;
    const char* Caption;
};

const LabelRow Labels[] = {
    {"Label2", 8, 8, 40, "Questão"},
    {"Label3", 8, 72, 66, "Alternativa - A"},
    {"Label4", 8, 136, 66, "Alternativa - B"},
    {"Label5", 8, 200, 66, "Alternativa - C"},
    {"Label6", 8, 264, 93, "Alternativa - Correta"},
    {"Label1", 8, 8, 34, "Correta"},
    {"Label7", 8, 64, 31, "Errada"},
};

class LayoutTest : public MainFormTest {};

} // namespace

TEST_F(LayoutTest, WindowIsFixedCentredAndCaptioned) {
    TForm1& form = Form();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Cadastro de Questões"));
    EXPECT_EQ(form.size(), QSize(508, 426));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(LayoutTest, EveryToolButtonSitsAtItsPlaceWithCaptionHintAndImage) {
    TForm1& form = Form();
    for (const ButtonRow& row : Buttons) {
        auto* button = form.findChild<TToolButton*>(QString::fromLatin1(row.Name));
        ASSERT_NE(button, nullptr) << row.Name;
        EXPECT_EQ(button->Left(), row.Left) << row.Name;
        EXPECT_EQ(button->width(), row.Width) << row.Name;
        EXPECT_EQ(button->height(), 36) << row.Name;
        if (row.Image < 0) {
            EXPECT_EQ(button->Style(), tbsSeparator) << row.Name;
            continue;
        }
        EXPECT_EQ(button->Caption(), QString::fromUtf8(row.Caption)) << row.Name;
        EXPECT_EQ(button->Hint(), QString::fromUtf8(row.Hint)) << row.Name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(row.Hint)) << row.Name;
        EXPECT_EQ(button->ImageIndex(), row.Image) << row.Name;
    }
}

TEST_F(LayoutTest, ToolBarsPagesPanelAndStatusBarFillTheWindow) {
    TForm1& form = Form();
    EXPECT_EQ(form.ToolBar1->geometry(), QRect(0, 0, 508, 38));
    EXPECT_EQ(form.ToolBar3->geometry(), QRect(0, 370, 508, 37));
    EXPECT_EQ(form.PageControl1->geometry(), QRect(0, 38, 508, 332));
    EXPECT_EQ(form.SB1->geometry(), QRect(0, 407, 508, 19));
    EXPECT_EQ(form.Panel1->geometry(), QRect(176, 184, 169, 49));
    EXPECT_FALSE(form.Panel1->isVisible());
    EXPECT_EQ(form.Label8->geometry(), QRect(1, 15, 163, 16));
    EXPECT_EQ(form.Label8->text(), QStringLiteral("Copiando. Aguarde ..."));
    EXPECT_TRUE(form.Label8->font().bold());
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet1);
    EXPECT_EQ(form.PageControl1->tabText(0), QStringLiteral("Cadastro de Questões"));
    EXPECT_EQ(form.PageControl1->tabText(1), QStringLiteral("Cadastro de Frases"));
    EXPECT_EQ(form.ToolBar1->Caption(), QStringLiteral("Barra de Ferramentas"));
}

TEST_F(LayoutTest, EditorsAndLabelsSitOnTheirPages) {
    TForm1& form = Form();
    for (const BoxRow& row : Editors) {
        auto* editor = form.findChild<QWidget*>(QString::fromLatin1(row.Name));
        ASSERT_NE(editor, nullptr) << row.Name;
        EXPECT_EQ(editor->geometry(), row.Geometry) << row.Name;
    }
    for (const LabelRow& row : Labels) {
        auto* label = form.findChild<QLabel*>(QString::fromLatin1(row.Name));
        ASSERT_NE(label, nullptr) << row.Name;
        EXPECT_EQ(label->pos(), QPoint(row.Left, row.Top)) << row.Name;
        EXPECT_GE(label->width(), row.Width) << row.Name;
        EXPECT_EQ(label->height(), 13) << row.Name;
        EXPECT_EQ(label->text(), QString::fromUtf8(row.Caption)) << row.Name;
    }
    EXPECT_EQ(form.DBMemo1->parentWidget(), form.TabSheet1);
    EXPECT_EQ(form.DBEdit1->parentWidget(), form.TabSheet2);
    EXPECT_EQ(form.Label1->buddy(), form.DBEdit1);
    EXPECT_EQ(form.DBComboBox1->count(), 3);
}

TEST_F(LayoutTest, TabOrderRunsThroughEachPage) {
    TForm1& form = Form();
    // Enter moves to the next tab stop, as Tab does.
    form.DBMemo1->setFocus();
    for (QWidget* next :
         {static_cast<QWidget*>(form.DBMemo2), static_cast<QWidget*>(form.DBMemo3),
          static_cast<QWidget*>(form.DBMemo4), static_cast<QWidget*>(form.DBComboBox1)}) {
        Key(Qt::Key_Return);
        EXPECT_TRUE(QApplication::focusWidget() == next ||
                    QApplication::focusWidget()->parentWidget() == next)
            << QApplication::focusWidget()->objectName().toStdString();
    }
    ShowPhrases();
    form.DBEdit1->setFocus();
    Key(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form.DBEdit2);
}

TEST_F(LayoutTest, StatusBarHasItsFourPanels) {
    TForm1& form = Form();
    TExStatusPanels& panels = form.SB1->Panels();
    ASSERT_EQ(panels.Count(), 4);
    const TExStatusPanelType types[] = {sptTime, sptDate, sptNormal, sptNormal};
    const int widths[] = {60, 80, 320, 50};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(panels[i]->PanelType(), types[i]) << i;
        EXPECT_EQ(panels[i]->Width(), widths[i]) << i;
        EXPECT_EQ(panels[i]->Alignment(), taCenter) << i;
    }
    EXPECT_EQ(panels[2]->StoredHint(), QStringLiteral("..."));
    EXPECT_EQ(panels[2]->GaugeAttrs()->Speed(), 10);
}

TEST_F(LayoutTest, PopupMenuItemsCarryTheirShortcuts) {
    TForm1& form = Form();
    ASSERT_EQ(form.PopupMenu1->ItemCount(), 2);
    EXPECT_EQ(form.f1->Caption(), QStringLiteral("Excluir Todos os Registros"));
    EXPECT_EQ(form.f1->ShortCut(), 16430);
    EXPECT_EQ(form.AlterarRegistro1->Caption(), QStringLiteral("Alterar Registro"));
    EXPECT_EQ(form.AlterarRegistro1->ShortCut(), 16429);
}

TEST_F(LayoutTest, DisabledAndHotButtonsDrawDifferently) {
    TForm1& form = Form();
    const QImage enabled = form.ToolButton1->grab().toImage();
    form.ToolButton1->SetEnabled(false);
    const QImage disabled = form.ToolButton1->grab().toImage();
    EXPECT_NE(enabled, disabled);
}
