#include "store/data_source.h"

#include "store/field.h"

#include <algorithm>
#include <exception>
#include <utility>

TDataSource::TDataSource(QString name) : name_(std::move(name)) {}

TDataSource::~TDataSource() {
    // Links outlive their data source in no case that matters, but none may
    // keep a dangling pointer to it.
    for (TDataLink* link : std::vector<TDataLink*>(dataLinks_)) {
        link->active_ = false;
        link->editing_ = false;
        link->dataSource_ = nullptr;
    }
    dataLinks_.clear();
    if (dataSet_)
        dataSet_->RemoveDataSource(this);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet_ == dataSet)
        return;
    if (dataSet_)
        dataSet_->RemoveDataSource(this);
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->AddDataSource(this);
    UpdateState();
}

void TDataSource::SetEnabled(bool enabled) {
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    UpdateState();
}

void TDataSource::Edit() {
    if (autoEdit_ && state_ == dsBrowse && dataSet_)
        dataSet_->Edit();
}

void TDataSource::AddDataLink(TDataLink* link) {
    if (std::find(dataLinks_.begin(), dataLinks_.end(), link) == dataLinks_.end())
        dataLinks_.push_back(link);
}

void TDataSource::RemoveDataLink(TDataLink* link) {
    dataLinks_.erase(std::remove(dataLinks_.begin(), dataLinks_.end(), link), dataLinks_.end());
}

void TDataSource::UpdateState() {
    const TDataSetState state = enabled_ && dataSet_ ? dataSet_->State() : dsInactive;
    if (state_ == state)
        return;
    state_ = state;
    NotifyLinks(deUpdateState, nullptr, 0);
    if (OnStateChange)
        OnStateChange(this);
}

void TDataSource::NotifyLinks(TDataEvent event, TField* field, int distance) {
    // Every link hears the event even when one of them fails (a link bound
    // to a missing field must not leave the other editors unbound); the first
    // failure is raised afterwards.
    std::exception_ptr failure;
    TField* focusField = field;
    for (TDataLink* link : std::vector<TDataLink*>(dataLinks_)) {
        if (std::find(dataLinks_.begin(), dataLinks_.end(), link) == dataLinks_.end())
            continue; // removed by an earlier handler
        try {
            if (event == deUpdateState) {
                link->UpdateState();
            } else if (event == deFocusControl) {
                link->FocusControl(focusField);
                if (!focusField)
                    break; // an editor took the focus
            } else {
                link->DataEvent(event, field, distance);
            }
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TDataSource::DataEvent(TDataEvent event, TField* field, int distance) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == dsInactive)
        return;
    if (event == deFocusControl) {
        NotifyLinks(event, field, distance);
        return;
    }
    NotifyLinks(event, field, distance);
    switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(this, event == deFieldChange ? field : nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(this);
        break;
    default:
        break;
    }
}

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    active_ = false;
    editing_ = false;
    if (dataSource_)
        dataSource_->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* dataSource) {
    if (dataSource_ == dataSource)
        return;
    if (dataSource_)
        dataSource_->RemoveDataLink(this);
    dataSource_ = dataSource;
    if (dataSource_)
        dataSource_->AddDataLink(this);
    UpdateState();
}

TDataSet* TDataLink::DataSet() const {
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool readOnly) {
    if (readOnly_ == readOnly)
        return;
    readOnly_ = readOnly;
    UpdateState();
}

bool TDataLink::Edit() {
    if (!readOnly_ && dataSource_)
        dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    updating_ = true;
    try {
        UpdateData();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

void TDataLink::UpdateState() {
    const TDataSetState state = dataSource_ ? dataSource_->State() : dsInactive;
    SetActive(state != dsInactive);
    SetEditing((state == dsEdit || state == dsInsert) && !readOnly_);
}

void TDataLink::SetActive(bool active) {
    if (active_ == active)
        return;
    active_ = active;
    ActiveChanged();
}

void TDataLink::SetEditing(bool editing) {
    if (editing_ == editing)
        return;
    editing_ = editing;
    EditingChanged();
}

void TDataLink::DataEvent(TDataEvent event, TField* field, int distance) {
    if (!active_)
        return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_)
            RecordChanged(field);
        break;
    case deDataSetChange:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(distance);
        break;
    case deLayoutChange:
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(field);
        break;
    default:
        break;
    }
}
