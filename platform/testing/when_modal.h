// Acting on a modal window from inside the nested loop that shows it: a
// test makes a TWhenModal before the code that opens the window, and the
// action runs on the first modal widget that appears. If none appears
// within ten seconds the test fails, and a modal window still open then is
// closed so that the test cannot hang.
#pragma once

#include <QTimer>
#include <functional>

class QWidget;

class TWhenModal {
public:
    explicit TWhenModal(std::function<void(QWidget*)> act);
    // Fails the running test when no modal window appeared.
    ~TWhenModal();
    TWhenModal(const TWhenModal&) = delete;
    TWhenModal& operator=(const TWhenModal&) = delete;

    bool Done() const { return done_; }

private:
    void Poll();

    std::function<void(QWidget*)> act_;
    QTimer timer_;
    int ticks_ = 0;
    bool done_ = false;
};
