#include "store/engine_data_set.h"

#include "store/database_error.h"
#include "store/engine_api.h"
#include "store/field.h"
#include "store/session.h"

#include <cstring>
#include <memory>

namespace {
TFieldType EngineFieldType(uint16_t type) {
    switch (type) {
    case DBE_FLD_STRING:
        return ftString;
    case DBE_FLD_INTEGER:
        return ftInteger;
    case DBE_FLD_AUTOINC:
        return ftAutoInc;
    default:
        return ftUnknown;
    }
}

bool NotFoundCategory(DbeResult result) {
    return DBE_ERR_CATEGORY(result) == DBE_CAT_NOTFOUND;
}
} // namespace

TEngineDataSet::TEngineDataSet(QString name) : TDataSet(std::move(name)) {}

TEngineDataSet::~TEngineDataSet() = default;

void TEngineDataSet::Check(DbeResult result) const {
    if (result != DBE_OK)
        DBSession()->RaiseEngineError(result);
}

void TEngineDataSet::InternalOpen() {
    handle_ = CreateHandle();
    try {
        const TEngineApi& api = DBSession()->Api();
        DbeCurProps props;
        std::memset(&props, 0, sizeof props);
        Check(api.GetCursorProps(handle_, &props));
        recordSize_ = props.iRecBufSize;
        bookmarkSize_ = props.iBookMarkSize;
        canModify_ = props.eOpenMode == dbeREADWRITE;
        numbering_ = props.iSeqNums;
        fieldDescs_.assign(props.iFields, DbeFldDesc{});
        if (props.iFields > 0)
            Check(api.GetFieldDescs(handle_, fieldDescs_.data()));
        BindFields();
    } catch (...) {
        DBSession()->Api().CloseCursor(&handle_);
        handle_ = nullptr;
        fieldDescs_.clear();
        canModify_ = false;
        throw;
    }
}

void TEngineDataSet::BindFields() {
    if (FieldCount() == 0) {
        // No declared fields: one field per column while the table is open.
        for (const DbeFldDesc& desc : fieldDescs_) {
            const QString name = QString::fromUtf8(desc.szName);
            switch (desc.iFldType) {
            case DBE_FLD_STRING:
                AddDefaultField(std::make_unique<TStringField>(this, name, desc.iUnits1));
                break;
            case DBE_FLD_AUTOINC:
                AddDefaultField(std::make_unique<TAutoIncField>(this, name));
                break;
            default:
                AddDefaultField(std::make_unique<TIntegerField>(this, name));
                break;
            }
        }
    }
    for (int index = 0; index < FieldCount(); ++index) {
        TField* field = Fields(index);
        int column = -1;
        for (size_t i = 0; i < fieldDescs_.size(); ++i) {
            if (QString::fromUtf8(fieldDescs_[i].szName)
                    .compare(field->FieldName(), Qt::CaseInsensitive) == 0) {
                column = static_cast<int>(i);
                break;
            }
        }
        if (column < 0)
            DatabaseError(QString::fromLatin1(StoreMessages::FieldNotFound).arg(field->FieldName()),
                          Name());
        const TFieldType actual = EngineFieldType(fieldDescs_[column].iFldType);
        // Sizes are not compared: the declared Size governs what is written.
        if (FieldFamily(field->DataType()) != FieldFamily(actual) || actual == ftUnknown)
            DatabaseError(QString::fromLatin1(StoreMessages::FieldTypeMismatch)
                              .arg(field->FieldName(), FieldTypeName(field->DataType()),
                                   FieldTypeName(actual)),
                          Name());
        field->fieldNo_ = column + 1;
    }
}

void TEngineDataSet::ReleaseLock() {
    if (!locked_)
        return;
    locked_ = false;
    // Edit holds one lock at a time; an error here has nothing left to undo.
    DBSession()->Api().RelRecordLock(handle_, 1);
}

void TEngineDataSet::InternalClose() {
    ReleaseLock();
    if (handle_)
        DBSession()->Api().CloseCursor(&handle_);
    handle_ = nullptr;
    fieldDescs_.clear();
    canModify_ = false;
}

void TEngineDataSet::InternalFirst() {
    Check(DBSession()->Api().SetToBegin(handle_));
}

void TEngineDataSet::InternalLast() {
    Check(DBSession()->Api().SetToEnd(handle_));
}

TGetResult TEngineDataSet::GetRecord(TRecordBuffer& buffer, TGetMode mode, bool lock) {
    if (buffer.Data.size() != recordSize_)
        buffer.Data.resize(recordSize_);
    const TEngineApi& api = DBSession()->Api();
    const DbeLockType lockType = lock ? dbeWRITELOCK : dbeNOLOCK;
    DbeRecProps props;
    DbeResult result;
    switch (mode) {
    case gmNext:
        result = api.GetNextRecord(handle_, lockType, buffer.Data.data(), &props);
        break;
    case gmPrior:
        result = api.GetPriorRecord(handle_, lockType, buffer.Data.data(), &props);
        break;
    default:
        result = api.GetRecord(handle_, lockType, buffer.Data.data(), &props);
        break;
    }
    if (result == DBE_ERR_BOF)
        return grBOF;
    if (result == DBE_ERR_EOF)
        return grEOF;
    // No record where the cursor stands (a gap, a record gone) is a place to
    // move on from; but a record to be locked for Edit must be the one the
    // user sees, so its absence is the engine's error.
    if (NotFoundCategory(result) && !lock)
        return grError;
    Check(result);
    if (lock)
        locked_ = true;
    TRecInfo& info = buffer.Info;
    info.RecordNumber = numbering_ == 1   ? static_cast<int>(props.iSeqNum)
                        : numbering_ == 0 ? static_cast<int>(props.iPhyRecNum)
                                          : -1;
    info.UpdateStatus = usUnmodified;
    info.BookmarkFlag = bfCurrent;
    if (info.Bookmark.size() != bookmarkSize_)
        info.Bookmark.resize(bookmarkSize_);
    Check(api.GetBookMark(handle_, info.Bookmark.data()));
    return grOK;
}

