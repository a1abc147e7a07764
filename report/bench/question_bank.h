// What the report's benchmarks share: a private configuration whose
// registry points the library search at the built engine, a questions table
// made by the built dbadmin from a CSV file, and the question listing over
// that table as the program holds it.
#pragma once

#include "report/fr_rel_quest.h"
#include "store/session.h"
#include "store/table.h"

#include <QString>
#include <memory>

class TRpReport;

// Points XDG_CONFIG_HOME at `root`/config with a registry naming the built
// engine; false when it cannot be written.
bool UseBuiltEngine(const QString& root);

// Makes `dir` hold QUESTOES.DB with `records` questions, unless it does
// already; aborts when dbadmin fails. Returns `dir`.
QString MakeQuestionBank(const QString& dir, int records);

struct TBenchListing {
    explicit TBenchListing(const QString& dir);
    TRpReport& Report() const;

    TSession Session;
    TTable Perguntas;
    std::unique_ptr<TFRRelQuest> Form;
};
