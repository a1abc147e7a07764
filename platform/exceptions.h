// The exception classes every layer raises. A failure is an exception that
// carries a message meant for the user; EAbort ends a handler silently.
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message);
    ~Exception() override;

    const QString& Message() const { return message_; }
    void SetMessage(const QString& message);
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// A silent abort: the application's handler swallows it without a message.
class EAbort : public Exception {
public:
    EAbort();
};

// Throws EAbort.
[[noreturn]] void Abort();
