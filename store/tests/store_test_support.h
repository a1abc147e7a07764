// What the store tests share: a private environment whose registry points
// the library search at the built engine and whose engine configuration
// names the alias "Questoes"; the two tables made through the engine itself;
// the declared fields of the main window's tables; and a link that records
// the data events it hears.
#pragma once

#include "platform/testing/scoped_test_environment.h"
#include "store/data_source.h"
#include "store/session.h"
#include "store/table.h"
#include "store/tests/engine_setup.h"

#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class StoreTest : public ::testing::Test {
protected:
    StoreTest();
    ~StoreTest() override;
    void SetUp() override;

    // TPerguntas on QUESTOES.DB with its seven declared fields.
    std::unique_ptr<TTable> MakeQuestions(const QString& name = QStringLiteral("TPerguntas"));
    // TFrases on FRASES.DB with its two declared fields.
    std::unique_ptr<TTable> MakePhrases(const QString& name = QStringLiteral("TFrases"));

    // Makes both tables (protected by "marmelada") through the engine, with
    // `questions` questions and the given phrases, before the session starts.
    void PrepareTables(int questions = 0,
                       const std::vector<std::pair<QString, QString>>& phrases = {});
    // Opens as the main window does: password first.
    void AddPassword() { DbSession->AddPassword(QStringLiteral("marmelada")); }
    // The common start of a test: the tables prepared, the password given
    // and TPerguntas (TFrases) opened on them.
    std::unique_ptr<TTable> OpenQuestions(int questions = 0);
    std::unique_ptr<TTable>
    OpenPhrases(const std::vector<std::pair<QString, QString>>& phrases = {});

    ScopedTestEnvironment Env;
    QString AliasDir;
    std::unique_ptr<TSession> DbSession;
};

// A data link that writes down every call-back it receives.
class TRecordingLink : public TDataLink {
public:
    std::vector<std::string> Log;
    void Clear() { Log.clear(); }

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void EditingChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;
};
