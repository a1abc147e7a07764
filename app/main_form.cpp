// The main window: its layout, kept to the pixel values of the original
// window, and its command handlers. The handlers never test the table state
// themselves; the enabled buttons are the guard of the editing workflow,
// and the keyboard presses a button only while it is enabled.
#include "app/main_form.h"

#include "about/f_sobre.h"
#include "app/button_images.h"
#include "app/export_copier.h"
#include "app/image_list.h"
#include "app/popup_menu.h"
#include "app/tool_bar.h"
#include "platform/dialogs.h"
#include "platform/dispatch.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/graphics/font.h"
#include "platform/ui/application.h"
#include "platform/ui/cursors.h"
#include "platform/ui/key_translation.h"
#include "report/fr_rel_quest.h"
#include "report/rp_report.h"
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_panels.h"
#include "store/data_source.h"
#include "store/field.h"
#include "store/question_tables.h"
#include "store/session.h"
#include "store/table.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>

#include <algorithm>

namespace {

constexpr unsigned Confirmation = MB_YESNO | MB_ICONQUESTION; // 36

TFont WindowFont() {
    TFont font;
    font.SetName(QStringLiteral("MS Sans Serif"));
    font.SetHeight(-11);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                  int width, int height) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    // Labels size themselves to their caption: the stored width is what the
    // caption took in the original face, and a wider substitute face must
    // not cut it.
    label->setWordWrap(false);
    label->setGeometry(left, top, std::max(width, label->sizeHint().width()), height);
    return label;
}

} // namespace

TForm1::TForm1(QWidget* parent, TSession* session)
    : QWidget(parent), session_(session ? session : &Session()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Cadastro de Questões"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(508, 426);
    setFont(ToQFont(WindowFont()));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    CreateComponents();
    // Key preview: this window sees every key before the focused control.
    qApp->installEventFilter(this);
    // A failure while creating is reported and the window still comes up,
    // with the buttons as the layout leaves them (all enabled).
    Dispatch([this] { FormCreate(this); });
}

TForm1::~TForm1() {
    qApp->removeEventFilter(this);
    // The editors hold links into the data sources: they go first.
    delete PageControl1;
    PageControl1 = nullptr;
}

void TForm1::CreateComponents() {
    normal_ = std::make_unique<TImageList>(16, 16);
    hotFlat_ = std::make_unique<TImageList>(16, 16);
    LoadNormalImages(*normal_);
    LoadHotFlatImages(*hotFlat_);

    perguntas_ = std::make_unique<TTable>(QStringLiteral("TPerguntas"));
    perguntas_->SetSession(session_);
    perguntas_->SetDatabaseName(QStringLiteral("Questoes"));
    DeclareQuestionTable(*perguntas_);
    frases_ = std::make_unique<TTable>(QStringLiteral("TFrases"));
    frases_->SetSession(session_);
    frases_->SetDatabaseName(QStringLiteral("Questoes"));
    DeclarePhraseTable(*frases_);
    dsPerguntas_ = std::make_unique<TDataSource>(QStringLiteral("DSPerguntas"));
    dsPerguntas_->SetDataSet(perguntas_.get());
    dsPerguntas_->SetAutoEdit(false);
    dsFrases_ = std::make_unique<TDataSource>(QStringLiteral("DSFrases"));
    dsFrases_->SetDataSet(frases_.get());

    // Visual components in creation order: later siblings lie above.
    CreateStatusBar();
    CreateToolBars();
    CreatePages();

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(176, 184, 169, 49);
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    TFont panelFont;
    panelFont.SetName(QStringLiteral("Arial"));
    panelFont.SetHeight(-13);
    panelFont.SetStyle(fsBold);
    panelFont.SetCharset(0);
    Panel1->setFont(ToQFont(panelFont));
    Label8 = MakeLabel(Panel1, QStringLiteral("Label8"), QStringLiteral("Copiando. Aguarde ..."), 1,
                       15, 163, 16);
    Label8->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Panel1->hide();

    PopupMenu1 = new TPopupMenu(this, QStringLiteral("PopupMenu1"));
    f1 = PopupMenu1->AddItem(QStringLiteral("f1"), QStringLiteral("Excluir Todos os Registros"),
                             ShortCut(VK_DELETE, ssCtrl));
    f1->OnClick = [this](QObject* sender) { f1Click(sender); };
    AlterarRegistro1 =
        PopupMenu1->AddItem(QStringLiteral("AlterarRegistro1"), QStringLiteral("Alterar Registro"),
                            ShortCut(VK_INSERT, ssCtrl));
    AlterarRegistro1->OnClick = [this](QObject* sender) { ToolButton7Click(sender); };

    // Tab order of the window: bottom toolbar, top toolbar, pages, panel.
    setTabOrder(PageControl1, Panel1);
}

