// The scripted printing service: pages drawn on an image, texts written down.
#include "platform/testing/scripted_printer.h"

#include "platform/exceptions.h"
#include "platform/graphics/painter_canvas.h"

#include <cmath>

class TScriptedPrinter::TRecordingCanvas : public TPainterCanvas {
public:
    TRecordingCanvas(QImage* image, TScriptedJob& job) : TPainterCanvas(image), job_(job) {}

    void ExtTextOut(int x, int y, unsigned options, const TRect* clip, const QString& text,
                    const std::vector<int>* advances) override {
        job_.Texts.push_back(TPrintedText{job_.Pages, x, y, text});
        TPainterCanvas::ExtTextOut(x, y, options, clip, text, advances);
    }

private:
    TScriptedJob& job_;
};

TScriptedPrinter::TScriptedPrinter(QStringList printers)
    : previous_(SetPrinterService(this)), printers_(std::move(printers)) {
    device_.PixelsPerInchX = 96;
    device_.PixelsPerInchY = 96;
    device_.PhysicalWidth = 1123;
    device_.PhysicalHeight = 794;
    capabilities_.Driver = QStringLiteral("scripted.drv");
    capabilities_.Port = QStringLiteral("scripted:");
    capabilities_.Papers = {1, DMPAPER_A4};
    capabilities_.Bins = {4, 7};
    capabilities_.Copies = true;
    capabilities_.Duplex = true;
    TDeviceMode mode;
    mode.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES |
                  DM_DEFAULTSOURCE | DM_DUPLEX;
    mode.PaperSize = DMPAPER_A4;
    mode.DefaultSource = 7;
    SetDefaultMode(mode);
}

void TScriptedPrinter::SetDefaultMode(const TDeviceMode& mode) {
    modes_.assign(static_cast<size_t>(printers_.size()), mode);
}

TScriptedPrinter::~TScriptedPrinter() {
    canvas_.reset();
    SetPrinterService(previous_);
}

TPrinterDevice TScriptedPrinter::Device(int index) {
    if (index < 0 || index >= printers_.size())
        return {};
    return device_;
}

TPrinterCapabilities TScriptedPrinter::Capabilities(int index) {
    if (index < 0 || index >= printers_.size())
        return {};
    return capabilities_;
}

TDeviceMode TScriptedPrinter::DeviceMode(int index) {
    if (index < 0 || index >= printers_.size())
        return {};
    return modes_.at(static_cast<size_t>(index));
}

void TScriptedPrinter::SetDeviceMode(int index, const TDeviceMode& mode) {
    if (index < 0 || index >= printers_.size())
        return;
    modes_.at(static_cast<size_t>(index)) = mode;
    modesSent_.push_back(mode);
}

void TScriptedPrinter::BeginJob(int index, const QString& title) {
    if (index < 0 || index >= printers_.size())
        throw Exception(QStringLiteral("Printer selected is not valid"));
    if (Printing())
        throw Exception(QStringLiteral("Printing in progress"));
    jobs_.push_back(TScriptedJob{index, title, DeviceMode(index), 0, false, false, {}});
    OpenPage();
}

void TScriptedPrinter::NewPage() {
    if (!Printing())
        throw Exception(QStringLiteral("Printer is not currently printing"));
    ClosePage();
    OpenPage();
}

void TScriptedPrinter::EndJob() {
    if (!Printing())
        return;
    ClosePage();
    jobs_.back().Ended = true;
}

void TScriptedPrinter::AbortJob() {
    if (!Printing())
        return;
    ClosePage();
    jobs_.back().Aborted = true;
}

TCanvas& TScriptedPrinter::JobCanvas() {
    if (!Printing())
        throw Exception(QStringLiteral("Printer is not currently printing"));
    return *canvas_;
}

QStringList TScriptedPrinter::PageTexts(int page) const {
    QStringList texts;
    if (jobs_.empty())
        return texts;
    for (const TPrintedText& t : jobs_.back().Texts)
        if (t.Page == page)
            texts << t.Text;
    return texts;
}

void TScriptedPrinter::OpenPage() {
    TScriptedJob& job = jobs_.back();
    ++job.Pages;
    // A grey image is enough to draw on and keeps a 600 ppi page small.
    page_ = QImage(device_.PhysicalWidth, device_.PhysicalHeight, QImage::Format_Grayscale8);
    page_.fill(Qt::white);
    page_.setDotsPerMeterX(static_cast<int>(std::lround(device_.PixelsPerInchX / 0.0254)));
    page_.setDotsPerMeterY(static_cast<int>(std::lround(device_.PixelsPerInchY / 0.0254)));
    canvas_ = std::make_unique<TRecordingCanvas>(&page_, job);
}

void TScriptedPrinter::ClosePage() {
    canvas_.reset();
}
