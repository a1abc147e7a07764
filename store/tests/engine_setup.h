// Tables made through the engine directly, before the session under test
// starts: the store's tests and the bound editors' tests prepare their data
// with it.
#pragma once

#include "platform/testing/scoped_test_environment.h"
#include "store/engine/dbengine.h"

#include <QString>
#include <utility>
#include <vector>

// Direct engine access for preparing tables: loaded beside the session's
// own use of the same library.
class TEngineSetup {
public:
    explicit TEngineSetup(const QString& directory);
    ~TEngineSetup();

    // QUESTOES.DB: Codigo autoincrement key, four texts of 250, Correta and
    // Flag of 1. FRASES.DB: Correta and Errada of 100, no key.
    void CreateQuestions(const char* password = "marmelada");
    void CreatePhrases(const char* password = "marmelada");
    // Adds questions "Questao 1" ... in one batch.
    void AddQuestions(int count, const char* password = "marmelada");
    void AddPhrases(const std::vector<std::pair<QString, QString>>& phrases,
                    const char* password = "marmelada");
    // NUMEROS.DB: one integer column, Numero, with one record holding `value`.
    void CreateNumbers(int value, const char* password = "marmelada");

private:
    void Check(DbeResult result, const char* what) const;
    // Opens `table` (adding `password` first) with a record buffer for it.
    hDbeCur OpenForAdding(const char* table, const char* password, std::vector<char>& record);

    void* module_ = nullptr;
    hDbeDb db_ = nullptr;
    bool initialized_ = false;
};

// Writes the registry value that points the library search at `directory`.
void PointDllPathAt(ScopedTestEnvironment& env, const QString& directory);
