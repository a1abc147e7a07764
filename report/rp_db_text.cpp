// Field texts: the field's name at design time, its value during a run.
#include "report/rp_db_text.h"

#include "platform/clock.h"
#include "platform/date_time_format.h"
#include "platform/exceptions.h"
#include "platform/number_format.h"
#include "store/data_set.h"
#include "store/field.h"

#include <QDateTime>

TRpDBText::TRpDBText() = default;

void TRpDBText::SetDataField(const QString& field) {
    dataField_ = field;
    ShowFieldName();
}

void TRpDBText::ShowFieldName() {
    SetCaption(dataField_.isEmpty() ? Name() : dataField_);
}

void TRpDBText::Prepare() {
    field_ = dataSet_ != nullptr ? dataSet_->FindField(dataField_) : nullptr;
}

void TRpDBText::Unprepare() {
    field_ = nullptr;
    ShowFieldName();
}

QString TRpDBText::PrintText() {
    if (field_ == nullptr)
        return {};
    try {
        if (mask_.isEmpty())
            return field_->DisplayText();
        return MaskedText();
    } catch (const Exception&) {
        // A value that cannot be read prints as an empty box.
        return {};
    }
}

QString TRpDBText::MaskedText() const {
    switch (field_->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return field_->IsNull() ? QString() : FormatFloat(mask_, field_->AsInteger());
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return field_->IsNull() ? QString() : FormatFloat(mask_, field_->Value().toDouble());
    case ftDate:
    case ftTime:
    case ftDateTime: {
        if (field_->IsNull())
            return {};
        const QVariant value = field_->Value();
        const TDateTime when = value.canConvert<QDateTime>() && value.typeId() != QMetaType::Double
                                   ? FromQDateTime(value.toDateTime())
                                   : value.toDouble();
        return FormatDateTime(mask_, when);
    }
    default:
        return field_->DisplayText();
    }
}
