// A QCoreApplication for the tests that need an event loop (posted events,
// timers), created by the first test that asks and kept for the process.
#pragma once

#include <QCoreApplication>

inline QCoreApplication& CoreApplication() {
    if (auto* app = QCoreApplication::instance())
        return *app;
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}
