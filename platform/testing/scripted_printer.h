// A printing service for tests: printers by name with a device of settable
// resolution and paper, and print jobs whose pages are drawn on an image of
// the page at the device's resolution while every text drawn is written
// down with its page and position. Made, it installs itself as the current
// service; destroyed, it puts back the one it replaced. Each printer keeps
// the device mode last handed back to it, and every job notes the mode it
// began in, so a test sees what reached the driver.
#pragma once

#include "platform/printers.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TPainterCanvas;

struct TPrintedText {
    int Page = 0; // 1-based within the job
    int X = 0;
    int Y = 0;
    QString Text;
};

struct TScriptedJob {
    int Printer = -1;
    QString Title;
    // The printer's device mode when the job began.
    TDeviceMode Mode;
    int Pages = 0;
    bool Ended = false;
    bool Aborted = false;
    std::vector<TPrintedText> Texts;
};

class TScriptedPrinter : public TPrinterService {
public:
    // Printers named as given; the first is the default (none: no printer).
    explicit TScriptedPrinter(QStringList printers = {QStringLiteral("Scripted")});
    ~TScriptedPrinter() override;
    TScriptedPrinter(const TScriptedPrinter&) = delete;
    TScriptedPrinter& operator=(const TScriptedPrinter&) = delete;

    // The device every printer reports: 96 pixels per inch and landscape A4
    // without offsets unless set.
    void SetDevice(const TPrinterDevice& device) { device_ = device; }
    // What every printer's driver offers: A4 and Letter, the automatic and
    // the manual bin, copies and duplex unless set.
    void SetCapabilities(const TPrinterCapabilities& capabilities) { capabilities_ = capabilities; }
    // The mode every printer starts in (its driver's defaults): portrait A4,
    // one copy, automatic bin, simplex, with every field understood.
    void SetDefaultMode(const TDeviceMode& mode);

    QStringList Printers() override { return printers_; }
    int DefaultPrinter() override { return printers_.isEmpty() ? -1 : 0; }
    TPrinterDevice Device(int index) override;
    TPrinterCapabilities Capabilities(int index) override;
    TDeviceMode DeviceMode(int index) override;
    void SetDeviceMode(int index, const TDeviceMode& mode) override;
    void BeginJob(int index, const QString& title) override;
    void NewPage() override;
    void EndJob() override;
    void AbortJob() override;
    bool Printing() const override { return canvas_ != nullptr; }
    TCanvas& JobCanvas() override;

    const std::vector<TScriptedJob>& Jobs() const { return jobs_; }
    // Every mode handed back, in order.
    const std::vector<TDeviceMode>& ModesSent() const { return modesSent_; }
    // The texts of one page of the last job, in drawing order.
    QStringList PageTexts(int page) const;

private:
    class TRecordingCanvas;
    void OpenPage();
    void ClosePage();

    TPrinterService* previous_ = nullptr;
    QStringList printers_;
    TPrinterDevice device_;
    TPrinterCapabilities capabilities_;
    std::vector<TDeviceMode> modes_; // per printer
    std::vector<TDeviceMode> modesSent_;
    std::vector<TScriptedJob> jobs_;
    QImage page_;
    std::unique_ptr<TRecordingCanvas> canvas_;
};
