// The multi-line bound editor, on a plain-text edit. Every change of the
// document outside the editor's own display of the field marks the link
// modified, so the text typed is what is written back.
#include "store/controls/db_memo.h"

#include "platform/dispatch.h"
#include "store/controls/editor_keys.h"
#include "store/field.h"

#include <QKeyEvent>

TDBMemo::TDBMemo(QWidget* parent) : TBoundTextEditor(parent) {
    QPlainTextEdit::setReadOnly(true);
    setTabChangesFocus(true);
    dataLink_.OnDataChange = [this](TFieldDataLink*) { DataChange(); };
    dataLink_.OnEditingChange = [this](TFieldDataLink*) { EditingChange(); };
    dataLink_.OnUpdateData = [this](TFieldDataLink*) { UpdateData(); };
    connect(this, &QPlainTextEdit::textChanged, this,
            [this] { Dispatch([this] { TextChanged(); }); });
}

TDBMemo::~TDBMemo() = default;

void TDBMemo::DataChange() {
    const TField* field = dataLink_.Field();
    QString text;
    if (field)
        text = Focused() && dataLink_.CanModify() ? field->Text() : field->DisplayText();
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
        if (ChangesText(*event) || key == Qt::Key_Return || key == Qt::Key_Enter ||
            key == Qt::Key_Tab)
            StartEdit();
        QPlainTextEdit::keyPressEvent(event);
    });
}

editor_keys::TEditRequestState TDBMemo::EditRequestState() const {
    editor_keys::TEditRequestState state;
    state.HasSelection = textCursor().hasSelection();
    state.CanUndo = document()->isUndoAvailable();
    state.HasText = !document()->isEmpty();
    return state;
}

void TDBMemo::DeleteSelection() {
    textCursor().removeSelectedText();
}
