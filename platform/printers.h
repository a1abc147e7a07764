// The printing service: the desktop's printers, what each device can do and
// its print jobs, as an interface that the report engine calls without
// knowing about widgets.
//
// The user interface library installs the real implementation on Qt's print
// support (CUPS); tests install a scripted one. When nothing is installed
// the fallback has no printers at all, so a tool without a display never
// tries to print. Indexes count from 0 in the order of Printers(); -1 is
// never a printer.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class TCanvas;

// The device mode: what a job asks of the driver, with the desktop's field
// flags and codes so that stored and tested values keep their meaning.
// Fields says which members the driver understands.
inline constexpr unsigned DM_ORIENTATION = 0x0001;
inline constexpr unsigned DM_PAPERSIZE = 0x0002;
inline constexpr unsigned DM_PAPERLENGTH = 0x0004;
inline constexpr unsigned DM_PAPERWIDTH = 0x0008;
inline constexpr unsigned DM_COPIES = 0x0100;
inline constexpr unsigned DM_DEFAULTSOURCE = 0x0200;
inline constexpr unsigned DM_DUPLEX = 0x1000;

inline constexpr int DMORIENT_PORTRAIT = 1;
inline constexpr int DMORIENT_LANDSCAPE = 2;
inline constexpr int DMDUP_SIMPLEX = 1;
inline constexpr int DMDUP_VERTICAL = 2;
inline constexpr int DMDUP_HORIZONTAL = 3;
// Paper codes 1 (Letter) to 26 (E sheet) are the desktop's; a paper of the
// job's own width and length has the user code.
inline constexpr int DMPAPER_A4 = 9;
inline constexpr int DMPAPER_USER = 256;

struct TDeviceMode {
    unsigned Fields = 0;
    int Orientation = DMORIENT_PORTRAIT;
    int PaperSize = 0;
    // Tenths of a millimetre, portrait; used with DMPAPER_USER.
    int PaperLength = 0;
    int PaperWidth = 0;
    int Copies = 1;
    // Paper source code (1 upper ... 7 automatic ... 14 cassette).
    int DefaultSource = 0;
    int Duplex = DMDUP_SIMPLEX;
    friend bool operator==(const TDeviceMode&, const TDeviceMode&) = default;
};

// What a driver offers. An empty paper or bin list means the driver has no
// such list (paper sizes or bins not supported).
struct TPrinterCapabilities {
    // The driver's name and the port (or connection) the printer is on.
    QString Driver;
    QString Port;
    std::vector<int> Papers;
    std::vector<int> Bins;
    bool Copies = false;
    bool Duplex = false;
};

// What a printer device reports of itself, in its own pixels.
struct TPrinterDevice {
    int PixelsPerInchX = 0;
    int PixelsPerInchY = 0;
    // Where the printable area starts on the paper, and the paper's extent.
    int PhysicalOffsetX = 0;
    int PhysicalOffsetY = 0;
    int PhysicalWidth = 0;
    int PhysicalHeight = 0;
    // The printable area's extent (the page a job draws on); 0 when it is
    // the whole paper.
    int PageWidth = 0;
    int PageHeight = 0;
};

class TPrinterService {
public:
    virtual ~TPrinterService() = default;

    virtual QStringList Printers() = 0;
    // The system's default printer, or -1 when no printer is installed.
    virtual int DefaultPrinter() = 0;
    // The device's resolution and paper geometry; a zeroed record for an
    // index that names no printer.
    // Follows the printer's device mode (paper and orientation).
    virtual TPrinterDevice Device(int index) = 0;
    // Empty for an index that names no printer.
    virtual TPrinterCapabilities Capabilities(int index) = 0;
    // The printer's current device mode: the driver's defaults until a
    // mode is handed back. A default record for an index that names no
    // printer.
    virtual TDeviceMode DeviceMode(int index) = 0;
    // Hands a changed mode back to the printer: the next job and Device()
    // follow it. Ignored for an index that names no printer.
    virtual void SetDeviceMode(int index, const TDeviceMode& mode) = 0;

    // A print job on printer `index` in its current device mode: the
    // first page is open once
    // BeginJob returns; NewPage closes the open page and opens the next;
    // EndJob sends the document, AbortJob throws it away. Failures of the
    // printing system throw Exception with its message.
    virtual void BeginJob(int index, const QString& title) = 0;
    virtual void NewPage() = 0;
    virtual void EndJob() = 0;
    virtual void AbortJob() = 0;
    virtual bool Printing() const = 0;
    // The open page's canvas, in device pixels; only while Printing().
    virtual TCanvas& JobCanvas() = 0;
};

// The installed service, or the fallback without printers.
TPrinterService& PrinterService();
// Installs a service (nullptr uninstalls); returns the one it replaces.
TPrinterService* SetPrinterService(TPrinterService* service);
