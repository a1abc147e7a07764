// The table cursor: a current record, the edit states, the begin/end flags
// and the data events that keep the bound editors in step. TDataSet holds the
// navigation and edit-state algorithms; how records are read and written is
// left to a derived class (TEngineDataSet reads them through the engine).
#pragma once

#include "store/field.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class TDataSource;

enum TDataSetState : int { dsInactive = 0, dsBrowse = 1, dsEdit = 2, dsInsert = 3 };

enum TDataEvent : int {
    deFieldChange = 0,
    deRecordChange = 1,
    deDataSetChange = 2,
    deDataSetScroll = 3,
    deLayoutChange = 4,
    deUpdateRecord = 5,
    deUpdateState = 6,
    deCheckBrowseMode = 7,
    dePropertyChange = 8,
    deFieldListChange = 9,
    deFocusControl = 10,
};

enum TBookmarkFlag : int { bfCurrent = 0, bfBOF = 1, bfEOF = 2, bfInserted = 3 };
enum TUpdateStatus : int { usUnmodified = 0, usModified = 1, usInserted = 2, usDeleted = 3 };
enum TGetMode : int { gmCurrent = 0, gmNext = 1, gmPrior = 2 };
enum TGetResult : int { grOK = 0, grBOF = 1, grEOF = 2, grError = 3 };

// What the cursor keeps beside each record buffer.
struct TRecInfo {
    int RecordNumber = -1;
    TUpdateStatus UpdateStatus = usUnmodified;
    TBookmarkFlag BookmarkFlag = bfCurrent;
    QByteArray Bookmark; // the engine's bookmark of the record
};

struct TRecordBuffer {
    QByteArray Data; // laid out by the derived class
    TRecInfo Info;
};

class TDataSet {
public:
    explicit TDataSet(QString name = {});
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    // The component name that prefixes the messages the table raises.
    const QString& Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }

    TDataSetState State() const { return state_; }
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool active);
    // Both read true on a closed table.
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool Modified() const { return modified_; }
    // True when the record window holds no record; never raises.
    bool IsEmpty() const { return windowCount_ == 0; }
    // Whether records may be inserted, changed and deleted.
    virtual bool CanModify() const { return false; }

    void Open();
    void Close();
    void First();
    void Last();
    void Next();
    void Prior();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // Posts when modified, cancels otherwise; fails on a closed table.
    void CheckBrowseMode();
    // Asks the editors to write their pending text (update record).
    void UpdateRecord();

    // The record number of the current record (-1 while inserting).
    int RecNo() const;
    // The number of records of the table; -1 when unknown.
    int RecordCount() const;

    // Declared fields: created before Open, owned by the data set.
    template <class F, class... Args> F* AddField(Args&&... args) {
        auto field = std::make_unique<F>(this, std::forward<Args>(args)...);
        F* raw = field.get();
        AdoptField(std::move(field));
        return raw;
    }
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const { return fields_.at(index).get(); }
    // The field of that name (ignoring case), or nullptr.
    TField* FindField(const QString& fieldName) const;
    // As FindField, failing with "Name: Field 'X' not found".
    TField* FieldByName(const QString& fieldName) const;

    const std::vector<TDataSource*>& DataSources() const { return dataSources_; }

    // Sends a data event to every data source of this data set.
    void DataEvent(TDataEvent event, TField* field = nullptr, int distance = 0);

    // Raises "Name: message".
    [[noreturn]] void Error(const char* message) const;
    void CheckActive() const;

protected:
    // Cursor primitives of the derived class.
    virtual void InternalOpen() = 0; // open the cursor and bind the fields
    virtual void InternalClose() = 0;
    virtual bool IsCursorOpen() const = 0;
    virtual void InternalFirst() = 0; // before the first record
    virtual void InternalLast() = 0;  // after the last record
    // Reads a record relative to the engine's position into `buffer`. With
    // `lock` a write lock is taken on it. Engine failures other than the
    // begin and end of the table are raised.
    virtual TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode, bool lock) = 0;
    // Puts the engine's position on a bookmark; false when its record is
    // gone (the engine then stands in the gap it left).
    virtual bool InternalGotoBookmark(const QByteArray& bookmark) = 0;
    virtual void InternalInitRecord(TRecordBuffer& buffer) = 0;
    virtual void InternalInsert() = 0; // the engine's position into a gap
    virtual void InternalPost() = 0;   // insert or modify, by the state
    virtual void InternalCancel() = 0; // release the lock of an edit
    virtual void InternalDelete() = 0;
    virtual int GetRecordCount() const { return -1; }
    // A field's value in the current record; invalid when blank.
    virtual QVariant GetFieldData(const TField* field) const = 0;
    // The same value as text, empty when blank: what every shown field
    // asks, made without a variant in between where the data set can.
    virtual QString GetFieldText(const TField* field) const;
    virtual void SetFieldData(TField* field, const QVariant& value) = 0;

    bool HasRecord() const { return windowCount_ > 0; }
    TRecordBuffer& ActiveBuffer() { return buffers_[0]; }
    const TRecordBuffer& ActiveBuffer() const { return buffers_[0]; }
    // Fields made from the columns at Open (no declared fields).
    void AddDefaultField(std::unique_ptr<TField> field);

private:
    friend class TField;
    friend class TDataSource;

    void AdoptField(std::unique_ptr<TField> field);
    void AddDataSource(TDataSource* dataSource);
    void RemoveDataSource(TDataSource* dataSource);
    void SetState(TDataSetState state);
    void ClearBuffers();
    // Puts the engine's position back on the current record after a read
    // ran into an end of the table.
    void SyncCursor();
    // Reads the record at the engine's position, else the next, else the
    // prior one; sets the flags and sends data set changed.
    void Resync();
    // First (last false) and Last: the window holds the record at that end.
    void MoveToEnd(bool last);
    void MoveOne(bool forward);
    void CheckRequiredFields();
    void CloseCursor();

    QString name_;
    TDataSetState state_ = dsInactive;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    bool cursorOnActive_ = false; // engine position is on buffers_[0]
    bool defaultFields_ = false;
    int windowCount_ = 0;      // records in the window: 0 or 1
    TRecordBuffer buffers_[2]; // current record and the spare for reading ahead
    std::vector<std::unique_ptr<TField>> fields_;
    std::vector<TDataSource*> dataSources_;
};
