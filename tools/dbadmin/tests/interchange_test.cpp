// dbadmin import and export through the engine: round trips in every
// format, whole files refused by their lines with nothing stored, the
// format chosen by extension or option, and files never left half written.
#include "tools/dbadmin/tests/db_admin_fixture.h"

#include <sys/wait.h>

namespace {

// A bank with the texts the formats must escape or carry: accents, the
// GIFT special characters, line breaks, an empty alternative.
const char* const kBank =
    "Codigo,Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\n"
    "1,\"Ação: qual é {a} ~ = # \\ certa?\",Maçã,\"a = b, {c}\",\"~x #y :z\",B,N\n"
    "2,\"Leia:\nQuanto é 2+2?\",3,4,,B,N\n"
    "3,\"[html] não é marcação\",\"%50% dos votos\",Água,Ônibus,A,N\n"
    "4,Pergunta simples,a,b,c,C,N\n";

// The bank's alternatives with line breaks, which only GIFT and CSV carry.
const char* const kBreaks = "5,Quebras,\"um\ndois\",\"três\r\nquatro\",cinco,A,N\n";

struct TRoundTrip {
    const char* Name;
    const char* File;
    bool WithBreaks;
};

class DbAdminRoundTrip : public DbAdminTest, public testing::WithParamInterface<TRoundTrip> {};

} // namespace

TEST_P(DbAdminRoundTrip, ExportThenImportIntoAnEmptyBankGivesTheSameRecords) {
    ASSERT_EQ(0, Run({"create"}).Status);
    std::string bank = std::string(kBank) + (GetParam().WithBreaks ? kBreaks : "");
    TResult r = Run({"load", "QUESTOES", Write("bank.csv", bank).string()});
    ASSERT_EQ(0, r.Status) << r.Err;
    fs::path file = root_ / GetParam().File;
    r = Run({"export", file.string()});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_TRUE(Contains(r.Out, GetParam().WithBreaks ? "5 registros exportados"
                                                      : "4 registros exportados"))
        << r.Out;

    fs::path other = root_ / "outro";
    ASSERT_EQ(0, Run({"--dir", other.string(), "create"}).Status);
    r = Run({"--dir", other.string(), "import", file.string()});
    ASSERT_EQ(0, r.Status) << r.Err << Read(file);
    EXPECT_EQ(Run({"dump", "QUESTOES"}).Out, Run({"--dir", other.string(), "dump", "QUESTOES"}).Out)
        << Read(file);
}

INSTANTIATE_TEST_SUITE_P(Formats, DbAdminRoundTrip,
                         testing::Values(TRoundTrip{"Aiken", "banco.txt", false},
                                         TRoundTrip{"Gift", "banco.gift", true},
                                         TRoundTrip{"Csv", "banco.CSV", true}),
                         [](const testing::TestParamInfo<TRoundTrip>& info) {
                             return info.param.Name;
                         });

namespace {

struct TBadAiken {
    const char* Name;
    std::string Text;
    const char* Problem;
};

const std::string kGoodAiken = "Boa?\nA. a\nB. b\nC. c\nANSWER: A\n\n";

class DbAdminBadAiken : public DbAdminTest, public testing::WithParamInterface<TBadAiken> {};

} // namespace

TEST_P(DbAdminBadAiken, OneBadQuestionRefusesTheWholeFileByItsLine) {
    ASSERT_EQ(0, Run({"create"}).Status);
    fs::path file = Write("banco.txt", kGoodAiken + GetParam().Text + "\n" + kGoodAiken);
    TResult r = Run({"import", file.string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "nenhum registro foi carregado")) << r.Err;
    EXPECT_TRUE(Contains(r.Err, GetParam().Problem)) << r.Err;
    EXPECT_EQ(1, std::count(r.Err.begin(), r.Err.end(), '\n') - 1) << r.Err;
    EXPECT_EQ("Codigo,Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\r\n",
              Run({"dump", "QUESTOES"}).Out);
}

INSTANTIATE_TEST_SUITE_P(
    Questions, DbAdminBadAiken,
    testing::Values(TBadAiken{"FourOptions", "Quatro?\nA. a\nB. b\nC. c\nD. d\nANSWER: A\n",
                              "linha 7: 4 alternativas; a tabela guarda exatamente 3"},
                    TBadAiken{"AnswerD", "Letra?\nA. a\nB. b\nC. c\nANSWER: D\n",
                              "linha 11: a resposta \"D\" não nomeia nenhuma alternativa"},
                    TBadAiken{"LongQuestion",
                              std::string(251, 'x') + "\nA. a\nB. b\nC. c\nANSWER: B\n",
                              "linha 7: campo Questao: 251 caracteres; o máximo é 250"},
                    TBadAiken{"LongAccentedOption",
                              "Q?\nA. a\nB. b\nC. " +
                                  [] {
                                      std::string s;
                                      for (int i = 0; i < 251; ++i)
                                          s += "é";
                                      return s;
                                  }() +
                                  "\nANSWER: B\n",
                              "linha 10: campo Resp_C: 251 caracteres; o máximo é 250"},
                    TBadAiken{"NotUtf8", "Q?\nA. a\xff\nB. b\nC. c\nANSWER: B\n",
                              "linha 8: campo Resp_A: o texto não está em UTF-8"}),
    [](const testing::TestParamInfo<TBadAiken>& info) { return info.param.Name; });

