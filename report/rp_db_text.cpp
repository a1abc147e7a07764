// Field texts at design time.
#include "report/rp_db_text.h"

TRpDBText::TRpDBText() = default;

void TRpDBText::SetDataField(const QString& field) {
    dataField_ = field;
    ShowFieldName();
}

void TRpDBText::ShowFieldName() {
    SetCaption(dataField_.isEmpty() ? Name() : dataField_);
}
