// The question bank's table declarations.
#include "store/question_tables.h"

#include "store/field.h"
#include "store/table.h"

void DeclareQuestionTable(TTable& table) {
    table.SetTableName(QStringLiteral("QUESTOES.DB"));
    table.AddField<TAutoIncField>(QStringLiteral("Codigo"));
    table.AddField<TStringField>(QStringLiteral("Questao"), 250);
    table.AddField<TStringField>(QStringLiteral("Resp_A"), 250);
    table.AddField<TStringField>(QStringLiteral("Resp_B"), 250);
    table.AddField<TStringField>(QStringLiteral("Resp_C"), 250);
    table.AddField<TStringField>(QStringLiteral("Correta"), 1);
    table.AddField<TStringField>(QStringLiteral("Flag"), 1);
}

void DeclarePhraseTable(TTable& table) {
    table.SetTableName(QStringLiteral("FRASES.DB"));
    table.AddField<TStringField>(QStringLiteral("Correta"), 100);
    table.AddField<TStringField>(QStringLiteral("Errada"), 100);
}
