// The table files: durability across a killed writer, damaged and foreign
// files, missing tables and aliases, the family and its consistent copy,
// and the file as seen by the sqlite3 shell.
#include "store/engine/tests/engine_test_support.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

using FilesTest = EngineTest;

namespace {

// Starts a child that inserts questions in a loop through its own cursor and
// writes each Codigo returned to `out` (an int32 per insert).
pid_t InsertingChild(hDbeDb db, int out) {
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    hDbeCur cur = nullptr;
    if (DbeOpenTable(db, "QUESTOES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1, &cur) !=
        DBE_OK)
        _exit(1);
    for (int i = 0;; ++i) {
        int32_t codigo = InsertQuestion(cur, ("pergunta " + std::to_string(i)).c_str());
        if (codigo < 0)
            _exit(2);
        if (write(out, &codigo, sizeof codigo) != sizeof codigo)
            _exit(3);
    }
}

std::set<int32_t> AllCodigos(hDbeCur cur) {
    std::set<int32_t> codes;
    DbeSetToBegin(cur);
    TRec rec(cur);
    while (DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr) == DBE_OK)
        codes.insert(rec.Int(qCodigo));
    return codes;
}

std::string Context() {
    std::string all;
    char line[DBE_MAXMSGLEN + 1];
    for (uint16_t i = 0; DbeGetErrorContext(i, line) == DBE_OK; ++i)
        all += std::string(line) + "\n";
    return all;
}

} // namespace

TEST_F(FilesTest, WriterKilledWhileInsertingLosesNothingThatWasPosted) {
    CreateQuestions();
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    pid_t child = InsertingChild(db_, fds[1]);
    ASSERT_GT(child, 0);
    close(fds[1]);
    std::set<int32_t> reported;
    int32_t codigo;
    while (reported.size() < 150 && read(fds[0], &codigo, sizeof codigo) == sizeof codigo)
        reported.insert(codigo);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the child stopped on its own: " << status;
    while (read(fds[0], &codigo, sizeof codigo) == sizeof codigo)
        reported.insert(codigo);
    close(fds[0]);
    ASSERT_GE(reported.size(), 150u);

    EXPECT_DBE(DBE_OK, DbeCheckTable(db_, "QUESTOES.DB"));
    hDbeCur cur = Open("QUESTOES.DB");
    std::set<int32_t> stored = AllCodigos(cur);
    for (int32_t c : reported)
        EXPECT_TRUE(stored.count(c)) << "posted record " << c << " is missing";
    // And the table takes new records afterwards.
    EXPECT_GT(InsertQuestion(cur, "depois"), *reported.rbegin());
}

TEST_F(FilesTest, FamilyCopyIsConsistentWhileAnotherProcessWrites) {
    CreateQuestions();
    fs::path dest = root_ / "floppy";
    fs::create_directories(dest);
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    pid_t child = InsertingChild(db_, fds[1]);
    close(fds[1]);
    int32_t codigo;
    ASSERT_EQ(ssize_t(sizeof codigo), read(fds[0], &codigo, sizeof codigo));
    hDbeDb copy = nullptr;
    ASSERT_DBE(DBE_OK, DbeOpenDatabase(nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED, "", &copy));
    ASSERT_DBE(DBE_OK, DbeSetDirectory(copy, dest.c_str()));
    uint32_t previous = 0;
    for (int round = 0; round < 5; ++round) {
        ASSERT_DBE(DBE_OK, DbeCopyTableFamily(db_, "QUESTOES.DB", dest.c_str()));
        ASSERT_DBE(DBE_OK, DbeCheckTable(copy, "QUESTOES.DB"));
        hDbeCur cur = nullptr;
        ASSERT_DBE(DBE_OK, DbeOpenTable(copy, "QUESTOES.DB", "NATIVE", nullptr, dbeREADONLY,
                                        dbeOPENSHARED, 1, &cur));
        uint32_t count = 0;
        ASSERT_DBE(DBE_OK, DbeGetExactRecordCount(cur, &count));
        // A snapshot: numbers 1..count with none missing.
        std::set<int32_t> codes = AllCodigos(cur);
        EXPECT_EQ(count, codes.size());
        EXPECT_TRUE(codes.empty() || (*codes.begin() == 1 && *codes.rbegin() == int32_t(count)));
        EXPECT_GE(count, previous);
        previous = count;
        ASSERT_DBE(DBE_OK, DbeCloseCursor(&cur));
        // Drain what the child reported so it keeps writing.
        while (read(fds[0], &codigo, sizeof codigo) == sizeof codigo && codigo % 16 != 0) {
        }
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(fds[0]);
    // Only the table itself travels and no temporary is left behind (the lock
    // file there is the one our reading cursors made).
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dest))
        if (e.path().filename() != "QUESTOES.DB.lck")
            names.push_back(e.path().filename().string());
    EXPECT_EQ((std::vector<std::string>{"QUESTOES.DB"}), names);
}

