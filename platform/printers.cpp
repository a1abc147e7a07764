// The printing service's registry and its fallback without printers.
#include "platform/printers.h"

#include "platform/exceptions.h"

namespace {

class TNoPrinters final : public TPrinterService {
public:
    QStringList Printers() override { return {}; }
    int DefaultPrinter() override { return -1; }
    TPrinterDevice Device(int) override { return {}; }
    void BeginJob(int, const QString&) override {
        throw Exception(QStringLiteral("No printer installed"));
    }
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
