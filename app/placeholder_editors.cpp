#include "app/placeholder_editors.h"

#include "platform/dispatch.h"
#include "store/field.h"

#include <QKeyEvent>

namespace {

// Keys that change an editor's text.
bool ChangesText(const QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)
        return true;
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut))
        return true;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint() &&
           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

TPlaceholderBinding::TPlaceholderBinding(QWidget* widget) : widget_(widget) {
    link_.SetControl(this);
}

TPlaceholderBinding::~TPlaceholderBinding() {
    link_.OnDataChange = nullptr;
    link_.OnEditingChange = nullptr;
    link_.OnUpdateData = nullptr;
    link_.OnActiveChange = nullptr;
    link_.SetControl(nullptr);
}

void TPlaceholderBinding::Bind() {
    link_.OnDataChange = [this](TFieldDataLink*) { ShowField(); };
    link_.OnActiveChange = [this](TFieldDataLink*) { ShowField(); };
    link_.OnEditingChange = [this](TFieldDataLink*) { SetEditorReadOnly(!link_.Editing()); };
    link_.OnUpdateData = [this](TFieldDataLink*) {
        if (link_.Field())
            link_.Field()->SetText(EditorText());
    };
    SetEditorReadOnly(true);
}

QString TPlaceholderBinding::Name() const {
    return widget_->objectName();
}

bool TPlaceholderBinding::CanFocus() const {
    return widget_->isEnabled() && widget_->isVisible();
}

void TPlaceholderBinding::SetFocus() {
    widget_->setFocus();
}

void TPlaceholderBinding::ShowField() {
    showing_ = true;
    SetEditorText(link_.Field() ? link_.Field()->Text() : QString());
    showing_ = false;
    SetEditorReadOnly(!link_.Editing());
}

bool TPlaceholderBinding::BeforeChange() {
    bool editing = false;
    Dispatch([&] { editing = link_.Edit(); });
    SetEditorReadOnly(!editing);
    return editing;
}

void TPlaceholderBinding::UserChanged() {
    if (!showing_)
        link_.Modified();
}

void TPlaceholderBinding::LeaveEditor() {
    if (link_.IsModified())
        Dispatch([this] { link_.UpdateRecord(); });
}

TPlaceholderDBMemo::TPlaceholderDBMemo(QWidget* parent)
    : QPlainTextEdit(parent), TPlaceholderBinding(this) {
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { UserChanged(); });
    Bind();
}

void TPlaceholderDBMemo::keyPressEvent(QKeyEvent* event) {
    if (ChangesText(event) && !BeforeChange())
        return;
    QPlainTextEdit::keyPressEvent(event);
}

void TPlaceholderDBMemo::focusOutEvent(QFocusEvent* event) {
    LeaveEditor();
    QPlainTextEdit::focusOutEvent(event);
}

TPlaceholderDBEdit::TPlaceholderDBEdit(QWidget* parent)
    : QLineEdit(parent), TPlaceholderBinding(this) {
    connect(this, &QLineEdit::textEdited, this, [this] { UserChanged(); });
    Bind();
}

void TPlaceholderDBEdit::keyPressEvent(QKeyEvent* event) {
    if (ChangesText(event) && !BeforeChange())
        return;
    QLineEdit::keyPressEvent(event);
}

void TPlaceholderDBEdit::focusOutEvent(QFocusEvent* event) {
    LeaveEditor();
    QLineEdit::focusOutEvent(event);
}

TPlaceholderDBComboBox::TPlaceholderDBComboBox(QWidget* parent)
    : QComboBox(parent), TPlaceholderBinding(this) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::editTextChanged, this, [this] { UserChanged(); });
    Bind();
}

void TPlaceholderDBComboBox::SetItems(const QStringList& items) {
    const QString text = currentText();
    clear();
    addItems(items);
    setEditText(text);
}

void TPlaceholderDBComboBox::SetEditorReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (lineEdit())
        lineEdit()->setReadOnly(readOnly);
}

void TPlaceholderDBComboBox::keyPressEvent(QKeyEvent* event) {
    const bool choosing = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if ((ChangesText(event) || choosing) && !BeforeChange())
        return;
    QComboBox::keyPressEvent(event);
}

void TPlaceholderDBComboBox::focusOutEvent(QFocusEvent* event) {
    LeaveEditor();
    QComboBox::focusOutEvent(event);
}
