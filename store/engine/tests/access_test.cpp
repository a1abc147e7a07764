// Who may open a table and how: passwords, read-only files, record locks
// between cursors and between processes.
#include "store/engine/tests/engine_test_support.h"

#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace fs = std::filesystem;

using AccessTest = EngineTest;

TEST_F(AccessTest, ProtectedTableNeedsThePasswordInTheSession) {
    CreateQuestions("marmelada");
    hDbeCur cur = nullptr;
    EXPECT_DBE(DBE_ERR_NOTSUFFTABLERIGHTS, DbeOpenTable(db_, "QUESTOES.DB", "NATIVE", nullptr,
                                                        dbeREADWRITE, dbeOPENSHARED, 1, &cur));
    EXPECT_EQ(nullptr, cur);
    char line[DBE_MAXMSGLEN + 1];
    ASSERT_DBE(DBE_OK, DbeGetErrorContext(0, line));
    EXPECT_NE(std::string::npos, std::string(line).find("QUESTOES.DB"));
    ASSERT_DBE(DBE_OK, DbeAddPassword("goiabada"));
    EXPECT_DBE(DBE_ERR_NOTSUFFTABLERIGHTS, DbeOpenTable(db_, "QUESTOES.DB", "NATIVE", nullptr,
                                                        dbeREADONLY, dbeOPENSHARED, 1, &cur));
    ASSERT_DBE(DBE_OK, DbeAddPassword("marmelada"));
    ASSERT_DBE(DBE_OK, DbeOpenTable(db_, "QUESTOES.DB", "NATIVE", nullptr, dbeREADWRITE,
                                    dbeOPENSHARED, 1, &cur));
    DbeCurProps props;
    ASSERT_DBE(DBE_OK, DbeGetCursorProps(cur, &props));
    EXPECT_EQ(1, props.bProtected);
}

TEST_F(AccessTest, PasswordIsNotStoredInTheFile) {
    CreateQuestions("marmelada");
    std::string bytes;
    {
        FILE* f = fopen((data_ / "QUESTOES.DB").c_str(), "rb");
        ASSERT_NE(nullptr, f);
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            bytes.append(buf, n);
        fclose(f);
    }
    EXPECT_EQ(std::string::npos, bytes.find("marmelada"));
}

TEST_F(AccessTest, ReadOnlyFileAnswersReadOnlyToReadWriteOpenAndRefusesChanges) {
    CreatePhrases();
    {
        hDbeCur cur = Open("FRASES.DB");
        ASSERT_DBE(DBE_OK, InsertPhrase(cur, "antes"));
        ASSERT_DBE(DBE_OK, DbeCloseCursor(&cur));
    }
    // The file's write bits cleared: the engine treats it as the read-only
    // attribute, which holds for every user (root included).
    fs::permissions(data_ / "FRASES.DB",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    hDbeCur cur = nullptr;
    EXPECT_DBE(DBE_ERR_TABLEREADONLY, DbeOpenTable(db_, "FRASES.DB", "NATIVE", nullptr,
                                                   dbeREADWRITE, dbeOPENSHARED, 1, &cur));
    ASSERT_DBE(DBE_OK, DbeOpenTable(db_, "FRASES.DB", "NATIVE", nullptr, dbeREADONLY, dbeOPENSHARED,
                                    1, &cur));
    DbeCurProps props;
    ASSERT_DBE(DBE_OK, DbeGetCursorProps(cur, &props));
    EXPECT_EQ(dbeREADONLY, props.eOpenMode);
    EXPECT_EQ((std::vector<std::string>{"antes"}), Walk(cur, pCorreta));
    EXPECT_DBE(DBE_ERR_TABLEREADONLY, InsertPhrase(cur, "depois"));
    TRec rec(cur);
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    EXPECT_DBE(DBE_ERR_TABLEREADONLY, DbeGetRecord(cur, dbeWRITELOCK, rec.Data(), nullptr));
    EXPECT_DBE(DBE_ERR_TABLEREADONLY, DbeModifyRecord(cur, rec.Data(), 1));
    EXPECT_DBE(DBE_ERR_TABLEREADONLY, DbeDeleteRecord(cur, nullptr));
    char text[DBE_MAXMSGLEN + 1];
    DbeGetErrorString(DBE_ERR_TABLEREADONLY, text);
    EXPECT_STREQ("Table is read only", text);
}

TEST_F(AccessTest, ReadOnlyDirectoryOpensReadOnlyWhenNotRoot) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into any directory; the file-bit case covers root";
    CreatePhrases();
    fs::permissions(data_, fs::perms::owner_read | fs::perms::owner_exec);
    hDbeCur cur = nullptr;
    EXPECT_DBE(DBE_ERR_TABLEREADONLY, DbeOpenTable(db_, "FRASES.DB", "NATIVE", nullptr,
                                                   dbeREADWRITE, dbeOPENSHARED, 1, &cur));
    EXPECT_DBE(DBE_OK, DbeOpenTable(db_, "FRASES.DB", "NATIVE", nullptr, dbeREADONLY, dbeOPENSHARED,
                                    1, &cur));
    fs::permissions(data_, fs::perms::owner_all);
}

