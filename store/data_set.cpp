#include "store/data_set.h"

#include "store/data_source.h"
#include "store/database_error.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace {
bool InEditModes(TDataSetState state) {
    return state == dsEdit || state == dsInsert;
}
} // namespace

TDataSet::TDataSet(QString name) : name_(std::move(name)) {}

TDataSet::~TDataSet() {
    // A derived class closes its cursor in its own destructor; here only the
    // data sources are let go so that none points at a dead data set.
    for (TDataSource* dataSource : std::vector<TDataSource*>(dataSources_))
        dataSource->SetDataSet(nullptr);
}

void TDataSet::SetActive(bool active) {
    if (active)
        Open();
    else
        Close();
}

void TDataSet::Error(const char* message) const {
    DatabaseError(QString::fromLatin1(message), name_);
}

void TDataSet::CheckActive() const {
    if (state_ == dsInactive)
        Error(StoreMessages::DataSetClosed);
}

void TDataSet::AdoptField(std::unique_ptr<TField> field) {
    fields_.push_back(std::move(field));
}

void TDataSet::AddDefaultField(std::unique_ptr<TField> field) {
    defaultFields_ = true;
    fields_.push_back(std::move(field));
}

TField* TDataSet::FindField(const QString& fieldName) const {
    for (const auto& field : fields_) {
        if (field->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return field.get();
    }
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& fieldName) const {
    TField* field = FindField(fieldName);
    if (!field)
        DatabaseError(QString::fromLatin1(StoreMessages::FieldNotFound).arg(fieldName), name_);
    return field;
}

void TDataSet::AddDataSource(TDataSource* dataSource) {
    if (std::find(dataSources_.begin(), dataSources_.end(), dataSource) == dataSources_.end())
        dataSources_.push_back(dataSource);
}

void TDataSet::RemoveDataSource(TDataSource* dataSource) {
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), dataSource),
                       dataSources_.end());
}

void TDataSet::DataEvent(TDataEvent event, TField* field, int distance) {
    if (event == deFieldChange)
        modified_ = true;
    if (dataSources_.empty())
        return;
    // A copy: a handler may detach a data source while the event travels.
    for (TDataSource* dataSource : std::vector<TDataSource*>(dataSources_))
        dataSource->DataEvent(event, field, distance);
}

QString TDataSet::GetFieldText(const TField* field) const {
    const QVariant data = GetFieldData(field);
    return data.isValid() ? data.toString() : QString();
}

void TDataSet::SetState(TDataSetState state) {
    if (state_ == state)
        return;
    state_ = state;
    modified_ = false;
    DataEvent(deUpdateState);
}

void TDataSet::ClearBuffers() {
    windowCount_ = 0;
    cursorOnActive_ = false;
}

void TDataSet::Open() {
    if (Active())
        return;
    try {
        InternalOpen();
        ClearBuffers();
        InternalFirst();
        if (GetRecord(buffers_[0], gmNext, false) == grOK) {
            windowCount_ = 1;
            cursorOnActive_ = true;
        }
    } catch (...) {
        CloseCursor();
        throw;
    }
    bof_ = true;
    eof_ = windowCount_ == 0;
    SetState(dsBrowse);
}

void TDataSet::Close() {
    if (!Active()) {
        if (IsCursorOpen())
            CloseCursor();
        return;
    }
    // The cursor is closed even when an editor fails to hear of it.
    try {
        SetState(dsInactive);
    } catch (...) {
        CloseCursor();
        throw;
    }
    CloseCursor();
}

void TDataSet::CloseCursor() {
    for (const auto& field : fields_)
        field->fieldNo_ = 0;
    if (IsCursorOpen())
        InternalClose();
    if (defaultFields_) {
        fields_.clear();
        defaultFields_ = false;
    }
    ClearBuffers();
    bof_ = true;
    eof_ = true;
    modified_ = false;
}

void TDataSet::SyncCursor() {
    Q_ASSERT_X(windowCount_ == 0 || windowCount_ == 1, "TDataSet::SyncCursor",
               "the window holds one record at most");
    Q_ASSERT_X(windowCount_ > 0 || !cursorOnActive_, "TDataSet::SyncCursor",
               "the engine stands on a record the window does not hold");
    if (windowCount_ > 0 && !cursorOnActive_) {
        // A record deleted meanwhile by another user leaves the engine in the
        // gap where it was, from which Next and Prior read its neighbours.
        InternalGotoBookmark(buffers_[0].Info.Bookmark);
        cursorOnActive_ = true;
    }
}