TEST_F(FilesTest, CopyReplacesAFileOfTheSameNameInAnyCase) {
    CreatePhrases();
    hDbeCur cur = Open("FRASES.DB");
    ASSERT_DBE(DBE_OK, InsertPhrase(cur, "nova"));
    fs::path dest = root_ / "a";
    fs::create_directories(dest);
    std::ofstream(dest / "Frases.DB") << "old contents";
    ASSERT_DBE(DBE_OK, DbeCopyTableFamily(db_, "FRASES.DB", dest.c_str()));
    EXPECT_TRUE(fs::exists(dest / "Frases.DB"));
    EXPECT_FALSE(fs::exists(dest / "FRASES.DB"));
    EXPECT_GT(fs::file_size(dest / "Frases.DB"), 1000u);
    EXPECT_DBE(DBE_ERR_DIRNOTFOUND, DbeCopyTableFamily(db_, "FRASES.DB", "/nonexistent/dir"));
}

TEST_F(FilesTest, FamilyListsTheTableFileAndNotTheLockFile) {
    CreateQuestions();
    hDbeCur cur = Open("QUESTOES.DB");
    InsertQuestion(cur, "q");
    ASSERT_TRUE(fs::exists(data_ / "QUESTOES.DB.lck"));
    char list[4096];
    ASSERT_DBE(DBE_OK, DbeGetTableFamily(db_, "questoes.db", list, sizeof list));
    EXPECT_EQ((data_ / "QUESTOES.DB").string() + "\n", list);
    EXPECT_DBE(DBE_ERR_BUFTOOSMALL, DbeGetTableFamily(db_, "QUESTOES.DB", list, 4));
    CreatePhrases();
    ASSERT_DBE(DBE_OK, DbeListTables(db_, list, sizeof list));
    EXPECT_STREQ("FRASES.DB\nQUESTOES.DB\n", list);
}

TEST_F(FilesTest, CreateRefusesAnExistingTableInAnyCase) {
    CreatePhrases();
    fs::rename(data_ / "FRASES.DB", data_ / "Frases.db");
    DbeFieldDef fields[1] = {{"X", DBE_FLD_STRING, 5}};
    DbeTableDesc desc = {"FRASES.DB", 1, fields, 0, 0, nullptr};
    EXPECT_DBE(DBE_ERR_TABLEEXISTS, DbeCreateTable(db_, &desc));
    EXPECT_NE(std::string::npos, Context().find("Frases.db"));
    DbeFieldDef bad[2] = {{"A", DBE_FLD_STRING, 5}, {"a", DBE_FLD_STRING, 5}};
    DbeTableDesc dup = {"NEW.DB", 2, bad, 0, 0, nullptr};
    EXPECT_DBE(DBE_ERR_INVALIDPARAM, DbeCreateTable(db_, &dup));
    EXPECT_FALSE(fs::exists(data_ / "NEW.DB"));
}

