#include "app/tests/app_test_support.h"

#include "app/tool_bar.h"
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_panels.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QTest>

MainFormTest::MainFormTest() {
    const QString c = Env.MapDrive('C');
    FloppyDir = Env.MapDrive('A');
    InstallDir = c + QStringLiteral("/ZQ/Questoes");
    QDir().mkpath(InstallDir);
    Env.AppendRegistryConf(QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\Database Engine]"));
    Env.AppendRegistryConf(QStringLiteral("DLLPATH=") + QStringLiteral(DBENGINE_DIR));
    Env.AppendDbEngineConf(QStringLiteral("[Aliases]"));
    Env.AppendDbEngineConf(QStringLiteral("Questoes=C:\\ZQ\\Questoes\\"));
    DbAdmin({QStringLiteral("create")});
    App = std::make_unique<TApplication>();
    App->Initialize();
    App->SetTitle(QStringLiteral("Radoziv iv Ivaduvorir de Jogos"));
}

MainFormTest::~MainFormTest() {
    Window.reset();
    DbSession.reset();
    App.reset();
}

QString MainFormTest::DbAdminAt(const QString& directory, const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(DBADMIN_PATH),
                  QStringList{QStringLiteral("--dir"), directory} + arguments);
    const bool finished = process.waitForFinished(30000);
    EXPECT_TRUE(finished && process.exitCode() == 0)
        << arguments.join(' ').toStdString() << ": "
        << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString MainFormTest::DbAdmin(const QStringList& arguments, bool mustSucceed) {
    QProcess process;
    process.start(QStringLiteral(DBADMIN_PATH),
                  QStringList{QStringLiteral("--dir"), InstallDir} + arguments);
    const bool finished = process.waitForFinished(30000);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    if (mustSucceed) {
        EXPECT_TRUE(finished && process.exitCode() == 0)
            << arguments.join(' ').toStdString() << ": "
            << process.readAllStandardError().toStdString();
    }
    return out;
}

void MainFormTest::AddQuestions(int count) {
    QString csv = QStringLiteral("Codigo,Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\n");
    for (int i = 1; i <= count; ++i)
        csv += QStringLiteral("%1,Questao %1,A%1,B%1,C%1,A,N\n").arg(i);
    const QString file = Env.WriteFile(QStringLiteral("questions.csv"), csv.toUtf8());
    DbAdmin({QStringLiteral("load"), QStringLiteral("QUESTOES.DB"), file});
}

void MainFormTest::AddPhrases(int count) {
    QString csv = QStringLiteral("Correta,Errada\n");
    for (int i = 1; i <= count; ++i)
        csv += QStringLiteral("Certa %1,Errada %1\n").arg(i);
    const QString file = Env.WriteFile(QStringLiteral("phrases.csv"), csv.toUtf8());
    DbAdmin({QStringLiteral("load"), QStringLiteral("FRASES.DB"), file});
}

TForm1& MainFormTest::Form() {
    if (!Window) {
        DbSession = std::make_unique<TSession>(QStringLiteral("Test"));
        Window = std::make_unique<TForm1>(nullptr, DbSession.get());
        Window->show();
        QApplication::setActiveWindow(Window.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }
    return *Window;
}

QString MainFormTest::RecordPanel() const {
    return Window->SB1->Panels()[3]->Text();
}

QString MainFormTest::ButtonStates() const {
    QString states;
    for (int i = 1; i <= 13; ++i)
        states += Window->CommandButton(i)->Enabled() ? QLatin1Char('1') : QLatin1Char('0');
    return states;
}

void MainFormTest::ShowPhrases() {
    Window->PageControl1->setCurrentWidget(Window->TabSheet2);
}

void MainFormTest::Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr || target->window() != Window.get())
        target = Window.get();
    QTest::keyClick(target, key, modifiers);
}
