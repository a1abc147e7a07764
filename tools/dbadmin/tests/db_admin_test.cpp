// dbadmin end to end: create, list, dump, load, check, in a private folder
// reached through a private alias configuration.
#include "tools/dbadmin/tests/db_admin_fixture.h"

#include "store/engine/dbengine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

TEST_F(DbAdminTest, CreateListLoadDumpAndCheck) {
    TResult r = Run({"create"});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_TRUE(fs::exists(data_ / "QUESTOES.DB"));
    EXPECT_TRUE(fs::exists(data_ / "FRASES.DB"));

    r = Run({"list"});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_EQ("FRASES.DB\t0 registros\nQUESTOES.DB\t0 registros\n", r.Out);

    fs::path questions = Write("q.csv", "Codigo,Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\n"
                                        ",\"Quanto é 2+2, afinal?\",3,4,5,B,N\n"
                                        ",\"Diga \"\"olá\"\"\",\"linha\num\",b,c,A,\n");
    r = Run({"load", "QUESTOES.DB", questions.string()});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_EQ("2 registros carregados em QUESTOES.DB\n", r.Out);

    r = Run({"dump", "questoes"});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_EQ("Codigo,Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\r\n"
              "1,\"Quanto é 2+2, afinal?\",3,4,5,B,N\r\n"
              "2,\"Diga \"\"olá\"\"\",\"linha\num\",b,c,A,\r\n",
              r.Out);

    // A dump loads back into a fresh folder unchanged (keys included).
    fs::path dump = Write("dump.csv", r.Out);
    fs::path other = root_ / "outra";
    ASSERT_EQ(0, Run({"--dir", other.string(), "create"}).Status);
    r = Run({"--dir", other.string(), "load", "QUESTOES.DB", dump.string()});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_EQ(Run({"dump", "QUESTOES.DB"}).Out,
              Run({"--dir", other.string(), "dump", "QUESTOES.DB"}).Out);

    fs::path phrases = Write("f.csv", "O céu é azul,O céu é verde\r\nÁgua molha,Água seca\r\n");
    r = Run({"load", "FRASES.DB", phrases.string()});
    ASSERT_EQ(0, r.Status) << r.Err;
    r = Run({"list"});
    EXPECT_EQ("FRASES.DB\t2 registros\nQUESTOES.DB\t2 registros\n", r.Out);
    r = Run({"dump", "FRASES.DB"});
    EXPECT_EQ("Correta,Errada\r\nO céu é azul,O céu é verde\r\nÁgua molha,Água seca\r\n", r.Out);

    r = Run({"check"});
    EXPECT_EQ(0, r.Status) << r.Err;
    EXPECT_EQ("FRASES.DB: ok\nQUESTOES.DB: ok\n", r.Out);
}

TEST_F(DbAdminTest, CreateNeverOverwritesATable) {
    ASSERT_EQ(0, Run({"create"}).Status);
    fs::path q = Write("q.csv", ",Pergunta,a,b,c,A,N\n");
    ASSERT_EQ(0, Run({"load", "QUESTOES.DB", q.string()}).Status);
    TResult r = Run({"create"});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "QUESTOES.DB já existe")) << r.Err;
    EXPECT_TRUE(Contains(r.Err, "nada foi sobrescrito")) << r.Err;
    fs::remove(data_ / "FRASES.DB");
    r = Run({"create", "--missing"});
    EXPECT_EQ(0, r.Status) << r.Err;
    EXPECT_TRUE(Contains(r.Out, "FRASES.DB criada")) << r.Out;
    EXPECT_TRUE(Contains(Run({"list"}).Out, "QUESTOES.DB\t1 registro\n"));
}

TEST_F(DbAdminTest, BadCsvLoadsNothingAndNamesEveryBadLine) {
    ASSERT_EQ(0, Run({"create"}).Status);
    std::string longText(251, 'x');
    fs::path q = Write("bad.csv", "Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\n"
                                  "Boa,a,b,c,A,N\n"
                                  "Poucos campos,a,b\n"
                                  "Letra errada,a,b,c,D,N\n" +
                                      longText +
                                      ",a,b,c,C,N\n"
                                      "Aspas \"soltas\",a,b,c,A,N\n"
                                      "Também boa,a,b,c,B,N\n");
    TResult r = Run({"load", "QUESTOES.DB", q.string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "nenhum registro foi carregado")) << r.Err;
    for (const char* line : {"linha 3:", "linha 4:", "linha 5:", "linha 6:"})
        EXPECT_TRUE(Contains(r.Err, line)) << line << "\n" << r.Err;
    EXPECT_FALSE(Contains(r.Err, "linha 2:")) << r.Err;
    EXPECT_FALSE(Contains(r.Err, "linha 7:")) << r.Err;
    EXPECT_TRUE(Contains(r.Err, "deve ser A, B ou C")) << r.Err;
    EXPECT_TRUE(Contains(r.Err, "251 caracteres; o máximo é 250")) << r.Err;
    EXPECT_TRUE(Contains(Run({"list"}).Out, "QUESTOES.DB\t0 registros"));
}

