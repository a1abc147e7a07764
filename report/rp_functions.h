// The report functions: an ordered list of upper-case names, each with the
// text of its expression. Every report starts with PAGENUMBER "0",
// COLUMNNUMBER "0" and REPORTTITLE "''"; a run keeps them up to date by
// changing their compiled constants in place.
//
// Preparing is counted: only the first preparation compiles the
// expressions and only the last unpreparation lets them go, so nested users
// of one environment share one set of compiled elements.
#pragma once

#include "report/rp_evaluator.h"

#include <QString>
#include <QStringList>
#include <vector>

class TRpEvEnvironment {
public:
    TRpEvEnvironment();

    int Count() const { return static_cast<int>(names_.size()); }
    const QStringList& Names() const { return names_; }
    const QStringList& Expressions() const { return expressions_; }
    // Upper-cases the name; a name already present is left as it is.
    // Returns whether it was added. While prepared, the new expression is
    // compiled at once.
    bool Add(const QString& name, const QString& expression);
    int IndexOf(const QString& name) const;
    // The expression text of a function, or a null string when unknown.
    QString Expression(const QString& name) const;
    // Empties the list; AddDefaults puts back whichever of the three
    // standard functions is missing.
    void Clear();
    void AddDefaults();

    bool Prepared() const { return prepared_ > 0; }
    void Prepare();
    void Unprepare();
    // The first element of a function's compiled expression: the constant
    // a run changes. Null when the name is unknown or not prepared.
    TRpEvElement* Constant(const QString& name);
    // Change a constant element; nothing happens unless it is a constant of
    // that kind.
    static void SetIntegerConstant(TRpEvElement* element, qint64 value);
    static void SetStringConstant(TRpEvElement* element, const QString& value);
    // A function's value, or an error value for an unknown name.
    TRpEvValue Value(const QString& name, int depth = 0) const;

private:
    QStringList names_;
    QStringList expressions_;
    std::vector<std::vector<TRpEvElement>> compiled_;
    int prepared_ = 0;
};
