#include "store/field_data_link.h"

#include "store/data_set.h"
#include "store/database_error.h"
#include "store/field.h"

TDataLinkControl::~TDataLinkControl() = default;

TFieldDataLink::TFieldDataLink() = default;

TFieldDataLink::~TFieldDataLink() {
    // No call-back into an editor that is being destroyed.
    OnDataChange = nullptr;
    OnEditingChange = nullptr;
    OnUpdateData = nullptr;
    OnActiveChange = nullptr;
}

void TFieldDataLink::SetFieldName(const QString& fieldName) {
    if (fieldName_ == fieldName)
        return;
    fieldName_ = fieldName;
    UpdateField();
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly() && field_ && field_->CanModify();
}

bool TFieldDataLink::Edit() {
    if (CanModify())
        TDataLink::Edit();
    return editing_;
}

void TFieldDataLink::Reset() {
    RecordChanged(nullptr);
}

void TFieldDataLink::UpdateField() {
    SetField(nullptr);
    if (!Active() || fieldName_.isEmpty())
        return;
    TDataSet* dataSet = DataSet();
    TField* field = dataSet ? dataSet->FindField(fieldName_) : nullptr;
    if (!field) {
        const QString message = QString::fromLatin1(StoreMessages::FieldNotFound).arg(fieldName_);
        if (control_)
            DatabaseError(message, control_->Name());
        DatabaseError(message, dataSet ? dataSet->Name() : QString());
    }
    SetField(field);
}

void TFieldDataLink::SetField(TField* field) {
    if (field_ == field)
        return;
    field_ = field;
    EditingChanged();
    RecordChanged(nullptr);
}

void TFieldDataLink::SetLinkEditing(bool editing) {
    if (editing_ == editing)
        return;
    editing_ = editing;
    modified_ = false;
    if (OnEditingChange)
        OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    if (OnActiveChange)
        OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() {
    SetLinkEditing(TDataLink::Editing() && CanModify());
}

void TFieldDataLink::FocusControl(TField*& field) {
    if (field && field == field_ && control_ && control_->CanFocus()) {
        field = nullptr;
        control_->SetFocus();
    }
}

void TFieldDataLink::LayoutChanged() {
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* field) {
    if (field && field != field_)
        return;
    if (OnDataChange)
        OnDataChange(this);
    modified_ = false;
}

void TFieldDataLink::UpdateData() {
    if (!modified_)
        return;
    if (field_ && OnUpdateData)
        OnUpdateData(this);
    modified_ = false;
}
