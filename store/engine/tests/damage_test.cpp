// A table whose file is damaged: reads that meet the damage report it, and
// from then on no change is written into the file, by this cursor, another
// cursor or another process, until the table is replaced or made anew.
#include "store/engine/tests/engine_test_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kPhrases = 2000;
constexpr std::streamoff kPageSize = 4096;

class DamageTest : public EngineTest {
protected:
    // The phrases table with records long enough to fill some fifty pages.
    void FillPhrases() {
        hDbeCur cur = CreatePhrasesWith(kPhrases, [](int i) {
            return std::to_string(i) + std::string(90, char('a' + i % 26));
        });
        ASSERT_DBE(DBE_OK, DbeCloseCursor(&cur));
    }
    fs::path TableFile() const { return data_ / "FRASES.DB"; }
    // Overwrites two pages in the middle of the file, where the records
    // are, leaving the definitions at its start readable.
    void DamageTheMiddle() {
        std::fstream f(TableFile(), std::ios::in | std::ios::out | std::ios::binary);
        auto size = std::streamoff(fs::file_size(TableFile()));
        f.seekp(size / 2 / kPageSize * kPageSize);
        std::string junk(2 * kPageSize, '\xa5');
        f.write(junk.data(), std::streamsize(junk.size()));
    }
    std::string FileBytes() const {
        std::ifstream in(TableFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Walks from the beginning; the code that ended the walk.
    static DbeResult WalkToTheEnd(hDbeCur cur) {
        TRec rec(cur);
        DbeSetToBegin(cur);
        DbeResult rc;
        while ((rc = DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr)) == DBE_OK) {
        }
        return rc;
    }
    // True when `work`, run on a cursor of a child process, was refused
    // because the table is damaged.
    bool RefusedInAnotherProcess(DbeResult (*work)(hDbeCur)) {
        pid_t pid = fork();
        if (pid == 0) {
            hDbeCur cur = nullptr;
            if (DbeOpenTable(db_, "FRASES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1,
                             &cur) != DBE_OK)
                _exit(2);
            _exit(work(cur) == DBE_ERR_CORRUPT ? 0 : 1);
        }
        int status = 0;
        return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    }
};

// The refusal names the table and says what to do.
void ExpectRefusedAsDamaged(DbeResult rc) {
    EXPECT_EQ(DBE_ERR_CORRUPT, rc) << LastErrorText();
    std::string text = LastErrorText();
    EXPECT_NE(std::string::npos, text.find("FRASES.DB")) << text;
    EXPECT_NE(std::string::npos, text.find("restored from a backup copy")) << text;
}

TEST_F(DamageTest, ReadThatMeetsDamageFailsAndEveryChangeIsRefusedAfterIt) {
    ASSERT_NO_FATAL_FAILURE(FillPhrases());
    DamageTheMiddle();
    hDbeCur cur = Open("FRASES.DB");
    ASSERT_NE(nullptr, cur) << "the definitions at the start of the file are whole";
    EXPECT_DBE(DBE_ERR_CORRUPT, WalkToTheEnd(cur));
    const std::string damaged = FileBytes();

    // The cursor that met the damage, at the beginning where it now stands.
    TRec rec(cur);
    ASSERT_DBE(DBE_OK, rec.Put(pCorreta, "nova"));
    ExpectRefusedAsDamaged(DbeInsertRecord(cur, dbeNOLOCK, rec.Data()));
    ExpectRefusedAsDamaged(DbeBeginBatch(cur));
    uint32_t count = 0;
    ExpectRefusedAsDamaged(DbeGetExactRecordCount(cur, &count));

    // A cursor opened afterwards, standing on a record that reads well.
    hDbeCur other = Open("FRASES.DB");
    TRec first(other);
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(other, dbeNOLOCK, first.Data(), nullptr));
    ExpectRefusedAsDamaged(DbeGetRecord(other, dbeWRITELOCK, first.Data(), nullptr));
    ASSERT_DBE(DBE_OK, first.Put(pErrada, "changed"));
    ExpectRefusedAsDamaged(DbeModifyRecord(other, first.Data(), 1));
    ExpectRefusedAsDamaged(DbeDeleteRecord(other, nullptr));
    ExpectRefusedAsDamaged(InsertPhrase(other, "nova"));

