// Program entry of the question bank editor: the application title, the
// main window first (it becomes the main form and opens the tables), then
// the report host and the About box, then the message loop.
#include "app/main_form.h"
#include "platform/ui/application.h"

#include <QPixmap>
#include <QTimer>

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
    Application->CreateForm(Form1);
    // FRRelQuest (the report host) and FSobre (the About box) are created
    // here, hidden, once they are part of the program.
    ScheduleScreenshot();
    return Application->Run();
}