TEST_F(FilesTest, DamagedFileIsAnErrorNotACrash) {
    CreateQuestions();
    {
        hDbeCur cur = Open("QUESTOES.DB");
        for (int i = 0; i < 300; ++i)
            InsertQuestion(cur, std::string(200, char('a' + i % 26)).c_str());
        DbeCloseCursor(&cur);
    }
    // Scribble over the middle of the file, past the schema.
    {
        std::fstream f(data_ / "QUESTOES.DB", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(8192);
        std::string junk(16384, '\xa5');
        f.write(junk.data(), std::streamsize(junk.size()));
    }
    EXPECT_DBE(DBE_ERR_CORRUPT, DbeCheckTable(db_, "QUESTOES.DB"));
    EXPECT_NE(std::string::npos, Context().find("QUESTOES.DB"));
    hDbeCur cur = nullptr;
    DbeResult rc =
        DbeOpenTable(db_, "QUESTOES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1, &cur);
    if (rc == DBE_OK) {
        // The schema survived; reading through the damage fails cleanly.
        TRec rec(cur);
        DbeResult walk = DBE_OK;
        while ((walk = DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr)) == DBE_OK) {
        }
        EXPECT_EQ(DBE_ERR_CORRUPT, walk) << LastErrorText();
    } else {
        EXPECT_EQ(DBE_ERR_CORRUPT, rc) << LastErrorText();
    }
}

TEST_F(FilesTest, ForeignFilesAreNotTables) {
    std::ofstream(data_ / "TEXT.DB") << "just some text, not a table at all\n";
    {
        // A real SQLite database, but not one of ours.
        std::string cmd =
            "sqlite3 '" + (data_ / "OTHER.DB").string() + "' 'CREATE TABLE t(x)' 2>/dev/null";
        if (std::system(cmd.c_str()) != 0)
            std::ofstream(data_ / "OTHER.DB") << std::string(4096, '\0');
    }
    fs::create_directories(data_ / "DIR.DB");
    for (const char* name : {"TEXT.DB", "OTHER.DB", "DIR.DB"}) {
        hDbeCur cur = nullptr;
        EXPECT_DBE(DBE_ERR_NOTATABLE,
                   DbeOpenTable(db_, name, "NATIVE", nullptr, dbeREADONLY, dbeOPENSHARED, 1, &cur))
            << name;
        EXPECT_NE(std::string::npos, Context().find(name)) << Context();
        EXPECT_NE(DBE_OK, DbeCheckTable(db_, name)) << name;
    }
}

TEST_F(FilesTest, MissingTableUnknownAliasAndDriverAreErrorsWithContext) {
    hDbeCur cur = nullptr;
    EXPECT_DBE(DBE_ERR_NOSUCHTABLE, DbeOpenTable(db_, "NADA.DB", "NATIVE", nullptr, dbeREADWRITE,
                                                 dbeOPENSHARED, 1, &cur));
    EXPECT_NE(std::string::npos, Context().find((data_ / "NADA.DB").string()));
    hDbeDb other = nullptr;
    EXPECT_DBE(DBE_ERR_UNKNOWNALIAS,
               DbeOpenDatabase("Nenhum", nullptr, dbeREADWRITE, dbeOPENSHARED, "", &other));
    EXPECT_NE(std::string::npos, Context().find("Alias: Nenhum"));
    char text[DBE_MAXMSGLEN + 1];
    DbeGetErrorString(DBE_ERR_UNKNOWNALIAS, text);
    EXPECT_STREQ("Unknown database alias", text);
    CreatePhrases();
    EXPECT_DBE(DBE_ERR_UNKNOWNDRIVER, DbeOpenTable(db_, "FRASES.DB", "OTHER", nullptr, dbeREADWRITE,
                                                   dbeOPENSHARED, 1, &cur));
    EXPECT_DBE(DBE_ERR_INVALIDPARAM, DbeOpenTable(db_, "../x/FRASES.DB", "NATIVE", nullptr,
                                                  dbeREADWRITE, dbeOPENSHARED, 1, &cur));
    // A success clears the last failure.
    ASSERT_DBE(DBE_OK, DbeOpenTable(db_, "FRASES.DB", nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED,
                                    1, &cur));
    DbeResult last = 1;
    DbeGetLastError(&last);
    EXPECT_EQ(DBE_OK, last);
    EXPECT_EQ(DBE_ERR_OUTOFRANGE, DbeGetErrorContext(0, text));
}

TEST_F(FilesTest, AliasNamesAWindowsPathThroughTheDriveMap) {
    fs::path driveC = root_ / "drive_c";
    fs::create_directories(driveC / "zq" / "questoes");
    setenv("QUESTOES_DRIVE_C", driveC.c_str(), 1);
    std::ofstream(root_ / "config" / "questoes" / "dbengine.conf")
        << "[Aliases]\nQuestoes=C:\\ZQ\\Questoes\\\n";
    hDbeDb db = nullptr;
    DbeResult rc = DbeOpenDatabase("QUESTOES", nullptr, dbeREADWRITE, dbeOPENSHARED, "", &db);
    unsetenv("QUESTOES_DRIVE_C");
    ASSERT_EQ(DBE_OK, rc) << LastErrorText();
    char dir[DBE_MAXPATHLEN + 1];
    ASSERT_DBE(DBE_OK, DbeGetDirectory(db, dir, sizeof dir));
    EXPECT_EQ((driveC / "zq" / "questoes").string(), fs::path(dir).lexically_normal().string());
}

TEST_F(FilesTest, TableFileOpensInTheSqliteShell) {
    if (std::system("sqlite3 -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "the sqlite3 shell is not installed";
    CreateQuestions("marmelada");
    ASSERT_DBE(DBE_OK, DbeAddPassword("marmelada"));
    hDbeCur cur = Open("QUESTOES.DB");
    InsertQuestion(cur, "Quanto \xc3\xa9 2+2?");
    InsertQuestion(cur, "Capital do Brasil?");
    std::string cmd = "sqlite3 -readonly '" + (data_ / "QUESTOES.DB").string() +
                      "' 'SELECT Codigo, Questao FROM records ORDER BY Codigo'";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(nullptr, p);
    std::string out;
    char buf[256];
    while (fgets(buf, sizeof buf, p))
        out += buf;
    EXPECT_EQ(0, pclose(p));
    EXPECT_EQ("1|Quanto \xc3\xa9 2+2?\n2|Capital do Brasil?\n", out);
}

TEST_F(FilesTest, WriterKilledInsideABatchLeavesNoneOfItsRecords) {
    CreatePhrases();
    {
        hDbeCur cur = Open("FRASES.DB");
        ASSERT_DBE(DBE_OK, InsertPhrase(cur, "antes"));
        DbeCloseCursor(&cur);
    }
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    pid_t child = fork();
    if (child == 0) {
        hDbeCur cur = nullptr;
        DbeOpenTable(db_, "FRASES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1, &cur);
        DbeBeginBatch(cur);
        // Enough to overflow SQLite's page cache, so pages of the table file
        // are already overwritten and only the journal can undo them.
        std::string text(90, 'x');
        for (int i = 0; i < 40000; ++i)
            InsertPhrase(cur, text.c_str(), text.c_str());
        (void)!write(fds[1], "x", 1);
        pause();
        _exit(0);
    }
    char c;
    ASSERT_EQ(1, read(fds[0], &c, 1));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(fds[0]);
    close(fds[1]);
    EXPECT_TRUE(fs::exists(data_ / "FRASES.DB-journal")) << "no journal left behind";

    // Read-only users come first: the check and a read-only cursor.
    EXPECT_DBE(DBE_OK, DbeCheckTable(db_, "FRASES.DB"));
    hDbeCur cur = Open("FRASES.DB", dbeREADONLY);
    EXPECT_EQ((std::vector<std::string>{"antes"}), Walk(cur, pCorreta));
}
