// The progress window of the print operation.
#include "report/preview/rp_progress_form.h"

#include "platform/dispatch.h"
#include "report/rp_printer.h"
#include "report/rp_progress_interface.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

TRpProgressForm::TRpProgressForm(TRpPrinter* printer, QWidget* parent)
    : TMessageHandler<QDialog>(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint),
      printer_(printer) {
    setObjectName(QStringLiteral("RpProgressForm"));
    setWindowTitle(QStringLiteral("Printing progress"));
    setFixedSize(149, 97);
    if (parent != nullptr)
        setFont(parent->font());

    Gauge = new QProgressBar(this);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setGeometry(16, 18, 114, 16);
    Gauge->setRange(0, 100);
    Gauge->setValue(0);
    Gauge->setTextVisible(false);

    Info = new QLabel(this);
    Info->setObjectName(QStringLiteral("Info"));
    Info->setGeometry(0, 44, 145, 13);
    Info->setAlignment(Qt::AlignCenter);

    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(36, 60, 75, 25);
    connect(CancelButton, &QPushButton::clicked, this,
            [this] { Dispatch([this] { CancelButtonClick(CancelButton); }); });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TRpPrinter* TRpProgressForm::Printer() const {
    return static_cast<TRpPrinter*>(printer_.data());
}

void TRpProgressForm::CancelButtonClick(QObject*) {
    if (TRpPrinter* printer = Printer())
        printer->SetCancelled(true);
}

void TRpProgressForm::WndProc(TMessage& message) {
    if (message.Msg != RP_PROGRESS || Printer() == nullptr)
        return;
    const int percent = Printer()->Progress();
    if (percent % 5 != 0)
        return;
    Gauge->setValue(percent);
    Info->setText(QString::number(percent) + QStringLiteral("% ") + QStringLiteral(" Completed"));
    QCoreApplication::processEvents();
}

void TRpProgressForm::Register() {
    RegisterRpProgressWindow([](TRpPrinter* printer, bool show) -> std::unique_ptr<QObject> {
        auto form = std::make_unique<TRpProgressForm>(printer, QApplication::activeWindow());
        if (show)
            form->show();
        return form;
    });
}
