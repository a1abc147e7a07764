// Writing the engine's configuration: one alias changed, every other line
// of a hand-written file kept, and what is written read back as written.
#include "store/engine/engine_config.h"
#include "store/engine/tests/engine_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

struct TSetCase {
    const char* Name;
    const char* Before;
    const char* Alias;
    const char* Dir;
    const char* After;
};

class EngineConfigSet : public testing::TestWithParam<TSetCase> {};

} // namespace

TEST_P(EngineConfigSet, ChangesOnlyTheAliasLine) {
    const TSetCase& c = GetParam();
    std::string after = SetAliasInText(c.Before, c.Alias, c.Dir);
    EXPECT_EQ(c.After, after);
    TEngineConfig config = ParseEngineConfig(after);
    EXPECT_EQ(c.Dir, config.FindAlias(c.Alias).value_or("-"));
    // Every other alias the file named before is named as it was.
    TEngineConfig before = ParseEngineConfig(c.Before);
    for (const auto& [name, dir] : before.Aliases) {
        if (!TEngineConfig{{{name, dir}}}.FindAlias(c.Alias)) {
            EXPECT_EQ(before.FindAlias(name), config.FindAlias(name)) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, EngineConfigSet,
    testing::Values(
        TSetCase{"Empty", "", "Questoes", "C:\\ZQ\\Questoes\\",
                 "[Aliases]\nQuestoes=C:\\ZQ\\Questoes\\\n"},
        TSetCase{"OtherSectionWithoutLineEnd", "[Outra]\nx=1", "A", "/a",
                 "[Outra]\nx=1\n[Aliases]\nA=/a\n"},
        TSetCase{"ReplacesTheNameIgnoringCase", "; minha\n[Aliases]\n  questoes = /velha  \nB=/b\n",
                 "Questoes", "/nova", "; minha\n[Aliases]\nQuestoes=/nova\nB=/b\n"},
        TSetCase{"ReplacesTheLineThatWins", "[Aliases]\nA=/um\nA=/dois\n", "A", "/três",
                 "[Aliases]\nA=/um\nA=/três\n"},
        TSetCase{"AddsToTheLastAliasesSection",
                 "[Aliases]\nA=/a\n\n# fim\n[Outra]\nQuestoes=/não é alias\n", "Questoes", "/q",
                 "[Aliases]\nA=/a\nQuestoes=/q\n\n# fim\n[Outra]\nQuestoes=/não é alias\n"},
        TSetCase{"EmptyValueNamesNothing", "[Aliases]\nA=\n", "A", "/a", "[Aliases]\nA=\nA=/a\n"},
        TSetCase{"KeepsWindowsLineEndsAndTheMark", "\xEF\xBB\xBF[Aliases]\r\nB=/b\r\n", "A", "/a",
                 "\xEF\xBB\xBF[Aliases]\r\nB=/b\r\nA=/a\r\n"},
        TSetCase{"ReplacesAWindowsLine", "[Aliases]\r\nA=/velha\r\nB=/b\r\n", "A", "/nova",
                 "[Aliases]\r\nA=/nova\r\nB=/b\r\n"},
        TSetCase{"PathWithSpacesAndAccents", "[Aliases]", "Meus Dados", "/srv/pasta com espaço/ção",
                 "[Aliases]\nMeus Dados=/srv/pasta com espaço/ção\n"}),
    [](const testing::TestParamInfo<TSetCase>& info) { return std::string(info.param.Name); });

TEST(EngineConfig, AliasThatWouldNotReadBackIsRefused) {
    EXPECT_EQ("", AliasLineProblem("Questoes", "C:\\ZQ\\Questoes\\"));
    EXPECT_EQ("", AliasLineProblem("Meus dados", "/a b/ç"));
    for (auto [alias, dir] : {std::pair<std::string, std::string>{"", "/a"},
                              {"A", ""},
                              {" A", "/a"},
                              {"A", "/a "},
                              {"A=B", "/a"},
                              {"[A]", "/a"},
                              {";A", "/a"},
                              {"#A", "/a"},
                              {"A", "/a\nB=/b"},
                              {"A", "/a\r"},
                              {"A", std::string("/a\0b", 4)}})
        EXPECT_NE("", AliasLineProblem(alias, dir)) << alias << " = " << dir;
}

// A private folder for the files (the engine's own set-up gives it).
class EngineConfigFile : public EngineTest {};

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(EngineConfigFile, WriteCreatesTheFolderAndKeepsTheFileMode) {
    fs::path file = root_ / "novo" / "questoes" / "dbengine.conf";
    std::string why;
    ASSERT_TRUE(WriteAlias(file.string(), "Questoes", "/q", why)) << why;
    EXPECT_EQ("[Aliases]\nQuestoes=/q\n", Read(file));
    EXPECT_EQ("/q", LookUpAlias("questoes", file.string()).value_or("-"));

    ASSERT_EQ(0, chmod(file.c_str(), 0640));
    ASSERT_TRUE(WriteAlias(file.string(), "Outro", "/o", why)) << why;
    EXPECT_EQ("[Aliases]\nQuestoes=/q\nOutro=/o\n", Read(file));
    struct stat st {};
    ASSERT_EQ(0, stat(file.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);
    // Nothing is left beside it.
    EXPECT_EQ(1, std::distance(fs::directory_iterator(file.parent_path()), {}));
}

TEST_F(EngineConfigFile, WriteThatCannotBeDoneSaysWhyAndChangesNothing) {
    std::string why;
    fs::path folder = root_ / "dbengine.conf";
    fs::create_directory(folder);
    EXPECT_FALSE(WriteAlias(folder.string(), "A", "/a", why));
    EXPECT_NE(std::string::npos, why.find(folder.string())) << why;

    fs::path notFolder = root_ / "arquivo";
    std::ofstream(notFolder) << "x";
    EXPECT_FALSE(WriteAlias((notFolder / "dbengine.conf").string(), "A", "/a", why));
    EXPECT_NE(std::string::npos, why.find("Not a directory")) << why;
    EXPECT_EQ("x", Read(notFolder));

    fs::path file = root_ / "ok.conf";
    std::ofstream(file) << "[Aliases]\nA=/a\n";
    EXPECT_FALSE(WriteAlias(file.string(), "B", "/b\n[Outra]", why));
    EXPECT_EQ("[Aliases]\nA=/a\n", Read(file));
}
