// A print dialog for tests: every request is written down and answered from
// a queue (nullopt: the user cancelled). Made, it installs itself as the
// current print dialog; destroyed, it puts back the one it replaced. A
// request with no answer queued fails the running test and is cancelled.
#pragma once

#include "platform/print_dialog.h"

#include <deque>
#include <vector>

class TScriptedPrintDialog : public TPrintDialogService {
public:
    TScriptedPrintDialog();
    ~TScriptedPrintDialog() override;
    TScriptedPrintDialog(const TScriptedPrintDialog&) = delete;
    TScriptedPrintDialog& operator=(const TScriptedPrintDialog&) = delete;

    std::optional<TPrintDialogAnswer> Execute(const TPrintDialogOptions& options) override;

    void QueueAnswer(std::optional<TPrintDialogAnswer> answer);
    const std::vector<TPrintDialogOptions>& Requests() const { return requests_; }

private:
    TPrintDialogService* previous_ = nullptr;
    std::deque<std::optional<TPrintDialogAnswer>> answers_;
    std::vector<TPrintDialogOptions> requests_;
};
