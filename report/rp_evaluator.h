// The expressions of the report functions. An expression is compiled into a
// list of elements in evaluation order (operands before their operator), so
// that a run can change a constant's element in place and every expression
// that refers to the function sees the new value. The language: integers,
// decimals, strings in single quotes ('' is a quote inside), the names of
// other report functions, + - * / with the usual precedence, unary minus
// and parentheses. A compile error becomes a single error element.
#pragma once

#include <QString>
#include <QVariant>
#include <vector>

class TRpEvEnvironment;

struct TRpEvElement {
    enum TKind { ekConstant, ekFunction, ekOperator, ekNegate, ekError };
    TKind Kind = ekError;
    // ekConstant: qint64, double or QString; ekError: the message.
    QVariant Value;
    // ekFunction: the upper-cased name; ekOperator: "+", "-", "*" or "/".
    QString Name;

    bool IsNumericConstant() const;
    bool IsStringConstant() const;
};

// A value, or the message of why there is none.
struct TRpEvValue {
    QVariant Value;
    QString Error;
    bool IsError() const { return !Error.isEmpty(); }
};

std::vector<TRpEvElement> RpCompileExpression(const QString& text);
// Evaluates compiled elements; function names are looked up in `env`.
TRpEvValue RpEvaluate(const std::vector<TRpEvElement>& elements, const TRpEvEnvironment& env,
                      int depth = 0);
