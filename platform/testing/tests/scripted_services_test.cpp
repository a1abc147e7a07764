// The scripted dialogs and shell: answers from queues, a record of every box
// and call, and failures for boxes nobody scripted.
#include "platform/testing/scripted_dialogs.h"
#include "platform/testing/scripted_shell.h"

#include "platform/ui/application.h"

#include <QObject>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

TEST(ScriptedDialogs, AnswersFromTheQueueAndRecordsEveryBox) {
    TScriptedDialogs dialogs;
    dialogs.QueueAnswer(IDYES);
    dialogs.QueueAnswer(IDNO);
    EXPECT_EQ(Dialogs().MessageBox(QStringLiteral("Excluir?"), QStringLiteral("Excluir"), 36),
              IDYES);
    EXPECT_EQ(Dialogs().MessageBox(QStringLiteral("Sair?"), QStringLiteral("Sair"), 36), IDNO);
    // An OK box needs no script.
    EXPECT_EQ(Dialogs().MessageBox(QStringLiteral("Erro."), QStringLiteral("T"), MB_ICONERROR),
              IDOK);

    ASSERT_EQ(dialogs.BoxCount(), 3);
    EXPECT_EQ(dialogs.Boxes()[0].Text, QStringLiteral("Excluir?"));
    EXPECT_EQ(dialogs.Boxes()[0].Caption, QStringLiteral("Excluir"));
    EXPECT_EQ(dialogs.Boxes()[0].Flags, 36u);
    EXPECT_EQ(dialogs.Boxes()[0].Answer, IDYES);
    EXPECT_EQ(dialogs.Boxes()[1].Answer, IDNO);
    EXPECT_EQ(dialogs.LastBox().Flags, MB_ICONERROR);
    EXPECT_EQ(dialogs.Texts(), (QStringList{QStringLiteral("Excluir?"), QStringLiteral("Sair?"),
                                            QStringLiteral("Erro.")}));
}

TEST(ScriptedDialogs, ShowMessageIsRecordedWithTheApplicationTitle) {
    TScriptedDialogs dialogs;
    TApplication app;
    app.Initialize();
    app.SetTitle(QStringLiteral("Radoziv iv Ivaduvorir de Jogos"));
    Dialogs().ShowMessage(QStringLiteral("Aviso"));
    const TShownBox box = dialogs.LastBox();
    EXPECT_EQ(box.Kind, TShownBox::bkShowMessage);
    EXPECT_EQ(box.Caption, QStringLiteral("Radoziv iv Ivaduvorir de Jogos"));
    EXPECT_EQ(box.Flags, MB_OK);
}

TEST(ScriptedDialogs, OnBoxSeesTheBoxBeforeItIsAnswered) {
    TScriptedDialogs dialogs;
    dialogs.QueueAnswer(IDNO);
    int seenCount = -1;
    dialogs.OnBox = [&](const TShownBox& box) {
        seenCount = dialogs.BoxCount();
        EXPECT_EQ(box.Answer, IDNO);
    };
    Dialogs().MessageBox(QStringLiteral("?"), QStringLiteral("c"), MB_YESNO);
    EXPECT_EQ(seenCount, 1);
}

TEST(ScriptedDialogs, UnscriptedChoiceFailsTheTestAndAnswersCautiously) {
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            TScriptedDialogs dialogs;
            answer = Dialogs().MessageBox(QStringLiteral("Apagar tudo?"), QStringLiteral("c"),
                                          MB_YESNO | MB_ICONQUESTION);
        },
        "Unscripted message box");
    EXPECT_EQ(answer, IDNO);
}

TEST(ScriptedDialogs, AnswerNeverUsedFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            TScriptedDialogs dialogs;
            dialogs.QueueAnswer(IDYES);
        },
        "never used");
}

