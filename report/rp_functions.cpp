// The report function list.
#include "report/rp_functions.h"

TRpEvEnvironment::TRpEvEnvironment() {
    AddDefaults();
}

void TRpEvEnvironment::Clear() {
    names_.clear();
    expressions_.clear();
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
    return true;
}

QString TRpEvEnvironment::Expression(const QString& name) const {
    const int i = IndexOf(name);
    return i < 0 ? QString() : expressions_.at(i);
}
