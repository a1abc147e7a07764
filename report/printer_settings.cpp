// The printer values of a report printer object.
#include "report/printer_settings.h"

#include "platform/printers.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

// Paper source codes of the bins, in the order of TRpBin (First = Upper and
// Last = Cassette share their codes).
constexpr std::array<int, static_cast<size_t>(TRpBin::Last) + 1> kBinCodes = {1, 2, 3, 4,  5,  6,
                                                                              7, 8, 9, 10, 11, 14};
// The driver keeps a flag of its own in this bit of the paper source.
constexpr int kSourceDriverBit = 0x100;
constexpr int kMaxDriverName = 63;

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
    ReadGeometry();
    if (d.PhysicalWidth > 0 && d.PhysicalHeight > 0) {
        deviceWidth_ = ToTenths(d.PhysicalWidth, ppiX_);
        deviceLength_ = ToTenths(d.PhysicalHeight, ppiY_);
    }
    ReadDriver();
}

void TPrinterSettings::ReadGeometry() {
    const TPrinterDevice d = printers_.Device(JobPrinter());
    ppiX_ = d.PixelsPerInchX > 0 ? d.PixelsPerInchX : 96;
    ppiY_ = d.PixelsPerInchY > 0 ? d.PixelsPerInchY : 96;
    leftOffset_ = ToTenths(d.PhysicalOffsetX, ppiX_);
    topOffset_ = ToTenths(d.PhysicalOffsetY, ppiY_);
}

void TPrinterSettings::ReadDriver() {
    const int index = JobPrinter();
    const TPrinterCapabilities caps = printers_.Capabilities(index);
    const TDeviceMode mode = printers_.DeviceMode(index);
    driver_ = QFileInfo(caps.Driver).fileName().left(kMaxDriverName);
    port_ = caps.Port;
    copies_ = caps.Copies && (mode.Fields & DM_COPIES) != 0 && mode.Copies > 0 ? mode.Copies : 1;
    outputBin_ = !caps.Bins.empty() && (mode.Fields & DM_DEFAULTSOURCE) != 0
                     ? BinFromCode(mode.DefaultSource & ~kSourceDriverBit)
                     : TRpBin::First;
    duplex_ = caps.Duplex && (mode.Fields & DM_DUPLEX) != 0 && mode.Duplex != DMDUP_SIMPLEX;
    const bool paperSizes = !caps.Papers.empty() && (mode.Fields & DM_PAPERSIZE) != 0;
    paperSize_ = paperSizes ? PaperFromCode(mode.PaperSize) : TRpPaperSize::Default;
    papers_.fill(false);
    for (int code : caps.Papers) {
        const TRpPaperSize size = PaperFromCode(code);
        if (size != TRpPaperSize::Default)
            papers_.at(static_cast<size_t>(size)) = true;
    }
    papers_.at(static_cast<size_t>(TRpPaperSize::Custom)) = true;
}

bool TPrinterSettings::PaperSupported(TRpPaperSize size) const {
    return papers_.at(static_cast<size_t>(size));
}

void TPrinterSettings::ApplyToDriver() {
    if (!printersAvailable_)
        return;
    const int index = JobPrinter();
    TDeviceMode mode = printers_.DeviceMode(index);
    if (paperSize_ == TRpPaperSize::Custom) {
        if ((mode.Fields & DM_PAPERLENGTH) != 0)
            mode.PaperLength = PaperLength();
        if ((mode.Fields & DM_PAPERWIDTH) != 0)
            mode.PaperWidth = PaperWidth();
    }
    if (duplex_)
        mode.Duplex = DMDUP_HORIZONTAL;
    if ((mode.Fields & DM_PAPERSIZE) != 0 && paperSize_ != TRpPaperSize::Default)
        mode.PaperSize = PaperCode(paperSize_);
    mode.Copies = copies_;
    mode.DefaultSource = BinCode(outputBin_) | (mode.DefaultSource & kSourceDriverBit);
    mode.Orientation = orientation_ == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    printers_.SetDeviceMode(index, mode);
    ReadGeometry();
}

int TPrinterSettings::PaperCode(TRpPaperSize size) {
    return size == TRpPaperSize::Custom ? DMPAPER_USER : static_cast<int>(size);
}

TRpPaperSize TPrinterSettings::PaperFromCode(int code) {
    if (code == DMPAPER_USER)
        return TRpPaperSize::Custom;
    if (code > 0 && code < static_cast<int>(TRpPaperSize::Custom))
        return static_cast<TRpPaperSize>(code);
    return TRpPaperSize::Default;
}

int TPrinterSettings::BinCode(TRpBin bin) {
    return kBinCodes.at(static_cast<size_t>(bin));
}

TRpBin TPrinterSettings::BinFromCode(int code) {
    const auto* found = std::find(kBinCodes.begin(), kBinCodes.end(), code);
    return found == kBinCodes.end() ? TRpBin::First
                                    : static_cast<TRpBin>(found - kBinCodes.begin());
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
