// The print dialog on Qt's standard QPrintDialog: the printer, copies,
// orientation and page range, with printing to a file hidden and the
// selection switched off as asked. What the user chose for the printer is
// handed back to the printing service as the printer's device mode.
#pragma once

#include "platform/print_dialog.h"

class TQtPrintDialog : public TPrintDialogService {
public:
    std::optional<TPrintDialogAnswer> Execute(const TPrintDialogOptions& options) override;
};
