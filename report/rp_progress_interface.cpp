// The registry of the progress window's maker.
#include "report/rp_progress_interface.h"

#include <utility>

namespace {

TRpProgressWindowClass& Registered() {
    static TRpProgressWindowClass makeWindow;
    return makeWindow;
}

} // namespace

TRpProgressWindowClass RegisterRpProgressWindow(TRpProgressWindowClass makeWindow) {
    return std::exchange(Registered(), std::move(makeWindow));
}

std::unique_ptr<QObject> CreateRpProgressWindow(TRpPrinter* printer, bool show) {
    return Registered() ? Registered()(printer, show) : nullptr;
}
