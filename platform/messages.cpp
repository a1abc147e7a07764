// Messages ride on one custom event type. The result of a sent message travels
// back inside the event object, which lives on the sender's stack.
#include "platform/messages.h"

#include "platform/dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

TMessageEvent::TMessageEvent(const TMessage& message) : QEvent(EventType()), message_(message) {}

TMessageEvent::~TMessageEvent() = default;

QEvent::Type TMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TMessageReceiver::~TMessageReceiver() = default;

bool PostMessage(QObject* target, unsigned msg, quintptr wParam, qintptr lParam) {
    if (!target)
        return false;
    QCoreApplication::postEvent(target, new TMessageEvent(TMessage{msg, wParam, lParam, 0}));
    return true;
}

qintptr SendMessage(QObject* target, unsigned msg, quintptr wParam, qintptr lParam) {
    if (!target)
        return 0;
    TMessageEvent event(TMessage{msg, wParam, lParam, 0});
    if (target->thread() == QThread::currentThread()) {
        QCoreApplication::sendEvent(target, &event);
    } else {
        QMetaObject::invokeMethod(
            target, [target, &event] { QCoreApplication::sendEvent(target, &event); },
            Qt::BlockingQueuedConnection);
    }
    return event.Message().Result;
}

bool HandleMessageEvent(QEvent* event, TMessageReceiver& receiver) {
    if (!event || event->type() != TMessageEvent::EventType())
        return false;
    TMessage& message = static_cast<TMessageEvent*>(event)->Message();
    Dispatch([&] { receiver.WndProc(message); });
    return true;
}
