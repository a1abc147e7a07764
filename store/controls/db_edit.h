// TDBEdit: a single-line editor bound to one field of a data source's table.
// It shows the current record's field, stays read-only while its link is not
// editing, starts an edit (through the data source's AutoEdit) on the first
// key or request that would change its text, limits its length to the
// field's size, and writes its text into the field when it loses the focus,
// when the table posts and whenever the table checks its browse mode.
//
//     auto* edit = new TDBEdit(page);
//     edit->SetName("DBEdit1");
//     edit->SetDataField("Correta");
//     edit->SetDataSource(DSFrases);
#pragma once

#include "store/field_data_link.h"

#include <QLineEdit>
#include <QString>

class TDataSource;
class TField;

class TDBEdit : public QLineEdit, public TDataLinkControl {
    Q_OBJECT

public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;

    // The component name, kept as the widget's object name.
    QString Name() const override { return objectName(); }
    void SetName(const QString& name) { setObjectName(name); }

    TDataSource* DataSource() const { return dataLink_.DataSource(); }
    void SetDataSource(TDataSource* dataSource);
    const QString& DataField() const { return dataLink_.FieldName(); }
    // Binds at once when the data source is active; a field the table lacks
    // fails with "Name: Field 'X' not found".
    void SetDataField(const QString& dataField);
    TField* Field() const { return dataLink_.Field(); }
    // The link's own read-only setting (the widget's read-only state follows
    // the link's editing flag).
    bool ReadOnly() const { return dataLink_.ReadOnly(); }
    void SetReadOnly(bool readOnly) { dataLink_.SetReadOnly(readOnly); }
    // 0 means no limit; a string field sets it to its Size while it is 0.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int maxLength);

    const TFieldDataLink& DataLink() const { return dataLink_; }

    // The cut, paste and undo requests: each starts an edit first.
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();

    // TDataLinkControl
    bool CanFocus() const override;
    void SetFocus() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void DataChange();
    void EditingChange();
    void UpdateData();
    void ActiveChange();
    void TextEdited();
    void SetFocused(bool focused);
    void ApplyMaxLength();
    void ApplyWidgetMaxLength();
    // Calls the link's Edit and tells whether the text may now change.
    bool StartEdit();

    TFieldDataLink dataLink_;
    int maxLength_ = 0;
    bool maxLengthFromField_ = false; // maxLength_ was taken from the field
    bool focused_ = false;
    bool showing_ = false; // the text is being set from the field
};
