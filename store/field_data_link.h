// The link between one bound editor and one field of its data source's table.
// The editor widgets implement TDataLinkControl and assign the call-backs;
// the link tells them when to show the field, when to change their read-only
// state and when to write their text back.
#pragma once

#include "store/data_source.h"

#include <QString>
#include <functional>

class TField;

// What the link needs to know of the editor that owns it.
class TDataLinkControl {
public:
    virtual ~TDataLinkControl();
    // The component name, prefixed to "Field '%s' not found".
    virtual QString Name() const = 0;
    virtual bool CanFocus() const = 0;
    virtual void SetFocus() = 0;
};

class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink();
    ~TFieldDataLink() override;

    const QString& FieldName() const { return fieldName_; }
    // Rebinds at once when the link is active (may fail with "Field not found").
    void SetFieldName(const QString& fieldName);
    TField* Field() const { return field_; }
    TDataLinkControl* Control() const { return control_; }
    void SetControl(TDataLinkControl* control) { control_ = control; }
    // The editor's text differs from the field since the last display.
    bool IsModified() const { return modified_; }
    // The base editing flag and a field that can be modified.
    bool Editing() const { return editing_; }
    // Bound, not read-only, and the field can be modified.
    bool CanModify() const;

    // If the field can be modified and the link is not read-only, asks the
    // data source to edit; returns the link's editing flag.
    bool Edit() override;
    // Marks the editor's text as changed.
    void Modified() { modified_ = true; }
    // Shows the field again, discarding typed text.
    void Reset();

    std::function<void(TFieldDataLink* sender)> OnDataChange;
    std::function<void(TFieldDataLink* sender)> OnEditingChange;
    std::function<void(TFieldDataLink* sender)> OnUpdateData;
    std::function<void(TFieldDataLink* sender)> OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField*& field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void UpdateField();
    void SetField(TField* field);
    void SetLinkEditing(bool editing);

    QString fieldName_;
    TField* field_ = nullptr;
    TDataLinkControl* control_ = nullptr;
    bool modified_ = false;
    bool editing_ = false;
};
