// The cursor's read-ahead window must never hide this process's changes, and
// must show another program's changes after a jump or a refill; locked reads
// and changes always go to the file. Another program is a child process
// with its own cursor, or a plain SQLite connection to the table file.
#include "store/engine/tests/engine_test_support.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class WindowTest : public EngineTest {
protected:
    // Questions "q1".."qN" (Codigo 1..N), inserted in one batch.
    hDbeCur Fill(int count) {
        CreateQuestions();
        hDbeCur cur = Open("QUESTOES.DB");
        EXPECT_DBE(DBE_OK, DbeBeginBatch(cur));
        for (int i = 1; i <= count; ++i)
            EXPECT_EQ(i, InsertQuestion(cur, ("q" + std::to_string(i)).c_str()));
        EXPECT_DBE(DBE_OK, DbeCommitBatch(cur));
        EXPECT_DBE(DBE_OK, DbeSetToBegin(cur));
        return cur;
    }
    // Runs `sql` on the table file from outside the engine.
    void Outside(const std::string& sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open((data_ / "QUESTOES.DB").c_str(), &db));
        sqlite3_busy_timeout(db, 5000);
        char* error = nullptr;
        int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
        std::string text = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(SQLITE_OK, rc) << text;
    }
    // Runs `work` in a child process on a cursor of its own; true when the
    // child finished it.
    bool InAnotherProcess(const std::function<bool(hDbeCur)>& work) {
        pid_t pid = fork();
        if (pid == 0) {
            hDbeCur cur = nullptr;
            bool ok = DbeOpenTable(db_, "QUESTOES.DB", "NATIVE", nullptr, dbeREADWRITE,
                                   dbeOPENSHARED, 1, &cur) == DBE_OK &&
                      work(cur);
            _exit(ok ? 0 : 1);
        }
        int status = 0;
        return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    }
    std::string Next(hDbeCur cur, DbeRecProps* props = nullptr) {
        TRec rec(cur);
        DbeResult rc = DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), props);
        return rc == DBE_OK ? rec.Get(qQuestao) : "code " + std::to_string(rc);
    }
};

TEST_F(WindowTest, WalkAcrossManyWindowsKeepsOrderSequenceAndEndCodes) {
    hDbeCur cur = Fill(700);
    TRec rec(cur);
    DbeRecProps props;
    for (int i = 1; i <= 700; ++i) {
        ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), &props));
        ASSERT_EQ("q" + std::to_string(i), rec.Get(qQuestao));
        ASSERT_EQ(uint32_t(i), props.iSeqNum);
    }
    EXPECT_DBE(DBE_ERR_EOF, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), &props));
    for (int i = 700; i >= 1; --i) {
        ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props));
        ASSERT_EQ("q" + std::to_string(i), rec.Get(qQuestao));
        if (i == 350) // turning round inside a window
            for (int back : {351, 350}) {
                DbeResult rc = back == 351 ? DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), &props)
                                           : DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props);
                ASSERT_DBE(DBE_OK, rc);
                ASSERT_EQ("q" + std::to_string(back), rec.Get(qQuestao));
            }
    }
    EXPECT_DBE(DBE_ERR_BOF, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), &props));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ(1u, props.iSeqNum);
}

TEST_F(WindowTest, ChangesBySecondCursorShowAtTheVeryNextStep) {
    hDbeCur a = Fill(10);
    hDbeCur b = Open("QUESTOES.DB");
    EXPECT_EQ("q1", Next(a)); // a's window now holds the following records
    TRec rec(b);
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(b, dbeNOLOCK, rec.Data(), nullptr));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(b, dbeWRITELOCK, rec.Data(), nullptr));
    ASSERT_DBE(DBE_OK, rec.Put(qQuestao, "changed"));
    ASSERT_DBE(DBE_OK, DbeModifyRecord(b, rec.Data(), 1));
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(b, dbeNOLOCK, rec.Data(), nullptr));
    ASSERT_DBE(DBE_OK, DbeDeleteRecord(b, rec.Data()));
    DbeRecProps props;
    EXPECT_EQ("changed", Next(a, &props));
    EXPECT_EQ(2u, props.iSeqNum);
    EXPECT_EQ("q4", Next(a)); // q3 is gone
    ASSERT_DBE(DBE_OK, DbeSetToEnd(b));
    EXPECT_EQ(11, InsertQuestion(b, "added"));
    for (int i = 5; i <= 10; ++i)
        EXPECT_EQ("q" + std::to_string(i), Next(a));
    EXPECT_EQ("added", Next(a));
    DbeCloseCursor(&b);
}

