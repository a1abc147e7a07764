// The content report of `dbadmin lint`.
//
// Near-duplicate questions are searched in two ways. Texts that become the
// same once folded (case folded, accents and punctuation dropped, spacing
// ignored) fall into one group through a hash of the folded text. Texts
// whose word sets are at least 90 % alike (the words in common are at least
// nine tenths of the larger set: one word changed in twelve still counts)
// are found by prefix filtering: the words of every question are ordered
// from the rarest in the bank to the commonest, and two sets that alike must
// share one of their first |set| - ceil(0.9 |set|) + 1 words. An inverted
// index over those few rare words gives the candidates, which are then
// measured exactly; the search misses no pair and costs about the size of
// the bank times the few questions sharing a rare word, not the square of
// the bank.
#include "tools/dbadmin/lint.h"

#include "tools/dbadmin/bank_question.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <numeric>

namespace {

// The words of `text`: runs of letters and digits, case folded, without
// their accents. Most words are plain ASCII and are folded here; the rest
// go through Unicode decomposition.
std::vector<std::string> FoldedWords(const std::string& text) {
    bool ascii = std::all_of(text.begin(), text.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    std::vector<std::string> words;
    if (ascii) {
        std::string word;
        for (char c : text) {
            if (std::isalnum(static_cast<unsigned char>(c))) {
                word += char(std::tolower(static_cast<unsigned char>(c)));
            } else if (!word.empty()) {
                words.push_back(std::move(word));
                word.clear();
            }
        }
        if (!word.empty())
            words.push_back(std::move(word));
        return words;
    }
    QString decomposed = QString::fromUtf8(text.data(), qsizetype(text.size()))
                             .normalized(QString::NormalizationForm_KD);
    QString word;
    auto flush = [&] {
        if (!word.isEmpty())
            words.push_back(word.toCaseFolded().toStdString());
        word.clear();
    };
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isLetterOrNumber() || c.isSurrogate())
            word += c;
        else
            flush();
    }
    flush();
    return words;
}

struct TSimilarPair {
    size_t First;
    size_t Second;
    int Percent;
};

// Minimum words in common for two sets whose larger one has `size` words.
size_t NeededOverlap(size_t size) {
    return (9 * size + 9) / 10;
}

class TNearDuplicates {
public:
    explicit TNearDuplicates(const std::vector<TLintQuestion>& questions);

    std::vector<std::vector<size_t>> Groups; // same folded text, two or more each
    std::vector<TSimilarPair> Pairs;         // alike word sets, not in one group

private:
    void FindGroups(std::vector<std::pair<uint64_t, uint32_t>>& texts,
                    const std::vector<std::string>& folded);
    void Index(size_t words);
    size_t Overlap(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) const;

    std::vector<std::vector<uint32_t>> sets_; // word ranks, rarest first
    std::vector<long> group_;                 // group of each question, -1 for none
};

TNearDuplicates::TNearDuplicates(const std::vector<TLintQuestion>& questions)
    : sets_(questions.size()), group_(questions.size(), -1) {
    // Words are told apart by a 64-bit hash rather than kept as strings: a
    // bank of 100,000 questions has about a million distinct words, where
    // two hashes meet by chance once in some ten million banks.
    struct TUse {
        uint64_t Word;
        uint32_t Question;
    };
    std::vector<TUse> uses;
    std::vector<std::pair<uint64_t, uint32_t>> texts; // hash of the folded text
    std::vector<std::string> folded(questions.size());
    std::hash<std::string_view> hash;
    for (size_t i = 0; i < questions.size(); ++i) {
        for (const std::string& w : FoldedWords(questions[i].Questao)) {
            folded[i] += w;
            uses.push_back({hash(w), uint32_t(i)});
        }
        if (!folded[i].empty())
            texts.push_back({hash(folded[i]), uint32_t(i)});
    }
    FindGroups(texts, folded);

    auto byWord = [](const TUse& a, const TUse& b) {
        return a.Word != b.Word ? a.Word < b.Word : a.Question < b.Question;
    };
    std::sort(uses.begin(), uses.end(), byWord);
    uses.erase(std::unique(uses.begin(), uses.end(),
                           [](const TUse& a, const TUse& b) {
                               return a.Word == b.Word && a.Question == b.Question;
                           }),
               uses.end());
    // Each word's run of questions, ranked from the rarest word; ties by
    // hash, for a fixed order.
    struct TRun {
        size_t Begin;
        size_t End;
    };
    std::vector<TRun> runs;
    for (size_t b = 0, e; b < uses.size(); b = e) {
        for (e = b + 1; e < uses.size() && uses[e].Word == uses[b].Word;)
            ++e;
        runs.push_back({b, e});
    }
    std::sort(runs.begin(), runs.end(), [&](const TRun& a, const TRun& b) {
        size_t na = a.End - a.Begin, nb = b.End - b.Begin;
        return na != nb ? na < nb : uses[a.Begin].Word < uses[b.Begin].Word;
    });
    for (uint32_t rank = 0; rank < runs.size(); ++rank)
        for (size_t u = runs[rank].Begin; u < runs[rank].End; ++u)
            sets_[uses[u].Question].push_back(rank); // ascending: ranks come in order
    Index(runs.size());
}

