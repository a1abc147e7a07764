// What the editor tests share: a private environment whose registry points
// the library search at the built engine and whose engine configuration
// names the alias "Questoes"; the two tables of the program (and a small
// table with a number column) made through the engine itself; the tables
// with their declared fields and their data sources as the main window has
// them; a shown, active form to put editors on; and the messages that the
// dispatch guard reports.
#pragma once

#include "platform/testing/scoped_test_environment.h"
#include "store/data_source.h"
#include "store/session.h"
#include "store/table.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

using TPhrases = std::vector<std::pair<QString, QString>>;

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest();
    ~ControlsTest() override;
    void SetUp() override;

    // Makes QUESTOES.DB with `questions` questions ("Questao 1", answers
    // "A1" "B1" "C1", correct "A"), FRASES.DB with the given phrases and
    // NUMEROS.DB (Numero, an integer) with one record holding 7.
    void PrepareTables(int questions, const TPhrases& phrases);

    // The tables, opened through the session with the program's password,
    // and their data sources (questions without AutoEdit).
    void OpenQuestions();
    void OpenPhrases();
    void OpenNumbers();

    // Shows the form and waits until it is the active window, so that the
    // editors on it can take the focus.
    void ShowForm();
    // Gives `widget` the focus and waits until it has it.
    static bool Focus(QWidget* widget);

    // A stored field, read straight from the table's current record.
    static QString FieldText(TTable& table, const char* field);

    ScopedTestEnvironment Env;
    QString AliasDir;
    std::unique_ptr<TSession> DbSession;
    std::unique_ptr<TTable> TPerguntas, TFrases, TNumeros;
    TDataSource DSPerguntas{QStringLiteral("DSPerguntas")};
    TDataSource DSFrases{QStringLiteral("DSFrases")};
    TDataSource DSNumeros{QStringLiteral("DSNumeros")};
    // The form the editors are placed on (they are its children).
    std::unique_ptr<QWidget> Form;
    // What the dispatch guard reported, in order.
    QStringList Errors;
};
