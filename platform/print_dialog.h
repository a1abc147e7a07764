// The print dialog as a service: what the dialog is asked to offer and what
// the user chose, so that the report engine can run a print setup without
// knowing about widgets. The user interface library installs the real
// dialog; tests install a scripted one that answers from a queue. Without
// either, the dialog counts as cancelled.
#pragma once

#include "platform/printers.h"

#include <optional>

enum TPrintRange : int { prAllPages = 0, prSelection = 1, prPageNums = 2 };

struct TPrintDialogOptions {
    // The printer shown first (an index into the printers; -1 the default).
    int Printer = -1;
    // The page numbers the user may give, and the range preset (none when
    // FromPage is 0).
    int MinPage = 0;
    int MaxPage = 9999;
    int FromPage = 0;
    int ToPage = 0;
    bool PageNumbers = true;
    bool Selection = false;
    bool PrintToFile = false;
    bool Warning = true;
    int Orientation = DMORIENT_PORTRAIT;
    int Copies = 1;
};

struct TPrintDialogAnswer {
    int Printer = -1;
    int Copies = 1;
    TPrintRange Range = prAllPages;
    int FromPage = 0;
    int ToPage = 0;
    // The chosen printer's orientation as the dialog left it.
    int Orientation = DMORIENT_PORTRAIT;
};

class TPrintDialogService {
public:
    virtual ~TPrintDialogService() = default;
    // nullopt when the user cancels.
    virtual std::optional<TPrintDialogAnswer> Execute(const TPrintDialogOptions& options) = 0;
};

// The installed dialog, or one that is always cancelled.
TPrintDialogService& PrintDialogService();
// Installs a dialog (nullptr uninstalls); returns the one it replaces.
TPrintDialogService* SetPrintDialogService(TPrintDialogService* service);
