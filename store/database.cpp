#include "store/database.h"

#include "store/db_data_set.h"
#include "store/engine_api.h"
#include "store/session.h"

#include <QByteArray>
#include <utility>

TDatabase::TDatabase(TSession* session, QString databaseName)
    : session_(session), databaseName_(std::move(databaseName)) {}

TDatabase::~TDatabase() {
    Close();
}

bool TDatabase::IsDirectory() const {
    // A Windows path has a drive colon or a backslash; on this system an
    // absolute path with slashes names a directory as well.
    return databaseName_.contains(QLatin1Char(':')) || databaseName_.contains(QLatin1Char('\\')) ||
           databaseName_.contains(QLatin1Char('/'));
}

void TDatabase::Open() {
    if (Connected())
        return;
    TSessionLock lock(*session_);
    const TEngineApi& api = session_->Api();
    hDbeDb handle = nullptr;
    if (IsDirectory()) {
        session_->Check(
            api.OpenDatabase(nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED, nullptr, &handle));
        const QByteArray directory = databaseName_.toUtf8();
        const DbeResult result = api.SetDirectory(handle, directory.constData());
        if (result != DBE_OK) {
            api.CloseDatabase(&handle);
            session_->RaiseEngineError(result);
        }
    } else {
        const QByteArray alias = databaseName_.toUtf8();
        session_->Check(
            api.OpenDatabase(alias.constData(), nullptr, dbeREADWRITE, dbeOPENSHARED, "", &handle));
    }
    handle_ = handle;
}

void TDatabase::Close() {
    if (!Connected())
        return;
    // A table cannot outlive the connection it reads through.
    for (TDBDataSet* dataSet : std::vector<TDBDataSet*>(dataSets_))
        dataSet->Close();
    dataSets_.clear();
    hDbeDb handle = handle_;
    handle_ = nullptr;
    refCount_ = 0;
    session_->Api().CloseDatabase(&handle);
}
