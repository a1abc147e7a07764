// The scripted print dialog.
#include "platform/testing/scripted_print_dialog.h"

#include <gtest/gtest.h>

TScriptedPrintDialog::TScriptedPrintDialog() : previous_(SetPrintDialogService(this)) {}

TScriptedPrintDialog::~TScriptedPrintDialog() {
    SetPrintDialogService(previous_);
    EXPECT_TRUE(answers_.empty()) << answers_.size()
                                  << " print dialog answers were never asked for";
}

std::optional<TPrintDialogAnswer>
TScriptedPrintDialog::Execute(const TPrintDialogOptions& options) {
    requests_.push_back(options);
    if (answers_.empty()) {
        ADD_FAILURE() << "a print dialog was shown with no answer queued";
        return std::nullopt;
    }
    std::optional<TPrintDialogAnswer> answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void TScriptedPrintDialog::QueueAnswer(std::optional<TPrintDialogAnswer> answer) {
    answers_.push_back(std::move(answer));
}
