// The print dialog on QPrintDialog.
#include "platform/ui/qt_print_dialog.h"

#include <QApplication>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

std::optional<TPrintDialogAnswer> TQtPrintDialog::Execute(const TPrintDialogOptions& options) {
    TPrinterService& printers = PrinterService();
    const QStringList names = printers.Printers();
    const int shown = options.Printer >= 0 && options.Printer < names.size()
                          ? options.Printer
                          : printers.DefaultPrinter();
    QPrinter printer(QPrinter::HighResolution);
    if (shown >= 0)
        printer.setPrinterName(names.at(shown));
    printer.setPageOrientation(options.Orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                         : QPageLayout::Portrait);
    printer.setCopyCount(options.Copies);
    if (options.FromPage > 0) {
        printer.setFromTo(options.FromPage, options.ToPage);
        printer.setPrintRange(QPrinter::PageRange);
    }

    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setMinMax(options.MinPage, options.MaxPage);
    QAbstractPrintDialog::PrintDialogOptions shownOptions = QAbstractPrintDialog::PrintShowPageSize;
    if (options.PageNumbers)
        shownOptions |= QAbstractPrintDialog::PrintPageRange;
    if (options.Selection)
        shownOptions |= QAbstractPrintDialog::PrintSelection;
    if (options.PrintToFile)
        shownOptions |= QAbstractPrintDialog::PrintToFile;
    dialog.setOptions(shownOptions);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    TPrintDialogAnswer answer;
    answer.Printer = static_cast<int>(printers.Printers().indexOf(printer.printerName()));
    answer.Copies = printer.copyCount();
    answer.Orientation = printer.pageLayout().orientation() == QPageLayout::Landscape
                             ? DMORIENT_LANDSCAPE
                             : DMORIENT_PORTRAIT;
    switch (printer.printRange()) {
    case QPrinter::PageRange:
        answer.Range = prPageNums;
        answer.FromPage = printer.fromPage();
        answer.ToPage = printer.toPage();
        break;
    case QPrinter::Selection:
        answer.Range = prSelection;
        break;
    default:
        answer.Range = prAllPages;
        break;
    }
    if (answer.Printer >= 0) {
        TDeviceMode mode = printers.DeviceMode(answer.Printer);
        mode.Orientation = answer.Orientation;
        mode.Copies = answer.Copies;
        printers.SetDeviceMode(answer.Printer, mode);
    }
    return answer;
}