// Texts that are not UTF-8 are named by their line, whatever way they are
// malformed: a stray byte, a cut sequence, an overlong form, a surrogate.
class DbAdminNotUtf8Test : public DbAdminTest, public testing::WithParamInterface<const char*> {};

TEST_P(DbAdminNotUtf8Test, TextThatIsNotUtf8LoadsNothing) {
    ASSERT_EQ(0, Run({"create"}).Status);
    fs::path f = Write("f.csv", std::string("Boa,Errada\n") + GetParam() + ",Errada\n");
    TResult r = Run({"load", "FRASES.DB", f.string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "linha 2:")) << r.Err;
    EXPECT_TRUE(Contains(r.Err, "não está em UTF-8")) << r.Err;
    EXPECT_TRUE(Contains(Run({"list"}).Out, "FRASES.DB\t0 registros"));
}

INSTANTIATE_TEST_SUITE_P(Forms, DbAdminNotUtf8Test,
                         testing::Values("a\xff", "a\xc3", "\xe0\x80\xaf", "\xed\xa0\x80",
                                         "\xf4\x90\x80\x80"));

TEST_F(DbAdminTest, KeyClashDuringLoadRollsBackEveryRow) {
    ASSERT_EQ(0, Run({"create"}).Status);
    ASSERT_EQ(0, Run({"load", "QUESTOES.DB", Write("a.csv", "5,Q,a,b,c,A,N\n").string()}).Status);
    TResult r = Run({"load", "QUESTOES.DB",
                     Write("b.csv", "1,Q1,a,b,c,A,N\n2,Q2,a,b,c,A,N\n5,Q5,a,b,c,A,N\n").string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "linha 3")) << r.Err;
    EXPECT_TRUE(Contains(r.Err, "Key violation")) << r.Err;
    EXPECT_TRUE(Contains(Run({"list"}).Out, "QUESTOES.DB\t1 registro\n"));
}

TEST_F(DbAdminTest, TablesAreProtectedByTheTablePassword) {
    ASSERT_EQ(0, Run({"create"}).Status);
    DbeEnv env = {};
    ASSERT_EQ(DBE_OK, DbeInitFn(DBE_INTERFACE_VERSION, &env));
    hDbeDb db = nullptr;
    ASSERT_EQ(DBE_OK, DbeOpenDatabase("Questoes", nullptr, dbeREADWRITE, dbeOPENSHARED, "", &db));
    hDbeCur cur = nullptr;
    for (const char* table : {"QUESTOES.DB", "FRASES.DB"})
        EXPECT_EQ(DBE_ERR_NOTSUFFTABLERIGHTS,
                  DbeOpenTable(db, table, "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1, &cur));
    ASSERT_EQ(DBE_OK, DbeAddPassword(kTablePassword));
    EXPECT_EQ(DBE_OK, DbeOpenTable(db, "QUESTOES.DB", "NATIVE", nullptr, dbeREADWRITE,
                                   dbeOPENSHARED, 1, &cur));
    DbeExit();
}

TEST_F(DbAdminTest, FailuresSayWhatAndExitNonZero) {
    TResult r = Run({"--alias", "Nenhum", "list"});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "Unknown database alias")) << r.Err;
    r = Run({"dump", "QUESTOES.DB"});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "Table does not exist")) << r.Err;
    EXPECT_EQ(2, Run({}).Status);
    EXPECT_EQ(2, Run({"frobnicate"}).Status);
    EXPECT_EQ(2, Run({"dump"}).Status);
    EXPECT_EQ(2, Run({"--dir"}).Status);
    ASSERT_EQ(0, Run({"create"}).Status);
    r = Run({"load", "FRASES.DB", (root_ / "missing.csv").string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "missing.csv")) << r.Err;
    // A damaged table fails the check.
    {
        std::fstream f(data_ / "FRASES.DB", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(0);
        f.write("garbage garbage garbage", 23);
    }
    r = Run({"check"});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Out, "FRASES.DB: com problemas")) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "QUESTOES.DB: ok")) << r.Out;
}

