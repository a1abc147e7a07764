// What the bound editors share over their Qt widget.
//
// TBoundEditor<Base>: the field data link and its binding properties, the
// focus the link asks for, the start of an edit before input method text
// goes in, and the write-back of the text when the focus leaves the editor.
// TBoundTextEditor<Base> adds what the text editors (the edit and the memo)
// have beyond that: the cut, paste and undo requests, the context menu, and
// the field shown for editing while the editor has the focus.
#pragma once

#include "platform/dispatch.h"
#include "store/controls/editor_keys.h"
#include "store/field_data_link.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QString>
#include <memory>

class TDataSource;
class TField;

template <class Base> class TBoundEditor : public Base, public TDataLinkControl {
public:
    explicit TBoundEditor(QWidget* parent) : Base(parent) { dataLink_.SetControl(this); }
    ~TBoundEditor() override { dataLink_.SetControl(nullptr); }
    TBoundEditor(const TBoundEditor&) = delete;
    TBoundEditor& operator=(const TBoundEditor&) = delete;

    // The component name, kept as the widget's object name.
    QString Name() const override { return this->objectName(); }
    void SetName(const QString& name) { this->setObjectName(name); }

    TDataSource* DataSource() const { return dataLink_.DataSource(); }
    void SetDataSource(TDataSource* dataSource) { dataLink_.SetDataSource(dataSource); }
    const QString& DataField() const { return dataLink_.FieldName(); }
    // Binds at once when the data source is active; a field the table lacks
    // fails with "Name: Field 'X' not found".
    void SetDataField(const QString& dataField) { dataLink_.SetFieldName(dataField); }
    TField* Field() const { return dataLink_.Field(); }
    // The link's own read-only setting (the widget's read-only state follows
    // the link's editing flag).
    bool ReadOnly() const { return dataLink_.ReadOnly(); }
    void SetReadOnly(bool readOnly) { dataLink_.SetReadOnly(readOnly); }

    const TFieldDataLink& DataLink() const { return dataLink_; }

    // TDataLinkControl
    bool CanFocus() const override { return editor_keys::CanTakeFocus(*this); }
    void SetFocus() override { this->setFocus(Qt::OtherFocusReason); }

protected:
    // Calls the link's Edit and tells whether the text may now change.
    bool StartEdit() { return dataLink_.Edit(); }

    void inputMethodEvent(QInputMethodEvent* event) override {
        Dispatch([&] {
            if (!event->commitString().isEmpty())
                StartEdit();
            Base::inputMethodEvent(event);
        });
    }

    void focusOutEvent(QFocusEvent* event) override {
        const bool leaving = editor_keys::IsLeaving(*event);
        Base::focusOutEvent(event);
        // A link whose table went away has nothing to write into.
        if (!leaving || !dataLink_.Active())
            return;
        Dispatch([&] {
            try {
                dataLink_.UpdateRecord();
            } catch (...) {
                // The editor keeps the focus for the user to correct the text.
                WriteBackFailed();
                this->setFocus(Qt::OtherFocusReason);
                throw;
            }
            WrittenBack();
        });
    }
    // After a failed write-back, before the focus comes back.
    virtual void WriteBackFailed() {}
    // After the text was written back on leaving.
    virtual void WrittenBack() {}

    TFieldDataLink dataLink_;
};

template <class Base> class TBoundTextEditor : public TBoundEditor<Base> {
public:
    explicit TBoundTextEditor(QWidget* parent) : TBoundEditor<Base>(parent) {}

    // The cut, paste and undo requests: each starts an edit first.
    void CutToClipboard() {
        if (this->StartEdit())
            this->cut();
    }
    void PasteFromClipboard() {
        if (this->StartEdit())
            this->paste();
    }
    void Undo() {
        if (this->StartEdit())
            this->undo();
    }

protected:
    // While it has the focus the editor shows the field's text for editing,
    // otherwise its display text: a change of focus shows the field again.
    bool Focused() const { return focused_; }
    void SetFocused(bool focused) {
        if (focused_ == focused)
            return;
        focused_ = focused;
        this->dataLink_.Reset();
    }

    void focusInEvent(QFocusEvent* event) override {
        Dispatch([&] {
            if (event->reason() != Qt::PopupFocusReason)
                SetFocused(true);
        });
        Base::focusInEvent(event);
    }
    void WrittenBack() override { SetFocused(false); }

    void contextMenuEvent(QContextMenuEvent* event) override {
        Dispatch([&] {
            const std::unique_ptr<QMenu> menu = editor_keys::MakeEditMenu(
                this, this->dataLink_, EditRequestState(), [this](const QString& name) {
                    if (editor_keys::ChangesText(name) && !this->StartEdit())
                        return;
                    if (name == QLatin1String("edit-undo"))
                        this->undo();
                    else if (name == QLatin1String("edit-cut"))
                        this->cut();
                    else if (name == QLatin1String("edit-copy"))
                        this->copy();
                    else if (name == QLatin1String("edit-paste"))
                        this->paste();
                    else if (name == QLatin1String("edit-delete"))
                        DeleteSelection();
                    else if (name == QLatin1String("select-all"))
                        this->selectAll();
                });
            menu->exec(event->globalPos());
        });
    }
    // What the context menu may offer: a selection, an undo step, any text.
    virtual editor_keys::TEditRequestState EditRequestState() const = 0;
    virtual void DeleteSelection() = 0;

private:
    bool focused_ = false;
};
