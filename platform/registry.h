// The registry, read-only: the few values the program looks up (the engine's
// DLLPATH) come from plain text files. The user's file
// $XDG_CONFIG_HOME/questoes/registry.conf (XDG_CONFIG_HOME defaults to
// ~/.config) is consulted first, then the system's /etc/questoes/registry.conf;
// the first file that holds the value wins.
//
// File format: INI-like, one section per key with the full key path, then
// `name=value` lines:
//
//   # where the Database Engine's library lives
//   [HKEY_LOCAL_MACHINE\Software\Database Engine]
//   DLLPATH=/opt/questoes/lib;C:\ZQ\Engine
//
// Key paths and value names compare ignoring ASCII case, `/` counts as `\`,
// and HKLM / HKCU abbreviate the two roots. Blank lines and lines starting with
// `#` or `;` are comments. Spaces around names and values are dropped, and a
// name or value written in double quotes loses its quotes. Files are UTF-8 and
// are read afresh on every lookup.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The key of the engine's settings, and its value naming the library folders.
inline constexpr char kDatabaseEngineKey[] = "HKEY_LOCAL_MACHINE\\Software\\Database Engine";
inline constexpr char kDllPathValue[] = "DLLPATH";

// The value `valueName` under `keyPath` (root included), or nothing.
std::optional<QString> ReadRegistryValue(const QString& keyPath, const QString& valueName);

// The files consulted, in order.
QStringList RegistryFiles();

// Replaces /etc/questoes/registry.conf, so tests need not depend on the
// machine; an empty path restores it.
void SetSystemRegistryFile(const QString& path);
