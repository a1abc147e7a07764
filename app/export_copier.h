// The export's copying, apart from the window that shows it: the companion
// program and the two tables go from the installation folder to drive A:,
// one after the other. A plain file is copied on a worker thread in pieces
// while the caller's thread keeps its events moving (the window stays
// painted and its gauge follows the bytes copied); a table goes through the
// engine's consistent copy. Every copy is then read back from the medium and
// compared with its original, and a table copy is also opened and checked
// by the engine: a cheap medium that drops writes is found out here.
//
// Each copy that fails gives one line in Portuguese, with the file's Windows
// path as the user knows it and the true reason; nothing stops the sequence.
#pragma once

#include "platform/files.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class TSession;

struct TExportCopy {
    QString Source;      // Windows path of the original
    QString Destination; // Windows path of the copy, named as in the copy list
    QString TableName;   // set for a table copied by the engine
};

class TExportCopier {
public:
    TExportCopier(TSession& session, QString installFolder, QString mediumFolder);

    // The copy list: QDiskApp.exe, Questoes.DB, Frases.DB.
    std::vector<TExportCopy> List() const;

    // Runs every copy of the list; returns one line per failed copy.
    QStringList Run();

    // The gauge position along the list, 0 to 100 (bytes copied so far over
    // all bytes), told on the caller's thread.
    std::function<void(int percent)> OnProgress;
    // Called on the caller's thread about every 20 ms while a plain file is
    // being copied: the window handles its paint events here.
    std::function<void()> OnWaiting;
    // The plain file copy (CopyFileChecked); tests put a faulty medium here.
    std::function<TCopyResult(const QString& source, const QString& dest,
                              const TCopyProgress& progress)>
        CopyService;

private:
    QString CopyPlainFile(const TExportCopy& copy, qint64 before, qint64 total);
    QString CopyTable(const TExportCopy& copy);
    QString Reason(TCopyFailure failure, const TExportCopy& copy, const QString& detail) const;
    void Report(qint64 done, qint64 total);

    TSession& session_;
    QString installFolder_;
    QString mediumFolder_;
    int lastPercent_ = -1;
};