TEST_F(WindowTest, OwnChangesDropTheWindow) {
    hDbeCur cur = Fill(5);
    TRec rec(cur);
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeWRITELOCK, rec.Data(), nullptr));
    ASSERT_DBE(DBE_OK, rec.Put(qQuestao, "first"));
    ASSERT_DBE(DBE_OK, DbeModifyRecord(cur, rec.Data(), 1));
    EXPECT_EQ("q2", Next(cur));
    ASSERT_DBE(DBE_OK, DbeSetToEnd(cur));
    EXPECT_EQ(6, InsertQuestion(cur, "q6"));
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    EXPECT_EQ("first", Next(cur));
    EXPECT_EQ((std::vector<std::string>{"first", "q2", "q3", "q4", "q5", "q6"}),
              Walk(cur, qQuestao));
}

TEST_F(WindowTest, OtherProgramsChangeShowsAfterAJumpOrARefill) {
    hDbeCur cur = Fill(300);
    EXPECT_EQ("q1", Next(cur));
    Outside("UPDATE records SET Questao = 'outside' WHERE Codigo IN (2, 250)");
    // q2 may come from the window read before the change; q250 lies beyond
    // it and is read by a later refill.
    Next(cur);
    for (int i = 3; i < 250; ++i)
        ASSERT_EQ("q" + std::to_string(i), Next(cur));
    EXPECT_EQ("outside", Next(cur));
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    EXPECT_EQ("q1", Next(cur));
    EXPECT_EQ("outside", Next(cur));
}

// A step from the window looks for other connections' commits only when its
// last look is a few milliseconds old; the bound is far above that.
TEST_F(WindowTest, AnotherProcesssCommitShowsAtASoonStep) {
    hDbeCur cur = Fill(40);
    for (int i = 1; i <= 5; ++i)
        ASSERT_EQ("q" + std::to_string(i), Next(cur));
    // q6 and q7 wait in the window, read before the other process changes them.
    ASSERT_TRUE(InAnotherProcess([](hDbeCur other) {
        TRec rec(other);
        for (int i = 0; i < 6; ++i)
            if (DbeGetNextRecord(other, i == 5 ? dbeWRITELOCK : dbeNOLOCK, rec.Data(), nullptr))
                return false;
        if (rec.Put(qQuestao, "changed") || DbeModifyRecord(other, rec.Data(), 1) ||
            DbeGetNextRecord(other, dbeNOLOCK, rec.Data(), nullptr))
            return false;
        return DbeDeleteRecord(other, rec.Data()) == DBE_OK;
    }));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::string shown = Next(cur);
    while (shown == "q6" && std::chrono::steady_clock::now() < until) {
        ASSERT_EQ("q5", [&] {
            TRec rec(cur);
            DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), nullptr);
            return rec.Get(qQuestao);
        }());
        shown = Next(cur);
    }
    DbeRecProps props;
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeNOLOCK, nullptr, &props));
    EXPECT_EQ("changed", shown);
    EXPECT_EQ(6u, props.iSeqNum);
    EXPECT_EQ("q8", Next(cur, &props)); // q7 is gone
    EXPECT_EQ(7u, props.iSeqNum);
}

// Commits elsewhere in the middle of a long walk drop the window; the walk
// reads on from where it stands, each record once and in order.
TEST_F(WindowTest, WalkReadsEachRecordOnceThroughCommitsElsewhere) {
    hDbeCur cur = Fill(3000);
    std::vector<int32_t> codes;
    TRec rec(cur);
    DbeRecProps props;
    while (DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), &props) == DBE_OK) {
        codes.push_back(rec.Int(qCodigo));
        ASSERT_EQ(codes.size(), props.iSeqNum);
        if (codes.size() % 500 == 0)
            Outside("UPDATE records SET Resp_A = 'seen' WHERE Codigo = " +
                    std::to_string(codes.size() + 20));
    }
    ASSERT_EQ(3000u, codes.size());
    for (int32_t i = 0; i < 3000; ++i)
        ASSERT_EQ(i + 1, codes[size_t(i)]);
}

TEST_F(WindowTest, EditReadsTheStoredValuesNotTheWindow) {
    hDbeCur cur = Fill(5);
    EXPECT_EQ("q1", Next(cur));
    Outside("UPDATE records SET Questao = 'outside' WHERE Codigo = 2");
    TRec rec(cur);
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    DbeRecProps props;
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeWRITELOCK, rec.Data(), &props));
    EXPECT_EQ("outside", rec.Get(qQuestao));
    EXPECT_TRUE(props.bLocked);
    ASSERT_DBE(DBE_OK, DbeRelRecordLock(cur, 0));
}

