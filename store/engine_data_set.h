// A data set whose records are read and written through an engine cursor:
// record buffers in the engine's layout, field values through the engine's
// get-field and put-field, record numbers from the engine's sequence numbers.
#pragma once

#include "store/data_set.h"
#include "store/engine/dbengine.h"

#include <QByteArray>
#include <vector>

class TSession;

class TEngineDataSet : public TDataSet {
public:
    explicit TEngineDataSet(QString name = {});
    ~TEngineDataSet() override;

    hDbeCur Handle() const { return handle_; }
    bool CanModify() const override { return canModify_; }
    // The session whose engine the cursor belongs to.
    virtual TSession* DBSession() const = 0;

protected:
    // Opens the engine cursor (the table, for TTable).
    virtual hDbeCur CreateHandle() = 0;
    // Raises the engine error of a failed call.
    void Check(DbeResult result) const;

    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return handle_ != nullptr; }
    void InternalFirst() override;
    void InternalLast() override;
    TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode, bool lock) override;
    bool InternalGotoBookmark(const QByteArray& bookmark) override;
    void InternalInitRecord(TRecordBuffer& buffer) override;
    void InternalInsert() override;
    void InternalPost() override;
    void InternalCancel() override;
    void InternalDelete() override;
    int GetRecordCount() const override;
    QVariant GetFieldData(const TField* field) const override;
    QString GetFieldText(const TField* field) const override;
    void SetFieldData(TField* field, const QVariant& value) override;

private:
    void BindFields();
    // The column description of a bound field, else null.
    const DbeFldDesc* DescOf(const TField* field) const;
    // Reads the column of the active record into fieldBuffer_; true when
    // it is blank.
    bool ReadField(const DbeFldDesc& desc) const;
    void ReleaseLock();

    hDbeCur handle_ = nullptr;
    bool canModify_ = false;
    bool locked_ = false; // the write lock taken by Edit
    int numbering_ = 1;   // 0 physical numbers, 1 sequence numbers
    int recordSize_ = 0;
    int bookmarkSize_ = 0;
    std::vector<DbeFldDesc> fieldDescs_;
    mutable QByteArray fieldBuffer_;
};
