// The bound combo box, on an editable QComboBox. The list never grows from
// what is typed (no insertion, no completion): the items are fixed, and the
// edit box holds whatever the field holds.
#include "store/controls/db_combo_box.h"

#include "platform/dispatch.h"
#include "platform/ui/key_translation.h"
#include "store/controls/editor_keys.h"
#include "store/field.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

TDBComboBox::TDBComboBox(QWidget* parent) : TBoundEditor(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    lineEdit()->setReadOnly(true);
    dataLink_.OnDataChange = [this](TFieldDataLink*) { DataChange(); };
    dataLink_.OnEditingChange = [this](TFieldDataLink*) { EditingChange(); };
    dataLink_.OnUpdateData = [this](TFieldDataLink*) { UpdateData(); };
    connect(lineEdit(), &QLineEdit::textEdited, this,
            [this] { Dispatch([this] { TextEdited(); }); });
    connect(this, &QComboBox::currentIndexChanged, this,
            [this] { Dispatch([this] { IndexChanged(); }); });
}

TDBComboBox::~TDBComboBox() = default;

QStringList TDBComboBox::Items() const {
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items << itemText(i);
    return items;
}

void TDBComboBox::SetItems(const QStringList& items) {
    const QString text = currentText();
    showing_ = true;
    clear();
    addItems(items);
    SetComboText(text);
    showing_ = false;
}

void TDBComboBox::SetComboText(const QString& text) {
    const int index = findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (currentIndex() != index)
        setCurrentIndex(index);
    // The same text again keeps the caret and the selection.
    if (currentText() != text)
        setEditText(text);
}

void TDBComboBox::DataChange() {
    // While the list is open the user is choosing; the edit box follows the
    // list until it closes.
    if (droppedDown_)
        return;
    const TField* field = dataLink_.Field();
    showing_ = true;
    SetComboText(field ? field->Text() : QString());
    showing_ = false;
}

void TDBComboBox::EditingChange() {
    lineEdit()->setReadOnly(!dataLink_.Editing());
}

void TDBComboBox::UpdateData() {
    dataLink_.Field()->SetText(currentText());
}

void TDBComboBox::TextEdited() {
    if (!showing_)
        dataLink_.Modified();
}

void TDBComboBox::IndexChanged() {
    if (showing_)
        return;
    // A choice from the list, by the mouse, the wheel or the keys.
    if (StartEdit()) {
        dataLink_.Modified();
        return;
    }
    // No edit could be started: the choice is dropped and the list closed.
    hidePopup();
    dataLink_.Reset();
}

void TDBComboBox::showPopup() {
    Dispatch([&] {
        StartEdit();
        droppedDown_ = true;
        QComboBox::showPopup();
    });
}

void TDBComboBox::hidePopup() {
    Dispatch([&] {
        const bool wasDropped = droppedDown_;
        droppedDown_ = false;
        QComboBox::hidePopup();
        if (wasDropped && !dataLink_.Editing())
            dataLink_.Reset();
    });
}

void TDBComboBox::keyPressEvent(QKeyEvent* event) {
    Dispatch([&] {
        using namespace editor_keys;
        const int key = event->key();
        if (key == Qt::Key_Escape && !droppedDown_) {
            dataLink_.Reset();
            lineEdit()->selectAll();
            event->ignore();
            return;
        }
        // The list keys and every key from the space to the end of the
        // single-byte key codes may change the text.
        const int vk = VirtualKeyFromQt(*event);
        const bool listKey = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                             key == Qt::Key_PageDown;
        if (vk == VK_BACK || vk == VK_DELETE || listKey || (vk >= 32 && vk <= 255) ||
            IsPaste(*event) || IsCut(*event) || IsTextCharacter(*event)) {
            if (!StartEdit() && listKey) {
                event->accept();
                return;
            }
        }
        QComboBox::keyPressEvent(event);
    });
}

void TDBComboBox::wheelEvent(QWheelEvent* event) {
    Dispatch([&] {
        // The wheel steps through the list as Up and Down do.
        if (!StartEdit()) {
            event->accept();
            return;
        }
        QComboBox::wheelEvent(event);
    });
}

void TDBComboBox::WriteBackFailed() {
    lineEdit()->selectAll();
}