void TForm1::CreateStatusBar() {
    SB1 = new TExStatusBar(this);
    SB1->setObjectName(QStringLiteral("SB1"));
    SB1->BeginLoad();
    const TExStatusPanelType types[] = {sptTime, sptDate, sptNormal, sptNormal};
    const int widths[] = {60, 80, 320, 50};
    const char* stored[] = {"12:54:44", "20/01/2000", "", ""};
    for (int i = 0; i < 4; ++i) {
        TExStatusPanel* panel = SB1->Panels().Add();
        panel->SetAlignment(taCenter);
        panel->SetWidth(widths[i]);
        panel->SetText(QString::fromLatin1(stored[i]));
        panel->SetPanelType(types[i]);
    }
    SB1->Panels()[2]->SetHint(QStringLiteral("..."));
    SB1->Panels()[2]->GaugeAttrs()->SetSpeed(10);
    SB1->EndLoad();
    SB1->setGeometry(0, 407, 508, 19);
}

void TForm1::CreateToolBars() {
    ToolBar3 = new TToolBar(this, QStringLiteral("ToolBar3"));
    ToolBar3->setGeometry(0, 370, 508, 37);
    ToolBar3->SetCaption(QStringLiteral("Barra de Ferramentas"));
    ToolBar3->SetButtonSize(84, 36);
    ToolBar3->SetEdges(esNone, esRaised);
    ToolBar3->SetImages(normal_.get());
    ToolBar3->SetHotImages(hotFlat_.get());
    ToolButton13 = ToolBar3->AddButton(QStringLiteral("ToolButton13"),
                                       QStringLiteral("Sobre o Sistema"), QString(), 12);
    ToolButton100 = ToolBar3->AddSeparator(QStringLiteral("ToolButton100"), 247);
    ToolButton11 = ToolBar3->AddButton(QStringLiteral("ToolButton11"), QStringLiteral("Exportar"),
                                       QStringLiteral("Exportar para o Disquete (F11)"), 9);
    ToolButton140 = ToolBar3->AddSeparator(QStringLiteral("ToolButton140"), 8);
    ToolButton12 = ToolBar3->AddButton(QStringLiteral("ToolButton12"), QStringLiteral("Imprimir"),
                                       QStringLiteral("Imprime as Questões (F12)"), 11);

    ToolBar1 = new TToolBar(this, QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 0, 508, 38);
    ToolBar1->SetCaption(QStringLiteral("Barra de Ferramentas"));
    ToolBar1->SetButtonSize(49, 36);
    ToolBar1->SetEdges(esLowered, esRaised);
    ToolBar1->SetImages(normal_.get());
    ToolBar1->SetHotImages(hotFlat_.get());
    ToolButton1 = ToolBar1->AddButton(QStringLiteral("ToolButton1"), QStringLiteral("Primeira"),
                                      QStringLiteral("Primeiro Registro (Home)"), 0);
    ToolButton2 = ToolBar1->AddButton(QStringLiteral("ToolButton2"), QStringLiteral("Anterior"),
                                      QStringLiteral("Registro Anterior (Page Up)"), 1);
    ToolButton3 = ToolBar1->AddButton(QStringLiteral("ToolButton3"), QStringLiteral("Próxima"),
                                      QStringLiteral("Próximo Registro (Page Down)"), 2);
    ToolButton4 = ToolBar1->AddButton(QStringLiteral("ToolButton4"), QStringLiteral("Ultima"),
                                      QStringLiteral("Último Registro (End)"), 3);
    ToolButton120 = ToolBar1->AddSeparator(QStringLiteral("ToolButton120"), 8);
    ToolButton5 = ToolBar1->AddButton(QStringLiteral("ToolButton5"), QStringLiteral("Novo"),
                                      QStringLiteral("Incluir Novo Registro (Ins)"), 4);
    ToolButton6 = ToolBar1->AddButton(QStringLiteral("ToolButton6"), QStringLiteral("Salvar"),
                                      QStringLiteral("Salvar Registro (F10)"), 5);
    ToolButton7 = ToolBar1->AddButton(QStringLiteral("ToolButton7"), QStringLiteral("Alterar"),
                                      QStringLiteral("Alterar Registro (Ctrl+Ins)"), 6);
    ToolButton8 = ToolBar1->AddButton(QStringLiteral("ToolButton8"), QStringLiteral("Excluir"),
                                      QStringLiteral("Excluir Registro (Del)"), 7);
    ToolButton9 = ToolBar1->AddButton(QStringLiteral("ToolButton9"), QStringLiteral("Cancelar"),
                                      QStringLiteral("Cancelar (Esc)"), 8);
    ToolButton130 = ToolBar1->AddSeparator(QStringLiteral("ToolButton130"), 7);
    ToolButton10 = ToolBar1->AddButton(QStringLiteral("ToolButton10"), QStringLiteral("Sair"),
                                       QStringLiteral("Sair do Sistema"), 10);

    const std::pair<TToolButton*, void (TForm1::*)(QObject*)> handlers[] = {
        {ToolButton1, &TForm1::ToolButton1Click},   {ToolButton2, &TForm1::ToolButton2Click},
        {ToolButton3, &TForm1::ToolButton3Click},   {ToolButton4, &TForm1::ToolButton4Click},
        {ToolButton5, &TForm1::ToolButton5Click},   {ToolButton6, &TForm1::ToolButton6Click},
        {ToolButton7, &TForm1::ToolButton7Click},   {ToolButton8, &TForm1::ToolButton8Click},
        {ToolButton9, &TForm1::ToolButton9Click},   {ToolButton10, &TForm1::ToolButton10Click},
        {ToolButton11, &TForm1::ToolButton11Click}, {ToolButton12, &TForm1::ToolButton12Click},
        {ToolButton13, &TForm1::ToolButton13Click},
    };
    for (const auto& [button, handler] : handlers)
        button->OnClick = [this, handler = handler](QObject* sender) { (this->*handler)(sender); };
}

