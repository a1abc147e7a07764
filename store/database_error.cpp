#include "store/database_error.h"

#include <QStringList>
#include <utility>

EDatabaseError::EDatabaseError(QString message) : Exception(std::move(message)) {}

EDatabaseError::~EDatabaseError() = default;

TDBError::TDBError(int errorCode, int nativeError, QString message)
    : errorCode_(errorCode), nativeError_(nativeError), message_(std::move(message)) {}

EDBEngineError::EDBEngineError(int errorCode, QList<TDBError> errors, QString message)
    : EDatabaseError(std::move(message)), errorCode_(errorCode), errors_(std::move(errors)) {}

EDBEngineError::~EDBEngineError() = default;

QString HexCode(int code) {
    // Hexadecimal digits in upper case, as the engine's codes are written ($2A06).
    return QStringLiteral("%1")
        .arg(static_cast<unsigned>(code) & 0xFFFFu, 4, 16, QLatin1Char('0'))
        .toUpper();
}

QString EngineErrorMessage(int code, const QString& text, const QList<QString>& context) {
    QStringList lines;
    if (!text.isEmpty())
        lines << text;
    for (const QString& line : context) {
        if (!line.isEmpty() && !lines.contains(line))
            lines << line;
    }
    if (lines.isEmpty())
        return QString::fromLatin1(StoreMessages::EngineError).arg(HexCode(code));
    return lines.join(QLatin1Char('\n'));
}

void DatabaseError(const QString& message, const QString& componentName) {
    if (componentName.isEmpty())
        throw EDatabaseError(message);
    throw EDatabaseError(QStringLiteral("%1: %2").arg(componentName, message));
}
