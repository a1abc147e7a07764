// The registry of the preview interface class.
#include "report/rp_preview_interface.h"

#include <utility>

namespace {

TRpPreviewInterfaceClass& Registered() {
    static TRpPreviewInterfaceClass makeInterface;
    return makeInterface;
}

} // namespace

TRpPreviewInterface::~TRpPreviewInterface() = default;

QObject* TRpPreviewInterface::Show(TRpPrinter*) {
    return nullptr;
}

QObject* TRpPreviewInterface::ShowModal(TRpPrinter*) {
    return nullptr;
}

TRpPreviewInterfaceClass RegisterRpPreviewInterface(TRpPreviewInterfaceClass makeInterface) {
    return std::exchange(Registered(), std::move(makeInterface));
}

std::unique_ptr<TRpPreviewInterface> CreateRpPreviewInterface() {
    if (Registered())
        return Registered()();
    return std::make_unique<TRpPreviewInterface>();
}