TEST(ScriptedDialogs, LenientModeAnswersCautiouslyWithoutFailing) {
    TScriptedDialogs dialogs;
    dialogs.SetLenient(true);
    dialogs.QueueFileName(QStringLiteral("left over"));
    EXPECT_EQ(Dialogs().MessageBox(QString(), QString(), MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(Dialogs().MessageBox(QString(), QString(), MB_ABORTRETRYIGNORE), IDABORT);
}

TEST(ScriptedDialogs, PasswordsAndFileNamesComeFromTheirQueues) {
    TScriptedDialogs dialogs;
    dialogs.QueuePassword(QStringLiteral("marmelada"));
    dialogs.QueuePassword(std::nullopt);
    dialogs.QueueFileName(QStringLiteral("/tmp/a.RPP"));
    EXPECT_EQ(Dialogs().PromptPassword(QStringLiteral("QUESTOES.DB")),
              std::optional<QString>(QStringLiteral("marmelada")));
    EXPECT_EQ(Dialogs().PromptPassword(QStringLiteral("FRASES.DB")), std::nullopt);
    EXPECT_NONFATAL_FAILURE(Dialogs().PromptPassword(QStringLiteral("X.DB")),
                            "Unscripted password prompt");
    EXPECT_EQ(dialogs.PasswordRequests(),
              (QStringList{QStringLiteral("QUESTOES.DB"), QStringLiteral("FRASES.DB"),
                           QStringLiteral("X.DB")}));

    TFileDialogOptions save;
    save.Title = QStringLiteral("Save report");
    save.DefaultExt = QStringLiteral("RPP");
    EXPECT_EQ(Dialogs().SaveFileName(save), std::optional<QString>(QStringLiteral("/tmp/a.RPP")));
    std::optional<QString> unscripted = QStringLiteral("x");
    EXPECT_NONFATAL_FAILURE(unscripted = Dialogs().OpenFileName(TFileDialogOptions{}),
                            "Unscripted open dialog");
    EXPECT_EQ(unscripted, std::nullopt);
    ASSERT_EQ(dialogs.SaveRequests().size(), 1u);
    EXPECT_EQ(dialogs.SaveRequests()[0].Title, QStringLiteral("Save report"));
    EXPECT_EQ(dialogs.SaveRequests()[0].DefaultExt, QStringLiteral("RPP"));
    EXPECT_EQ(dialogs.OpenRequests().size(), 1u);
}

TEST(ScriptedDialogs, FileAnswersCarryTheChosenFilter) {
    TScriptedDialogs dialogs;
    dialogs.QueueFile(QStringLiteral("/tmp/a.pdf"), 2);
    dialogs.QueueFileName(QStringLiteral("/tmp/b.RPP"));
    TFileDialogOptions save;
    save.FilterIndex = 1;
    const std::optional<TFileDialogChoice> first = Dialogs().SaveFile(save);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->FileName, QStringLiteral("/tmp/a.pdf"));
    EXPECT_EQ(first->FilterIndex, 2);
    // Without a filter of its own the answer keeps the dialog's.
    save.FilterIndex = 3;
    const std::optional<TFileDialogChoice> second = Dialogs().SaveFile(save);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->FilterIndex, 3);
}

TEST(ScriptedDialogs, NestedScriptsPutBackTheOuterOne) {
    TScriptedDialogs outer;
    {
        TScriptedDialogs inner;
        EXPECT_EQ(InstalledDialogs(), &inner);
    }
    EXPECT_EQ(InstalledDialogs(), &outer);
}

TEST(ScriptedDialogs, ClearForgetsBoxesAndAnswers) {
    TScriptedDialogs dialogs;
    dialogs.QueueAnswer(IDYES);
    Dialogs().ShowMessage(QStringLiteral("a"));
    dialogs.Clear();
    EXPECT_EQ(dialogs.BoxCount(), 0);
}

TEST(ScriptedShell, RecordsEveryCallAndReturnsTheSetResult) {
    TScriptedShell shell;
    QObject owner;
    EXPECT_GT(Shell().ShellExecute(&owner, QStringLiteral("open"),
                                   QStringLiteral("http://www.example.org"), QString(), QString(),
                                   SW_SHOWNORMAL),
              32);
    shell.SetResult(SE_ERR_NOASSOC);
    EXPECT_EQ(Shell().ShellExecute(nullptr, QStringLiteral("open"), QStringLiteral("mailto:"),
                                   QStringLiteral("p"), QStringLiteral("/d"), SW_SHOW),
              SE_ERR_NOASSOC);
    ASSERT_EQ(shell.CallCount(), 2);
    EXPECT_EQ(shell.Calls()[0].Owner.data(), &owner);
    EXPECT_EQ(shell.Calls()[0].Verb, QStringLiteral("open"));
    EXPECT_EQ(shell.Calls()[0].File, QStringLiteral("http://www.example.org"));
    EXPECT_EQ(shell.Calls()[0].Show, SW_SHOWNORMAL);
    EXPECT_EQ(shell.Calls()[1].Params, QStringLiteral("p"));
    EXPECT_EQ(shell.Calls()[1].Dir, QStringLiteral("/d"));
}

TEST(ServiceFallbacks, WithoutServicesBoxesAnswerCautiouslyAndShellOpensNothing) {
    TDialogs* dialogs = SetDialogs(nullptr);
    TShell* shell = SetShell(nullptr);
    EXPECT_EQ(Dialogs().MessageBox(QStringLiteral("?"), QStringLiteral("c"), MB_YESNO), IDNO);
    EXPECT_EQ(Dialogs().MessageBox(QStringLiteral("!"), QStringLiteral("c"), MB_OK), IDOK);
    EXPECT_EQ(Dialogs().PromptPassword(QStringLiteral("T")), std::nullopt);
    EXPECT_LE(Shell().ShellExecute(nullptr, QStringLiteral("open"), QStringLiteral("http://x"),
                                   QString(), QString(), SW_SHOWNORMAL),
              32);
    SetDialogs(dialogs);
    SetShell(shell);
}

} // namespace
