// Window messages as Qt events. The report engine's objects talk to each other
// by messages counted from WM_USER; here a message is a TMessageEvent posted
// to (PostMessage) or sent straight into (SendMessage) a QObject. A receiver
// implements TMessageReceiver and calls HandleMessageEvent from its event()
// override, or derives from TMessageHandler<Base>, which does that for it.
// WndProc always runs under Dispatch.
#pragma once

#include <QEvent>
#include <QtGlobal>

class QObject;

constexpr unsigned WM_USER = 0x400;

struct TMessage {
    unsigned Msg = 0;
    quintptr WParam = 0;
    qintptr LParam = 0;
    qintptr Result = 0;
};

class TMessageEvent : public QEvent {
public:
    explicit TMessageEvent(const TMessage& message);
    ~TMessageEvent() override;

    // The event type, registered with Qt once per process.
    static QEvent::Type EventType();

    TMessage& Message() { return message_; }
    const TMessage& Message() const { return message_; }

private:
    TMessage message_;
};

class TMessageReceiver {
public:
    virtual ~TMessageReceiver();
    virtual void WndProc(TMessage& message) = 0;
};

// Queues the message for target; false (and nothing queued) when target is null.
bool PostMessage(QObject* target, unsigned msg, quintptr wParam = 0, qintptr lParam = 0);

// Delivers the message to target at once and returns its Result; 0 when
// target is null. A target living in another thread is reached through a
// blocking queued call, as a sent message crosses threads on Windows.
qintptr SendMessage(QObject* target, unsigned msg, quintptr wParam = 0, qintptr lParam = 0);

// For event() overrides: when event is a message, runs receiver.WndProc on it
// through Dispatch and returns true; otherwise returns false.
bool HandleMessageEvent(QEvent* event, TMessageReceiver& receiver);

// Base is a QObject (or widget) class; the result receives messages in WndProc.
template <class Base> class TMessageHandler : public Base, public TMessageReceiver {
public:
    using Base::Base;

protected:
    bool event(QEvent* e) override {
        if (HandleMessageEvent(e, *this))
            return true;
        return Base::event(e);
    }
};
