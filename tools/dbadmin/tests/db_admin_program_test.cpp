// The dbadmin program itself on real files: every command that meets an
// error says so once and leaves with a non-zero status, whether the folder
// is missing, the output cannot be written or the records of a table lie on
// damaged pages of its file.
#include "tools/dbadmin/tests/child_process.h"
#include "tools/dbadmin/tests/db_admin_fixture.h"

#include <set>
#include <sqlite3.h>

namespace {

class DbAdminProgramTest : public DbAdminTest {
protected:
    // Runs the built dbadmin with `args`; its output is read back from files.
    TResult Program(const std::vector<std::string>& args, const char* stdoutPath = nullptr) {
        std::string outPath = stdoutPath ? stdoutPath : (root_ / "stdout").string();
        std::string errPath = (root_ / "stderr").string();
        std::vector<std::string> all{DBADMIN_PATH};
        all.insert(all.end(), args.begin(), args.end());
        TChildRun run = RunChild(all, outPath, errPath);
        return {run.Status, stdoutPath ? "" : Read(outPath), Read(errPath)};
    }

    TResult Program(const std::string& dir, std::vector<std::string> args) {
        args.insert(args.begin(), {"--dir", dir});
        return Program(args);
    }

    // A questions table with records on several pages of its file.
    void MakeTables() {
        ASSERT_EQ(0, Run({"create"}).Status);
        std::string csv;
        for (int i = 1; i <= 300; ++i)
            csv += ",Questão número " + std::to_string(i) + ",a,b,c,A,N\n";
        ASSERT_EQ(0, Run({"load", "QUESTOES.DB", Write("q.csv", csv).string()}).Status);
        ASSERT_EQ(0, Run({"load", "FRASES.DB", Write("f.csv", "Certa,Errada\n").string()}).Status);
    }

    // Overwrites the middle of the first page holding records of `table`.
    static void DamageRecordPages(const fs::path& table) {
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(table.c_str(), &db, SQLITE_OPEN_READONLY, nullptr));
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(SQLITE_OK,
                  sqlite3_prepare_v2(db,
                                     "SELECT pageno, pgsize FROM dbstat WHERE name = 'records' "
                                     "AND pagetype = 'leaf' ORDER BY pageno LIMIT 1",
                                     -1, &stmt, nullptr))
            << sqlite3_errmsg(db);
        ASSERT_EQ(SQLITE_ROW, sqlite3_step(stmt));
        long page = sqlite3_column_int64(stmt, 0);
        long size = sqlite3_column_int64(stmt, 1);
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        std::fstream f(table, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp((page - 1) * size + 100);
        std::string junk(size_t(size / 2), '\xff');
        f.write(junk.data(), std::streamsize(junk.size()));
        ASSERT_TRUE(f.good());
    }

    static size_t Count(const std::string& text, const std::string& part) {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }
};

} // namespace

TEST_F(DbAdminProgramTest, DamagedRecordPagesFailEveryCommandThatReachesThem) {
    MakeTables();
    DamageRecordPages(data_ / "QUESTOES.DB");
    std::string damaged = Read(data_ / "QUESTOES.DB");
    std::string dir = data_.string();
    fs::path exported = root_ / "saida.csv";
    struct TCase {
        std::vector<std::string> Args;
        int Status;
    } cases[] = {{{"list"}, 1},
                 {{"check"}, 1},
                 {{"dump", "QUESTOES.DB"}, 1},
                 {{"export", exported.string()}, 1},
                 {{"lint"}, 2},
                 {{"load", "QUESTOES.DB", (root_ / "q.csv").string()}, 1},
                 {{"import", (root_ / "q.csv").string()}, 1}};
    for (const TCase& c : cases) {
        TResult r = Program(dir, c.Args);
        EXPECT_EQ(c.Status, r.Status) << c.Args[0] << "\n" << r.Err;
        EXPECT_EQ(1u, Count(r.Err, "QUESTOES.DB: Corrupt table file")) << c.Args[0] << "\n"
                                                                       << r.Err;
        EXPECT_FALSE(Contains(r.Out, "QUESTOES.DB\t")) << c.Args[0] << "\n" << r.Out;
    }
    EXPECT_FALSE(fs::exists(exported));
    // The sound table is still listed beside the damaged one.
    TResult r = Program(dir, {"list"});
    EXPECT_EQ("FRASES.DB\t1 registro\n", r.Out);
    EXPECT_TRUE(Contains(r.Err, "Table: " + (data_ / "QUESTOES.DB").string())) << r.Err;
    EXPECT_EQ(damaged, Read(data_ / "QUESTOES.DB"));
}