    // Another process, which never read the damage itself.
    EXPECT_TRUE(
        RefusedInAnotherProcess([](hDbeCur c) { return InsertPhrase(c, "de outro processo"); }));
    EXPECT_EQ(damaged, FileBytes()) << "a refused change wrote into the damaged file";

    // Reading what is whole still works, read-only too; the damage is
    // reported where the walk meets it.
    hDbeCur reader = Open("FRASES.DB", dbeREADONLY);
    ASSERT_NE(nullptr, reader);
    EXPECT_DBE(DBE_ERR_CORRUPT, WalkToTheEnd(reader));
}

TEST_F(DamageTest, CheckMarksTheTableSoThatALoadElsewhereIsRefused) {
    ASSERT_NO_FATAL_FAILURE(FillPhrases());
    DamageTheMiddle();
    EXPECT_DBE(DBE_ERR_CORRUPT, DbeCheckTable(db_, "FRASES.DB"));
    const std::string damaged = FileBytes();
    // A load as a tool makes it: a batch of appends, committed at the end.
    EXPECT_TRUE(RefusedInAnotherProcess([](hDbeCur c) {
        DbeResult rc = DbeBeginBatch(c);
        for (int i = 0; rc == DBE_OK && i < 10; ++i)
            if ((rc = DbeSetToEnd(c)) == DBE_OK)
                rc = InsertPhrase(c, "carregada");
        return rc == DBE_OK ? DbeCommitBatch(c) : rc;
    }));
    uint32_t count = 0;
    hDbeCur cur = Open("FRASES.DB", dbeREADONLY);
    ExpectRefusedAsDamaged(DbeGetExactRecordCount(cur, &count));
    EXPECT_EQ(damaged, FileBytes());
}

// A batch that began before the damage was found keeps the file to itself
// until its commit, which asks again.
TEST_F(DamageTest, BatchIsNotCommittedWhenDamageIsFoundWhileItRuns) {
    ASSERT_NO_FATAL_FAILURE(FillPhrases());
    hDbeCur writer = Open("FRASES.DB");
    ASSERT_DBE(DBE_OK, DbeBeginBatch(writer));
    ASSERT_DBE(DBE_OK, DbeSetToEnd(writer));
    ASSERT_DBE(DBE_OK, InsertPhrase(writer, "no lote"));
    DamageTheMiddle();
    hDbeCur reader = Open("FRASES.DB", dbeREADONLY);
    EXPECT_DBE(DBE_ERR_CORRUPT, WalkToTheEnd(reader));
    ExpectRefusedAsDamaged(DbeCommitBatch(writer));
    EXPECT_DBE(DBE_OK, DbeRollbackBatch(writer));
}

TEST_F(DamageTest, ReplacedOrRecreatedTableTakesChangesAgain) {
    ASSERT_NO_FATAL_FAILURE(FillPhrases());
    fs::path backup = root_ / "backup";
    fs::create_directories(backup);
    ASSERT_DBE(DBE_OK, DbeCopyTableFamily(db_, "FRASES.DB", backup.c_str()));
    DamageTheMiddle();
    EXPECT_DBE(DBE_ERR_CORRUPT, DbeCheckTable(db_, "FRASES.DB"));

    // Put back from the copy.
    hDbeDb saved = nullptr;
    ASSERT_DBE(DBE_OK, DbeOpenDatabase(nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED, "", &saved));
    ASSERT_DBE(DBE_OK, DbeSetDirectory(saved, backup.c_str()));
    ASSERT_DBE(DBE_OK, DbeCopyTableFamily(saved, "FRASES.DB", data_.c_str()));
    hDbeCur cur = Open("FRASES.DB");
    EXPECT_DBE(DBE_OK, InsertPhrase(cur, "depois da copia"));
    EXPECT_DBE(DBE_ERR_EOF, WalkToTheEnd(cur));
    ASSERT_DBE(DBE_OK, DbeCloseCursor(&cur));

    // Damaged again, then made anew.
    DamageTheMiddle();
    EXPECT_DBE(DBE_ERR_CORRUPT, DbeCheckTable(db_, "FRASES.DB"));
    fs::remove(TableFile());
    CreatePhrases();
    cur = Open("FRASES.DB");
    EXPECT_DBE(DBE_OK, InsertPhrase(cur, "tabela nova"));
    EXPECT_EQ((std::vector<std::string>{"tabela nova"}), Walk(cur, pCorreta));
}

} // namespace
