// The shell service: asking the desktop to open a web address, a new mail
// message or a file with the program the user prefers.
//
// Lower layers and widgets call Shell(); the user interface library
// installs the real implementation and the tests a scripted one that only
// records the calls. Results follow the desktop convention: a value greater
// than 32 means success, smaller values are error codes.
#pragma once

#include <QString>
#include <QtGlobal>

class QObject;

// Show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_NORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;
inline constexpr int SW_SHOWDEFAULT = 10;

// Results up to 32 are failures.
inline constexpr int SE_ERR_FNF = 2; // file not found
inline constexpr int SE_ERR_PNF = 3; // path not found
inline constexpr int SE_ERR_ACCESSDENIED = 5;
inline constexpr int SE_ERR_NOASSOC = 31; // nothing can open it
inline constexpr int SE_SUCCESS = 42;     // any value above 32 means success

class TShell {
public:
    virtual ~TShell() = default;

    // owner: the window on whose behalf the shell acts (may be null).
    // verb: "open" (or empty, meaning open). file: a URL with its scheme
    // ("http://...", "mailto:...") or a path, relative to dir when dir is
    // given. params and show are kept for the desktop's signature.
    virtual int ShellExecute(QObject* owner, const QString& verb, const QString& file,
                             const QString& params, const QString& dir, int show) = 0;
};

// Used when no shell is installed: opens nothing and says so.
class TNoShell final : public TShell {
public:
    int ShellExecute(QObject*, const QString& verb, const QString& file, const QString&,
                     const QString&, int) override {
        qWarning("No shell installed to %s %s", qUtf8Printable(verb), qUtf8Printable(file));
        return SE_ERR_NOASSOC;
    }
};

namespace platform_services {
inline TShell* CurrentShell = nullptr;
inline TNoShell FallbackShell;
} // namespace platform_services

// The installed service, or the fallback that opens nothing.
inline TShell& Shell() {
    if (platform_services::CurrentShell != nullptr)
        return *platform_services::CurrentShell;
    return platform_services::FallbackShell;
}

// Installs a service (nullptr uninstalls); returns the one it replaces.
inline TShell* SetShell(TShell* shell) {
    TShell* previous = platform_services::CurrentShell;
    platform_services::CurrentShell = shell;
    return previous;
}

inline TShell* InstalledShell() {
    return platform_services::CurrentShell;
}
