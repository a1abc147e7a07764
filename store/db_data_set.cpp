#include "store/db_data_set.h"

#include "store/database.h"
#include "store/session.h"

#include <algorithm>
#include <utility>

TDBDataSet::TDBDataSet(QString name) : TEngineDataSet(std::move(name)), session_(&Session()) {}

TDBDataSet::~TDBDataSet() {
    // Closed here, while the overrides that give the database back still exist.
    Close();
}

void TDBDataSet::SetDatabaseName(const QString& databaseName) {
    databaseName_ = databaseName;
}

void TDBDataSet::SetSession(TSession* session) {
    if (session && !Active())
        session_ = session;
}

void TDBDataSet::InternalOpen() {
    TSessionLock lock(*session_);
    database_ = session_->OpenDatabase(databaseName_);
    database_->dataSets_.push_back(this);
    try {
        TEngineDataSet::InternalOpen();
    } catch (...) {
        ReleaseDatabase();
        throw;
    }
}

void TDBDataSet::InternalClose() {
    TEngineDataSet::InternalClose();
    ReleaseDatabase();
}

void TDBDataSet::ReleaseDatabase() {
    if (!database_)
        return;
    auto& users = database_->dataSets_;
    users.erase(std::remove(users.begin(), users.end(), this), users.end());
    session_->CloseDatabase(database_);
    database_ = nullptr;
}
