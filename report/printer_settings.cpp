// The printer values of a report printer object.
#include "report/printer_settings.h"

#include "platform/printers.h"

#include <cmath>

namespace {

// Device pixels to tenths of a millimetre.
int ToTenths(int pixels, int ppi) {
    return ppi > 0 ? static_cast<int>(std::lround(pixels * 254.0 / ppi)) : 0;
}

} // namespace

TPrinterSettings::TPrinterSettings(TPrinterService& printers) : printers_(printers) {
    printersAvailable_ = printers_.DefaultPrinter() >= 0;
    if (printersAvailable_)
        ReadDevice();
}

void TPrinterSettings::SetPrinterIndex(int index) {
    if (!printersAvailable_)
        return;
    printerIndex_ = index < -1 ? -1 : index;
    ReadDevice();
}

int TPrinterSettings::JobPrinter() const {
    return printerIndex_ >= 0 ? printerIndex_ : printers_.DefaultPrinter();
}

void TPrinterSettings::ReadDevice() {
    const int index = JobPrinter();
    const QStringList names = printers_.Printers();
    device_ = index >= 0 && index < names.size() ? names.at(index) : QString();
    const TPrinterDevice d = printers_.Device(index);
    ppiX_ = d.PixelsPerInchX > 0 ? d.PixelsPerInchX : 96;
    ppiY_ = d.PixelsPerInchY > 0 ? d.PixelsPerInchY : 96;
    leftOffset_ = ToTenths(d.PhysicalOffsetX, ppiX_);
    topOffset_ = ToTenths(d.PhysicalOffsetY, ppiY_);
    if (d.PhysicalWidth > 0 && d.PhysicalHeight > 0) {
        deviceWidth_ = ToTenths(d.PhysicalWidth, ppiX_);
        deviceLength_ = ToTenths(d.PhysicalHeight, ppiY_);
    }
}

int TPrinterSettings::PaperWidth() const {
    TRpPaperDimensions d{};
    if (RpPaperDimensions(paperSize_, d))
        return static_cast<int>(std::lround(d.Width * 10));
    if (paperSize_ == TRpPaperSize::Custom && customWidth_ > 0)
        return customWidth_;
    return deviceWidth_;
}

int TPrinterSettings::PaperLength() const {
    TRpPaperDimensions d{};
    if (RpPaperDimensions(paperSize_, d))
        return static_cast<int>(std::lround(d.Length * 10));
    if (paperSize_ == TRpPaperSize::Custom && customLength_ > 0)
        return customLength_;
    return deviceLength_;
}

void TPrinterSettings::SetCustomPaper(int width, int length) {
    customWidth_ = width;
    customLength_ = length;
}

int TPrinterSettings::HorizontalExtent() const {
    return orientation_ == poLandscape && paperSize_ != TRpPaperSize::Custom ? PaperLength()
                                                                             : PaperWidth();
}

int TPrinterSettings::VerticalExtent() const {
    return orientation_ == poLandscape && paperSize_ != TRpPaperSize::Custom ? PaperWidth()
                                                                             : PaperLength();
}

void TPrinterSettings::SetPageRange(int first, int last) {
    firstPage_ = first < 0 ? 0 : first;
    lastPage_ = last < 0 ? 0 : last;
}

bool TPrinterSettings::InRange(int page) const {
    return (firstPage_ <= 0 || page >= firstPage_) && (lastPage_ <= 0 || page <= lastPage_);
}
