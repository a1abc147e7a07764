// Qt-facing front of the drive map (drive_map.h holds the rules): the program's
// code speaks QString, the map speaks UTF-8 bytes.
#pragma once

#include <QChar>
#include <QString>

// The Linux path for a Windows path such as "C:\ZQ\Questoes\QUESTOES.DB" or
// an absolute Linux path (returned unchanged); empty when the text names no
// file (relative, UNC, no drive letter A-Z).
QString ResolvePath(const QString& windowsOrLinuxPath);

// The directory that stands for the drive `letter` (either case); empty for
// anything but A-Z.
QString DriveRoot(QChar letter);
