// The report functions: an ordered list of upper-case names, each with the
// text of its expression. Every report starts with PAGENUMBER "0",
// COLUMNNUMBER "0" and REPORTTITLE "''"; a run keeps them up to date.
#pragma once

#include <QString>
#include <QStringList>

class TRpEvEnvironment {
public:
    TRpEvEnvironment();

    int Count() const { return static_cast<int>(names_.size()); }
    const QStringList& Names() const { return names_; }
    const QStringList& Expressions() const { return expressions_; }
    // Upper-cases the name; a name already present is left as it is.
    // Returns whether it was added.
    bool Add(const QString& name, const QString& expression);
    int IndexOf(const QString& name) const;
    // The expression text of a function, or a null string when unknown.
    QString Expression(const QString& name) const;
    // Empties the list; AddDefaults puts back whichever of the three
    // standard functions is missing.
    void Clear();
    void AddDefaults();

private:
    QStringList names_;
    QStringList expressions_;
};
