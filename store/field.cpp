#include "store/field.h"

#include "store/data_set.h"
#include "store/database_error.h"

#include <utility>

QString FieldTypeName(TFieldType type) {
    static const char* const names[] = {"Unknown", "String",   "SmallInt", "Integer",  "Word",
                                        "Boolean", "Float",    "Currency", "BCD",      "Date",
                                        "Time",    "DateTime", "Bytes",    "VarBytes", "AutoInc",
                                        "Blob",    "Memo"};
    const int index = static_cast<int>(type);
    if (index < 0 || index >= static_cast<int>(std::size(names)))
        return QStringLiteral("Unknown");
    return QString::fromLatin1(names[index]);
}

TFieldFamily FieldFamily(TFieldType type) {
    switch (type) {
    case ftString:
        return ffString;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return ffInteger;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return ffFloat;
    default:
        return ffOther;
    }
}

int CharacterCount(const QString& text) {
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text.at(i).isLowSurrogate() || i == 0 || !text.at(i - 1).isHighSurrogate())
            ++count;
    }
    return count;
}

QString CutToCharacters(const QString& text, int size) {
    if (size < 0)
        size = 0;
    if (text.size() <= size)
        return text; // fewer code units than allowed, so fewer characters too
    int count = 0;
    qsizetype i = 0;
    while (i < text.size() && count < size) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        i += pair ? 2 : 1;
        ++count;
    }
    Q_ASSERT_X(i == 0 || i == text.size() || !text.at(i - 1).isHighSurrogate() ||
                   !text.at(i).isLowSurrogate(),
               "CutToCharacters", "a character cut in two");
    return text.left(i);
}

TField::TField(TDataSet* dataSet, TFieldType type, QString fieldName, int size)
    : dataSet_(dataSet), dataType_(type), fieldName_(std::move(fieldName)), size_(size) {}

TField::~TField() = default;

bool TField::CanModify() const {
    return !readOnly_ && fieldNo_ > 0 && dataSet_ && dataSet_->CanModify();
}

bool TField::HasValue() const {
    return dataSet_ && fieldNo_ > 0 && dataSet_->HasRecord();
}

QVariant TField::GetData() const {
    return HasValue() ? dataSet_->GetFieldData(this) : QVariant();
}

QString TField::GetDataText() const {
    return HasValue() ? dataSet_->GetFieldText(this) : QString();
}

void TField::SetData(const QVariant& value) {
    if (!dataSet_)
        throw EDatabaseError(QString::fromLatin1(StoreMessages::FieldReadOnly).arg(DisplayName()));
    const TDataSetState state = dataSet_->State();
    if (state != dsEdit && state != dsInsert)
        dataSet_->Error(StoreMessages::NotEditing);
    if (readOnly_ || fieldNo_ <= 0)
        throw EDatabaseError(QString::fromLatin1(StoreMessages::FieldReadOnly).arg(DisplayName()));
    dataSet_->SetFieldData(this, value);
    dataSet_->DataEvent(deFieldChange, this);
}

bool TField::IsNull() const {
    return !GetData().isValid();
}

QVariant TField::Value() const {
    return GetData();
}

void TField::SetValue(const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        Clear();
        return;
    }
    SetAsString(value.toString());
}

void TField::Clear() {
    SetData(QVariant());
}

QString TField::AsString() const {
    const QVariant data = GetData();
    return data.isValid() ? data.toString() : QString();
}

void TField::SetAsString(const QString& value) {
    SetData(value.isEmpty() ? QVariant() : QVariant(value));
}

int TField::AsInteger() const {
    return GetData().toInt();
}

void TField::SetAsInteger(int value) {
    SetData(value);
}

QString TField::GetText(bool /*displayText*/) const {
    return AsString();
}

void TField::FocusControl() {
    if (dataSet_)
        dataSet_->DataEvent(deFocusControl, this);
}

TStringField::TStringField(TDataSet* dataSet, const QString& fieldName, int size)
    : TField(dataSet, ftString, fieldName, size) {}

QString TStringField::AsString() const {
    return GetDataText();
}

void TStringField::SetAsString(const QString& value) {
    const QString cut = CutToCharacters(value, Size());
    // An empty text is a blank field, as the engine stores it.
    SetData(cut.isEmpty() ? QVariant() : QVariant(cut));
}

int TStringField::AsInteger() const {
    return AsString().trimmed().toInt();
}

void TStringField::SetAsInteger(int value) {
    SetAsString(QString::number(value));
}

TIntegerField::TIntegerField(TDataSet* dataSet, const QString& fieldName)
    : TIntegerField(dataSet, ftInteger, fieldName) {}

TIntegerField::TIntegerField(TDataSet* dataSet, TFieldType type, const QString& fieldName)
    : TField(dataSet, type, fieldName, 0) {
    SetAlignment(taRightJustify);
}

QString TIntegerField::AsString() const {
    const QVariant data = GetData();
    return data.isValid() ? QString::number(data.toLongLong()) : QString();
}

void TIntegerField::SetAsString(const QString& value) {
    const QString text = value.trimmed();
    if (text.isEmpty()) {
        SetData(QVariant());
        return;
    }
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok)
        throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value").arg(value));
    SetData(number);
}

int TIntegerField::AsInteger() const {
    return GetData().toInt();
}

void TIntegerField::SetAsInteger(int value) {
    SetData(value);
}

TAutoIncField::TAutoIncField(TDataSet* dataSet, const QString& fieldName)
    : TIntegerField(dataSet, ftAutoInc, fieldName) {
    SetReadOnly(true);
}
