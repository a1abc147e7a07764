// The main window of the question bank editor: two toolbars of record
// commands over a page control with the questions page and the phrases
// page, the copy panel of the export, the pop-up menu of bulk commands and
// the status bar with the clock, the date, the export gauge and the record
// number. Every command acts on the page table, the table of the page that
// is showing, decided afresh each time.
#pragma once

#include "platform/keys.h"
#include "platform/ui/key_preview.h"
#include "store/controls/db_combo_box.h"
#include "store/controls/db_edit.h"
#include "store/controls/db_memo.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class QFrame;
class QKeyEvent;
class QLabel;
class QTabWidget;
class TDataSource;
class TExStatusBar;
class TImageList;
class TMenuItem;
class TPopupMenu;
class TSession;
class TTable;
class TToolBar;
class TToolButton;

enum TCloseAction { caNone, caHide, caFree, caMinimize };

// One entry of the export's copy list.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    // The tables open through `session`, the program's default session when
    // none is given (tests give their own).
    explicit TForm1(QWidget* parent = nullptr, TSession* session = nullptr);
    ~TForm1() override;

    // Where the export reads from and writes to (fixed, resolved through
    // the drive map).
    static QString InstallFolder() { return QStringLiteral("C:\\ZQ\\Questoes\\"); }
    static QString FloppyFolder() { return QStringLiteral("A:\\"); }

    // Components, named as in the window's layout.
    TExStatusBar* SB1 = nullptr;
    TToolBar* ToolBar3 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton1 = nullptr;
    TToolButton* ToolButton2 = nullptr;
    TToolButton* ToolButton3 = nullptr;
    TToolButton* ToolButton4 = nullptr;
    TToolButton* ToolButton120 = nullptr;
    TToolButton* ToolButton5 = nullptr;
    TToolButton* ToolButton6 = nullptr;
    TToolButton* ToolButton7 = nullptr;
    TToolButton* ToolButton8 = nullptr;
    TToolButton* ToolButton9 = nullptr;
    TToolButton* ToolButton130 = nullptr;
    TToolButton* ToolButton10 = nullptr;
    TToolButton* ToolButton13 = nullptr;
    TToolButton* ToolButton100 = nullptr;
    TToolButton* ToolButton11 = nullptr;
    TToolButton* ToolButton140 = nullptr;
    TToolButton* ToolButton12 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QLabel* Label2 = nullptr;
    TDBMemo* DBMemo1 = nullptr;
    QLabel* Label3 = nullptr;
    TDBMemo* DBMemo2 = nullptr;
    QLabel* Label4 = nullptr;
    TDBMemo* DBMemo3 = nullptr;
    QLabel* Label5 = nullptr;
    TDBMemo* DBMemo4 = nullptr;
    QLabel* Label6 = nullptr;
    TDBComboBox* DBComboBox1 = nullptr;
    QLabel* Label1 = nullptr;
    TDBEdit* DBEdit1 = nullptr;
    QLabel* Label7 = nullptr;
    TDBEdit* DBEdit2 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label8 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* f1 = nullptr;
    TMenuItem* AlterarRegistro1 = nullptr;

    TTable* TPerguntas() const { return perguntas_.get(); }
    TTable* TFrases() const { return frases_.get(); }
    TDataSource* DSPerguntas() const { return dsPerguntas_.get(); }
    TDataSource* DSFrases() const { return dsFrases_.get(); }
    TImageList* Normal() const { return normal_.get(); }
    TImageList* HotFlat() const { return hotFlat_.get(); }

    // TPerguntas while the questions page shows, TFrases otherwise.
    TTable* PageTable() const;
    // The twelve command buttons in the order the sets are applied.
    TToolButton* CommandButton(int number) const;
    void ApplyBrowseSet();
    void ApplyEditingSet();
    void ApplyBusySet();
    // The export's copies, in order: the companion program, then the files
    // of QUESTOES.DB and of FRASES.DB as the engine keeps them.

    // Handlers.
    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void FormClose(QObject* Sender, TCloseAction& Action);
    void FormKeyDown(QObject* Sender, int& Key, TShiftState Shift);
    void FormKeyPress(QObject* Sender, QChar& Key);
    void ToolButton1Click(QObject* Sender);
    void ToolButton2Click(QObject* Sender);
    void ToolButton3Click(QObject* Sender);
    void ToolButton4Click(QObject* Sender);
    void ToolButton5Click(QObject* Sender);
    void ToolButton6Click(QObject* Sender);
    void ToolButton7Click(QObject* Sender);
    void ToolButton8Click(QObject* Sender);
    void ToolButton9Click(QObject* Sender);
    void ToolButton10Click(QObject* Sender);
    void ToolButton11Click(QObject* Sender);
    // "Imprimir": the question listing's preview.
    void ToolButton12Click(QObject* Sender);
    // "Sobre o Sistema": shows the About box modally; nothing else changes.
    void ToolButton13Click(QObject* Sender);
    void f1Click(QObject* Sender);

    // Whether the key preview handled a key event (consumed it). Exposed for
    // tests; the window's application-wide filter calls it.
    bool PreviewKey(QKeyEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateComponents();
    void CreateToolBars();
    void CreatePages();
    void CreateStatusBar();
    void WriteRecordNumber(TTable* table);
    void ClickIfEnabled(TToolButton* button);
    void NavigationStates(TTable* table, bool byEof, bool touchNovo);

    std::unique_ptr<TTable> perguntas_;
    std::unique_ptr<TTable> frases_;
    std::unique_ptr<TDataSource> dsPerguntas_;
    std::unique_ptr<TDataSource> dsFrases_;
    std::unique_ptr<TImageList> normal_;
    std::unique_ptr<TImageList> hotFlat_;
    TSession* session_;
    TKeyPreview keyPreview_{this};
    bool shown_ = false;
};

// The global instance the program entry creates.
inline TForm1* Form1 = nullptr;
