// Run-time library loading in the desktop's terms. The program names its
// libraries as on Windows ("DBENGINE.DLL", "ExKbMon.dll"); LoadLibrary maps
// the name to the Linux file ("libdbengine.so", "libexkbmon.so": "lib", the
// base name in lower case, ".so") and looks for it, first match wins:
//   1. the file in the current directory;
//   2. each directory of the registry value DLLPATH under
//      HKEY_LOCAL_MACHINE\Software\Database Engine (a list separated by `;`
//      or `:`; entries may be Windows paths, resolved through the drive map);
//   3. dlopen's own search by the bare file name, which covers the install's
//      lib/ through the program's run path.
// The first file that exists decides: when it cannot be loaded, the search
// stops with its error rather than quietly taking another copy.
//
// A name that carries a directory (`/`, `\` or a drive) is loaded from there
// only; a name that already ends in ".so" is used as it is.
#pragma once

#include <QString>
#include <QStringList>

using HMODULE = void*;

// Why a load failed. NotFound: no such file, or a library it needs is missing.
// OutOfMemory: the loader ran out of memory. Other: anything else, such as a
// file that is not a loadable library.
enum class TLoadError { None, NotFound, OutOfMemory, Other };

struct TLoadResult {
    HMODULE Handle = nullptr;
    TLoadError Error = TLoadError::None;
    QString Text; // the loader's message for a failure
    QString Path; // the file that was loaded, or the last one tried
    bool Ok() const { return Handle != nullptr; }
};

// The Linux file name for a desktop library name.
QString LinuxLibraryName(const QString& name);

// The directories of DLLPATH, resolved, in order.
QStringList DllPathDirectories();

// Loads a library by its desktop name; the handle is freed with FreeLibrary.
TLoadResult LoadLibraryEx(const QString& name);

// As LoadLibraryEx, keeping the failure for LastLoadError/LastLoadErrorText
// (per thread), as GetLastError does.
HMODULE LoadLibrary(const QString& name);
TLoadError LastLoadError();
QString LastLoadErrorText();

// The entry point `name`, or null.
void* GetProcAddress(HMODULE module, const char* name);
// False when the handle was null or the loader refused.
bool FreeLibrary(HMODULE module);
