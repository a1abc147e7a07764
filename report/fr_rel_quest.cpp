// The question listing's form.
#include "report/fr_rel_quest.h"

#include "report/rp_definition_loader.h"
#include "report/rp_report.h"

QString TFRRelQuest::DefinitionPath() {
    return QStringLiteral(":/reports/rel_quest.json");
}

TFRRelQuest::TFRRelQuest(TDataSet* perguntas) : TFRRelQuest(perguntas, DefinitionPath()) {}

TFRRelQuest::TFRRelQuest(TDataSet* perguntas, const QString& definitionPath) {
    TRpDefinitionLoader loader;
    loader.AddDataSet(QStringLiteral("TPerguntas"), perguntas);
    rpRelQuest_ = loader.LoadFile(definitionPath);
}

TFRRelQuest::~TFRRelQuest() = default;

TFRRelQuest* FRRelQuest = nullptr;
