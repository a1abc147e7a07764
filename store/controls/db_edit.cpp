// The single-line bound editor. The widget is read-only whenever its link is
// not editing; a key that would change the text first asks the link to edit,
// which with AutoEdit makes the table enter the edit state and the widget
// writable before the key itself is handled.
#include "store/controls/db_edit.h"

#include "platform/dispatch.h"
#include "store/controls/editor_keys.h"
#include "store/field.h"

#include <QKeyEvent>

namespace {
// QLineEdit has no "unlimited" setting; this is its own default.
constexpr int kNoLimit = 32767;

Qt::Alignment QtAlignment(TAlignment alignment) {
    switch (alignment) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}
} // namespace

TDBEdit::TDBEdit(QWidget* parent) : TBoundTextEditor(parent) {
    QLineEdit::setReadOnly(true);
    ApplyWidgetMaxLength();
    dataLink_.OnDataChange = [this](TFieldDataLink*) { DataChange(); };
    dataLink_.OnEditingChange = [this](TFieldDataLink*) { EditingChange(); };
    dataLink_.OnUpdateData = [this](TFieldDataLink*) { UpdateData(); };
    dataLink_.OnActiveChange = [this](TFieldDataLink*) { ActiveChange(); };
    connect(this, &QLineEdit::textEdited, this, [this] { Dispatch([this] { TextEdited(); }); });
}

TDBEdit::~TDBEdit() = default;

void TDBEdit::SetMaxLength(int maxLength) {
    maxLength_ = maxLength < 0 ? 0 : maxLength;
    maxLengthFromField_ = false;
    ApplyWidgetMaxLength();
}

void TDBEdit::ApplyMaxLength() {
    const TField* field = dataLink_.Field();
    if (!field || field->DataType() != ftString)
        return;
    if (maxLength_ != 0 && !maxLengthFromField_)
        return; // a length of the editor's own
    maxLength_ = field->Size();
    maxLengthFromField_ = true;
    ApplyWidgetMaxLength();
}

void TDBEdit::ApplyWidgetMaxLength() {
    // Setting it, even to the same value, puts the text back and drops the
    // selection.
    const int limit = maxLength_ == 0 ? kNoLimit : maxLength_;
    if (maxLength() != limit)
        QLineEdit::setMaxLength(limit);
}

void TDBEdit::DataChange() {
    const TField* field = dataLink_.Field();
    const bool keepModified = dataLink_.Editing() && dataLink_.IsModified();
    QString shown;
    if (field) {
        setAlignment(QtAlignment(field->Alignment()));
        ApplyMaxLength();
        shown = Focused() && dataLink_.CanModify() ? field->Text() : field->DisplayText();
    }
    showing_ = true;
    // The same text again keeps the caret and the selection, so a key that
    // starts an edit acts where the user put them.
    if (text() != shown)
        setText(shown);
    if (keepModified)
        setModified(true);
    showing_ = false;
}

void TDBEdit::EditingChange() {
    QLineEdit::setReadOnly(!dataLink_.Editing());
}

void TDBEdit::UpdateData() {
    // No edit mask is used by this program's fields, so the text goes in as
    // it is; the field cuts it to its size.
    dataLink_.Field()->SetText(text());
}

void TDBEdit::ActiveChange() {
    // A length taken from the field is taken again from the field bound now,
    // so it follows a table whose field size changed while it was closed.
    if (maxLengthFromField_) {
        maxLength_ = 0;
        maxLengthFromField_ = false;
        ApplyWidgetMaxLength();
    }
    if (dataLink_.Active())
        ApplyMaxLength();
}

void TDBEdit::TextEdited() {
    if (!showing_)
        dataLink_.Modified();
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
    Dispatch([&] {
        using namespace editor_keys;
        if (event->key() == Qt::Key_Escape) {
            // Esc brings the field back and is not passed on.
            dataLink_.Reset();
            selectAll();
            event->accept();
            return;
        }
        if (IsBackspaceOrDelete(*event) || IsPaste(*event) || IsCut(*event) || IsUndo(*event) ||
            IsTextCharacter(*event))
            StartEdit();
        QLineEdit::keyPressEvent(event);
    });
}

void TDBEdit::WriteBackFailed() {
    // The text stays, selected, for the user to correct.
    selectAll();
}

editor_keys::TEditRequestState TDBEdit::EditRequestState() const {
    editor_keys::TEditRequestState state;
    state.HasSelection = hasSelectedText();
    state.CanUndo = isUndoAvailable();
    state.HasText = !text().isEmpty();
    return state;
}

void TDBEdit::DeleteSelection() {
    del();
}
