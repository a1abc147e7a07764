// The two tables of the question bank as the program declares them: the
// questions (QUESTOES.DB) and the phrase pairs (FRASES.DB) with their
// fields and sizes, and the password that protects both. The main window,
// the tools and the tests open the tables through these declarations.
#pragma once

#include <QString>

class TTable;

inline constexpr char kQuestionTablesPassword[] = "marmelada";

// Names the table file and declares the seven fields of a question:
// Codigo (auto-increment key), Questao, Resp_A, Resp_B, Resp_C (250
// characters each), Correta and Flag (1 character each).
void DeclareQuestionTable(TTable& table);
// Names the table file and declares Correta and Errada (100 characters).
void DeclarePhraseTable(TTable& table);
