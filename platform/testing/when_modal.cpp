// Polls for the modal widget from a timer, which the dialog's own nested
// loop keeps running.
#include "platform/testing/when_modal.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <utility>

namespace {

constexpr int PollMilliseconds = 5;
constexpr int MaxTicks = 2000; // ten seconds

} // namespace

TWhenModal::TWhenModal(std::function<void(QWidget*)> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(PollMilliseconds);
}

TWhenModal::~TWhenModal() {
    EXPECT_TRUE(done_) << "no modal dialog appeared";
}

void TWhenModal::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && !done_) {
        done_ = true;
        timer_.stop();
        act_(modal);
        return;
    }
    if (++ticks_ > MaxTicks) {
        timer_.stop();
        if (modal != nullptr)
            modal->close();
    }
}