TEST_F(AccessTest, SecondCursorCannotLockALockedRecordUntilReleased) {
    CreateQuestions();
    hDbeCur first = Open("QUESTOES.DB");
    InsertQuestion(first, "q");
    hDbeCur second = Open("QUESTOES.DB");
    TRec a(first), b(second);
    ASSERT_DBE(DBE_OK, DbeGetRecord(first, dbeWRITELOCK, a.Data(), nullptr));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(second, dbeNOLOCK, b.Data(), nullptr));
    EXPECT_DBE(DBE_ERR_LOCKED, DbeGetRecord(second, dbeWRITELOCK, b.Data(), nullptr));
    char text[DBE_MAXMSGLEN + 1];
    DbeGetErrorString(DBE_ERR_LOCKED, text);
    EXPECT_STREQ("Record locked by another user", text);
    // Editing holds no transaction: the other cursor still writes new records.
    EXPECT_GT(InsertQuestion(second, "other"), 1);
    ASSERT_DBE(DBE_OK, DbeSetToBegin(second));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(second, dbeNOLOCK, b.Data(), nullptr));
    // Neither may the other cursor change or delete it meanwhile.
    EXPECT_DBE(DBE_ERR_LOCKED, DbeModifyRecord(second, b.Data(), 1));
    EXPECT_DBE(DBE_ERR_LOCKED, DbeDeleteRecord(second, nullptr));
    a.Put(qQuestao, "edited");
    ASSERT_DBE(DBE_OK, DbeModifyRecord(first, a.Data(), 1)); // frees the lock
    ASSERT_DBE(DBE_OK, DbeGetRecord(second, dbeWRITELOCK, b.Data(), nullptr));
    EXPECT_EQ("edited", b.Get(qQuestao));
    ASSERT_DBE(DBE_OK, DbeRelRecordLock(second, 0));
    ASSERT_DBE(DBE_OK, DbeGetRecord(first, dbeWRITELOCK, a.Data(), nullptr));
    ASSERT_DBE(DBE_OK, DbeCloseCursor(&first)); // closing frees it too
    EXPECT_DBE(DBE_OK, DbeGetRecord(second, dbeWRITELOCK, b.Data(), nullptr));
}

namespace {
// The context lines of the session's last failure.
std::vector<std::string> LastContext() {
    std::vector<std::string> lines;
    char line[DBE_MAXMSGLEN + 1];
    for (uint16_t i = 0; DbeGetErrorContext(i, line) == DBE_OK; ++i)
        lines.push_back(line);
    return lines;
}
} // namespace

// A person reads the refusal: it names the table by the Windows path they
// configured (or by its name alone), never a directory of this machine nor
// the engine's own row number.
TEST_F(AccessTest, LockRefusalNamesTheTableAsItsUsersKnowIt) {
    fs::create_directories(data_ / "ZQ" / "Questoes");
    setenv("QUESTOES_DRIVE_C", data_.c_str(), 1);
    std::vector<std::vector<std::string>> refusals;
    for (const char* dir : {"", "C:\\ZQ\\Questoes\\"}) {
        if (*dir) {
            ASSERT_DBE(DBE_OK, DbeSetDirectory(db_, dir));
        }
        CreateQuestions();
        hDbeCur first = Open("QUESTOES.DB");
        for (const char* text : {"q1", "q2", "q3"})
            InsertQuestion(first, text);
        hDbeCur second = Open("QUESTOES.DB");
        TRec a(first), b(second);
        ASSERT_DBE(DBE_OK, DbeSetToEnd(first));
        ASSERT_DBE(DBE_OK, DbeGetPriorRecord(first, dbeWRITELOCK, a.Data(), nullptr));
        ASSERT_DBE(DBE_OK, DbeSetToEnd(second));
        ASSERT_DBE(DBE_OK, DbeGetPriorRecord(second, dbeNOLOCK, b.Data(), nullptr));
        EXPECT_DBE(DBE_ERR_LOCKED, DbeGetRecord(second, dbeWRITELOCK, b.Data(), nullptr));
        refusals.push_back(LastContext());
        DbeCloseCursor(&first);
        DbeCloseCursor(&second);
    }
    unsetenv("QUESTOES_DRIVE_C");
    EXPECT_EQ((std::vector<std::string>{"Table: QUESTOES.DB"}), refusals[0]);
    EXPECT_EQ((std::vector<std::string>{"Table: C:\\ZQ\\Questoes\\QUESTOES.DB"}), refusals[1]);
}

