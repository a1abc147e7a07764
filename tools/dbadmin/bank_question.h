// A question as the plain-text interchange formats carry it, between the
// readers and writers of those formats and the questions table.
//
// The readers keep every option a file gives and the answer letter as
// written, with the lines they came from, so that a question that does not
// fit the table (not three options, an answer that names no option) is
// refused by its line rather than trimmed to fit. The writers take the
// table's records as they are; each format's writer is checked by reading
// its own output back, so that an export never loses a text silently.
#pragma once

#include "tools/dbadmin/csv.h"

#include <string>
#include <string_view>
#include <vector>

struct TBankQuestion {
    long Codigo = 0; // record key when the question comes from the table
    int Line = 0;    // line where the question starts, from 1
    std::string Questao;
    std::vector<std::string> Options; // in order: A, B, C, ...
    std::vector<int> OptionLines;
    std::string Correta; // the answer letter as written
    int CorretaLine = 0;
};

// The number of options the questions table holds (Resp_A, Resp_B, Resp_C).
inline constexpr size_t kTableOptions = 3;

// The file's lines without their line ends (LF or CRLF) and without the
// byte-order mark that may open a line (files joined end to end carry one
// each); line n is element n - 1.
std::vector<std::string_view> SplitLines(std::string_view text);

// `text` without the spaces, tabs and line ends around it.
std::string_view TrimSpace(std::string_view text);

// Adds to `problems` what keeps `q` out of the table: an empty question, a
// number of options other than three, an answer that names none of them.
void CheckShape(const TBankQuestion& q, std::vector<TLineProblem>& problems);

// The record of `q` for the questions table without its key: Questao,
// Resp_A, Resp_B, Resp_C, Correta, Flag "N" (as the window saves a
// question), each field with its line. `q` must have passed CheckShape.
TCsvRecord QuestionRecord(const TBankQuestion& q);

// Aiken: the question on its own line(s), options "A." or "A)" one per line,
// then "ANSWER: X"; questions apart by blank lines.
std::vector<TBankQuestion> ParseAiken(std::string_view text, std::vector<TLineProblem>& problems);
std::string WriteAiken(const TBankQuestion& q);

// GIFT, multiple choice: "::title:: text { =right ~wrong ~wrong }", the
// characters ~ = # { } : and the backslash escaped by a backslash, "\n" for
// a line break. Every other question type is refused by its line.
std::vector<TBankQuestion> ParseGift(std::string_view text, std::vector<TLineProblem>& problems);
std::string WriteGift(const TBankQuestion& q);

enum class TBankFormat { bfAiken, bfGift, bfCsv };

// The questions of an Aiken or GIFT file as records for the questions
// table (see QuestionRecord); each question that does not fit is named in
// `problems` by its line and left out.
std::vector<TCsvRecord> ReadBank(std::string_view text, TBankFormat format,
                                 std::vector<TLineProblem>& problems);

// Writes `questions` in `format` (Aiken or GIFT). A question the format
// cannot carry exactly (it would not read back the same) is named in
// `problems` by its Codigo, and nothing is returned then.
std::string WriteBank(const std::vector<TBankQuestion>& questions, TBankFormat format,
                      std::vector<std::string>& problems);
