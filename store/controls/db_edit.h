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

#include "store/controls/bound_editor.h"

#include <QLineEdit>
#include <QString>

class TDBEdit : public TBoundTextEditor<QLineEdit> {
    Q_OBJECT

public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;

    // In characters (code points); 0 means no limit; a string field sets it
    // to its Size while it is 0. A character is never cut in two.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int maxLength);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void WriteBackFailed() override;
    editor_keys::TEditRequestState EditRequestState() const override;
    void DeleteSelection() override;

private:
    void DataChange();
    void EditingChange();
    void UpdateData();
    void ActiveChange();
    void TextEdited();
    void ApplyMaxLength();
    void ApplyCharacterLimit();

    class TCharacterLimit;
    TCharacterLimit* limit_; // owned by the widget
    int maxLength_ = 0;
    bool maxLengthFromField_ = false; // maxLength_ was taken from the field
    bool showing_ = false;            // the text is being set from the field
};