void TForm1::CreatePages() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 38, 508, 332);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Cadastro de Questões"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Cadastro de Frases"));
    PageControl1->setCurrentWidget(TabSheet1);

    const auto memo = [this](const QString& name, const QString& field, int top) {
        auto* editor = new TDBMemo(TabSheet1);
        editor->SetName(name);
        editor->setGeometry(8, top, 489, 41);
        editor->SetDataSource(dsPerguntas_.get());
        editor->SetDataField(field);
        return editor;
    };
    Label2 =
        MakeLabel(TabSheet1, QStringLiteral("Label2"), QStringLiteral("Questão"), 8, 8, 40, 13);
    DBMemo1 = memo(QStringLiteral("DBMemo1"), QStringLiteral("Questao"), 24);
    Label3 = MakeLabel(TabSheet1, QStringLiteral("Label3"), QStringLiteral("Alternativa - A"), 8,
                       72, 66, 13);
    DBMemo2 = memo(QStringLiteral("DBMemo2"), QStringLiteral("Resp_A"), 88);
    Label4 = MakeLabel(TabSheet1, QStringLiteral("Label4"), QStringLiteral("Alternativa - B"), 8,
                       136, 66, 13);
    DBMemo3 = memo(QStringLiteral("DBMemo3"), QStringLiteral("Resp_B"), 152);
    Label5 = MakeLabel(TabSheet1, QStringLiteral("Label5"), QStringLiteral("Alternativa - C"), 8,
                       200, 66, 13);
    DBMemo4 = memo(QStringLiteral("DBMemo4"), QStringLiteral("Resp_C"), 216);
    Label6 = MakeLabel(TabSheet1, QStringLiteral("Label6"), QStringLiteral("Alternativa - Correta"),
                       8, 264, 93, 13);
    DBComboBox1 = new TDBComboBox(TabSheet1);
    DBComboBox1->SetName(QStringLiteral("DBComboBox1"));
    DBComboBox1->setGeometry(8, 280, 57, 21);
    DBComboBox1->SetItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    DBComboBox1->SetDataSource(dsPerguntas_.get());
    DBComboBox1->SetDataField(QStringLiteral("Correta"));
    setTabOrder(DBMemo1, DBMemo2);
    setTabOrder(DBMemo2, DBMemo3);
    setTabOrder(DBMemo3, DBMemo4);
    setTabOrder(DBMemo4, DBComboBox1);

    const auto edit = [this](const QString& name, const QString& field, int top) {
        auto* editor = new TDBEdit(TabSheet2);
        editor->SetName(name);
        editor->setGeometry(8, top, 490, 21);
        editor->SetDataSource(dsFrases_.get());
        editor->SetDataField(field);
        return editor;
    };
    Label1 =
        MakeLabel(TabSheet2, QStringLiteral("Label1"), QStringLiteral("Correta"), 8, 8, 34, 13);
    DBEdit1 = edit(QStringLiteral("DBEdit1"), QStringLiteral("Correta"), 24);
    Label1->setBuddy(DBEdit1);
    Label7 =
        MakeLabel(TabSheet2, QStringLiteral("Label7"), QStringLiteral("Errada"), 8, 64, 31, 13);
    DBEdit2 = edit(QStringLiteral("DBEdit2"), QStringLiteral("Errada"), 80);
    Label7->setBuddy(DBEdit2);
    setTabOrder(DBEdit1, DBEdit2);
}

