// File services in the desktop's terms. Every path may be a Windows path
// (resolved through the drive map, see drive_map.h) or an absolute Linux path.
//
// CopyFile never destroys the file it would replace: it writes a temporary
// file beside the destination, flushes it to the medium, and only then renames
// it over the destination. Whatever fails, the old destination stays as it
// was and no temporary file is left behind. A failure keeps a reason a person
// can act on (source missing, no medium, folder missing, write-protected,
// disk full), in Portuguese like every text the user sees.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// What kind of failure a copy met, for callers that word it themselves.
enum TCopyFailure {
    cfNone,
    cfSourceMissing,
    cfNoMedium,
    cfMediumFull,
    cfWriteProtected,
    cfOther,
};

struct TCopyResult {
    bool Ok = false;
    QString Reason; // empty on success
    TCopyFailure Failure = cfNone;
};

// Told after every piece written: the bytes copied so far and in all. It
// runs on the copying thread.
using TCopyProgress = std::function<void(qint64 copied, qint64 total)>;

// Copies source to dest; with failIfExists an existing dest is an error,
// otherwise it is replaced unless it is write-protected (no write permission
// bit), which is refused as the desktop refused a read-only file. The copy keeps the source's
// permission bits and modification time, as the desktop's copy did.
TCopyResult CopyFileChecked(const QString& source, const QString& dest, bool failIfExists,
                            const TCopyProgress& progress = {});

// What would keep a copy of `bytes` bytes out of `folder` (a Windows path):
// a drive without its medium, a read-only or forbidden medium, too little
// free space; cfNone when none of these is seen.
TCopyFailure DestinationProblem(const QString& folder, qint64 bytes);

// Whether two files hold the same bytes. The second is read from its medium,
// not from what the system still keeps in memory of it, so a medium that
// lost what was written to it is found out.
bool SameFileContents(const QString& original, const QString& copy);

// CopyFileChecked with the reason kept for LastFileError (per thread).
bool CopyFile(const QString& source, const QString& dest, bool failIfExists);

// The reason of the last failed CopyFile, DeleteFile or CreateTempFile of this
// thread; empty after a success.
QString LastFileError();
inline QString LastCopyError() {
    return LastFileError();
}

// True for an existing file (not a folder).
bool FileExists(const QString& path);
// True for an existing folder.
bool DirectoryExists(const QString& path);
// Removes a file (not a folder); false with the reason kept on failure.
bool DeleteFile(const QString& path);

// The folder for temporary files: $TMPDIR when it names a folder, else /tmp.
QString TempDirectory();
// Creates a new, empty, uniquely named file in TempDirectory() whose name
// starts with prefix, and returns its full path; empty on failure (reason
// kept). The caller deletes the file.
QString CreateTempFile(const QString& prefix);
