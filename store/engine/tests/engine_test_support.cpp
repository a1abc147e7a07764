// Set-up shared by the engine tests.
#include "store/engine/tests/engine_test_support.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

std::string LastErrorText() {
    DbeResult code = 0;
    DbeGetLastError(&code);
    char text[DBE_MAXMSGLEN + 1];
    DbeGetErrorString(code, text);
    std::string out = "last error $" + [&] {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x", code);
        return std::string(hex);
    }() + ": " + text;
    char line[DBE_MAXMSGLEN + 1];
    for (uint16_t i = 0; DbeGetErrorContext(i, line) == DBE_OK; ++i)
        out += std::string("\n  ") + line;
    return out;
}

void EngineTest::SetUp() {
    std::string tmpl = (fs::temp_directory_path() / "dbengine-test-XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
    root_ = tmpl;
    data_ = root_ / "data";
    fs::create_directories(data_);
    fs::create_directories(root_ / "config" / "questoes");
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "share").c_str(), 1);
    std::ofstream(root_ / "config" / "questoes" / "dbengine.conf")
        << "[Aliases]\nTest=" << data_.string() << "\n";
    DbeEnv env = {};
    std::strcpy(env.szLang, "0009");
    ASSERT_EQ(DBE_OK, DbeInitFn(DBE_INTERFACE_VERSION, &env));
    ASSERT_DBE(DBE_OK, DbeOpenDatabase("Test", nullptr, dbeREADWRITE, dbeOPENSHARED, "", &db_));
}

void EngineTest::TearDown() {
    DbeExit();
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
}

void EngineTest::CreateQuestions(const char* password) {
    DbeFieldDef fields[7] = {{"Codigo", DBE_FLD_AUTOINC, 0},  {"Questao", DBE_FLD_STRING, 250},
                             {"Resp_A", DBE_FLD_STRING, 250}, {"Resp_B", DBE_FLD_STRING, 250},
                             {"Resp_C", DBE_FLD_STRING, 250}, {"Correta", DBE_FLD_STRING, 1},
                             {"Flag", DBE_FLD_STRING, 1}};
    DbeTableDesc desc = {"QUESTOES.DB", 7, fields, 1, 2, password};
    ASSERT_DBE(DBE_OK, DbeCreateTable(db_, &desc));
}

void EngineTest::CreatePhrases(const char* password) {
    DbeFieldDef fields[2] = {{"Correta", DBE_FLD_STRING, 100}, {"Errada", DBE_FLD_STRING, 100}};
    DbeTableDesc desc = {"FRASES.DB", 2, fields, 0, 0, password};
    ASSERT_DBE(DBE_OK, DbeCreateTable(db_, &desc));
}

hDbeCur EngineTest::CreatePhrasesWith(int count, const std::function<std::string(int)>& text) {
    CreatePhrases();
    hDbeCur cur = Open("FRASES.DB");
    EXPECT_DBE(DBE_OK, DbeBeginBatch(cur));
    for (int i = 0; i < count; ++i) {
        EXPECT_DBE(DBE_OK, DbeSetToEnd(cur));
        EXPECT_DBE(DBE_OK, InsertPhrase(cur, text(i).c_str()));
    }
    EXPECT_DBE(DBE_OK, DbeCommitBatch(cur));
    return cur;
}

hDbeCur EngineTest::Open(const char* table, DbeOpenMode mode) {
    hDbeCur cur = nullptr;
    EXPECT_DBE(DBE_OK, DbeOpenTable(db_, table, "NATIVE", nullptr, mode, dbeOPENSHARED, 1, &cur));
    return cur;
}

TRec::TRec(hDbeCur cur) : cur_(cur) {
    DbeCurProps props;
    if (DbeGetCursorProps(cur, &props) == DBE_OK)
        buf_.resize(props.iRecBufSize);
    Blank();
}

void TRec::Blank() {
    if (!buf_.empty())
        DbeInitRecord(cur_, buf_.data());
}

DbeResult TRec::Put(uint16_t field, const char* text) {
    return DbePutField(cur_, field, buf_.data(), text);
}

DbeResult TRec::PutInt(uint16_t field, int32_t value) {
    return DbePutField(cur_, field, buf_.data(), &value);
}

std::string TRec::Get(uint16_t field) const {
    std::vector<char> text(16001);
    int16_t blank = 0;
    if (DbeGetField(cur_, field, buf_.data(), text.data(), text.size(), &blank) != DBE_OK)
        return "<error>";
    return text.data();
}

int32_t TRec::Int(uint16_t field) const {
    int32_t v = 0;
    int16_t blank = 0;
    if (DbeGetField(cur_, field, buf_.data(), &v, sizeof v, &blank) != DBE_OK)
        return -2;
    return blank ? -1 : v;
}

bool TRec::IsBlank(uint16_t field) const {
    std::vector<char> text(16001);
    int16_t blank = 0;
    DbeGetField(cur_, field, buf_.data(), text.data(), text.size(), &blank);
    return blank != 0;
}

DbeResult InsertPhrase(hDbeCur cur, const char* correct, const char* wrong) {
    TRec rec(cur);
    rec.Put(pCorreta, correct);
    rec.Put(pErrada, wrong);
    return DbeInsertRecord(cur, dbeNOLOCK, rec.Data());
}

int32_t InsertQuestion(hDbeCur cur, const char* text) {
    TRec rec(cur);
    rec.Put(qQuestao, text);
    rec.Put(qCorreta, "A");
    if (DbeInsertRecord(cur, dbeNOLOCK, rec.Data()) != DBE_OK)
        return -1;
    return rec.Int(qCodigo);
}

std::vector<std::string> Walk(hDbeCur cur, uint16_t field) {
    std::vector<std::string> values;
    DbeSetToBegin(cur);
    TRec rec(cur);
    while (DbeGetNextRecord(cur, dbeNOLOCK, rec.Data(), nullptr) == DBE_OK)
        values.push_back(rec.Get(field));
    return values;
}

size_t CursorBookmarkSize(hDbeCur cur) {
    DbeCurProps props;
    return DbeGetCursorProps(cur, &props) == DBE_OK ? props.iBookMarkSize : 0;
}
