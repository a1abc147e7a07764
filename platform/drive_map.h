// The drive map: how a Windows path such as `C:\ZQ\Questoes\QUESTOES.DB` names
// a file on this Linux machine. Plain C++ without Qt, because the database
// engine library resolves its alias directories through the same map.
//
// Drives. Every letter A to Z is mapped. The directory of drive X is, first
// match wins:
//   1. the environment variable QUESTOES_DRIVE_X (upper-case letter), when set
//      and not empty;
//   2. a line `X=/some/dir` in $XDG_CONFIG_HOME/questoes/drives.conf
//      (XDG_CONFIG_HOME defaults to ~/.config). Letters may be written in
//      either case and as `X:`; blank lines and lines starting with `#` or `;`
//      are ignored; a later line for the same letter wins;
//   3. $XDG_DATA_HOME/questoes/drive_x (lower-case letter; XDG_DATA_HOME
//      defaults to ~/.local/share).
// A relative directory in the environment or in drives.conf is taken relative
// to the current directory at the time of the call. The map is read afresh on
// every call, so a test can change it at any moment.
//
// Paths. ResolveWindowsPath accepts:
//   - an absolute Linux path (starting with `/`): returned unchanged;
//   - `X:`, `X:\`, `X:\dir\file` or `X:dir\file` with the letter in either
//     case and `\` or `/` as separators (a drive has no current directory of
//     its own here, so `X:dir` means `X:\dir`).
// Everything else resolves to nothing: an empty text, a relative path, a UNC
// path (`\\server\share`), a drive letter outside A-Z, an embedded NUL.
// A drive whose directory does not exist still resolves (drive A: without a
// medium, say): the file operations on the result then fail with a reason the
// caller can report.
//
// Components. Empty components and `.` are dropped; `..` goes up one level
// but never above the drive's directory. Each component that exists on disk is
// matched ignoring case as Windows does (ASCII and the letters of Unicode that
// have a simple lower-case mapping, so `QUESTÕES` finds `questões`); an exact
// match is preferred, then the first match in byte order. A component that does
// not exist keeps the case it was given, and so does everything after it, so a
// new file is created with the name the caller wrote.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// The directory that stands for drive `letter` (either case). An empty path
// for anything that is not a letter A-Z.
std::filesystem::path DriveDirectory(char letter);

// The Linux path for a Windows (or absolute Linux) path; nothing for a path
// that names no file (see above).
std::optional<std::filesystem::path> ResolveWindowsPath(std::string_view path);

// True when the two UTF-8 names are equal ignoring case, the way the drive map
// compares path components.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);
