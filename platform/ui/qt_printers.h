// The printing service on Qt's print support and the CUPS spooler.
//
// Printers, their paper lists and duplex support come from QPrinterInfo. A
// printer's device mode is kept here by printer name and turned into one
// QPageLayout (paper, orientation and the device's unprintable margins,
// set in a single call: set one after another, CUPS drivers lose the
// landscape orientation). A job is drawn by QPrinter into a PDF file of its
// own at the device's resolution and handed to the spooler when it ends, so
// that aborting a job really sends nothing; the job's options (copies,
// sides, the sheet as printed) go with it.
#pragma once

#include "platform/printers.h"

#include <QMap>
#include <memory>

class QPageLayout;
class QPainter;
class QPrinter;
class QTemporaryFile;
class TPainterCanvas;

class TQtPrinters : public TPrinterService {
public:
    TQtPrinters();
    ~TQtPrinters() override;
    TQtPrinters(const TQtPrinters&) = delete;
    TQtPrinters& operator=(const TQtPrinters&) = delete;

    QStringList Printers() override;
    // The spooler's default destination; the first printer when none is
    // marked as default.
    int DefaultPrinter() override;
    TPrinterDevice Device(int index) override;
    TPrinterCapabilities Capabilities(int index) override;
    TDeviceMode DeviceMode(int index) override;
    void SetDeviceMode(int index, const TDeviceMode& mode) override;

    void BeginJob(int index, const QString& title) override;
    void NewPage() override;
    void EndJob() override;
    void AbortJob() override;
    bool Printing() const override { return job_ != nullptr; }
    TCanvas& JobCanvas() override;

    // The page layout a device mode gives on `printer` (its minimum margins
    // as the margins) and the spooler options of a job in that mode.
    static QPageLayout LayoutOf(const TDeviceMode& mode, QPrinter& printer);
    static QMap<QString, QString> JobOptions(const TDeviceMode& mode, const QPageLayout& layout);

private:
    QString NameOf(int index);
    void CloseJob();

    QMap<QString, TDeviceMode> modes_;
    QString jobPrinter_;
    QMap<QString, QString> jobOptions_;
    QString jobTitle_;
    std::unique_ptr<QTemporaryFile> jobFile_;
    std::unique_ptr<QPrinter> job_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TPainterCanvas> canvas_;
};