bool TEngineDataSet::InternalGotoBookmark(const QByteArray& bookmark) {
    if (bookmark.size() != bookmarkSize_)
        return false;
    const DbeResult result = DBSession()->Api().SetToBookMark(handle_, bookmark.constData());
    if (result == DBE_OK)
        return true;
    if (NotFoundCategory(result))
        return false;
    Check(result);
    return false;
}

void TEngineDataSet::InternalInitRecord(TRecordBuffer& buffer) {
    if (buffer.Data.size() != recordSize_)
        buffer.Data.resize(recordSize_);
    Check(DBSession()->Api().InitRecord(handle_, buffer.Data.data()));
}

void TEngineDataSet::InternalInsert() {
    Check(DBSession()->Api().MakeGap(handle_));
}

void TEngineDataSet::InternalPost() {
    const TEngineApi& api = DBSession()->Api();
    QByteArray& data = ActiveBuffer().Data;
    if (State() == dsInsert) {
        Check(api.InsertRecord(handle_, dbeNOLOCK, data.data()));
        return;
    }
    Check(api.ModifyRecord(handle_, data.constData(), 1));
    locked_ = false;
}

void TEngineDataSet::InternalCancel() {
    ReleaseLock();
}

void TEngineDataSet::InternalDelete() {
    const DbeResult result = DBSession()->Api().DeleteRecord(handle_, nullptr);
    // A record already gone is what the user asked for.
    if (result != DBE_OK && !NotFoundCategory(result))
        Check(result);
    ReleaseLock();
}

int TEngineDataSet::GetRecordCount() const {
    const TEngineApi& api = DBSession()->Api();
    uint32_t count = 0;
    if (api.GetExactRecordCount(handle_, &count) == DBE_OK)
        return static_cast<int>(count);
    if (api.GetRecordCount(handle_, &count) == DBE_OK)
        return static_cast<int>(count);
    return -1;
}

const DbeFldDesc* TEngineDataSet::DescOf(const TField* field) const {
    const int column = field->FieldNo() - 1;
    if (column < 0 || column >= static_cast<int>(fieldDescs_.size()))
        return nullptr;
    return &fieldDescs_[column];
}

bool TEngineDataSet::ReadField(const DbeFldDesc& desc) const {
    const qsizetype needed = qsizetype(desc.iLen) + 1;
    if (fieldBuffer_.size() < needed)
        fieldBuffer_.resize(needed);
    int16_t blank = 0;
    Check(DBSession()->Api().GetField(handle_, desc.iFldNum, ActiveBuffer().Data.constData(),
                                      fieldBuffer_.data(), static_cast<size_t>(fieldBuffer_.size()),
                                      &blank));
    if (desc.iFldType == DBE_FLD_STRING)
        fieldBuffer_[fieldBuffer_.size() - 1] = '\0';
    return blank != 0;
}

QVariant TEngineDataSet::GetFieldData(const TField* field) const {
    const DbeFldDesc* desc = DescOf(field);
    if (!desc || ReadField(*desc))
        return {};
    if (desc->iFldType == DBE_FLD_STRING)
        return QString::fromUtf8(fieldBuffer_.constData());
    int32_t value = 0;
    std::memcpy(&value, fieldBuffer_.constData(), sizeof value);
    return QVariant(static_cast<int>(value));
}

QString TEngineDataSet::GetFieldText(const TField* field) const {
    const DbeFldDesc* desc = DescOf(field);
    if (!desc || desc->iFldType != DBE_FLD_STRING)
        return TDataSet::GetFieldText(field);
    return ReadField(*desc) ? QString() : QString::fromUtf8(fieldBuffer_.constData());
}

void TEngineDataSet::SetFieldData(TField* field, const QVariant& value) {
    const DbeFldDesc* bound = DescOf(field);
    if (!bound)
        return;
    const DbeFldDesc& desc = *bound;
    const TEngineApi& api = DBSession()->Api();
    char* record = ActiveBuffer().Data.data();
    if (!value.isValid()) {
        Check(api.PutField(handle_, desc.iFldNum, record, nullptr));
    } else if (desc.iFldType == DBE_FLD_STRING) {
        const QByteArray text = value.toString().toUtf8();
        Check(api.PutField(handle_, desc.iFldNum, record, text.constData()));
    } else {
        const int32_t number = value.toInt();
        Check(api.PutField(handle_, desc.iFldNum, record, &number));
    }
}