TEST_F(DbAdminTest, ProgramExitStatusFollowsTheOutcome) {
    auto run = [&](const std::string& args) {
        std::string cmd = std::string(DBADMIN_PATH) + " " + args + " >/dev/null 2>&1";
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    fs::path dir = root_ / "dir";
    EXPECT_EQ(0, run("--dir '" + dir.string() + "' create"));
    EXPECT_EQ(1, run("--dir '" + dir.string() + "' create"));
    EXPECT_EQ(0, run("--dir '" + dir.string() + "' check"));
    EXPECT_EQ(2, run("nothing"));
}

TEST_F(DbAdminTest, FirstRunMakesAliasAndTablesOnceAndKeepsThem) {
    std::ofstream(root_ / "config" / "questoes" / "dbengine.conf") << "[Aliases]\nOutro=/x";
    std::string cmd = std::string("'") + FIRST_RUN_SCRIPT + "' '" + BUILD_DIR + "' >/dev/null 2>&1";
    ASSERT_EQ(0, std::system(cmd.c_str()));
    std::ifstream in(root_ / "config" / "questoes" / "dbengine.conf");
    std::stringstream conf;
    conf << in.rdbuf();
    EXPECT_EQ("[Aliases]\nOutro=/x\nQuestoes=C:\\ZQ\\Questoes\\\n", conf.str());
    fs::path folder = root_ / "share" / "questoes" / "drive_c" / "ZQ" / "Questoes";
    ASSERT_TRUE(fs::exists(folder / "QUESTOES.DB"));
    ASSERT_TRUE(fs::exists(folder / "FRASES.DB"));
    ASSERT_EQ(0, Run({"load", "FRASES.DB", Write("f.csv", "Certa,Errada\n").string()}).Status);

    ASSERT_EQ(0, std::system(cmd.c_str()));
    std::ifstream again(root_ / "config" / "questoes" / "dbengine.conf");
    std::stringstream conf2;
    conf2 << again.rdbuf();
    EXPECT_EQ(conf.str(), conf2.str());
    EXPECT_TRUE(Contains(Run({"list"}).Out, "FRASES.DB\t1 registro\n"));
}

TEST_F(DbAdminTest, TextWithANulByteIsRefusedByItsLine) {
    ASSERT_EQ(0, Run({"create"}).Status);
    ASSERT_EQ(0, Run({"load", "FRASES.DB", Write("a.csv", "Antes,Depois\n").string()}).Status);
    std::string before = Run({"dump", "FRASES.DB"}).Out;
    std::string nul(1, '\0');
    fs::path f = Write("f.csv", "Boa,Errada\n"
                                "Cor" +
                                    nul +
                                    "tada,Errada\n"
                                    "Boa,\"Também" +
                                    nul + "\nna aspa\"\n");
    TResult r = Run({"load", "FRASES.DB", f.string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(
        Contains(r.Err, "linha 2: campo Correta: o texto contém um caractere nulo (byte 0)"))
        << r.Err;
    EXPECT_TRUE(Contains(r.Err, "linha 3: campo Errada: o texto contém um caractere nulo"))
        << r.Err;
    EXPECT_EQ(before, Run({"dump", "FRASES.DB"}).Out);

    fs::path q =
        Write("q.txt", "Pergunta" + nul + " cortada?\nA. um\nB. dois\nC. três\nANSWER: A\n");
    r = Run({"import", q.string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "linha 1: campo Questao: o texto contém um caractere nulo"))
        << r.Err;
    EXPECT_TRUE(Contains(Run({"list"}).Out, "QUESTOES.DB\t0 registros"));
}

// A large file is read, checked and stored in one pass: a fault at its very
// end still leaves the table exactly as it was, and each kind of fault is
// found however far into the file it lies.
TEST_F(DbAdminTest, FaultAtTheEndOfALargeFileLeavesTheTableAsItWas) {
    ASSERT_EQ(0, Run({"create"}).Status);
    ASSERT_EQ(
        0,
        Run({"load", "QUESTOES.DB", Write("a.csv", "90000,Antiga,a,b,c,A,N\n").string()}).Status);
    std::string before = Run({"dump", "QUESTOES.DB"}).Out;
    std::string good;
    // More keys than are held apart before they are merged into one run.
    for (int i = 1; i <= 70000; ++i)
        good += std::to_string(i) + ",\"Questão " + std::to_string(i) +
                ", com \"\"aspas\"\"\nem duas linhas\",a,b,c,B,N\n";
    const int last = 2 * 70000 + 1;
    struct TFault {
        const char* Line;
        const char* Message;
    } faults[] = {{"5,Repetida,a,b,c,A,N\n", "campo Codigo: número repetido: 5"},
                  {"70001,Letra,a,b,c,D,N\n", "deve ser A, B ou C"},
                  {"70001,\"Sem fim,a,b,c,A,N\n", "aspas sem fechamento"},
                  {"90000,Já existe,a,b,c,A,N\n", "Key violation"}};
    for (const TFault& fault : faults) {
        TResult r = Run({"load", "QUESTOES.DB", Write("big.csv", good + fault.Line).string()});
        EXPECT_EQ(1, r.Status) << fault.Message;
        EXPECT_TRUE(Contains(r.Err, "linha " + std::to_string(last))) << r.Err;
        EXPECT_TRUE(Contains(r.Err, fault.Message)) << r.Err;
        EXPECT_TRUE(Contains(r.Err, "nenhum registro foi carregado")) << r.Err;
        EXPECT_EQ(before, Run({"dump", "QUESTOES.DB"}).Out) << fault.Message;
    }
    // The same file without the fault goes in whole, every record as written.
    TResult r = Run({"load", "QUESTOES.DB", Write("big.csv", good).string()});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_EQ("70000 registros carregados em QUESTOES.DB\n", r.Out);
    std::string dump = Run({"dump", "QUESTOES.DB"}).Out;
    EXPECT_TRUE(Contains(dump, "\r\n70000,\"Questão 70000, com \"\"aspas\"\"\nem duas linhas\""));
    EXPECT_TRUE(Contains(dump, "\r\n90000,Antiga,"));
}

TEST_F(DbAdminTest, ManyBadLinesAreNamedUpToAThousand) {
    ASSERT_EQ(0, Run({"create"}).Status);
    std::string bad;
    for (int i = 1; i <= 1500; ++i)
        bad += "Questão,a,b,c,X,N\n";
    TResult r = Run({"load", "QUESTOES.DB", Write("bad.csv", bad).string()});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "  linha 1000: ")) << r.Err.substr(0, 300);
    EXPECT_FALSE(Contains(r.Err, "  linha 1001: "));
    EXPECT_TRUE(Contains(r.Err, "... e mais 500 problemas\n"));
}

TEST_F(DbAdminTest, AliasSetWritesTheConfigurationTheEngineReads) {
    fs::path conf = root_ / "config" / "questoes" / "dbengine.conf";
    fs::remove(conf);
    TResult r = Run({"alias", "get", "Questoes"});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "não está configurado")) << r.Err;

    // A new file, then a second alias, then the first replaced: the other
    // lines of the file stay as they were.
    fs::path spaced = root_ / "pasta com espaço" / "ação";
    r = Run({"alias", "set", "Questoes", data_.string()});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_TRUE(Contains(r.Out, conf.string())) << r.Out;
    std::ofstream(conf, std::ios::app) << "; nota do usuário\n[Outra]\nchave=valor\n";
    ASSERT_EQ(0, Run({"alias", "set", "Meus Dados", spaced.string()}).Status);
    ASSERT_EQ(0, Run({"alias", "set", "questoes", "/tmp/outra"}).Status);
    EXPECT_EQ("[Aliases]\nquestoes=/tmp/outra\nMeus Dados=" + spaced.string() +
                  "\n; nota do usuário\n[Outra]\nchave=valor\n",
              Read(conf));

    r = Run({"alias", "get", "MEUS DADOS"});
    EXPECT_EQ(0, r.Status) << r.Err;
    EXPECT_EQ(spaced.string() + "\n", r.Out);
    // The engine finds the folder by the alias.
    r = Run({"--alias", "Meus Dados", "create"});
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_TRUE(fs::exists(spaced / "QUESTOES.DB"));
}

