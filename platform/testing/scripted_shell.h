// A shell service for tests: records every call and opens nothing. Made, it
// installs itself as the current service; destroyed, it puts back the one
// it replaced.
#pragma once

#include "platform/shell.h"

#include <QPointer>
#include <QString>
#include <vector>

struct TShellCall {
    QPointer<QObject> Owner;
    QString Verb;
    QString File;
    QString Params;
    QString Dir;
    int Show = SW_SHOWNORMAL;
};

class TScriptedShell : public TShell {
public:
    TScriptedShell();
    ~TScriptedShell() override;
    TScriptedShell(const TScriptedShell&) = delete;
    TScriptedShell& operator=(const TScriptedShell&) = delete;

    int ShellExecute(QObject* owner, const QString& verb, const QString& file,
                     const QString& params, const QString& dir, int show) override;

    const std::vector<TShellCall>& Calls() const { return calls_; }
    int CallCount() const { return static_cast<int>(calls_.size()); }
    void Clear() { calls_.clear(); }

    // What every call returns (success, 42, unless set).
    int Result() const { return result_; }
    void SetResult(int result) { result_ = result; }

private:
    TShell* previous_ = nullptr;
    std::vector<TShellCall> calls_;
    int result_ = SE_SUCCESS;
};
