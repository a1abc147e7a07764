// The print setup of a report, on the print dialog service.
#include "report/preview/rp_print_setup.h"

#include "platform/print_dialog.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"

bool RpPrintSetup(TCustomRpReport* report, QObject*) {
    TRpReportPrinterSettings& settings = report->PrinterSettings();
    TPrintDialogOptions options;
    options.Printer = settings.PrinterIndex();
    const TRpPrinter* printer = report->Printer();
    if (printer != nullptr && printer->Status() == rpsFinished) {
        options.MinPage = 1;
        options.MaxPage = printer->PageCount();
        options.FromPage = 1;
        options.ToPage = printer->PageCount();
    }
    options.PageNumbers = true;
    options.Warning = true;
    options.PrintToFile = false;
    options.Selection = false;
    options.Orientation =
        report->Page().Orientation() == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    options.Copies = settings.Copies();

    const std::optional<TPrintDialogAnswer> answer = PrintDialogService().Execute(options);
    if (!answer)
        return false;
    int copies = answer->Copies;
    // A driver that makes the copies itself leaves the dialog at one.
    if (copies == 1) {
        const TDeviceMode mode = PrinterService().DeviceMode(answer->Printer);
        if ((mode.Fields & DM_COPIES) != 0 && mode.Copies > 1)
            copies = mode.Copies;
    }
    settings.SetCopies(copies);
    settings.SetPrinterIndex(answer->Printer);
    report->Page().SetOrientation(answer->Orientation == DMORIENT_LANDSCAPE ? poLandscape
                                                                            : poPortrait);
    if (answer->Range == prPageNums) {
        settings.SetFirstPage(answer->FromPage);
        settings.SetLastPage(answer->ToPage);
    } else {
        settings.SetFirstPage(0);
        settings.SetLastPage(0);
    }
    return true;
}

void RegisterRpPrintSetup() {
    TCustomRpReport::SetPrintSetupOperation(RpPrintSetup);
}
