#include "platform/messages.h"

#include "platform/dispatch.h"
#include "platform/exceptions.h"
#include "platform/tests/core_application.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QThread>
#include <vector>

namespace {

class TRecorder : public TMessageHandler<QObject> {
public:
    void WndProc(TMessage& message) override {
        received.push_back(message);
        if (message.Msg == WM_USER + 9)
            throw Exception(QStringLiteral("falha na mensagem"));
        message.Result = static_cast<qintptr>(message.WParam) + message.LParam;
    }
    std::vector<TMessage> received;
};

TEST(Messages, PostedMessagesReachWndProcInOrder) {
    CoreApplication();
    TRecorder target;
    EXPECT_TRUE(PostMessage(&target, WM_USER, 3, -4));
    EXPECT_TRUE(PostMessage(&target, WM_USER + 1, 7, 8));
    EXPECT_TRUE(target.received.empty()); // queued, not delivered yet
    QCoreApplication::sendPostedEvents(&target);
    ASSERT_EQ(target.received.size(), 2u);
    EXPECT_EQ(target.received[0].Msg, 0x400u);
    EXPECT_EQ(target.received[0].WParam, 3u);
    EXPECT_EQ(target.received[0].LParam, -4);
    EXPECT_EQ(target.received[1].Msg, WM_USER + 1);
}

TEST(Messages, SendMessageIsSynchronousAndReturnsTheResult) {
    CoreApplication();
    TRecorder target;
    EXPECT_EQ(SendMessage(&target, WM_USER + 2, 40, 2), 42);
    EXPECT_EQ(target.received.size(), 1u);
}

TEST(Messages, SendMessageCrossesThreads) {
    CoreApplication();
    TRecorder target;
    qintptr result = 0;
    QThread* worker = QThread::create([&] { result = SendMessage(&target, WM_USER, 1, 1); });
    worker->start();
    const QDeadlineTimer deadline(10000);
    while (!worker->wait(10) && !deadline.hasExpired())
        QCoreApplication::processEvents();
    ASSERT_TRUE(worker->isFinished());
    delete worker;
    EXPECT_EQ(result, 2);
    EXPECT_EQ(target.received.size(), 1u);
}

TEST(Messages, NullTargetIsRefused) {
    EXPECT_FALSE(PostMessage(nullptr, WM_USER));
    EXPECT_EQ(SendMessage(nullptr, WM_USER), 0);
}

TEST(Messages, AFailingWndProcIsReportedThroughDispatch) {
    CoreApplication();
    QStringList reported;
    SetExceptionHandler([&](const QString& message) { reported << message; });
    TRecorder target;
    PostMessage(&target, WM_USER + 9);
    QCoreApplication::sendPostedEvents(&target);
    SetExceptionHandler({});
    EXPECT_EQ(reported, QStringList{QStringLiteral("falha na mensagem")});
}

TEST(Messages, OtherEventsAreNotTaken) {
    struct TReceiver : TMessageReceiver {
        void WndProc(TMessage&) override { ++calls; }
        int calls = 0;
    } receiver;
    QEvent other(QEvent::User);
    EXPECT_FALSE(HandleMessageEvent(&other, receiver));
    TMessageEvent message(TMessage{WM_USER, 0, 0, 0});
    EXPECT_TRUE(HandleMessageEvent(&message, receiver));
    EXPECT_EQ(receiver.calls, 1);
}

} // namespace
