// The Aiken and GIFT readers and writers, without a table: what they read,
// what they refuse and by which line, and that the export writes nothing a
// format cannot carry back.
#include "tools/dbadmin/bank_question.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Messages(const std::vector<TLineProblem>& problems) {
    std::vector<std::string> out;
    for (const TLineProblem& p : problems)
        out.push_back(std::to_string(p.Line) + ": " + p.Message);
    return out;
}

TBankQuestion Question(long codigo, std::string text, std::vector<std::string> options,
                       std::string correta) {
    TBankQuestion q;
    q.Codigo = codigo;
    q.Questao = std::move(text);
    q.Options = std::move(options);
    q.Correta = std::move(correta);
    return q;
}

} // namespace

TEST(BankFormats, FilesJoinedEndToEndLoseEveryByteOrderMarkAndExportTheSame) {
    const std::string joined =
        "\xEF\xBB\xBFQual?\nA. a\nB. b\nC. c\nANSWER: A\n\n"
        "\xEF\xBB\xBFOutra?\n\r \xEF\xBB\xBF\xEF\xBB\xBFsegunda linha\nA. Rio\nB. Sal\n"
        "C. Ilha\nANSWER: B\n";
    std::vector<TLineProblem> problems;
    std::vector<TBankQuestion> qs = ParseAiken(joined, problems);
    ASSERT_EQ(2u, qs.size());
    EXPECT_EQ("Outra?\nsegunda linha", qs[1].Questao);
    for (TBankFormat format : {TBankFormat::bfAiken, TBankFormat::bfGift}) {
        std::vector<std::string> refused;
        std::string written = WriteBank({qs[1]}, format, refused);
        EXPECT_TRUE(refused.empty()) << testing::PrintToString(refused);
        std::vector<TLineProblem> again;
        std::vector<TCsvRecord> back = ReadBank(written, format, again);
        ASSERT_EQ(1u, back.size());
        EXPECT_EQ(QuestionRecord(qs[1]).Fields, back[0].Fields);
    }
}

TEST(Aiken, ReadsBothOptionStylesMultiLineQuestionsAndCrlf) {
    std::vector<TLineProblem> problems;
    std::vector<TBankQuestion> qs =
        ParseAiken("\xEF\xBB\xBFQual é a capital?\r\nA) Rio\r\nB) Brasília\r\nC) Salvador\r\n"
                   "ANSWER: B\r\n\r\n\r\nLeia o texto:\n  Quanto é 2+2?  \nA. 3\nB. 4\nC.\n"
                   "answer:   a\n",
                   problems);
    EXPECT_TRUE(problems.empty()) << testing::PrintToString(Messages(problems));
    ASSERT_EQ(2u, qs.size());
    EXPECT_EQ("Qual é a capital?", qs[0].Questao);
    EXPECT_EQ((std::vector<std::string>{"Rio", "Brasília", "Salvador"}), qs[0].Options);
    EXPECT_EQ("B", qs[0].Correta);
    EXPECT_EQ(1, qs[0].Line);
    EXPECT_EQ(5, qs[0].CorretaLine);
    EXPECT_EQ("Leia o texto:\nQuanto é 2+2?", qs[1].Questao);
    EXPECT_EQ((std::vector<std::string>{"3", "4", ""}), qs[1].Options);
    EXPECT_EQ((std::vector<int>{10, 11, 12}), qs[1].OptionLines);
    EXPECT_EQ("A", qs[1].Correta);
    EXPECT_EQ(8, qs[1].Line);
}

TEST(Aiken, StructuralFaultsAreNamedByTheirLines) {
    std::vector<TLineProblem> problems;
    std::vector<TBankQuestion> qs = ParseAiken("Sem resposta\nA. a\nB. b\nC. c\n\n"
                                               "Fora de ordem\nA. a\nC. c\nB. b\nANSWER: A\n\n"
                                               "ANSWER: A\n\n"
                                               "Boa\nA. a\nB. b\nC. c\nANSWER: C\n",
                                               problems);
    EXPECT_EQ((std::vector<std::string>{
                  "1: falta a linha ANSWER depois das alternativas",
                  "8: alternativa C fora de ordem; esperada B",
                  "12: linha ANSWER sem alternativas antes dela",
              }),
              Messages(problems));
    ASSERT_EQ(1u, qs.size());
    EXPECT_EQ("Boa", qs[0].Questao);
}

