// A database of the session: an alias of the engine's configuration or a
// directory path. Tables share it and count their uses; it stays connected
// after its last table closes so that a later open reuses it.
#pragma once

#include "store/engine/dbengine.h"

#include <QString>
#include <vector>

class TSession;
class TDBDataSet;

class TDatabase {
public:
    TDatabase(TSession* session, QString databaseName);
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    TSession* Session() const { return session_; }
    const QString& DatabaseName() const { return databaseName_; }
    // A name with a drive colon or a path separator names a directory;
    // anything else is an alias.
    bool IsDirectory() const;
    // Made by the session on demand, named after the alias.
    bool Temporary() const { return temporary_; }
    void SetTemporary(bool temporary) { temporary_ = temporary; }
    bool Connected() const { return handle_ != nullptr; }
    hDbeDb Handle() const { return handle_; }
    // The number of open tables using this database.
    int RefCount() const { return refCount_; }

    void Open();
    // Closes the tables still using it, then the engine's database.
    void Close();

private:
    friend class TSession;
    friend class TDBDataSet;

    TSession* session_;
    QString databaseName_;
    bool temporary_ = false;
    hDbeDb handle_ = nullptr;
    int refCount_ = 0;
    std::vector<TDBDataSet*> dataSets_;
};
