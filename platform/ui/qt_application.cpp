// The QApplication of the program, with the last-resort guard in notify.
#include "platform/ui/qt_application.h"

#include "platform/ui/application.h"

#include <QtGlobal>

TQtApplication::TQtApplication(int& argc, char** argv) : QApplication(argc, argv) {}

TQtApplication::~TQtApplication() = default;

bool TQtApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (Application != nullptr)
            Application->HandleCurrentException();
        else
            qCritical("Exception escaped an event handler with no application object to report it");
        return false;
    }
}
