// The content checks of dbadmin lint on banks built in memory, and the
// command over the engine.
#include "tools/dbadmin/lint.h"

#include "tools/dbadmin/tests/db_admin_fixture.h"

#include <algorithm>
#include <random>
#include <set>

namespace {

TLintQuestion Q(long codigo, std::string text, std::string a = "um", std::string b = "dois",
                std::string c = "três", std::string correta = "A") {
    return {
        codigo, std::move(text), {std::move(a), std::move(b), std::move(c)}, std::move(correta)};
}

// A bank of questions no two of which are alike, with the right letters
// spread evenly.
std::vector<TLintQuestion> DistinctBank(size_t size, std::mt19937& random) {
    std::vector<TLintQuestion> bank;
    std::uniform_int_distribution<int> letter('a', 'z');
    std::uniform_int_distribution<int> length(3, 9);
    std::uniform_int_distribution<int> words(9, 15);
    for (size_t i = 0; i < size; ++i) {
        std::string text = "Qual é a";
        for (int w = words(random); w > 0; --w) {
            text += ' ';
            for (int n = length(random); n > 0; --n)
                text += char(letter(random));
        }
        bank.push_back(
            Q(long(i + 1), text + "?", "um", "dois", "três", std::string(1, char('A' + i % 3))));
    }
    return bank;
}

} // namespace

TEST(Lint, NearDuplicateQuestionsAreNamedByTheirCodes) {
    std::vector<TLintQuestion> bank = {
        Q(1, "Qual é a capital do Brasil?"),
        Q(2, "qual e a CAPITAL do brasil"),
        Q(3, "Qual  é a capital, do Brasil ?!"),
        Q(10, "Em que ano o Brasil foi descoberto pelos navegadores portugueses da esquadra?"),
        Q(11, "Em que ano o Brasil foi achado pelos navegadores portugueses da esquadra?"),
        // Two words of twelve changed: not alike enough.
        Q(20, "Quantos estados tem a região Nordeste do Brasil segundo o IBGE hoje?"),
        Q(21, "Quantos estados tem a região Sudeste do Brasil segundo o censo hoje?"),
        // One word more: 11 of 12 in common.
        Q(30, "Quem escreveu o romance Dom Casmurro publicado em mil oitocentos noventa"),
        Q(31, "Quem escreveu o famoso romance Dom Casmurro publicado em mil oitocentos noventa"),
    };
    TLintReport report = LintBank(bank, {});
    EXPECT_EQ((std::vector<std::string>{
                  "Codigo 1, 2 e 3: a mesma pergunta, fora maiúsculas, acentos, pontuação e "
                  "espaços",
                  "Codigo 10 e 11: perguntas parecidas (91% das palavras em comum)",
                  "Codigo 30 e 31: perguntas parecidas (91% das palavras em comum)",
              }),
              std::vector<std::string>(report.Findings.begin(), report.Findings.end() - 1));
    EXPECT_TRUE(Contains(report.Findings.back(), "a letra A é a certa")) << report.Findings.back();
}

TEST(Lint, AlternativesAndAnswerLettersOfEachQuestion) {
    std::vector<TLintQuestion> bank = {
        Q(1, "Um", "Sim", "Não", "Sim", "A"),    Q(2, "Dois", "a", " ", "c", "B"),
        Q(3, "Três", "a", "b", "c", "D"),        Q(4, "Quatro", "x  y", "x y ", "z", ""),
        Q(5, "Cinco", "Pôr", "por", "Por", "C"), Q(6, "Seis", "a", "b", "c", "B"),
    };
    TLintReport report = LintBank(bank, {});
    EXPECT_EQ((std::vector<std::string>{
                  "Codigo 1: Resp_A e Resp_C iguais",
                  "Codigo 2: Resp_B vazia",
                  "Codigo 3: Correta \"D\" não é A, B nem C",
                  "Codigo 4: Resp_A e Resp_B iguais",
                  "Codigo 4: Correta vazia",
              }),
              report.Findings);
    EXPECT_EQ("6 questões (certas: A 1 (25,0%), B 2 (50,0%), C 1 (25,0%)), 0 pares de frases; "
              "5 achados",
              report.Summary);
}

