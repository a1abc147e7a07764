// The text of one field of the current record of a data set. Outside a run
// the caption shows the field name (the component name when none is set).
#pragma once

#include "report/rp_custom_label.h"

class TDataSet;

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

private:
    TDataSet* dataSet_ = nullptr;
    QString dataField_;
    QString mask_;
};
