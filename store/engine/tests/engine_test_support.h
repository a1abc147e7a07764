// Shared set-up of the engine tests: a private temporary directory with its
// own engine configuration (alias "Test" -> <tmp>/data), the engine started
// and a database open on that alias, and small helpers over record buffers.
#pragma once

#include "store/engine/dbengine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#define EXPECT_DBE(code, expr) EXPECT_EQ(DbeResult(code), (expr)) << LastErrorText()
#define ASSERT_DBE(code, expr) ASSERT_EQ(DbeResult(code), (expr)) << LastErrorText()

// The last failure of the session: text and context lines.
std::string LastErrorText();

// Field numbers of the two tables of the system.
enum EQuestionField : uint16_t { qCodigo = 1, qQuestao, qRespA, qRespB, qRespC, qCorreta, qFlag };
enum EPhraseField : uint16_t { pCorreta = 1, pErrada };

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void CreateQuestions(const char* password = nullptr);
    void CreatePhrases(const char* password = nullptr);
    // Creates the phrases table and appends `count` phrases, text(0) to
    // text(count - 1), in one batch; returns the cursor that wrote them.
    hDbeCur CreatePhrasesWith(int count, const std::function<std::string(int)>& text);
    hDbeCur Open(const char* table, DbeOpenMode mode = dbeREADWRITE);

    std::filesystem::path root_;
    std::filesystem::path data_;
    hDbeDb db_ = nullptr;
};

// A record buffer of a cursor.
class TRec {
public:
    explicit TRec(hDbeCur cur);
    void* Data() { return buf_.data(); }
    void Blank();
    DbeResult Put(uint16_t field, const char* text);
    DbeResult PutInt(uint16_t field, int32_t value);
    std::string Get(uint16_t field) const;
    int32_t Int(uint16_t field) const;
    bool IsBlank(uint16_t field) const;

private:
    hDbeCur cur_;
    std::vector<unsigned char> buf_;
};

// Inserts a phrase pair at the cursor; returns the result code.
DbeResult InsertPhrase(hDbeCur cur, const char* correct, const char* wrong = "x");
// Inserts a question; returns its Codigo (or -1 on failure).
int32_t InsertQuestion(hDbeCur cur, const char* text);
// The field values of every record in order, walking with next.
std::vector<std::string> Walk(hDbeCur cur, uint16_t field);
// Bookmark size of a cursor.
size_t CursorBookmarkSize(hDbeCur cur);
