// Field objects: the typed view of one column of a data set's current record.
// Declared fields are created by the table's owner before Open and bound to
// the column of the same name when the table opens; a table without declared
// fields makes one field per column for as long as it is open.
#pragma once

#include <QString>
#include <QVariant>

class TDataSet;

enum TFieldType : int {
    ftUnknown = 0,
    ftString = 1,
    ftSmallint = 2,
    ftInteger = 3,
    ftWord = 4,
    ftBoolean = 5,
    ftFloat = 6,
    ftCurrency = 7,
    ftBCD = 8,
    ftDate = 9,
    ftTime = 10,
    ftDateTime = 11,
    ftBytes = 12,
    ftVarBytes = 13,
    ftAutoInc = 14,
    ftBlob = 15,
    ftMemo = 16,
};

// The name a type has in messages ("String", "Integer", "AutoInc" ...).
QString FieldTypeName(TFieldType type);

// Types that may be bound to one another: a declared field accepts a column
// of its own family.
enum TFieldFamily { ffOther, ffString, ffInteger, ffFloat };
TFieldFamily FieldFamily(TFieldType type);

#include "platform/alignment.h"

class TField {
public:
    virtual ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDataSet* DataSet() const { return dataSet_; }
    TFieldType DataType() const { return dataType_; }
    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name) { fieldName_ = name; }
    // The name used in messages (no display labels in this program).
    const QString& DisplayName() const { return fieldName_; }
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool Required() const { return required_; }
    void SetRequired(bool required) { required_ = required; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment) { alignment_ = alignment; }
    const QString& EditMask() const { return editMask_; }
    void SetEditMask(const QString& mask) { editMask_ = mask; }

    // The engine's column number, 1-based; 0 while the field is not bound.
    int FieldNo() const { return fieldNo_; }
    // Bound to a column, not read-only, and its data set can be modified.
    bool CanModify() const;
    bool IsNull() const;

    virtual QString AsString() const;
    virtual void SetAsString(const QString& value);
    virtual int AsInteger() const;
    virtual void SetAsInteger(int value);
    QVariant Value() const;
    void SetValue(const QVariant& value);
    void Clear();

    // Text for showing (DisplayText) and for editing (Text); the same for the
    // field kinds of this program.
    QString DisplayText() const { return GetText(true); }
    QString Text() const { return GetText(false); }
    void SetText(const QString& text) { SetAsString(text); }

    // Asks the editor bound to this field to take the focus.
    void FocusControl();

protected:
    TField(TDataSet* dataSet, TFieldType type, QString fieldName, int size);

    virtual QString GetText(bool displayText) const;
    // Reads the value from the current record; an invalid variant is blank.
    QVariant GetData() const;
    // The same as text, empty when blank.
    QString GetDataText() const;
    void SetData(const QVariant& value);

private:
    friend class TDataSet;
    friend class TEngineDataSet;

    // Bound to a column of a data set that stands on a record.
    bool HasValue() const;

    TDataSet* dataSet_;
    TFieldType dataType_;
    QString fieldName_;
    int size_;
    bool readOnly_ = false;
    bool required_ = false;
    TAlignment alignment_ = taLeftJustify;
    QString editMask_;
    int fieldNo_ = 0;
};

class TStringField : public TField {
public:
    TStringField(TDataSet* dataSet, const QString& fieldName, int size = 20);

    QString AsString() const override;
    // Keeps the first Size characters, silently dropping the rest.
    void SetAsString(const QString& value) override;
    int AsInteger() const override;
    void SetAsInteger(int value) override;
};

class TIntegerField : public TField {
public:
    TIntegerField(TDataSet* dataSet, const QString& fieldName);

    QString AsString() const override;
    void SetAsString(const QString& value) override;
    int AsInteger() const override;
    void SetAsInteger(int value) override;

protected:
    TIntegerField(TDataSet* dataSet, TFieldType type, const QString& fieldName);
};

// An integer the engine assigns when a record is inserted; never written.
class TAutoIncField : public TIntegerField {
public:
    TAutoIncField(TDataSet* dataSet, const QString& fieldName);
};

// The first `size` characters (code points) of a text, never splitting a
// surrogate pair.
QString CutToCharacters(const QString& text, int size);
// The number of characters (code points) of a text.
int CharacterCount(const QString& text);
