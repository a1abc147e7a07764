#include "app/tests/app_test_support.h"

#include "app/export_copier.h"
#include "app/tool_bar.h"
#include "platform/paths.h"
#include "platform/ui/cursors.h"
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_panels.h"
#include "store/table.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <algorithm>
#include <atomic>
#include <thread>

namespace {

class ExportTest : public MainFormTest {
protected:
    void WriteCompanion(const QByteArray& contents = "companion program") {
        QFile file(InstallDir + QStringLiteral("/QDiskApp.exe"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    QByteArray Floppy(const QString& name) {
        QFile file(FloppyDir + QLatin1Char('/') + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // What the window looked like while the closing notice was up.
    struct TSeen {
        bool Captured = false;
        int Cursor = 0;
        QString States;
        bool PanelVisible = true;
        TExStatusPanelType PanelType = sptGauge;
    } Seen;
    void WatchNotice() {
        Boxes().OnBox = [this](const TShownBox& box) {
            if (box.Kind != TShownBox::bkShowMessage)
                return;
            Seen.Captured = true;
            Seen.Cursor = App->Cursor();
            Seen.States = ButtonStates();
            Seen.PanelVisible = Window->Panel1->isVisible();
            Seen.PanelType = Window->SB1->Panels()[2]->PanelType();
        };
    }
    void ExpectIdleAfterwards() {
        EXPECT_EQ(ButtonStates(), QString::fromLatin1(BrowseSet));
        EXPECT_EQ(Window->SB1->Panels()[2]->PanelType(), sptNormal);
        EXPECT_EQ(Window->SB1->Panels()[2]->Text(), QString());
        EXPECT_FALSE(Window->Panel1->isVisible());
        EXPECT_EQ(App->Cursor(), crDefault);
    }
};

} // namespace

TEST_F(ExportTest, CopiesTheCompanionAndReadableTablesToTheFloppy) {
    AddQuestions(3);
    AddPhrases(2);
    WriteCompanion();
    TForm1& form = Form();
    form.ToolButton3->Click();
    const QString panel = RecordPanel();
    WatchNotice();
    Boxes().QueueAnswer(IDYES);
    form.ToolButton11->Click();

    EXPECT_EQ(Boxes().Boxes()[0].Text, QStringLiteral("Deseja Exportar as Questões ?"));
    EXPECT_EQ(Boxes().Boxes()[0].Caption, QStringLiteral("Confirmação de Exportação"));
    EXPECT_EQ(Boxes().Boxes()[0].Flags, 36u);
    EXPECT_EQ(Boxes().LastBox().Text, QStringLiteral("Questões Copiadas com Sucesso !"));
    ASSERT_TRUE(Seen.Captured);
    EXPECT_EQ(Seen.Cursor, crHourGlass);
    EXPECT_EQ(Seen.States, QString::fromLatin1(BusySet));
    EXPECT_FALSE(Seen.PanelVisible);
    EXPECT_EQ(Seen.PanelType, sptNormal);
    ExpectIdleAfterwards();
    EXPECT_EQ(form.SB1->Panels()[2]->GaugeAttrs()->Position(), 100);
    // Neither the record-number panel nor the tables moved.
    EXPECT_EQ(RecordPanel(), panel);
    EXPECT_EQ(form.TPerguntas()->RecNo(), 2);
    EXPECT_TRUE(form.TFrases()->Active());

    EXPECT_EQ(Floppy(QStringLiteral("QDiskApp.exe")), QByteArray("companion program"));
    DbAdminAt(FloppyDir, {QStringLiteral("check")});
    const QString phrases =
        DbAdminAt(FloppyDir, {QStringLiteral("dump"), QStringLiteral("FRASES.DB")});
    EXPECT_TRUE(phrases.contains(QStringLiteral("Certa 2"))) << phrases.toStdString();
    const QString questions =
        DbAdminAt(FloppyDir, {QStringLiteral("dump"), QStringLiteral("QUESTOES.DB")});
    EXPECT_TRUE(questions.contains(QStringLiteral("Questao 3"))) << questions.toStdString();
}

TEST_F(ExportTest, ReplacesFilesAlreadyOnTheFloppy) {
    WriteCompanion("new");
    QFile old(FloppyDir + QStringLiteral("/QDiskApp.exe"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old version");
    old.close();
    TForm1& form = Form();
    Boxes().QueueAnswer(IDYES);
    form.ToolButton11->Click();
    EXPECT_EQ(Floppy(QStringLiteral("QDiskApp.exe")), QByteArray("new"));
    Boxes().QueueAnswer(IDYES);
    form.ToolButton11->Click(); // the tables are replaced too
    EXPECT_EQ(Boxes().LastBox().Text, QStringLiteral("Questões Copiadas com Sucesso !"));
}

TEST_F(ExportTest, AMissingSourceIsNamedAndTheOtherFilesAreStillCopied) {
    AddQuestions(1);
    TForm1& form = Form();
    Boxes().QueueAnswer(IDYES);
    form.ToolButton11->Click();
    const QString notice = Boxes().LastBox().Text;
    EXPECT_EQ(Boxes().LastBox().Kind, TShownBox::bkShowMessage);
    EXPECT_TRUE(notice.contains(QStringLiteral(
        "A:\\QDiskApp.exe: o arquivo de origem C:\\ZQ\\Questoes\\QDiskApp.exe não existe")))
        << notice.toStdString();
    EXPECT_FALSE(notice.contains(QStringLiteral("Questoes.DB"))) << notice.toStdString();
    EXPECT_NE(notice, QStringLiteral("Questões Copiadas com Sucesso !"));
    EXPECT_NE(Floppy(QStringLiteral("QUESTOES.DB")), QByteArray("<missing>"));
    ExpectIdleAfterwards();
}

TEST_F(ExportTest, WithoutAMediumEveryFileIsReportedAndTheWindowIsIdleAgain) {
    WriteCompanion();
    Env.MapDrive('A', Env.Root() + QStringLiteral("/no-disk"));
    TForm1& form = Form();
    Boxes().QueueAnswer(IDYES);
    form.ToolButton11->Click();
    const QString notice = Boxes().LastBox().Text;
    for (const char* name : {"A:\\QDiskApp.exe", "A:\\Questoes.DB", "A:\\Frases.DB"})
        EXPECT_TRUE(notice.contains(QString::fromLatin1(name) +
                                    QStringLiteral(": não há disco na unidade A:")))
            << notice.toStdString();
    // Only the Windows paths the user knows, never this machine's.
    EXPECT_FALSE(notice.contains(Env.Root())) << notice.toStdString();
    EXPECT_EQ(form.SB1->Panels()[2]->GaugeAttrs()->Position(), 100);
    ExpectIdleAfterwards();
}

TEST_F(ExportTest, AnsweringNoCopiesNothingButAppliesTheBrowseSet) {
    WriteCompanion();
    TForm1& form = Form();
    form.ApplyEditingSet();
    Boxes().QueueAnswer(IDNO);
    form.ToolButton11Click(&form);
    EXPECT_EQ(Boxes().BoxCount(), 1);
    EXPECT_EQ(Floppy(QStringLiteral("QDiskApp.exe")), QByteArray("<missing>"));
    ExpectIdleAfterwards();
}

TEST_F(ExportTest, TheCopyListIsTheCompanionThenBothTables) {
    TForm1& form = Form();
    const std::vector<TExportCopy> list =
        TExportCopier(*DbSession, TForm1::InstallFolder(), TForm1::FloppyFolder()).List();
    (void)form;
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].Source, QStringLiteral("C:\\ZQ\\Questoes\\QDiskApp.exe"));
    EXPECT_EQ(list[0].Destination, QStringLiteral("A:\\QDiskApp.exe"));
    EXPECT_EQ(list[1].Destination, QStringLiteral("A:\\Questoes.DB"));
    EXPECT_EQ(list[1].TableName, QStringLiteral("QUESTOES.DB"));
    EXPECT_EQ(list[2].Destination, QStringLiteral("A:\\Frases.DB"));
    EXPECT_EQ(list[2].TableName, QStringLiteral("FRASES.DB"));
}

TEST_F(ExportTest, ACopyThatDoesNotReadBackTheSameIsReportedAsFailed) {
    AddQuestions(1);
    WriteCompanion("the real program");
    Form();
    TExportCopier copier(*DbSession, TForm1::InstallFolder(), TForm1::FloppyFolder());
    // A medium that keeps other bytes than it was given.
    copier.CopyService = [](const QString& source, const QString& dest,
                            const TCopyProgress& progress) {
        TCopyResult r = CopyFileChecked(source, dest, false, progress);
        QFile file(ResolvePath(dest));
        if (file.open(QIODevice::ReadWrite))
            file.write("garbage");
        return r;
    };
    const QStringList failures = copier.Run();
    ASSERT_EQ(failures.size(), 1) << failures.join('|').toStdString();
    EXPECT_EQ(
        failures[0],
        QStringLiteral("A:\\QDiskApp.exe: a cópia gravada no disco não confere com o original"));
}

TEST_F(ExportTest, TheGaugeMovesWithinALongCopyWhileTheCallerKeepsWaiting) {
    WriteCompanion(QByteArray(1000, 'x'));
    Form();
    TExportCopier copier(*DbSession, TForm1::InstallFolder(), TForm1::FloppyFolder());
    // A slow medium: each tenth of the file is written only after the caller
    // has waited once more.
    std::atomic<int> waits{0};
    copier.OnWaiting = [&] { ++waits; };
    copier.CopyService = [&](const QString& source, const QString& dest,
                             const TCopyProgress& progress) {
        for (int step = 1; step <= 10; ++step) {
            const int target = waits + 1;
            while (waits < target)
                std::this_thread::yield();
            progress(step * 100, 1000);
        }
        return CopyFileChecked(source, dest, false, {});
    };
    std::vector<int> positions;
    copier.OnProgress = [&](int percent) { positions.push_back(percent); };
    copier.Run();
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 100);
    // Positions short of the end were shown while the file was copying.
    const auto during =
        std::count_if(positions.begin(), positions.end(), [](int p) { return p > 0 && p < 100; });
    EXPECT_GE(during, 3) << ::testing::PrintToString(positions);
}