TEST_F(DbAdminProgramTest, CheckNamesEachFindingOnce) {
    MakeTables();
    // A column definition the engine does not know: the engine gives its
    // text among the findings as well.
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open((data_ / "FRASES.DB").c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "UPDATE dbe_fields SET type = 9 WHERE fldnum = 2",
                                      nullptr, nullptr, nullptr));
    sqlite3_close(db);
    DamageRecordPages(data_ / "QUESTOES.DB");

    TResult r = Program(data_.string(), {"check"});
    EXPECT_EQ(1, r.Status);
    EXPECT_EQ("FRASES.DB: com problemas\nQUESTOES.DB: com problemas\n", r.Out);
    EXPECT_EQ(
        1u, Count(r.Err, "Corrupt table file ($2102)\n  Table: " + (data_ / "FRASES.DB").string() +
                             "\n  Bad column definition 2\n"))
        << r.Err;
    EXPECT_EQ(2u, Count(r.Err, "Corrupt table file")) << r.Err;
    // Every finding on a line of its own, none twice.
    std::istringstream lines(r.Err);
    std::set<std::string> seen;
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(seen.insert(line).second) << "repeated: " << line << "\n" << r.Err;
}

TEST_F(DbAdminProgramTest, MissingFolderFailsEveryCommandWithOneMessage) {
    std::string missing = (root_ / "não existe").string();
    for (std::vector<std::string> args :
         {std::vector<std::string>{"list"},
          {"check"},
          {"dump", "FRASES.DB"},
          {"load", "FRASES.DB", Write("f.csv", "a,b\n").string()},
          {"export", (root_ / "x.csv").string()},
          {"import", Write("q.txt", "Q\nA. a\nB. b\nC. c\nANSWER: A\n").string()}}) {
        TResult r = Program(missing, args);
        EXPECT_EQ(1, r.Status) << args[0] << "\n" << r.Err;
        EXPECT_EQ(1u, Count(r.Err, "dbadmin: ")) << args[0] << "\n" << r.Err;
        EXPECT_TRUE(Contains(r.Err, "não existe")) << args[0] << "\n" << r.Err;
        EXPECT_EQ("", r.Out) << args[0];
    }
    TResult r = Program(missing, {"lint"});
    EXPECT_EQ(2, r.Status) << r.Err;
    EXPECT_FALSE(fs::exists(root_ / "não existe"));
}

TEST_F(DbAdminProgramTest, OutputThatCannotBeWrittenIsAnError) {
    MakeTables();
    for (std::vector<std::string> args :
         {std::vector<std::string>{"list"}, {"check"}, {"dump", "QUESTOES.DB"}}) {
        args.insert(args.begin(), {"--dir", data_.string()});
        TResult r = Program(args, "/dev/full");
        EXPECT_EQ(1, r.Status) << args[2];
        EXPECT_TRUE(Contains(r.Err, "não foi possível escrever na saída padrão")) << args[2];
    }
}

TEST_F(DbAdminProgramTest, InputThatCannotBeReadLoadsNothing) {
    MakeTables();
    // A folder where the file should be: it opens, but reading it fails.
    std::string folder = root_.string();
    for (std::vector<std::string> args : {std::vector<std::string>{"load", "FRASES.DB", folder},
                                          {"import", "--format", "csv", folder},
                                          {"import", "--format", "aiken", folder}}) {
        TResult r = Program(data_.string(), args);
        EXPECT_EQ(1, r.Status) << args[0];
        EXPECT_TRUE(Contains(r.Err, "não foi possível ler o arquivo " + folder)) << r.Err;
    }
    EXPECT_TRUE(Contains(Run({"list"}).Out, "FRASES.DB\t1 registro\n"));
}