TEST(Aiken, ShapeCheckRefusesWhatTheTableCannotHold) {
    std::vector<TLineProblem> problems;
    for (const TBankQuestion& q : ParseAiken("Quatro\nA. a\nB. b\nC. c\nD. d\nANSWER: A\n\n"
                                             "Letra D\nA. a\nB. b\nC. c\nANSWER: D\n\n"
                                             "A. sem pergunta\nB. b\nC. c\nANSWER: A\n\n"
                                             "Sem letra\nA. a\nB. b\nC. c\nANSWER:\n",
                                             problems))
        CheckShape(q, problems);
    EXPECT_EQ((std::vector<std::string>{
                  "1: 4 alternativas; a tabela guarda exatamente 3 (A, B e C)",
                  "12: a resposta \"D\" não nomeia nenhuma alternativa (A, B ou C)",
                  "14: a pergunta está vazia",
                  "23: falta a resposta certa",
              }),
              Messages(problems));
}

TEST(Gift, ReadsTitlesEscapesFeedbackCommentsAndCategories) {
    std::vector<TLineProblem> problems;
    std::vector<TBankQuestion> qs =
        ParseGift("// comentário\n$CATEGORY: $course$/Geografia\n\n"
                  "::Capital\\: Brasil:: [html]Qual é a capital \\{oficial\\}?{\n"
                  "  ~Rio#não\n"
                  "  =Brasília # isso\n"
                  "  ~%-50%Salvador\n"
                  "####Geral\n}\n\n"
                  "// outro\n"
                  "Custa R\\$ 5 \\= 2\\~3 \\#1\\\\x\\nfim {~%0%a =%100%b ~c}\n\n"
                  "O Sol é uma {~planeta =estrela ~lua} do sistema solar.\n\n"
                  "{~a =b ~c} abre a frase.\n",
                  problems);
    EXPECT_TRUE(problems.empty()) << testing::PrintToString(Messages(problems));
    ASSERT_EQ(4u, qs.size());
    EXPECT_EQ("Qual é a capital {oficial}?", qs[0].Questao);
    EXPECT_EQ((std::vector<std::string>{"Rio", "Brasília", "Salvador"}), qs[0].Options);
    EXPECT_EQ("B", qs[0].Correta);
    EXPECT_EQ(4, qs[0].Line);
    EXPECT_EQ((std::vector<int>{5, 6, 7}), qs[0].OptionLines);
    EXPECT_EQ(6, qs[0].CorretaLine);
    EXPECT_EQ("Custa R\\$ 5 = 2~3 #1\\x\nfim", qs[1].Questao);
    EXPECT_EQ(12, qs[1].Line);
    EXPECT_EQ("B", qs[1].Correta);
    EXPECT_EQ("O Sol é uma _____ do sistema solar.", qs[2].Questao);
    EXPECT_EQ("_____ abre a frase.", qs[3].Questao);
    EXPECT_EQ("B", qs[2].Correta);
}

TEST(Gift, HtmlQuestionsAreKeptAsTheTextAReaderSees) {
    std::vector<TLineProblem> problems;
    std::vector<TBankQuestion> qs =
        ParseGift("// question: 12  name: Capital\n"
                  "::Capital::[html]<p>Qual é a <b>capital</b>?</p><p>Escolha\\: uma&nbsp;só.<br/>"
                  "Fim &amp; &lt;ok&gt; &#233;&#xE7;</p>{\n"
                  "\t~<p>Rio</p>\n\t=<p>Bras&iacute;lia</p>\n\t~<p>5 &gt; 3</p>\n}\n\n"
                  "[plain]<p>fica</p> {=a ~b ~c}\n",
                  problems);
    EXPECT_TRUE(problems.empty()) << testing::PrintToString(Messages(problems));
    ASSERT_EQ(2u, qs.size());
    EXPECT_EQ("Qual é a capital?\nEscolha: uma só.\nFim & <ok> éç", qs[0].Questao);
    EXPECT_EQ((std::vector<std::string>{"Rio", "Brasília", "5 > 3"}), qs[0].Options);
    EXPECT_EQ("<p>fica</p>", qs[1].Questao);
}

struct TRefusedGift {
    const char* Name;
    const char* Text;
    int Line;
    const char* Why;
};

class GiftRefusal : public testing::TestWithParam<TRefusedGift> {};

TEST_P(GiftRefusal, OtherQuestionTypesAreRefusedByLine) {
    std::vector<TLineProblem> problems;
    std::string text = std::string("Boa {=a ~b ~c}\n\n// nota\n") + GetParam().Text;
    std::vector<TBankQuestion> qs = ParseGift(text, problems);
    ASSERT_EQ(1u, problems.size()) << testing::PrintToString(Messages(problems));
    EXPECT_EQ(GetParam().Line, problems[0].Line);
    EXPECT_NE(std::string::npos, problems[0].Message.find(GetParam().Why)) << problems[0].Message;
    ASSERT_EQ(1u, qs.size());
    EXPECT_EQ("Boa", qs[0].Questao);
}

