#include "platform/exceptions.h"

#include <utility>

Exception::Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

Exception::~Exception() = default;

void Exception::SetMessage(const QString& message) {
    message_ = message;
    utf8_ = message_.toUtf8();
}

EAbort::EAbort() : Exception(QStringLiteral("Operation aborted")) {}

void Abort() {
    throw EAbort();
}