TTable* TForm1::PageTable() const {
    if (PageControl1 == nullptr || PageControl1->currentWidget() == TabSheet1)
        return perguntas_.get();
    return frases_.get();
}

TToolButton* TForm1::CommandButton(int number) const {
    TToolButton* const buttons[] = {ToolButton1, ToolButton2,  ToolButton3,  ToolButton4,
                                    ToolButton5, ToolButton6,  ToolButton7,  ToolButton8,
                                    ToolButton9, ToolButton10, ToolButton11, ToolButton12,
                                    ToolButton13};
    if (number < 1 || number > 13)
        return nullptr;
    return buttons[number - 1];
}

void TForm1::ApplyBrowseSet() {
    for (int i = 1; i <= 12; ++i)
        CommandButton(i)->SetEnabled(i != 6 && i != 9);
}

void TForm1::ApplyEditingSet() {
    for (int i = 1; i <= 12; ++i)
        CommandButton(i)->SetEnabled(i == 6 || i == 9);
}

void TForm1::ApplyBusySet() {
    for (int i = 1; i <= 12; ++i)
        CommandButton(i)->SetEnabled(false);
}

void TForm1::WriteRecordNumber(TTable* table) {
    SB1->Panels()[3]->SetText(QString::number(table->RecNo()));
}

// ---- Start-up and shutdown -------------------------------------------------

void TForm1::FormCreate(QObject*) {
    session_->AddPassword(QString::fromLatin1(kQuestionTablesPassword));
    perguntas_->Open();
    frases_->Open();
    ApplyBrowseSet();
}

void TForm1::FormShow(QObject*) {
    // After a failed start the table is closed: the panel stays empty
    // rather than raising a second error over the first.
    if (perguntas_->Active())
        WriteRecordNumber(perguntas_.get());
}

