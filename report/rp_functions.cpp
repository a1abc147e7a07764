// The report function list.
#include "report/rp_functions.h"

TRpEvEnvironment::TRpEvEnvironment() {
    AddDefaults();
}

void TRpEvEnvironment::Clear() {
    names_.clear();
    expressions_.clear();
    compiled_.clear();
}

void TRpEvEnvironment::AddDefaults() {
    Add(QStringLiteral("PAGENUMBER"), QStringLiteral("0"));
    Add(QStringLiteral("COLUMNNUMBER"), QStringLiteral("0"));
    Add(QStringLiteral("REPORTTITLE"), QStringLiteral("''"));
}

int TRpEvEnvironment::IndexOf(const QString& name) const {
    return static_cast<int>(names_.indexOf(name.toUpper()));
}

bool TRpEvEnvironment::Add(const QString& name, const QString& expression) {
    const QString upper = name.toUpper();
    if (upper.isEmpty() || names_.contains(upper))
        return false;
    names_.append(upper);
    expressions_.append(expression);
    if (Prepared())
        compiled_.push_back(RpCompileExpression(expression));
    return true;
}

QString TRpEvEnvironment::Expression(const QString& name) const {
    const int i = IndexOf(name);
    return i < 0 ? QString() : expressions_.at(i);
}

void TRpEvEnvironment::Prepare() {
    if (prepared_++ > 0)
        return;
    compiled_.clear();
    for (const QString& expression : expressions_)
        compiled_.push_back(RpCompileExpression(expression));
}

void TRpEvEnvironment::Unprepare() {
    if (prepared_ == 0 || --prepared_ > 0)
        return;
    compiled_.clear();
}

TRpEvElement* TRpEvEnvironment::Constant(const QString& name) {
    const int i = IndexOf(name);
    if (i < 0 || !Prepared() || compiled_.at(i).empty())
        return nullptr;
    return &compiled_[i].front();
}

void TRpEvEnvironment::SetIntegerConstant(TRpEvElement* element, qint64 value) {
    if (element != nullptr && element->IsNumericConstant())
        element->Value = value;
}

void TRpEvEnvironment::SetStringConstant(TRpEvElement* element, const QString& value) {
    if (element != nullptr && element->IsStringConstant())
        element->Value = value;
}

TRpEvValue TRpEvEnvironment::Value(const QString& name, int depth) const {
    const int i = IndexOf(name);
    if (i < 0)
        return {{}, QStringLiteral("Unknown function : %1").arg(name)};
    if (Prepared())
        return RpEvaluate(compiled_.at(i), *this, depth);
    return RpEvaluate(RpCompileExpression(expressions_.at(i)), *this, depth);
}
