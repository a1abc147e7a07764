// The data source sits between a table and the editors that show it: it keeps
// its own copy of the table's state, decides whether typing may start an edit
// (AutoEdit), and passes every data event of the table on to its links.
#pragma once

#include "store/data_set.h"

#include <QString>
#include <functional>
#include <vector>

class TDataLink;
class TField;

class TDataSource {
public:
    explicit TDataSource(QString name = {});
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    const QString& Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // The table's state, inactive while disabled or without a table.
    TDataSetState State() const { return state_; }
    const std::vector<TDataLink*>& DataLinks() const { return dataLinks_; }

    // Only with AutoEdit and in browse state: the table's Edit.
    void Edit();

    // Called by the table for each of its data events.
    void DataEvent(TDataEvent event, TField* field, int distance);

    std::function<void(TDataSource* sender)> OnStateChange;
    std::function<void(TDataSource* sender, TField* field)> OnDataChange;
    std::function<void(TDataSource* sender)> OnUpdateData;

private:
    friend class TDataLink;

    void AddDataLink(TDataLink* link);
    void RemoveDataLink(TDataLink* link);
    void UpdateState();
    void NotifyLinks(TDataEvent event, TField* field, int distance);

    QString name_;
    TDataSet* dataSet_ = nullptr;
    bool autoEdit_ = true;
    bool enabled_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> dataLinks_;
};

// The base of every link between a data source and something that shows it.
class TDataLink {
public:
    TDataLink();
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* dataSource);
    TDataSet* DataSet() const;
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    // The data source's state is not inactive.
    bool Active() const { return active_; }
    // The data source's state is edit or insert and the link is not read-only.
    bool Editing() const { return editing_; }
    // True while the link writes its pending text back.
    bool Updating() const { return updating_; }
    int BufferCount() const { return 1; }

    // Asks the data source to edit; returns the editing flag.
    virtual bool Edit();
    // Sets the updating flag and writes pending text back.
    void UpdateRecord();

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField*& /*field*/) {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* /*field*/) {}
    virtual void UpdateData() {}

private:
    friend class TDataSource;

    void DataEvent(TDataEvent event, TField* field, int distance);
    void UpdateState();
    void SetActive(bool active);
    void SetEditing(bool editing);

    TDataSource* dataSource_ = nullptr;
    bool readOnly_ = false;
    bool active_ = false;
    bool editing_ = false;
    bool updating_ = false;
};