TEST_F(DbAdminTest, ImportTakesBothOptionStylesAndMarksQuestionsAsSaved) {
    ASSERT_EQ(0, Run({"create"}).Status);
    ASSERT_EQ(0, Run({"load", "QUESTOES", Write("a.csv", "9,Antes,a,b,c,A,\n").string()}).Status);
    fs::path file = Write("banco.aiken", "Ponto?\nA. um\nB. dois\nC. três\nANSWER: C\n\n"
                                         "Parêntese?\nA) um\nB) dois\nC) três\nANSWER: A\n");
    TResult r = Run({"import", "--format", "aiken", file.string()});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_EQ("2 registros importados em QUESTOES.DB\n", r.Out);
    EXPECT_EQ("Codigo,Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\r\n"
              "9,Antes,a,b,c,A,\r\n"
              "10,Ponto?,um,dois,três,C,N\r\n"
              "11,Parêntese?,um,dois,três,A,N\r\n",
              Run({"dump", "QUESTOES"}).Out);
}

TEST_F(DbAdminTest, GiftTrueFalseQuestionRefusesTheFileByItsLine) {
    ASSERT_EQ(0, Run({"create"}).Status);
    fs::path file = Write("banco.gift", "::a:: Boa? {=a ~b ~c}\n\n"
                                        "// verdadeiro ou falso\n"
                                        "::b:: A Terra é redonda.\n{TRUE}\n\n"
                                        "::c:: Outra? {~a =b ~c}\n");
    TResult r = Run({"import", file.string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "linha 5: questão de verdadeiro ou falso")) << r.Err;
    EXPECT_TRUE(Contains(Run({"list"}).Out, "QUESTOES.DB\t0 registros")) << r.Err;
}

TEST_F(DbAdminTest, CsvImportRefusesEmptyQuestionsAndPhrasesTakeCsvOnly) {
    ASSERT_EQ(0, Run({"create"}).Status);
    TResult r = Run({"import", Write("q.csv", ",Boa,a,b,c,A,\n,  ,a,b,c,A,\n").string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "linha 2: campo Questao: a pergunta está vazia")) << r.Err;
    // load keeps taking what the window could hold.
    EXPECT_EQ(0, Run({"load", "QUESTOES", (root_ / "q.csv").string()}).Status);

    r = Run({"import", "--table", "FRASES", Write("f.csv", "Correta,Errada\nÉ,E\n").string()});
    ASSERT_EQ(0, r.Status) << r.Err;
    fs::path out = root_ / "frases.dat";
    r = Run({"export", "--table", "frases.db", "--format", "csv", out.string()});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_EQ("Correta,Errada\r\nÉ,E\r\n", Read(out));

    r = Run({"export", "--table", "FRASES", (root_ / "f.gift").string()});
    EXPECT_EQ(2, r.Status);
    EXPECT_TRUE(Contains(r.Err, "a tabela FRASES.DB só tem o formato CSV")) << r.Err;
    r = Run({"import", (root_ / "banco.doc").string()});
    EXPECT_EQ(2, r.Status);
    EXPECT_TRUE(Contains(r.Err, "formato desconhecido")) << r.Err;
    EXPECT_EQ(2, Run({"import"}).Status);
    EXPECT_EQ(2, Run({"import", (root_ / "sem-extensao").string()}).Status);
    EXPECT_EQ(2, Run({"export", "--format", "xml", "a.xml"}).Status);
    EXPECT_EQ(2, Run({"import", "a.txt", "b.txt"}).Status);
}

TEST_F(DbAdminTest, ExportThatCannotCarryABankWritesNoFile) {
    ASSERT_EQ(0, Run({"create"}).Status);
    ASSERT_EQ(0, Run({"load", "QUESTOES", Write("b.csv", kBreaks).string()}).Status);
    fs::path file = root_ / "banco.txt";
    std::ofstream(file) << "antigo";
    TResult r = Run({"export", file.string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "nada foi exportado")) << r.Err;
    EXPECT_TRUE(Contains(r.Err, "Codigo 5: Resp_A tem quebra de linha")) << r.Err;
    EXPECT_EQ("antigo", Read(file));

    r = Run({"export", (root_ / "sem-pasta" / "banco.gift").string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "não foi possível gravar o arquivo")) << r.Err;
    EXPECT_FALSE(fs::exists(root_ / "sem-pasta"));
}

TEST_F(DbAdminTest, ProgramImportsExportsAndLintsWithItsExitStatus) {
    auto run = [&](const std::string& args) {
        std::string cmd = std::string(DBADMIN_PATH) + " --dir '" + (root_ / "db").string() + "' " +
                          args + " >'" + (root_ / "out.txt").string() + "' 2>&1";
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(2, run("lint"));
    ASSERT_EQ(0, run("create"));
    EXPECT_EQ(0, run("lint"));
    EXPECT_EQ("0 questões (certas: A 0 (0,0%), B 0 (0,0%), C 0 (0,0%)), 0 pares de frases; "
              "0 achados\n",
              Read(root_ / "out.txt"));
    fs::path gift = Write("b.gift", "Um? {=a ~b ~c}\n\nDois? {~a =b ~c}\n\nTrês? {~a ~b =c}\n");
    ASSERT_EQ(0, run("import '" + gift.string() + "'"));
    EXPECT_EQ(0, run("lint"));
    EXPECT_EQ(0, run("export '" + (root_ / "c.txt").string() + "'"));
    EXPECT_EQ("Um?\nA. a\nB. b\nC. c\nANSWER: A\n\n"
              "Dois?\nA. a\nB. b\nC. c\nANSWER: B\n\n"
              "Três?\nA. a\nB. b\nC. c\nANSWER: C\n\n",
              Read(root_ / "c.txt"));
    ASSERT_EQ(0, run("import '" + gift.string() + "'"));
    EXPECT_EQ(1, run("lint"));
    EXPECT_EQ(1, run("import '" + Write("bad.gift", "V? {T}\n").string() + "'"));
}