void TForm1::FormClose(QObject*, TCloseAction& Action) {
    // Both tables, the page's first: a phrase typed into (which starts its
    // change by itself) and left for the questions page would otherwise be
    // dropped without a word when the tables close.
    TTable* const page = PageTable();
    for (TTable* table : {page, page == perguntas_.get() ? frases_.get() : perguntas_.get()}) {
        if (table->State() == dsInsert) {
            Dialogs().ShowMessage(
                QStringLiteral("Não pode Sair, Termine seu Cadastro ou Cancele para Sair !"));
            Abort();
        }
        if (table->State() == dsEdit) {
            Dialogs().ShowMessage(
                QStringLiteral("Não pode Sair, Termine suas Alterações ou Cancele para Sair !"));
            Abort();
        }
    }
    if (Dialogs().MessageBox(QStringLiteral("Deseja Realmente Sair do Sistema ?"),
                             QStringLiteral("Sair do Sistema?"), Confirmation) == IDYES) {
        perguntas_->Close();
        frases_->Close();
        if (Application)
            Application->Terminate();
    } else {
        Action = caNone;
    }
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    Dispatch([this] { FormShow(this); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    TCloseAction action = caHide;
    const bool ran = Dispatch([&] { FormClose(this, action); });
    if (!ran || action == caNone)
        event->ignore();
    else
        event->accept();
}

void TForm1::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
}

// ---- Record commands -------------------------------------------------------

// The navigation rules: buttons 1 to 4 (and "Novo" for "Ultima") by the
// begin- or end-of-table flag after the move.
void TForm1::NavigationStates(TTable* table, bool byEof, bool touchNovo) {
    const bool atEdge = byEof ? table->Eof() : table->Bof();
    ToolButton1->SetEnabled(!atEdge || byEof);
    ToolButton2->SetEnabled(!atEdge || byEof);
    ToolButton3->SetEnabled(!atEdge || !byEof);
    ToolButton4->SetEnabled(!atEdge || !byEof);
    if (touchNovo)
        ToolButton5->SetEnabled(true);
}

void TForm1::ToolButton1Click(QObject*) {
    TTable* table = PageTable();
    table->First();
    NavigationStates(table, false, false);
    WriteRecordNumber(table);
}

void TForm1::ToolButton2Click(QObject*) {
    TTable* table = PageTable();
    table->Prior();
    NavigationStates(table, false, false);
    WriteRecordNumber(table);
}

void TForm1::ToolButton3Click(QObject*) {
    TTable* table = PageTable();
    table->Next();
    NavigationStates(table, true, false);
    WriteRecordNumber(table);
}

void TForm1::ToolButton4Click(QObject*) {
    TTable* table = PageTable();
    table->Last();
    NavigationStates(table, true, true);
    WriteRecordNumber(table);
}

void TForm1::ToolButton5Click(QObject*) {
    TTable* table = PageTable();
    table->Insert();
    ApplyEditingSet();
    WriteRecordNumber(table);
    if (table == perguntas_.get())
        DBMemo1->setFocus();
    else
        DBEdit1->setFocus();
}

void TForm1::ToolButton6Click(QObject*) {
    TTable* table = PageTable();
    if (table == perguntas_.get())
        table->FieldByName(QStringLiteral("Flag"))->SetAsString(QStringLiteral("N"));
    table->Post();
    ApplyBrowseSet();
    WriteRecordNumber(table);
}

void TForm1::ToolButton7Click(QObject*) {
    TTable* table = PageTable();
    table->Edit();
    ApplyEditingSet();
    WriteRecordNumber(table);
}

void TForm1::ToolButton9Click(QObject*) {
    TTable* table = PageTable();
    table->Cancel();
    ApplyBrowseSet();
    WriteRecordNumber(table);
}

void TForm1::ToolButton10Click(QObject*) {
    close();
}

void TForm1::ToolButton12Click(QObject*) {
    // Returns when the preview has closed; while it shows, a second click
    // returns at once.
    if (FRRelQuest != nullptr)
        FRRelQuest->RpRelQuest()->Preview();
}

void TForm1::ToolButton13Click(QObject*) {
    if (FSobre != nullptr)
        FSobre->ShowModal();
}

// ---- Deleting --------------------------------------------------------------

void TForm1::ToolButton8Click(QObject*) {
    TTable* table = PageTable();
    if (Dialogs().MessageBox(QStringLiteral("Deseja Realmente Excluir ?"),
                             QStringLiteral("Confirmação de Exclusão"), Confirmation) == IDYES) {
        if (!table->IsEmpty())
            table->Delete();
    }
    WriteRecordNumber(table);
}

void TForm1::f1Click(QObject*) {
    TTable* table = PageTable();
    const bool questions = table == perguntas_.get();
    const QString question = questions
                                 ? QStringLiteral("Deseja Realmente Excluir TODAS as QUESTÕES ?")
                                 : QStringLiteral("Deseja Realmente Excluir TODAS as FRASES ?");
    if (Dialogs().MessageBox(question, QStringLiteral("Confirmação de Exclusão"), Confirmation) !=
        IDYES)
        return;
    while (!table->IsEmpty())
        table->Delete();
    Dialogs().ShowMessage(questions ? QStringLiteral("Todas as Questões Foram Excluídos")
                                    : QStringLiteral("Todas as Frases Foram Excluídos"));
}

// ---- Export ----------------------------------------------------------------

namespace {

// Eats every key and mouse event of the application while it lives, so that
// nothing typed or clicked during the export acts on the window, then or
// later; painting and timers go on.
class TInputBlocker : public QObject {
public:
    TInputBlocker() { qApp->installEventFilter(this); }
    ~TInputBlocker() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
        }
    }
};

} // namespace

