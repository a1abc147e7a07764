// The main of every GoogleTest program that needs widgets: a QApplication on
// the offscreen platform (unless the caller chose another), with scripted
// dialogs and shell installed before anything else so that no test can ever
// block on a real message box or open the user's browser. The locale and
// the time zone are fixed too when the caller left them unset, so a test
// run by hand sees what CTest gives it.
#include "platform/testing/scripted_dialogs.h"
#include "platform/testing/scripted_shell.h"
#include "platform/ui/qt_application.h"

#include <QtGlobal>
#include <ctime>
#include <gtest/gtest.h>
#include <utility>

int main(int argc, char** argv) {
    const std::pair<const char*, const char*> defaults[] = {{"QT_QPA_PLATFORM", "offscreen"},
                                                            {"LC_ALL", "C.UTF-8"},
                                                            {"LANG", "C.UTF-8"},
                                                            {"TZ", "UTC"}};
    for (const auto& [name, value] : defaults)
        if (!qEnvironmentVariableIsSet(name))
            qputenv(name, value);
    tzset();
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
