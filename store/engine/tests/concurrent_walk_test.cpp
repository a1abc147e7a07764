// Walks of the phrases table while another process inserts into its middle.
// The table keeps its stored order through an order column, and inserts at
// one spot renumber that column from end to end every few dozen records: a
// walk must still read each record once, and every record that was there
// before it began.
#include "store/engine/tests/engine_test_support.h"

#include <csignal>
#include <cstdio>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kOriginals = 2000;
// More inserts at one spot than fit between two order values, so that every
// batch renumbers the whole order column at least once.
constexpr int kInsertsPerBatch = 60;
constexpr int kBatches = 40;

std::string Original(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "o%05d", i);
    return text;
}

class ConcurrentWalkTest : public EngineTest {
protected:
    // A child process with its own cursor that stands in the middle of the
    // table and inserts there, batch after batch, each insert before the
    // one it made last. It writes one byte to `ready` once it stands there.
    pid_t InsertingInTheMiddle(int ready) {
        pid_t pid = fork();
        if (pid != 0)
            return pid;
        hDbeCur cur = nullptr;
        if (DbeOpenTable(db_, "FRASES.DB", "NATIVE", nullptr, dbeREADWRITE, dbeOPENSHARED, 1,
                         &cur) != DBE_OK)
            _exit(1);
        TRec rec(cur);
        for (int i = 0; i < kOriginals / 2; ++i)
            if (DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr) != DBE_OK)
                _exit(2);
        if (write(ready, "r", 1) != 1)
            _exit(3);
        for (int batch = 0; batch < kBatches; ++batch) {
            if (DbeBeginBatch(cur) != DBE_OK)
                _exit(4);
            for (int i = 0; i < kInsertsPerBatch; ++i) {
                std::string text = "n" + std::to_string(batch) + "-" + std::to_string(i);
                if (InsertPhrase(cur, text.c_str()) != DBE_OK)
                    _exit(5);
            }
            if (DbeCommitBatch(cur) != DBE_OK)
                _exit(6);
        }
        _exit(0);
    }
};

// What one walk from the beginning to the end got wrong: records read more
// than once, originals missing or out of their order.
struct TWalkFaults {
    int Repeated = 0;
    int Missing = 0;
    int OutOfOrder = 0;
    DbeResult End = DBE_OK;
};

TWalkFaults WalkOnce(hDbeCur cur) {
    TWalkFaults faults;
    std::set<std::string> seen;
    std::vector<std::string> originals;
    TRec rec(cur);
    DbeSetToBegin(cur);
    while ((faults.End = DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr)) == DBE_OK) {
        std::string text = rec.Get(pCorreta);
        if (!seen.insert(text).second)
            ++faults.Repeated;
        else if (text[0] == 'o')
            originals.push_back(text);
    }
    faults.Missing = kOriginals - int(originals.size());
    for (size_t i = 1; i < originals.size(); ++i)
        faults.OutOfOrder += originals[i - 1] > originals[i];
    return faults;
}

TEST_F(ConcurrentWalkTest, ForwardWalkReadsEachRecordOnceWhileAnotherProcessRenumbers) {
    hDbeCur cur = CreatePhrasesWith(kOriginals, Original);
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    pid_t child = InsertingInTheMiddle(fds[1]);
    ASSERT_GT(child, 0);
    close(fds[1]);
    char ready = 0;
    ASSERT_EQ(1, read(fds[0], &ready, 1)) << "the inserting process did not start";
    close(fds[0]);

    int walks = 0, repeated = 0, missing = 0, outOfOrder = 0;
    int status = 0;
    bool childDone = false;
    // Walk for as long as the other process inserts, and once more after it.
    while (!childDone) {
        childDone = waitpid(child, &status, WNOHANG) == child;
        TWalkFaults faults = WalkOnce(cur);
        ASSERT_EQ(DBE_ERR_EOF, faults.End) << LastErrorText();
        ++walks;
        repeated += faults.Repeated;
        missing += faults.Missing;
        outOfOrder += faults.OutOfOrder;
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_EQ(0, repeated) << "records read twice in " << walks << " walks";
    EXPECT_EQ(0, missing) << "original records missed in " << walks << " walks";
    EXPECT_EQ(0, outOfOrder) << "original records out of order in " << walks << " walks";
    uint32_t count = 0;
    ASSERT_DBE(DBE_OK, DbeGetExactRecordCount(cur, &count));
    EXPECT_EQ(uint32_t(kOriginals + kBatches * kInsertsPerBatch), count);
}

} // namespace
