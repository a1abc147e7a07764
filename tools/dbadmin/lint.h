// The content checks of `dbadmin lint`: what a teacher should look at in a
// bank before a game is fed with it. The checks see only texts; reading the
// tables is the caller's.
#pragma once

#include <string>
#include <vector>

struct TLintQuestion {
    long Codigo = 0;
    std::string Questao;
    std::string Resp[3]; // Resp_A, Resp_B, Resp_C
    std::string Correta;
};

struct TLintPhrase {
    long Record = 0; // position in the table, from 1
    std::string Correta;
    std::string Errada;
};

struct TLintReport {
    std::vector<std::string> Findings; // one line each, naming the records concerned
    std::string Summary;               // one line: sizes, the correct-letter balance, findings
};

// Questions: near-duplicates (the same text once case, accents, punctuation
// and spacing are set aside; or word sets of which the smaller holds at
// least 90 % of the larger's words), the same alternative twice, an empty
// alternative, a `Correta` other than A, B or C, one letter right in more
// than half of the bank. Phrases: a pair whose two phrases are the same, a
// pair stored more than once. Near-duplicates are found through an index
// of each question's rarest words, never by comparing every pair.
TLintReport LintBank(const std::vector<TLintQuestion>& questions,
                     const std::vector<TLintPhrase>& phrases);
