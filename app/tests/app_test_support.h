// What the main window tests share: a private environment with drives C:
// and A:, the alias Questoes on C:\ZQ\Questoes\ and its two tables made by
// dbadmin, an application object for the default exception handler, and a
// main window on its own session, shown and active.
#pragma once

#include "app/main_form.h"
#include "platform/testing/scoped_test_environment.h"
#include "platform/ui/application.h"
#include "store/session.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

class TTable;

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest();
    ~MainFormTest() override;

    // Runs dbadmin with the arguments; fails the test on a non-zero exit.
    QString DbAdmin(const QStringList& arguments, bool mustSucceed = true);
    // The same on the tables of another folder.
    QString DbAdminAt(const QString& directory, const QStringList& arguments);
    // Loads questions "Questao 1".. (correct letter A) and phrases "Certa 1"/"Errada 1"...
    void AddQuestions(int count);
    void AddPhrases(int count);
    // Makes, shows and activates the window.
    TForm1& Form();
    TScriptedDialogs& Boxes() { return Env.Dialogs(); }
    QString RecordPanel() const;
    // Enabled flags of ToolButton1..13 as a string of 1 and 0.
    QString ButtonStates() const;
    void ShowPhrases();
    // Sends a key to the focused control of the window (or the window).
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    ScopedTestEnvironment Env;
    QString InstallDir;
    QString FloppyDir;
    std::unique_ptr<TApplication> App;
    std::unique_ptr<TSession> DbSession;
    std::unique_ptr<TForm1> Window;
};

inline const char* const BrowseSet = "1111101101111";
inline const char* const EditingSet = "0000010010001";
inline const char* const BusySet = "0000000000001";
