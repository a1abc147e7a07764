// The progress window of the print operation: a small dialog, always on
// top and centred on the screen, with a gauge, a line of text and a Cancel
// button. It is the printer object's client window while the report is
// printed and redraws only at every fifth percent, so that a long listing
// is not slowed down by repainting; Cancel lets the current page finish and
// ends the job with the pages made so far.
#pragma once

#include "platform/messages.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class TRpPrinter;

class TRpProgressForm : public TMessageHandler<QDialog> {
public:
    explicit TRpProgressForm(TRpPrinter* printer, QWidget* parent = nullptr);

    TRpPrinter* Printer() const;

    QProgressBar* Gauge = nullptr;
    QLabel* Info = nullptr;
    QPushButton* CancelButton = nullptr;

    void CancelButtonClick(QObject* sender);
    void WndProc(TMessage& message) override;

    // Registers this window as the print operation's progress window.
    static void Register();

private:
    QPointer<QObject> printer_;
};
