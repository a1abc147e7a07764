// Reads a report definition stored as JSON (the question listing's lives in
// the program's resources as :/reports/rel_quest.json) into a new TRpReport.
// The file mirrors the published properties: the report's values, its Page
// with Page.Values, its Bands with Size.Values and their Controls with
// Size.Values, fonts, captions and fields. Reading is strict: an unknown
// property, a value of the wrong kind or a size record of the wrong length
// is an error that names the file and the place, never a half-read report.
#pragma once

#include "platform/exceptions.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>

class TDataSet;
class TRpReport;

// A definition that cannot be read; the message names the problem.
class ERpDefinitionError : public Exception {
public:
    using Exception::Exception;
};

class TRpDefinitionLoader {
public:
    // A data set the definition may name (the pointer may be null while the
    // table does not exist, e.g. in a design check).
    void AddDataSet(const QString& name, TDataSet* dataSet);

    // Throws ERpDefinitionError. `source` names the definition in messages.
    std::unique_ptr<TRpReport> Load(const QByteArray& data, const QString& source) const;
    // A file or resource path (":/reports/...").
    std::unique_ptr<TRpReport> LoadFile(const QString& path) const;

private:
    QHash<QString, TDataSet*> dataSets_;
};
