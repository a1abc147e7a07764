// The registries of the printing service and the print dialog, with their
// fallbacks: no printers, and a dialog that is always cancelled.
#include "platform/printers.h"

#include "platform/exceptions.h"
#include "platform/print_dialog.h"

namespace {

class TNoPrinters final : public TPrinterService {
public:
    QStringList Printers() override { return {}; }
    int DefaultPrinter() override { return -1; }
    TPrinterDevice Device(int) override { return {}; }
    TPrinterCapabilities Capabilities(int) override { return {}; }
    TDeviceMode DeviceMode(int) override { return {}; }
    void SetDeviceMode(int, const TDeviceMode&) override {}
    void BeginJob(int, const QString&) override { throw Exception(QStringLiteral("No printer installed")); }
    void NewPage() override {}
    void EndJob() override {}
    void AbortJob() override {}
    bool Printing() const override { return false; }
    TCanvas& JobCanvas() override { throw Exception(QStringLiteral("No printer installed")); }
};

TNoPrinters fallbackPrinters;
TPrinterService* currentPrinters = nullptr;

} // namespace

TPrinterService& PrinterService() {
    return currentPrinters != nullptr ? *currentPrinters : fallbackPrinters;
}

TPrinterService* SetPrinterService(TPrinterService* service) {
    TPrinterService* previous = currentPrinters;
    currentPrinters = service;
    return previous;
}

// ---- The print dialog's registry --------------------------------------------

namespace {

class TNoPrintDialog final : public TPrintDialogService {
public:
    std::optional<TPrintDialogAnswer> Execute(const TPrintDialogOptions&) override {
        return std::nullopt;
    }
};

TNoPrintDialog fallbackPrintDialog;
TPrintDialogService* currentPrintDialog = nullptr;

} // namespace

TPrintDialogService& PrintDialogService() {
    return currentPrintDialog != nullptr ? *currentPrintDialog : fallbackPrintDialog;
}

TPrintDialogService* SetPrintDialogService(TPrintDialogService* service) {
    TPrintDialogService* previous = currentPrintDialog;
    currentPrintDialog = service;
    return previous;
}