void TNearDuplicates::FindGroups(std::vector<std::pair<uint64_t, uint32_t>>& texts,
                                 const std::vector<std::string>& folded) {
    std::sort(texts.begin(), texts.end());
    for (size_t b = 0, e; b < texts.size(); b = e) {
        for (e = b + 1; e < texts.size() && texts[e].first == texts[b].first;)
            ++e;
        // Within one hash, the texts themselves decide.
        std::map<std::string_view, std::vector<size_t>> same;
        for (size_t k = b; k < e && e - b > 1; ++k)
            same[folded[texts[k].second]].push_back(texts[k].second);
        for (auto& [text, members] : same)
            if (members.size() > 1)
                Groups.push_back(members);
    }
    std::sort(Groups.begin(), Groups.end());
    for (size_t g = 0; g < Groups.size(); ++g)
        for (size_t m : Groups[g])
            group_[m] = long(g);
}

size_t TNearDuplicates::Overlap(const std::vector<uint32_t>& a,
                                const std::vector<uint32_t>& b) const {
    size_t common = 0;
    for (size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i] == b[j])
            ++common, ++i, ++j;
        else if (a[i] < b[j])
            ++i;
        else
            ++j;
    }
    return common;
}

void TNearDuplicates::Index(size_t words) {
    // Smaller sets first: a set meets every smaller or equal one already in
    // the index, and the size rule discards those too small to be alike.
    std::vector<size_t> bySize(sets_.size());
    std::iota(bySize.begin(), bySize.end(), 0);
    std::stable_sort(bySize.begin(), bySize.end(),
                     [&](size_t a, size_t b) { return sets_[a].size() < sets_[b].size(); });
    std::vector<std::vector<uint32_t>> postings(words);
    std::vector<size_t> seenBy(sets_.size(), SIZE_MAX);
    for (size_t x : bySize) {
        const std::vector<uint32_t>& set = sets_[x];
        if (set.empty())
            continue;
        size_t needed = NeededOverlap(set.size());
        size_t prefix = set.size() - needed + 1;
        for (size_t k = 0; k < prefix; ++k) {
            for (uint32_t y : postings[set[k]]) {
                if (seenBy[y] == x || sets_[y].size() < needed)
                    continue;
                seenBy[y] = x;
                if (group_[x] >= 0 && group_[x] == group_[y])
                    continue;
                size_t common = Overlap(set, sets_[y]);
                if (common >= needed)
                    Pairs.push_back({std::min<size_t>(x, y), std::max<size_t>(x, y),
                                     int(common * 100 / set.size())});
            }
        }
        for (size_t k = 0; k < prefix; ++k)
            postings[set[k]].push_back(uint32_t(x));
    }
    std::sort(Pairs.begin(), Pairs.end(), [](const TSimilarPair& a, const TSimilarPair& b) {
        return a.First != b.First ? a.First < b.First : a.Second < b.Second;
    });
}

// The text with its outer spaces dropped and inner runs of spaces made one.
std::string Squeezed(std::string_view text) {
    std::string out;
    for (char c : TrimSpace(text)) {
        bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!space)
            out += c;
        else if (out.back() != ' ')
            out += ' ';
    }
    return out;
}

std::string Share(size_t part, size_t whole) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", whole ? 100.0 * double(part) / double(whole) : 0.0);
    std::string out = text;
    std::replace(out.begin(), out.end(), '.', ',');
    return out;
}

