// The files that make up a table, and the engine's consistent copy of them.
//
// The export of the main window must not copy an open table byte by byte: a
// table being written while it is read would reach the medium half-written.
// The engine can list a table's files and copy them as one snapshot, each
// file written under a temporary name and renamed into place; these two calls
// reach those engine entries for a table in any folder, not only in a
// database alias.
#pragma once

#include <QString>
#include <QStringList>

class TSession;

// Full paths of the files of `tableName` ("QUESTOES.DB") in `directory` (a
// Windows path resolved through the drive map, or a Linux path). Raises
// EDBEngineError when the engine refuses, for example for a missing table.
QStringList TableFamily(TSession& session, const QString& directory, const QString& tableName);

// Copies the files of `tableName` from `directory` into `destDirectory`,
// replacing files of the same names there. Raises EDBEngineError when the
// copy fails; the destination then never holds a half-written file.
void CopyTableFamily(TSession& session, const QString& directory, const QString& tableName,
                     const QString& destDirectory);

// Opens the table `tableName` in `directory` through the engine and checks
// its file, as after a copy to a medium that may not keep what it was given.
// Raises EDBEngineError when the table is damaged or cannot be read.
void CheckTableFile(TSession& session, const QString& directory, const QString& tableName);