namespace {

// A child process that opens its own cursor, locks record 1 and reports on
// `report`; then waits until killed or told to release (a byte on `command`).
pid_t LockInChild(hDbeDb db, int report, int command) {
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    hDbeCur cur = nullptr;
    char ok = 'n';
    if (DbeOpenTable(db, "QUESTOES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1, &cur) ==
        DBE_OK) {
        TRec rec(cur);
        if (DbeGetNextRecord(cur, dbeWRITELOCK, rec.Data(), nullptr) == DBE_OK)
            ok = 'y';
    }
    (void)!write(report, &ok, 1);
    char c;
    if (read(command, &c, 1) == 1) {
        DbeRelRecordLock(cur, 1);
        ok = 'r';
        (void)!write(report, &ok, 1);
        (void)!read(command, &c, 1);
    }
    _exit(0);
}

} // namespace

TEST_F(AccessTest, LockIsHeldAgainstOtherProcessesAndDiesWithItsHolder) {
    CreateQuestions();
    hDbeCur cur = Open("QUESTOES.DB");
    InsertQuestion(cur, "q");
    int report[2], command[2];
    ASSERT_EQ(0, pipe(report));
    ASSERT_EQ(0, pipe(command));
    pid_t child = LockInChild(db_, report[1], command[0]);
    ASSERT_GT(child, 0);
    char c = 0;
    ASSERT_EQ(1, read(report[0], &c, 1));
    ASSERT_EQ('y', c);
    TRec rec(cur);
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    EXPECT_DBE(DBE_ERR_LOCKED, DbeGetRecord(cur, dbeWRITELOCK, rec.Data(), nullptr));
    // Released by the holder: free.
    ASSERT_EQ(1, write(command[1], "r", 1));
    ASSERT_EQ(1, read(report[0], &c, 1));
    ASSERT_EQ('r', c);
    EXPECT_DBE(DBE_OK, DbeGetRecord(cur, dbeWRITELOCK, rec.Data(), nullptr));
    ASSERT_DBE(DBE_OK, DbeRelRecordLock(cur, 1));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);

    // A holder killed outright: the lock goes with it.
    child = LockInChild(db_, report[1], command[0]);
    ASSERT_EQ(1, read(report[0], &c, 1));
    ASSERT_EQ('y', c);
    EXPECT_DBE(DBE_ERR_LOCKED, DbeGetRecord(cur, dbeWRITELOCK, rec.Data(), nullptr));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_DBE(DBE_OK, DbeGetRecord(cur, dbeWRITELOCK, rec.Data(), nullptr));
    for (int fd : {report[0], report[1], command[0], command[1]})
        close(fd);
}

TEST_F(AccessTest, ExclusiveOpenKeepsOthersOut) {
    CreatePhrases();
    hDbeCur mine = nullptr, other = nullptr;
    ASSERT_DBE(DBE_OK, DbeOpenTable(db_, "FRASES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENEXCL,
                                    1, &mine));
    EXPECT_DBE(DBE_ERR_TABLELOCKED, DbeOpenTable(db_, "FRASES.DB", "NATIVE", nullptr, dbeREADWRITE,
                                                 dbeOPENSHARED, 1, &other));
    ASSERT_DBE(DBE_OK, DbeCloseCursor(&mine));
    EXPECT_DBE(DBE_OK, DbeOpenTable(db_, "FRASES.DB", "NATIVE", nullptr, dbeREADWRITE,
                                    dbeOPENSHARED, 1, &other));
}
