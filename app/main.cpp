// Program entry of the question bank editor: the application title, the
// main window first (it becomes the main form and opens the tables), then
// the report host and the About box, then the message loop.
#include "about/f_sobre.h"
#include "app/main_form.h"
#include "platform/dispatch.h"
#include "platform/printers.h"
#include "platform/ui/application.h"
#include "platform/ui/qt_print_dialog.h"
#include "platform/ui/qt_printers.h"
#include "report/fr_rel_quest.h"
#include "report/preview/rp_pdf_export_filter.h"
#include "report/preview/rp_print_setup.h"
#include "report/preview/rp_progress_form.h"
#include "report/preview/rp_standard_preview_interface.h"
#include "store/table.h"

#include <QPixmap>
#include <QTimer>
#include <memory>

namespace {

// QUESTOES_SCREENSHOT=file.png: once the window is up, grab it into a PNG
// (used to compare the window with its layout under a virtual display).
void ScheduleScreenshot() {
    const QString path = qEnvironmentVariable("QUESTOES_SCREENSHOT");
    if (path.isEmpty())
        return;
    QTimer::singleShot(500, [path] {
        if (Form1 != nullptr)
            Form1->grab().save(path, "PNG");
    });
}

} // namespace

int main(int argc, char** argv) {
    TApplication application;
    Application->Initialize(argc, argv);
    Application->SetTitle(QStringLiteral("Radoziv iv Ivaduvorir de Jogos"));
    // Printing goes to the spooler's printers, with the progress window and
    // the print dialog of the report engine's windows.
    TQtPrinters printers;
    TQtPrintDialog printDialog;
    SetPrinterService(&printers);
    SetPrintDialogService(&printDialog);
    TRpProgressForm::Register();
    RegisterRpPrintSetup();
    Application->CreateForm(Form1);
    // The report host reads the listing's definition now; it is never shown
    // itself. A definition that cannot be read is reported like any other
    // start-up failure, and the program goes on without it.
    std::unique_ptr<TFRRelQuest> relQuest;
    Dispatch([&] { relQuest = std::make_unique<TFRRelQuest>(Form1->TPerguntas()); });
    FRRelQuest = relQuest.get();
    // The listing's preview shows its pages in the standard preview window,
    // which offers a PDF beside the saved report.
    RegisterRpStandardPreview();
    RegisterRpPdfExportFilter();
    // The About box, hidden until "Sobre o Sistema" shows it.
    Application->CreateForm(FSobre);
    ScheduleScreenshot();
    const int result = Application->Run();
    FRRelQuest = nullptr;
    SetPrintDialogService(nullptr);
    SetPrinterService(nullptr);
    return result;
}
