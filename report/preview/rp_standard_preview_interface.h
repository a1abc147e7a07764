// The preview interface class the program registers at start-up: the
// printer object's preview step shows its pages in a TRpStandardPreview.
#pragma once

#include "report/rp_preview_interface.h"

class TRpStandardPreviewInterface : public TRpPreviewInterface {
public:
    // Creates the window and shows it without blocking; returns it.
    QObject* Show(TRpPrinter* printer) override;
    // Creates the window and returns when it has closed (and is freed), so
    // the result is then null.
    QObject* ShowModal(TRpPrinter* printer) override;
};

// Registers TRpStandardPreviewInterface as the class printer objects use.
void RegisterRpStandardPreview();