void TForm1::ToolButton11Click(QObject*) {
    if (Dialogs().MessageBox(QStringLiteral("Deseja Exportar as Questões ?"),
                             QStringLiteral("Confirmação de Exportação"), Confirmation) == IDYES) {
        Panel1->show();
        if (Application)
            Application->SetCursor(crHourGlass);
        ApplyBusySet();
        TExStatusPanel* gauge = SB1->Panels()[2];
        gauge->GaugeAttrs()->SetStyle(gsPercent);
        gauge->SetPanelType(sptGauge);

        QStringList failures;
        {
            const TInputBlocker blocker;
            // The panel, the disabled buttons and the gauge are on screen,
            // and what the confirmation covered is painted again, before the
            // first byte is copied.
            QCoreApplication::processEvents();
            TExportCopier copier(*session_, InstallFolder(), FloppyFolder());
            copier.OnProgress = [gauge](int percent) { gauge->GaugeAttrs()->SetPosition(percent); };
            copier.OnWaiting = [] { QCoreApplication::processEvents(); };
            failures = copier.Run();
        }

        gauge->SetPanelType(sptNormal);
        Panel1->hide();
        if (failures.isEmpty())
            Dialogs().ShowMessage(QStringLiteral("Questões Copiadas com Sucesso !"));
        else
            Dialogs().ShowMessage(QStringLiteral("A exportação não copiou todos os arquivos:\n\n%1")
                                      .arg(failures.join(QLatin1Char('\n'))));
        if (Application)
            Application->SetCursor(crDefault);
    }
    ApplyBrowseSet();
}

// ---- Keyboard --------------------------------------------------------------

void TForm1::ClickIfEnabled(TToolButton* button) {
    if (button->Enabled())
        button->Click();
}

void TForm1::FormKeyDown(QObject*, int& Key, TShiftState) {
    const bool questionsBrowsing = perguntas_->State() == dsBrowse;
    if (Key == VK_INSERT)
        ClickIfEnabled(ToolButton5);
    if (Key == VK_F10)
        ClickIfEnabled(ToolButton6);
    if (Key == VK_F9)
        ClickIfEnabled(ToolButton7);
    if (Key == VK_DELETE && questionsBrowsing)
        ClickIfEnabled(ToolButton8);
    if (Key == VK_ESCAPE)
        ClickIfEnabled(ToolButton9);
    if (Key == VK_PRIOR)
        ClickIfEnabled(ToolButton2);
    if (Key == VK_NEXT)
        ClickIfEnabled(ToolButton3);
    if (Key == VK_HOME && questionsBrowsing)
        ClickIfEnabled(ToolButton1);
    if (Key == VK_END && questionsBrowsing)
        ClickIfEnabled(ToolButton4);
    if (Key == VK_F11)
        ClickIfEnabled(ToolButton11);
    if (Key == VK_F12)
        ClickIfEnabled(ToolButton12);
}

void TForm1::FormKeyPress(QObject*, QChar& Key) {
    if (Key.unicode() == VK_RETURN) { // Enter types a carriage return
        focusNextPrevChild(true);
        Key = QChar(0);
    }
}

bool TForm1::PreviewKey(QKeyEvent* event) {
    // The pop-up menu's shortcuts come first and are consumed.
    const TShortCut shortCut = ShortCutFromQt(*event);
    bool isShortCut = false;
    Dispatch([&] { isShortCut = PopupMenu1->IsShortCut(shortCut); });
    if (isShortCut)
        return true;
    int key = VirtualKeyFromQt(*event);
    const TShiftState shift = ShiftStateFromQt(event->modifiers());
    // The system menu's close key, for desktops without a window manager
    // that would otherwise turn it into a close request.
    if (key == VK_F4 && shift == TShiftState(ssAlt)) {
        close();
        return true;
    }
    if (key != 0)
        Dispatch([&] { FormKeyDown(this, key, shift); });
    const QString text = event->text();
    if (!text.isEmpty()) {
        QChar ch = text.at(0);
        Dispatch([&] { FormKeyPress(this, ch); });
        if (ch.unicode() == 0)
            return true;
    }
    return false;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    switch (keyPreview_.Classify(watched, event)) {
    case TKeyPreview::Swallow:
        return true;
    case TKeyPreview::Preview:
        return PreviewKey(static_cast<QKeyEvent*>(event));
    case TKeyPreview::Pass:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