INSTANTIATE_TEST_SUITE_P(
    Types, GiftRefusal,
    testing::Values(
        TRefusedGift{"TrueFalse", "::V:: O Sol é uma estrela.\n{T}", 5, "verdadeiro ou falso"},
        TRefusedGift{"FalseWithFeedback", "O Sol é um planeta. {FALSE#certo#errado}", 4,
                     "verdadeiro ou falso"},
        TRefusedGift{"ShortAnswer", "Quem? {=Cabral =Pedro Álvares Cabral}", 4, "resposta curta"},
        TRefusedGift{"Matching", "Ligue {=a -> 1 =b -> 2 =c -> 3}", 4, "associação"},
        TRefusedGift{"Numerical", "Ano? {#1500:2}", 4, "numérica"},
        TRefusedGift{"Essay", "Escreva sobre o Brasil. {\n}", 4, "dissertativa"},
        TRefusedGift{"Description", "Só um texto, sem respostas.", 4, "sem bloco de respostas"},
        TRefusedGift{"PartialCredit", "Quais?\n{~%50%a\n~%50%b\n~c}", 5, "peso parcial"},
        TRefusedGift{"TwoRight", "Quais? {=a =b ~c}", 4, "2 respostas certas"},
        TRefusedGift{"NoRight", "Quais? {~a ~b ~c}", 4, "0 respostas certas"},
        TRefusedGift{"Unclosed", "Quais? {=a ~b ~c", 4, "sem o }"}),
    [](const testing::TestParamInfo<TRefusedGift>& info) { return info.param.Name; });

TEST(WriteBank, EveryFormatReadsBackWhatItWrote) {
    std::vector<TBankQuestion> bank = {
        Question(1, "Ação: 50% {de} ~ = # \\ [ok]", {"éÉçÇ", "a = b", "{x} ~y #z :w"}, "B"),
        Question(7, "Primeira linha\nSegunda: linha", {"", "dois", "três"}, "C"),
        Question(9, "[html]<b>não</b> é marcação", {"->", "%50%", "//"}, "A"),
    };
    for (TBankFormat format : {TBankFormat::bfAiken, TBankFormat::bfGift}) {
        std::vector<std::string> problems;
        std::string text = WriteBank(bank, format, problems);
        ASSERT_TRUE(problems.empty()) << testing::PrintToString(problems);
        std::vector<TLineProblem> read;
        std::vector<TCsvRecord> records = ReadBank(text, format, read);
        ASSERT_TRUE(read.empty()) << testing::PrintToString(Messages(read)) << text;
        ASSERT_EQ(bank.size(), records.size()) << text;
        for (size_t i = 0; i < bank.size(); ++i) {
            EXPECT_EQ(bank[i].Questao, records[i].Fields[0]) << text;
            for (size_t k = 0; k < 3; ++k)
                EXPECT_EQ(bank[i].Options[k], records[i].Fields[k + 1]) << text;
            EXPECT_EQ(bank[i].Correta, records[i].Fields[4]);
            EXPECT_EQ("N", records[i].Fields[5]);
        }
    }
}

TEST(WriteBank, LineBreaksInAlternativesTravelInGiftOnly) {
    std::vector<TBankQuestion> bank = {Question(3, "Q", {"um\ndois", "b", "c"}, "A")};
    std::vector<std::string> problems;
    EXPECT_FALSE(WriteBank(bank, TBankFormat::bfGift, problems).empty());
    EXPECT_TRUE(problems.empty());
    EXPECT_TRUE(WriteBank(bank, TBankFormat::bfAiken, problems).empty());
    EXPECT_EQ(
        (std::vector<std::string>{
            "Codigo 3: Resp_A tem quebra de linha, que o formato Aiken só guarda na pergunta"}),
        problems);
}

TEST(WriteBank, WritesNothingWhenAQuestionWouldNotComeBack) {
    std::vector<TBankQuestion> bank = {
        Question(1, "Boa", {"a", "b", "c"}, "A"),
        Question(2, "Letra", {"a", "b", "c"}, "D"),
        Question(3, "  Espaço", {"a", "b", "c"}, "A"),
        Question(4, "", {"a", "b", "c"}, "A"),
        Question(5, "Aiken lê isto\nA. como alternativa", {"a", "b", "c"}, "A"),
    };
    std::vector<std::string> problems;
    EXPECT_TRUE(WriteBank(bank, TBankFormat::bfAiken, problems).empty());
    EXPECT_EQ((std::vector<std::string>{
                  "Codigo 2: Correta \"D\" não é A, B nem C",
                  "Codigo 3: Questao começa ou termina com espaço ou quebra de linha, que o "
                  "formato não guarda",
                  "Codigo 4: Questao está vazia",
                  "Codigo 5: o formato não guarda esta questão como está",
              }),
              problems);
    problems.clear();
    EXPECT_TRUE(WriteBank(bank, TBankFormat::bfGift, problems).empty());
    EXPECT_EQ(3u, problems.size()) << testing::PrintToString(problems);
}
