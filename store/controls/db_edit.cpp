// The single-line bound editor. The widget is read-only whenever its link is
// not editing; a key that would change the text first asks the link to edit,
// which with AutoEdit makes the table enter the edit state and the widget
// writable before the key itself is handled.
#include "store/controls/db_edit.h"

#include "platform/dispatch.h"
#include "store/controls/editor_keys.h"
#include "store/field.h"

#include <algorithm>

#include <QKeyEvent>
#include <QValidator>

namespace {
// QLineEdit has no "unlimited" setting; this is its own default. The
// widget's own limit counts UTF-16 units and would cut a character in two,
// so it stays here and the editor's limit is kept by TCharacterLimit.
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

// Keeps the text to a number of characters (code points), whatever brought
// the change: keys, paste, drop or input method. Of text put in beyond the
// limit only the whole characters that fit are kept; a change of which none
// fits (a character typed at the limit) is refused, so the widget undoes it.
class TDBEdit::TCharacterLimit : public QValidator {
public:
    explicit TCharacterLimit(QObject* parent) : QValidator(parent) {}
    void SetLimit(int limit) { limit_ = limit; }

    State validate(QString& input, int& pos) const override {
        if (limit_ > 0 && input.size() > limit_ && CharacterCount(input) > limit_) {
            // What the change put in: the text between what it left alone at
            // either end, widened to whole characters.
            const QString& before = accepted_;
            qsizetype head = 0;
            const qsizetype shorter = std::min(before.size(), input.size());
            while (head < shorter && before.at(head) == input.at(head))
                ++head;
            if (head > 0 && input.at(head - 1).isHighSurrogate())
                --head;
            qsizetype tail = 0;
            while (tail < shorter - head &&
                   before.at(before.size() - 1 - tail) == input.at(input.size() - 1 - tail))
                ++tail;
            if (tail > 0 && input.at(input.size() - tail).isLowSurrogate())
                --tail;
            const QString inserted = input.mid(head, input.size() - head - tail);
            const int room = limit_ - (CharacterCount(input) - CharacterCount(inserted));
            if (room <= 0)
                return Invalid;
            const QString kept = CutToCharacters(inserted, room);
            input = input.left(head) + kept + input.right(tail);
            pos = int(head + kept.size());
        }
        accepted_ = input;
        return Acceptable;
    }

private:
    int limit_ = 0;
    mutable QString accepted_; // the text as the last change left it
};

TDBEdit::TDBEdit(QWidget* parent) : TBoundTextEditor(parent), limit_(new TCharacterLimit(this)) {
    QLineEdit::setReadOnly(true);
    QLineEdit::setMaxLength(kNoLimit);
    setValidator(limit_);
    ApplyCharacterLimit();
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
    ApplyCharacterLimit();
}

void TDBEdit::ApplyMaxLength() {
    const TField* field = dataLink_.Field();
    if (!field || field->DataType() != ftString)
        return;
    if (maxLength_ != 0 && !maxLengthFromField_)
        return; // a length of the editor's own
    maxLength_ = field->Size();
    maxLengthFromField_ = true;
    ApplyCharacterLimit();
}

void TDBEdit::ApplyCharacterLimit() {
    limit_->SetLimit(maxLength_);
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
        ApplyCharacterLimit();
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
        if (ChangesText(*event))
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
