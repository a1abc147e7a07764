// The text of one field of the current record of a data set. Outside a run
// the caption shows the field name (the component name when none is set).
#pragma once

#include "report/rp_custom_label.h"

class TDataSet;
class TField;

class TRpDBText : public TRpCustomLabel {
public:
    TRpDBText();

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet) { dataSet_ = dataSet; }
    const QString& DataField() const { return dataField_; }
    void SetDataField(const QString& field);
    // Optional display mask: a number pattern for numeric fields, a date
    // pattern for date and time fields.
    const QString& Mask() const { return mask_; }
    void SetMask(const QString& mask) { mask_ = mask; }

    // Shows the field name again (after a run, or after a rename).
    void ShowFieldName();

    // A run finds the field by name (none when the data set has no such
    // field: the box then prints empty) and forgets it at the end.
    void Prepare() override;
    void Unprepare() override;
    TField* PreparedField() const { return field_; }

protected:
    // The current record's value of the field: its display text, or the
    // value written by the mask for number and date fields; empty when the
    // field is missing or cannot be read.
    QString PrintText() override;

private:
    QString MaskedText() const;

    TDataSet* dataSet_ = nullptr;
    TField* field_ = nullptr;
    QString dataField_;
    QString mask_;
};
