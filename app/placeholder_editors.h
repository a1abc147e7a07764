// Stand-in field-bound editors, used only while the record store's own
// editor widgets are not part of the build (see bound_editors.h). They do
// the least the main window needs: show the field, stay read-only until the
// link edits, start an automatic edit on typing when the data source allows
// it, and write the text back when the table asks for it.
#pragma once

#include "store/field_data_link.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

class TDataSource;

// The link plumbing shared by the three editors.
class TPlaceholderBinding : public TDataLinkControl {
public:
    explicit TPlaceholderBinding(QWidget* widget);
    ~TPlaceholderBinding() override;

    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
    QString DataField() const { return link_.FieldName(); }
    void SetDataField(const QString& name) { link_.SetFieldName(name); }
    TFieldDataLink& Link() { return link_; }

    QString Name() const override;
    bool CanFocus() const override;
    void SetFocus() override;

protected:
    virtual QString EditorText() const = 0;
    virtual void SetEditorText(const QString& text) = 0;
    virtual void SetEditorReadOnly(bool readOnly) = 0;
    // A key that changes the text: asks for an edit first; false when the
    // key must be dropped.
    bool BeforeChange();
    void UserChanged();
    void LeaveEditor();
    // Call from the derived constructor, when the virtuals work.
    void Bind();

private:
    void ShowField();

    QWidget* widget_;
    TFieldDataLink link_;
    bool showing_ = false;
};

class TPlaceholderDBMemo : public QPlainTextEdit, public TPlaceholderBinding {
public:
    explicit TPlaceholderDBMemo(QWidget* parent);
    void SetName(const QString& name) { setObjectName(name); }

protected:
    QString EditorText() const override { return toPlainText(); }
    void SetEditorText(const QString& text) override { setPlainText(text); }
    void SetEditorReadOnly(bool readOnly) override { setReadOnly(readOnly); }
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

class TPlaceholderDBEdit : public QLineEdit, public TPlaceholderBinding {
public:
    explicit TPlaceholderDBEdit(QWidget* parent);
    void SetName(const QString& name) { setObjectName(name); }

protected:
    QString EditorText() const override { return text(); }
    void SetEditorText(const QString& text) override { setText(text); }
    void SetEditorReadOnly(bool readOnly) override { setReadOnly(readOnly); }
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

class TPlaceholderDBComboBox : public QComboBox, public TPlaceholderBinding {
public:
    explicit TPlaceholderDBComboBox(QWidget* parent);
    void SetName(const QString& name) { setObjectName(name); }
    void SetItems(const QStringList& items);

protected:
    QString EditorText() const override { return currentText(); }
    void SetEditorText(const QString& text) override { setEditText(text); }
    void SetEditorReadOnly(bool readOnly) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool readOnly_ = true;
};
