// The registries of the printing service and the print dialog, with their
// fallbacks: no printers, and a dialog that is always cancelled.
#include "platform/printers.h"

#include "platform/exceptions.h"
#include "platform/print_dialog.h"

#include <utility>

namespace {

class TNoPrinters final : public TPrinterService {
public:
    QStringList Printers() override { return {}; }
    int DefaultPrinter() override { return -1; }
    TPrinterDevice Device(int) override { return {}; }
    TPrinterCapabilities Capabilities(int) override { return {}; }
    TDeviceMode DeviceMode(int) override { return {}; }
    void SetDeviceMode(int, const TDeviceMode&) override {}
    void BeginJob(int, const QString&) override {
        throw Exception(QStringLiteral("No printer installed"));
    }
    void NewPage() override {}
    void EndJob() override {}
    void AbortJob() override {}
    bool Printing() const override { return false; }
    TCanvas& JobCanvas() override { throw Exception(QStringLiteral("No printer installed")); }
};

// One installed service of a kind, and the fallback used while none is.
template <class TService, class TFallback> class TInstalled {
public:
    TService& Get() { return current_ != nullptr ? *current_ : fallback_; }
    TService* Set(TService* service) { return std::exchange(current_, service); }

private:
    TFallback fallback_;
    TService* current_ = nullptr;
};

class TNoPrintDialog final : public TPrintDialogService {
public:
    std::optional<TPrintDialogAnswer> Execute(const TPrintDialogOptions&) override {
        return std::nullopt;
    }
};

TInstalled<TPrinterService, TNoPrinters> printers;
TInstalled<TPrintDialogService, TNoPrintDialog> printDialog;

} // namespace

TPrinterService& PrinterService() {
    return printers.Get();
}

TPrinterService* SetPrinterService(TPrinterService* service) {
    return printers.Set(service);
}

TPrintDialogService& PrintDialogService() {
    return printDialog.Get();
}

TPrintDialogService* SetPrintDialogService(TPrintDialogService* service) {
    return printDialog.Set(service);
}