TEST_F(WindowTest, RecordDeletedOutsideIsNeitherLockedNorChanged) {
    hDbeCur cur = Fill(5);
    EXPECT_EQ("q1", Next(cur));
    EXPECT_EQ("q2", Next(cur));
    Outside("DELETE FROM records WHERE Codigo IN (2, 3)");
    TRec rec(cur);
    // Standing on q2, read before the delete: locking it must fail, and the
    // step after it reads on from the gap it left.
    EXPECT_DBE(DBE_ERR_RECDELETED, DbeGetRecord(cur, dbeWRITELOCK, rec.Data(), nullptr));
    EXPECT_EQ("q4", Next(cur));
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    Outside("DELETE FROM records WHERE Codigo = 4");
    ASSERT_EQ("q4", rec.Get(qQuestao));
    ASSERT_DBE(DBE_OK, rec.Put(qQuestao, "revived?"));
    EXPECT_DBE(DBE_ERR_RECDELETED, DbeModifyRecord(cur, rec.Data(), 1));
    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    EXPECT_EQ((std::vector<std::string>{"q1", "q5"}), Walk(cur, qQuestao));
}

// On the secondary index the order value is the question's text, which the
// window keeps beside each row: steps, turns and bookmarks must all find
// their place by it.
TEST_F(WindowTest, TextOrderKeepsItsPlaceAcrossWindowsAndBookmarks) {
    CreateQuestions();
    hDbeCur writer = Open("QUESTOES.DB");
    std::vector<std::string> sorted;
    for (int i = 0; i < 120; ++i) {
        char text[8];
        std::snprintf(text, sizeof text, "t%03d", (i * 37) % 120); // every number, mixed
        ASSERT_LT(0, InsertQuestion(writer, text));
        std::snprintf(text, sizeof text, "t%03d", i);
        sorted.push_back(text);
    }
    hDbeCur cur = nullptr;
    ASSERT_DBE(DBE_OK, DbeOpenTable(db_, "QUESTOES.DB", "NATIVE", "Questao", dbeREADWRITE,
                                    dbeOPENSHARED, 1, &cur));
    EXPECT_EQ(sorted, Walk(cur, qQuestao));

    ASSERT_DBE(DBE_OK, DbeSetToBegin(cur));
    TRec rec(cur);
    std::vector<unsigned char> bookmark(CursorBookmarkSize(cur));
    for (int i = 0; i < 70; ++i) {
        ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
        if (i == 40) {
            ASSERT_DBE(DBE_OK, DbeGetBookMark(cur, bookmark.data()));
        }
    }
    for (int i = 68; i >= 30; --i) { // back through this window's start and beyond
        ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
        ASSERT_EQ(sorted[i], rec.Get(qQuestao));
    }
    ASSERT_DBE(DBE_OK, DbeSetToBookMark(cur, bookmark.data()));
    DbeRecProps props;
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeNOLOCK, rec.Data(), &props));
    EXPECT_EQ(sorted[40], rec.Get(qQuestao));
    EXPECT_EQ(41u, props.iSeqNum);
    ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
    EXPECT_EQ(sorted[39], rec.Get(qQuestao));

    ASSERT_DBE(DBE_OK, DbeSetToEnd(cur));
    for (int i = 119; i >= 0; --i) {
        ASSERT_DBE(DBE_OK, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
        ASSERT_EQ(sorted[i], rec.Get(qQuestao));
    }
    EXPECT_DBE(DBE_ERR_BOF, DbeGetPriorRecord(cur, dbeNOLOCK, rec.Data(), nullptr));
}

// A record handed out from the window holds what a record read straight
// from the file holds: blanks, numbers, accents, and the cut of text that
// another program stored too long or not as UTF-8.
TEST_F(WindowTest, WindowRecordsHoldWhatTheFileRecordsHold) {
    hDbeCur cur = Fill(3);
    ASSERT_NO_FATAL_FAILURE(
        Outside("UPDATE records SET Questao = 'Ação é já', Resp_A = '', Resp_B = '', "
                "Resp_C = X'41C3' || 'B', Correta = 'AB', Flag = 'ñ' WHERE Codigo = 2;"
                "UPDATE records SET Questao = printf('%.300c', 'x') WHERE Codigo = 3"));
    auto fields = [](TRec& rec) {
        std::vector<std::string> values;
        for (uint16_t f = qQuestao; f <= qFlag; ++f)
            values.push_back(rec.IsBlank(f) ? "<blank>" : rec.Get(f));
        values.push_back(std::to_string(rec.Int(qCodigo)));
        return values;
    };
    TRec windowed(cur);
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, windowed.Data(), nullptr)); // fills
    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, windowed.Data(), nullptr)); // from it
    TRec direct(cur);
    ASSERT_DBE(DBE_OK, DbeGetRecord(cur, dbeNOLOCK, direct.Data(), nullptr));
    const std::vector<std::string> expected{
        "A\xc3\xa7\xc3\xa3o \xc3\xa9 j\xc3\xa1", "<blank>", "<blank>", "A", "A", "\xc3\xb1", "2"};
    EXPECT_EQ(expected, fields(windowed));
    EXPECT_EQ(expected, fields(direct));

    ASSERT_DBE(DBE_OK, DbeGetNextRecord(cur, dbeNOLOCK, windowed.Data(), nullptr));
    EXPECT_EQ(std::string(250, 'x'), windowed.Get(qQuestao));
}

} // namespace
