// The QApplication the program runs on. Its only addition is a last line of
// defence: an exception that escapes an event handler which forgot to go
// through TApplication::Dispatch is caught in notify and reported like any
// other, instead of unwinding through Qt's event loop (which Qt does not
// support). Code must still use Dispatch; this only keeps a slip from
// ending the program.
#pragma once

#include <QApplication>

class TQtApplication : public QApplication {
    Q_OBJECT

public:
    TQtApplication(int& argc, char** argv);
    ~TQtApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;
};
