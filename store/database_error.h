// Errors of the record store. EDatabaseError is a failure the store detects
// itself (a closed table, a read-only field ...); EDBEngineError is a failure
// answered by the Database Engine, carrying the engine's list of errors.
#pragma once

#include "platform/exceptions.h"

#include <QList>
#include <QString>

class EDatabaseError : public Exception {
public:
    explicit EDatabaseError(QString message);
    ~EDatabaseError() override;
};

// One entry of an engine failure: the engine's code, the native (server) code
// and the engine's text for it.
class TDBError {
public:
    TDBError(int errorCode, int nativeError, QString message);

    int ErrorCode() const { return errorCode_; }
    int Category() const { return (errorCode_ >> 8) & 0xFF; }
    int SubCode() const { return errorCode_ & 0xFF; }
    int NativeError() const { return nativeError_; }
    const QString& Message() const { return message_; }

private:
    int errorCode_;
    int nativeError_;
    QString message_;
};

class EDBEngineError : public EDatabaseError {
public:
    // The message is built from the engine's text for the code and its context
    // lines (see EngineErrorMessage).
    EDBEngineError(int errorCode, QList<TDBError> errors, QString message);
    ~EDBEngineError() override;

    int ErrorCode() const { return errorCode_; }
    int ErrorCount() const { return static_cast<int>(errors_.size()); }
    const TDBError& Errors(int index) const { return errors_.at(index); }
    const QList<TDBError>& ErrorList() const { return errors_; }

private:
    int errorCode_;
    QList<TDBError> errors_;
};

// "Engine error $2108" style text: the code in four hexadecimal digits.
QString HexCode(int code);

// The message of an engine failure: the engine's text for the code, then each
// context line not already shown, one per line, no break after the last; when
// there is no text at all, "Engine error $%.4x".
QString EngineErrorMessage(int code, const QString& text, const QList<QString>& context);

// Raises EDatabaseError; with a non-empty component name the message reads
// "Name: message".
[[noreturn]] void DatabaseError(const QString& message, const QString& componentName = {});

// The texts the store raises; %1 marks the place of a name.
namespace StoreMessages {
inline constexpr const char* DataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* DataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* DataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* NotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* NoTableName = "Missing TableName property";
inline constexpr const char* FieldNotFound = "Field '%1' not found";
inline constexpr const char* FieldReadOnly = "Field '%1' cannot be modified";
inline constexpr const char* FieldRequired = "Field '%1' must have a value";
inline constexpr const char* FieldTypeMismatch =
    "Type mismatch for field '%1', expecting: %2 actual: %3";
inline constexpr const char* InitError =
    "An error occurred while attempting to initialize the Database Engine (error $%1)";
inline constexpr const char* EngineError = "Engine error $%1";
} // namespace StoreMessages
