// The main of every GoogleTest program that needs widgets: a QApplication on
// the offscreen platform (unless the caller chose another), with scripted
// dialogs and shell installed before anything else so that no test can ever
// block on a real message box or open the user's browser.
#include "platform/testing/scripted_dialogs.h"
#include "platform/testing/scripted_shell.h"
#include "platform/ui/qt_application.h"

#include <QtGlobal>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    TQtApplication app(argc, argv);
    // The catch-all service: tests that expect boxes make their own
    // (ScopedTestEnvironment or TScriptedDialogs), which takes over while
    // it lives.
    TScriptedDialogs dialogs;
    dialogs.SetLenient(true);
    TScriptedShell shell;
    return RUN_ALL_TESTS();
}