TEST(Lint, LetterBalanceCountsSharesAndWarnsPastHalf) {
    std::mt19937 random(7);
    std::vector<TLintQuestion> bank = DistinctBank(40, random);
    for (size_t i = 0; i < bank.size(); ++i)
        bank[i].Correta = i < 21 ? "C" : i < 31 ? "A" : "B";
    TLintReport report = LintBank(bank, {});
    EXPECT_EQ((std::vector<std::string>{
                  "a letra C é a certa em 21 de 40 questões (52,5%), mais da metade"}),
              report.Findings);
    EXPECT_EQ("40 questões (certas: A 10 (25,0%), B 9 (22,5%), C 21 (52,5%)), 0 pares de frases; "
              "1 achado",
              report.Summary);
    bank[0].Correta = "A";
    EXPECT_TRUE(LintBank(bank, {}).Findings.empty()) << "20 of 40 is not more than half";
}

TEST(Lint, PhrasePairsThatAreTheSameOrRepeated) {
    std::vector<TLintPhrase> phrases = {
        {1, "O céu é azul", "O céu é verde"},  {2, "Água", "Água "},
        {3, "O céu é azul", "O céu é verde"},  {4, "Pôr", "Por"},
        {5, "O céu é azul", "O céu  é verde"}, {6, "Sol", "Lua"},
    };
    TLintReport report = LintBank({}, phrases);
    EXPECT_EQ((std::vector<std::string>{
                  "FRASES.DB registro 2: Correta e Errada iguais",
                  "FRASES.DB registros 1, 3 e 5: o mesmo par de frases repetido",
              }),
              report.Findings);
}

TEST(Lint, PlantedNearDuplicatesAreAllFoundInALargeBank) {
    std::mt19937 random(2026);
    std::vector<TLintQuestion> bank = DistinctBank(100000, random);
    std::set<std::string> planted;
    std::uniform_int_distribution<size_t> pick(0, 99999);
    std::set<size_t> used;
    for (int k = 0; k < 100; ++k) {
        size_t source;
        do
            source = pick(random);
        while (!used.insert(source).second);
        TLintQuestion copy = bank[source];
        copy.Codigo = long(bank.size() + 1);
        std::string& text = copy.Questao;
        if (k % 2) {
            // Case, accents and punctuation.
            text.replace(0, 8, "QUAL E A");
            text.insert(text.find(' ', 10), ",");
        } else {
            // One word changed: the last before the question mark.
            text.insert(text.rfind(' ') + 1, "x");
        }
        planted.insert("Codigo " + std::to_string(bank[source].Codigo) + " e " +
                       std::to_string(copy.Codigo) + ":");
        bank.push_back(copy);
    }
    TLintReport report = LintBank(bank, {});
    std::set<std::string> found;
    for (const std::string& f : report.Findings)
        found.insert(f.substr(0, f.find(':') + 1));
    EXPECT_EQ(planted, found);
}

TEST_F(DbAdminTest, LintReadsTheTablesAndExitsByWhatItFound) {
    ASSERT_EQ(0, Run({"create"}).Status);
    ASSERT_EQ(0, Run({"load", "QUESTOES",
                      Write("q.csv", "1,Qual é a cor do céu?,Azul,Verde,Azul,A,N\n"
                                     "2,QUAL E A COR DO CEU,Azul,Verde,Cinza,B,N\n"
                                     "3,Quanto é 2+2?,3,4,5,C,N\n")
                          .string()})
                     .Status);
    ASSERT_EQ(0, Run({"load", "FRASES", Write("f.csv", "Sol,Sol\nLua,Luar\n").string()}).Status);
    TResult r = Run({"lint"});
    EXPECT_EQ(1, r.Status) << r.Err;
    EXPECT_EQ("Codigo 1 e 2: a mesma pergunta, fora maiúsculas, acentos, pontuação e espaços\n"
              "Codigo 1: Resp_A e Resp_C iguais\n"
              "FRASES.DB registro 1: Correta e Errada iguais\n"
              "3 questões (certas: A 1 (33,3%), B 1 (33,3%), C 1 (33,3%)), 2 pares de frases; "
              "3 achados\n",
              r.Out);
    EXPECT_EQ("", r.Err);
    fs::remove(data_ / "FRASES.DB");
    r = Run({"lint"});
    EXPECT_EQ(2, r.Status);
    EXPECT_TRUE(Contains(r.Err, "FRASES.DB")) << r.Err;
    EXPECT_EQ(2, Run({"lint", "demais"}).Status);
}