void TDataSet::Resync() {
    // Read into the spare so that a failing engine call leaves the window as
    // it was.
    cursorOnActive_ = false;
    TGetResult result = GetRecord(buffers_[1], gmCurrent, false);
    if (result != grOK)
        result = GetRecord(buffers_[1], gmNext, false);
    if (result != grOK)
        result = GetRecord(buffers_[1], gmPrior, false);
    if (result == grOK) {
        std::swap(buffers_[0], buffers_[1]);
        windowCount_ = 1;
        cursorOnActive_ = true;
        bof_ = false;
        eof_ = false;
    } else {
        windowCount_ = 0;
        bof_ = true;
        eof_ = true;
    }
    DataEvent(deDataSetChange);
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (InEditModes(state_)) {
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TDataSet::UpdateRecord() {
    if (!InEditModes(state_))
        Error(StoreMessages::NotEditing);
    DataEvent(deUpdateRecord);
}

void TDataSet::First() {
    MoveToEnd(false);
}

void TDataSet::Last() {
    MoveToEnd(true);
}

void TDataSet::MoveToEnd(bool last) {
    CheckBrowseMode();
    ClearBuffers();
    bof_ = true;
    eof_ = true;
    // An engine failure still leaves the data set at that end, with its links
    // told, before it reaches the caller. Not a scope guard: the links'
    // handlers may throw, and a guard's clean-up runs where nothing may.
    std::exception_ptr failure;
    try {
        if (last)
            InternalLast();
        else
            InternalFirst();
        if (GetRecord(buffers_[0], last ? gmPrior : gmNext, false) == grOK) {
            windowCount_ = 1;
            cursorOnActive_ = true;
            bof_ = false;
            eof_ = false;
        }
    } catch (...) {
        failure = std::current_exception();
    }
    (last ? eof_ : bof_) = true;
    DataEvent(deDataSetChange);
    if (failure)
        std::rethrow_exception(failure);
}

void TDataSet::Next() {
    MoveOne(true);
}

void TDataSet::Prior() {
    MoveOne(false);
}

void TDataSet::MoveOne(bool forward) {
    CheckBrowseMode();
    if (forward ? eof_ : bof_)
        return;
    bof_ = false;
    eof_ = false;
    const int before = windowCount_;
    SyncCursor();
    cursorOnActive_ = false;
    const TGetResult result = GetRecord(buffers_[1], forward ? gmNext : gmPrior, false);
    int distance = 0;
    if (result == grOK) {
        std::swap(buffers_[0], buffers_[1]);
        windowCount_ = 1;
        cursorOnActive_ = true;
        distance = forward ? 1 : -1;
    } else if (forward) {
        eof_ = true;
    } else {
        bof_ = true;
    }
    if (windowCount_ == before)
        DataEvent(deDataSetScroll, nullptr, distance);
    else
        DataEvent(deDataSetChange);
}

void TDataSet::Insert() {
    CheckBrowseMode();
    if (!CanModify())
        Error(StoreMessages::DataSetReadOnly);
    const bool hadRecord = windowCount_ > 0;
    const QByteArray bookmark = hadRecord ? buffers_[0].Info.Bookmark : QByteArray();
    TRecordBuffer& fresh = buffers_[1];
    InternalInitRecord(fresh);
    fresh.Info.RecordNumber = -1;
    fresh.Info.UpdateStatus = usInserted;
    fresh.Info.BookmarkFlag = hadRecord ? bfInserted : bfBOF;
    fresh.Info.Bookmark = bookmark;
    InternalInsert();
    std::swap(buffers_[0], buffers_[1]);
    windowCount_ = 1;
    cursorOnActive_ = false;
    SetState(dsInsert);
    modified_ = false;
    DataEvent(deDataSetChange);
}

void TDataSet::Edit() {
    if (InEditModes(state_))
        return;
    if (IsEmpty()) {
        Insert();
        return;
    }
    CheckBrowseMode();
    if (!CanModify())
        Error(StoreMessages::DataSetReadOnly);
    SyncCursor();
    // The latest stored values, read under a write lock. A record locked
    // elsewhere, or deleted elsewhere, fails here with the engine's message;
    // the state stays browse and the user stays where they were, never on
    // another record that they did not choose.
    TGetResult result;
    try {
        result = GetRecord(buffers_[1], gmCurrent, true);
    } catch (...) {
        // A record gone leaves the engine in the gap where it was.
        cursorOnActive_ = false;
        throw;
    }
    if (result != grOK) {
        cursorOnActive_ = false;
        Resync();
        return;
    }
    std::swap(buffers_[0], buffers_[1]);
    cursorOnActive_ = true;
    SetState(dsEdit);
    DataEvent(deRecordChange);
}

void TDataSet::CheckRequiredFields() {
    for (const auto& field : fields_) {
        if (field->Required() && !field->ReadOnly() && field->FieldNo() > 0 && field->IsNull()) {
            field->FocusControl();
            throw EDatabaseError(
                QString::fromLatin1(StoreMessages::FieldRequired).arg(field->DisplayName()));
        }
    }
}

void TDataSet::Post() {
    if (!InEditModes(state_))
        Error(StoreMessages::NotEditing);
    DataEvent(deUpdateRecord);
    DataEvent(deCheckBrowseMode);
    CheckRequiredFields();
    InternalPost();
    SetState(dsBrowse);
    Resync();
}

void TDataSet::Cancel() {
    if (!InEditModes(state_))
        return;
    DataEvent(deCheckBrowseMode);
    if (state_ == dsInsert) {
        const TRecInfo& info = buffers_[0].Info;
        // The record current when Insert began; should it have gone in the
        // meantime the cursor starts again from the beginning.
        if (info.BookmarkFlag != bfInserted || info.Bookmark.isEmpty() ||
            !InternalGotoBookmark(info.Bookmark))
            InternalFirst();
    } else {
        // Should the record have been deleted by another user, the gap it
        // left is where the cursor resumes.
        InternalGotoBookmark(buffers_[0].Info.Bookmark);
        InternalCancel();
    }
    SetState(dsBrowse);
    Resync();
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (IsEmpty())
        Error(StoreMessages::DataSetEmpty);
    DataEvent(deCheckBrowseMode);
    SyncCursor();
    InternalDelete();
    SetState(dsBrowse);
    Resync();
}

int TDataSet::RecNo() const {
    CheckActive();
    return windowCount_ > 0 ? buffers_[0].Info.RecordNumber : 0;
}

int TDataSet::RecordCount() const {
    CheckActive();
    return GetRecordCount();
}
