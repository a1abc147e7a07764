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

class TCanvas;

// What a printer device reports of itself, in its own pixels.
struct TPrinterDevice {
    int PixelsPerInchX = 0;
    int PixelsPerInchY = 0;
    // Where the printable area starts on the paper, and the paper's extent.
    int PhysicalOffsetX = 0;
    int PhysicalOffsetY = 0;
    int PhysicalWidth = 0;
    int PhysicalHeight = 0;
};

class TPrinterService {
public:
    virtual ~TPrinterService() = default;

    virtual QStringList Printers() = 0;
    // The system's default printer, or -1 when no printer is installed.
    virtual int DefaultPrinter() = 0;
    // The device's resolution and paper geometry; a zeroed record for an
    // index that names no printer.
    virtual TPrinterDevice Device(int index) = 0;

    // A print job on printer `index`: the first page is open once
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
