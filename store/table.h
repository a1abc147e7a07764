// A table opened by name in its database, on its default index, read-write
// and shared; a table whose files cannot be written opens read-only, and a
// protected table whose password the session lacks asks for it.
#pragma once

#include "store/db_data_set.h"

#include <QString>

class TTable : public TDBDataSet {
public:
    explicit TTable(QString name = {});
    ~TTable() override;

    const QString& TableName() const { return tableName_; }
    void SetTableName(const QString& tableName);
    // Opened read-only (its files could not be written).
    bool ReadOnlyOpen() const { return readOnlyOpen_; }

protected:
    hDbeCur CreateHandle() override;

private:
    QString tableName_;
    bool readOnlyOpen_ = false;
};