TEST_F(DbAdminTest, AliasThatCannotBeWrittenFailsWithTheReason) {
    fs::path conf = root_ / "config" / "questoes" / "dbengine.conf";
    std::string before = Read(conf);
    TResult r = Run({"alias", "set", "Questoes", "/a\n[Outra]"});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "não foi possível gravar o alias Questoes: a line break")) << r.Err;
    EXPECT_EQ(before, Read(conf));

    // The configuration folder is a file.
    fs::path file = Write("arquivo", "x");
    setenv("XDG_CONFIG_HOME", file.c_str(), 1);
    r = Run({"alias", "set", "Questoes", "/q"});
    EXPECT_EQ(1, r.Status);
    EXPECT_TRUE(Contains(r.Err, "Not a directory")) << r.Err;
    EXPECT_EQ("x", Read(file));
    EXPECT_EQ(2, Run({"alias", "set", "Questoes"}).Status);
    EXPECT_EQ(2, Run({"alias", "list"}).Status);
}

TEST_F(DbAdminTest, FolderNamedFromTheCurrentOneIsFound) {
    fs::path before = fs::current_path();
    fs::current_path(root_);
    TResult created = Run({"--dir", "dados", "create"});
    TResult listed = Run({"--dir", "./dados", "list"});
    fs::current_path(before);
    EXPECT_EQ(0, created.Status) << created.Err;
    EXPECT_TRUE(fs::exists(data_ / "QUESTOES.DB"));
    EXPECT_EQ("FRASES.DB\t0 registros\nQUESTOES.DB\t0 registros\n", listed.Out) << listed.Err;
}