std::string CodeList(const std::vector<size_t>& members,
                     const std::vector<TLintQuestion>& questions) {
    std::string out;
    for (size_t k = 0; k < members.size(); ++k) {
        if (k)
            out += k + 1 == members.size() ? " e " : ", ";
        out += std::to_string(questions[members[k]].Codigo);
    }
    return out;
}

void LintAlternatives(const TLintQuestion& q, std::vector<std::string>& findings) {
    static const char* const kNames[3] = {"Resp_A", "Resp_B", "Resp_C"};
    std::string code = "Codigo " + std::to_string(q.Codigo) + ": ";
    std::string squeezed[3];
    for (int k = 0; k < 3; ++k) {
        squeezed[k] = Squeezed(q.Resp[k]);
        if (squeezed[k].empty())
            findings.push_back(code + kNames[k] + " vazia");
    }
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b)
            if (!squeezed[a].empty() && squeezed[a] == squeezed[b])
                findings.push_back(code + kNames[a] + " e " + kNames[b] + " iguais");
    if (q.Correta != "A" && q.Correta != "B" && q.Correta != "C")
        findings.push_back(code + (q.Correta.empty()
                                       ? std::string("Correta vazia")
                                       : "Correta \"" + q.Correta + "\" não é A, B nem C"));
}

void LintPhrases(const std::vector<TLintPhrase>& phrases, std::vector<std::string>& findings) {
    std::map<std::pair<std::string, std::string>, std::vector<long>> pairs;
    for (const TLintPhrase& p : phrases) {
        std::string right = Squeezed(p.Correta), wrong = Squeezed(p.Errada);
        if (right == wrong)
            findings.push_back("FRASES.DB registro " + std::to_string(p.Record) +
                               ": Correta e Errada iguais");
        pairs[{right, wrong}].push_back(p.Record);
    }
    std::vector<std::vector<long>> repeated;
    for (auto& [pair, records] : pairs)
        if (records.size() > 1)
            repeated.push_back(records);
    std::sort(repeated.begin(), repeated.end());
    for (const std::vector<long>& records : repeated) {
        std::string list;
        for (size_t k = 0; k < records.size(); ++k)
            list +=
                (k ? (k + 1 == records.size() ? " e " : ", ") : "") + std::to_string(records[k]);
        findings.push_back("FRASES.DB registros " + list + ": o mesmo par de frases repetido");
    }
}

} // namespace

TLintReport LintBank(const std::vector<TLintQuestion>& questions,
                     const std::vector<TLintPhrase>& phrases) {
    TLintReport report;
    std::vector<std::string>& findings = report.Findings;
    TNearDuplicates near(questions);
    for (const std::vector<size_t>& group : near.Groups)
        findings.push_back("Codigo " + CodeList(group, questions) +
                           ": a mesma pergunta, fora maiúsculas, acentos, pontuação e espaços");
    for (const TSimilarPair& p : near.Pairs)
        findings.push_back("Codigo " + CodeList({p.First, p.Second}, questions) +
                           ": perguntas parecidas (" + std::to_string(p.Percent) +
                           "% das palavras em comum)");

    size_t counts[3] = {0, 0, 0};
    for (const TLintQuestion& q : questions) {
        LintAlternatives(q, findings);
        if (q.Correta.size() == 1 && q.Correta[0] >= 'A' && q.Correta[0] <= 'C')
            ++counts[q.Correta[0] - 'A'];
    }
    size_t lettered = counts[0] + counts[1] + counts[2];
    for (int k = 0; k < 3; ++k)
        if (2 * counts[k] > lettered)
            findings.push_back(std::string("a letra ") + char('A' + k) + " é a certa em " +
                               std::to_string(counts[k]) + " de " + std::to_string(lettered) +
                               " questões (" + Share(counts[k], lettered) + "), mais da metade");
    LintPhrases(phrases, findings);

    std::string balance;
    for (int k = 0; k < 3; ++k)
        balance += std::string(k ? ", " : "") + char('A' + k) + " " + std::to_string(counts[k]) +
                   " (" + Share(counts[k], lettered) + ")";
    report.Summary = std::to_string(questions.size()) + " questões (certas: " + balance + "), " +
                     std::to_string(phrases.size()) + " pares de frases; " +
                     std::to_string(findings.size()) +
                     (findings.size() == 1 ? " achado" : " achados");
    return report;
}
