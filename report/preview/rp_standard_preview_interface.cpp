// The standard preview interface and its registration.
#include "report/preview/rp_standard_preview_interface.h"

#include "report/preview/rp_standard_preview.h"

#include <QEventLoop>
#include <QPointer>
#include <memory>

QObject* TRpStandardPreviewInterface::Show(TRpPrinter* printer) {
    auto* window = new TRpStandardPreview(printer);
    window->ShowPreview();
    return window;
}

QObject* TRpStandardPreviewInterface::ShowModal(TRpPrinter* printer) {
    QPointer<TRpStandardPreview> window = new TRpStandardPreview(printer);
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->ShowPreview();
    loop.exec();
    return window.data();
}

void RegisterRpStandardPreview() {
    RegisterRpPreviewInterface([] { return std::make_unique<TRpStandardPreviewInterface>(); });
}
