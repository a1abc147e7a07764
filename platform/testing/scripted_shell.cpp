// The scripted shell: records each call, opens nothing.
#include "platform/testing/scripted_shell.h"

TScriptedShell::TScriptedShell() : previous_(SetShell(this)) {}

TScriptedShell::~TScriptedShell() {
    if (InstalledShell() == this)
        SetShell(previous_);
}

int TScriptedShell::ShellExecute(QObject* owner, const QString& verb, const QString& file,
                                 const QString& params, const QString& dir, int show) {
    calls_.push_back(TShellCall{owner, verb, file, params, dir, show});
    return result_;
}
