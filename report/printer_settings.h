// What a report printer object knows of its printer: the selected device's
// names and geometry, and the paper, orientation, copies, bin and page range
// a report asks for. Reading the selected printer fills the device values;
// a report's run then passes its own page and printer settings on. The
// paper's extent that generation lays pages out on follows the paper size:
// a standard size has its table's dimensions, Default and Custom what was
// read from the device or passed on.
//
// Reading the driver takes its device mode through the paper and bin
// tables; applying the settings hands the mode back changed, at the start of
// every printer document and before stored pages are printed.
#pragma once

#include "report/rp_page.h"
#include "report/rp_printer_settings.h"

#include <QString>
#include <array>

class TPrinterService;

class TPrinterSettings {
public:
    // The default printer's values when one is installed.
    explicit TPrinterSettings(TPrinterService& printers);

    bool PrintersAvailable() const { return printersAvailable_; }
    int PrinterIndex() const { return printerIndex_; }
    // Selects a printer (-1: the default) and reads its values again;
    // ignored when no printer is installed.
    void SetPrinterIndex(int index);
    // The printer a job goes to: the selected one, or the default.
    int JobPrinter() const;
    const QString& Device() const { return device_; }
    // The driver's file name without its folder, at most 63 characters.
    const QString& Driver() const { return driver_; }
    const QString& Port() const { return port_; }

    int PixelsPerInchX() const { return ppiX_; }
    int PixelsPerInchY() const { return ppiY_; }
    // Tenths of a millimetre.
    int LeftOffset() const { return leftOffset_; }
    int TopOffset() const { return topOffset_; }

    TRpPaperSize PaperSize() const { return paperSize_; }
    // Whether the driver's paper list offers a size; Custom always.
    bool PaperSupported(TRpPaperSize size) const;
    void SetPaperSize(TRpPaperSize size) { paperSize_ = size; }
    // Portrait extent in tenths of a millimetre (see the file comment).
    int PaperWidth() const;
    int PaperLength() const;
    void SetCustomPaper(int width, int length);
    TPrinterOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPrinterOrientation o) { orientation_ = o; }
    // The extent as printed: width and length swapped in landscape.
    int HorizontalExtent() const;
    int VerticalExtent() const;

    int Copies() const { return copies_; }
    void SetCopies(int copies) { copies_ = copies < 1 ? 1 : copies; }
    bool Duplex() const { return duplex_; }
    TRpBin OutputBin() const { return outputBin_; }
    void SetOutputBin(TRpBin bin) { outputBin_ = bin; }
    // 0: no limit.
    int FirstPage() const { return firstPage_; }
    int LastPage() const { return lastPage_; }
    void SetPageRange(int first, int last);
    // Whether page n lies in the range asked for.
    bool InRange(int page) const;

    // Hands the paper, orientation, copies, bin and duplex to the driver of
    // the job printer, then takes the device's resolution and offsets
    // again (they follow the paper and orientation). Nothing without a
    // printer.
    void ApplyToDriver();

    // The driver's codes of a paper size and a bin, and back (Default and
    // First when a code matches none).
    static int PaperCode(TRpPaperSize size);
    static TRpPaperSize PaperFromCode(int code);
    static int BinCode(TRpBin bin);
    static TRpBin BinFromCode(int code);

private:
    void ReadDevice();
    void ReadGeometry();
    void ReadDriver();

    TPrinterService& printers_;
    bool printersAvailable_ = false;
    int printerIndex_ = -1;
    QString device_;
    QString driver_;
    QString port_;
    std::array<bool, static_cast<size_t>(TRpPaperSize::Custom) + 1> papers_{};
    int ppiX_ = 96;
    int ppiY_ = 96;
    int leftOffset_ = 0;
    int topOffset_ = 0;
    int deviceWidth_ = 2100;
    int deviceLength_ = 2970;
    TRpPaperSize paperSize_ = TRpPaperSize::Default;
    int customWidth_ = 0;
    int customLength_ = 0;
    TPrinterOrientation orientation_ = poPortrait;
    int copies_ = 1;
    bool duplex_ = false;
    TRpBin outputBin_ = TRpBin::Auto;
    int firstPage_ = 0;
    int lastPage_ = 0;
};
