// A data set bound to a database of a session: it opens its database (by
// alias or directory) before its cursor and gives its use back on close.
#pragma once

#include "store/engine_data_set.h"

#include <QString>

class TDatabase;
class TSession;

class TDBDataSet : public TEngineDataSet {
public:
    explicit TDBDataSet(QString name = {});
    ~TDBDataSet() override;

    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& databaseName);
    // The database while the data set is open, else nullptr.
    TDatabase* Database() const { return database_; }
    // The default session unless another is set (before Open).
    TSession* DBSession() const override { return session_; }
    void SetSession(TSession* session);

protected:
    void InternalOpen() override;
    void InternalClose() override;

private:
    void ReleaseDatabase();

    QString databaseName_;
    TSession* session_;
    TDatabase* database_ = nullptr;
};
