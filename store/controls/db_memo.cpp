// The multi-line bound editor, on a plain-text edit. Every change of the
// document outside the editor's own display of the field marks the link
// modified, so the text typed is what is written back.
#include "store/controls/db_memo.h"

#include "platform/dispatch.h"
#include "store/controls/editor_keys.h"
#include "store/field.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <memory>

TDBMemo::TDBMemo(QWidget* parent) : QPlainTextEdit(parent) {
    QPlainTextEdit::setReadOnly(true);
    setTabChangesFocus(true);
    dataLink_.SetControl(this);
    dataLink_.OnDataChange = [this](TFieldDataLink*) { DataChange(); };
    dataLink_.OnEditingChange = [this](TFieldDataLink*) { EditingChange(); };
    dataLink_.OnUpdateData = [this](TFieldDataLink*) { UpdateData(); };
    connect(this, &QPlainTextEdit::textChanged, this,
            [this] { Dispatch([this] { TextChanged(); }); });
}

TDBMemo::~TDBMemo() {
    dataLink_.SetControl(nullptr);
}

void TDBMemo::SetDataSource(TDataSource* dataSource) {
    dataLink_.SetDataSource(dataSource);
}

void TDBMemo::SetDataField(const QString& dataField) {
    dataLink_.SetFieldName(dataField);
}

bool TDBMemo::CanFocus() const {
    return editor_keys::CanTakeFocus(*this);
}

void TDBMemo::SetFocus() {
    setFocus(Qt::OtherFocusReason);
}

bool TDBMemo::StartEdit() {
    return dataLink_.Edit();
}

void TDBMemo::DataChange() {
    const TField* field = dataLink_.Field();
    QString text;
    if (field)
        text = focused_ && dataLink_.CanModify() ? field->Text() : field->DisplayText();
    showing_ = true;
    // Showing the same text again would move the caret to the start for
    // nothing (every key that starts an edit redisplays the field).
    if (toPlainText() != text)
        setPlainText(text);
    showing_ = false;
}

void TDBMemo::EditingChange() {
    QPlainTextEdit::setReadOnly(!dataLink_.Editing());
    // A read-only plain-text edit hides its caret and stops taking keys that
    // move it; writable again, it gets both back.
    setTextInteractionFlags(dataLink_.Editing()
                                ? Qt::TextEditorInteraction
                                : Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TDBMemo::UpdateData() {
    dataLink_.Field()->SetAsString(toPlainText());
}

void TDBMemo::TextChanged() {
    if (!showing_)
        dataLink_.Modified();
}

void TDBMemo::SetFocused(bool focused) {
    if (focused_ == focused)
        return;
    focused_ = focused;
    dataLink_.Reset();
}

void TDBMemo::CutToClipboard() {
    if (StartEdit())
        cut();
}

void TDBMemo::PasteFromClipboard() {
    if (StartEdit())
        paste();
}

void TDBMemo::Undo() {
    if (StartEdit())
        undo();
}

void TDBMemo::keyPressEvent(QKeyEvent* event) {
    Dispatch([&] {
        using namespace editor_keys;
        const int key = event->key();
        if (key == Qt::Key_Escape) {
            // The memo resets itself and lets the key go on to the window.
            dataLink_.Reset();
            event->ignore();
            return;
        }
        if (IsBackspaceOrDelete(*event) || IsPaste(*event) || IsCut(*event) || IsUndo(*event) ||
            IsTextCharacter(*event) || key == Qt::Key_Return || key == Qt::Key_Enter ||
            key == Qt::Key_Tab)
            StartEdit();
        QPlainTextEdit::keyPressEvent(event);
    });
}

void TDBMemo::inputMethodEvent(QInputMethodEvent* event) {
    Dispatch([&] {
        if (!event->commitString().isEmpty())
            StartEdit();
        QPlainTextEdit::inputMethodEvent(event);
    });
}

void TDBMemo::focusInEvent(QFocusEvent* event) {
    Dispatch([&] {
        if (event->reason() != Qt::PopupFocusReason)
            SetFocused(true);
    });
    QPlainTextEdit::focusInEvent(event);
}

void TDBMemo::focusOutEvent(QFocusEvent* event) {
    const bool leaving = editor_keys::IsLeaving(*event);
    QPlainTextEdit::focusOutEvent(event);
    // A link whose table went away has nothing to write into.
    if (!leaving || !dataLink_.Active())
        return;
    Dispatch([&] {
        try {
            dataLink_.UpdateRecord();
        } catch (...) {
            setFocus(Qt::OtherFocusReason);
            throw;
        }
        SetFocused(false);
    });
}

void TDBMemo::contextMenuEvent(QContextMenuEvent* event) {
    Dispatch([&] {
        editor_keys::TEditRequestState state;
        state.HasSelection = textCursor().hasSelection();
        state.CanUndo = document()->isUndoAvailable();
        state.HasText = !document()->isEmpty();
        const std::unique_ptr<QMenu> menu =
            editor_keys::MakeEditMenu(this, dataLink_, state, [this](const QString& name) {
                if (editor_keys::ChangesText(name) && !StartEdit())
                    return;
                if (name == QLatin1String("edit-undo"))
                    undo();
                else if (name == QLatin1String("edit-cut"))
                    cut();
                else if (name == QLatin1String("edit-copy"))
                    copy();
                else if (name == QLatin1String("edit-paste"))
                    paste();
                else if (name == QLatin1String("edit-delete"))
                    textCursor().removeSelectedText();
                else if (name == QLatin1String("select-all"))
                    selectAll();
            });
        menu->exec(event->globalPos());
    });
}
