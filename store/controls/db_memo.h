// TDBMemo: a multi-line plain-text editor bound to one field. It behaves as
// the single-line TDBEdit does (shows the field, read-only while its link is
// not editing, starts an edit on the first change, writes back on leaving,
// on Post and on every check of browse mode) but sets no length of its own:
// the field keeps the first Size characters when the text is written back.
// Tab moves the focus on, as in a dialog, unless WantTabs is set.
#pragma once

#include "store/field_data_link.h"

#include <QPlainTextEdit>
#include <QString>

class TDataSource;
class TField;

class TDBMemo : public QPlainTextEdit, public TDataLinkControl {
    Q_OBJECT

public:
    explicit TDBMemo(QWidget* parent = nullptr);
    ~TDBMemo() override;

    QString Name() const override { return objectName(); }
    void SetName(const QString& name) { setObjectName(name); }

    TDataSource* DataSource() const { return dataLink_.DataSource(); }
    void SetDataSource(TDataSource* dataSource);
    const QString& DataField() const { return dataLink_.FieldName(); }
    void SetDataField(const QString& dataField);
    TField* Field() const { return dataLink_.Field(); }
    bool ReadOnly() const { return dataLink_.ReadOnly(); }
    void SetReadOnly(bool readOnly) { dataLink_.SetReadOnly(readOnly); }
    // Off: Tab moves to the next control; on: Tab is typed into the text.
    bool WantTabs() const { return !tabChangesFocus(); }
    void SetWantTabs(bool wantTabs) { setTabChangesFocus(!wantTabs); }
    // The text shown, as one string with "\n" between the lines.
    QString Text() const { return toPlainText(); }

    const TFieldDataLink& DataLink() const { return dataLink_; }

    // The cut, paste and undo requests: each starts an edit first.
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();

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
    void TextChanged();
    void SetFocused(bool focused);
    bool StartEdit();

    TFieldDataLink dataLink_;
    bool focused_ = false;
    bool showing_ = false;
};
