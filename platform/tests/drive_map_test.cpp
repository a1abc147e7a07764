// The drive map without Qt: drive directories, case-insensitive lookup and
// the paths that resolve to nothing.
#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Gives each test its own data and configuration homes and no drive
// variables, and puts the environment back afterwards.
class DriveMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "drive_map_test.XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        Save("XDG_DATA_HOME");
        Save("XDG_CONFIG_HOME");
        for (char c = 'A'; c <= 'Z'; ++c)
            Save(std::string("QUESTOES_DRIVE_") + c);
        for (const auto& [name, value] : saved_)
            unsetenv(name.c_str());
        setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    }

    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    void Save(const std::string& name) {
        const char* value = std::getenv(name.c_str());
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

    static void Touch(const fs::path& file) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "x";
    }

    void WriteDrivesConf(const std::string& text) {
        fs::create_directories(root_ / "config" / "questoes");
        std::ofstream(root_ / "config" / "questoes" / "drives.conf") << text;
    }

    fs::path root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(DriveMapTest, DefaultDriveIsUnderXdgDataHome) {
    EXPECT_EQ(DriveDirectory('C'), root_ / "data" / "questoes" / "drive_c");
    EXPECT_EQ(DriveDirectory('a'), root_ / "data" / "questoes" / "drive_a");
}

TEST_F(DriveMapTest, NonLettersHaveNoDrive) {
    EXPECT_TRUE(DriveDirectory('1').empty());
    EXPECT_TRUE(DriveDirectory('\xC3').empty());
}

TEST_F(DriveMapTest, FindsExistingComponentsIgnoringCase) {
    const fs::path file =
        root_ / "data" / "questoes" / "drive_c" / "zq" / "questoes" / "Questoes.DB";
    Touch(file);
    EXPECT_EQ(ResolveWindowsPath("C:\\ZQ\\Questoes\\QUESTOES.DB"), file);
    EXPECT_EQ(ResolveWindowsPath("c:/zq/QUESTOES/questoes.db"), file);
}

TEST_F(DriveMapTest, FoldsAccentedLetters) {
    const fs::path dir = root_ / "data" / "questoes" / "drive_c" / "questões";
    fs::create_directories(dir);
    EXPECT_EQ(ResolveWindowsPath("C:\\QUESTÕES"), dir);
}

TEST_F(DriveMapTest, PrefersTheExactNameWhenSeveralMatch) {
    const fs::path drive = root_ / "data" / "questoes" / "drive_c";
    Touch(drive / "ABC");
    Touch(drive / "abc");
    EXPECT_EQ(ResolveWindowsPath("C:\\abc"), drive / "abc");
    EXPECT_EQ(ResolveWindowsPath("C:\\ABC"), drive / "ABC");
    EXPECT_EQ(ResolveWindowsPath("C:\\Abc"), drive / "ABC"); // first in byte order
}

TEST_F(DriveMapTest, MissingComponentsKeepTheirCase) {
    const fs::path drive = root_ / "data" / "questoes" / "drive_c";
    fs::create_directories(drive / "zq");
    EXPECT_EQ(ResolveWindowsPath("C:\\ZQ\\Novo\\Arquivo.TXT"),
              drive / "zq" / "Novo" / "Arquivo.TXT");
}

TEST_F(DriveMapTest, DotDotNeverLeavesTheDrive) {
    const fs::path drive = root_ / "data" / "questoes" / "drive_c";
    EXPECT_EQ(ResolveWindowsPath("C:\\..\\..\\etc\\passwd"), drive / "etc" / "passwd");
    EXPECT_EQ(ResolveWindowsPath("C:\\a\\.\\b\\..\\c"), drive / "a" / "c");
    EXPECT_EQ(ResolveWindowsPath("C:\\"), drive);
    EXPECT_EQ(ResolveWindowsPath("C:"), drive);
}

TEST_F(DriveMapTest, EnvironmentMovesADrive) {
    setenv("QUESTOES_DRIVE_A", (root_ / "floppy").c_str(), 1);
    EXPECT_EQ(DriveDirectory('a'), root_ / "floppy");
    EXPECT_EQ(ResolveWindowsPath("A:\\Questoes.DB"), root_ / "floppy" / "Questoes.DB");
}

TEST_F(DriveMapTest, DrivesConfMovesADriveAndEnvironmentWins) {
    WriteDrivesConf("# drives\n\n a = " + (root_ / "conf_a").string() +
                    "\nD:=" + (root_ / "conf_d").string() + "\nnonsense\n");
    EXPECT_EQ(DriveDirectory('A'), root_ / "conf_a");
    EXPECT_EQ(DriveDirectory('D'), root_ / "conf_d");
    EXPECT_EQ(DriveDirectory('E'), root_ / "data" / "questoes" / "drive_e");
    setenv("QUESTOES_DRIVE_A", (root_ / "env_a").c_str(), 1);
    EXPECT_EQ(DriveDirectory('A'), root_ / "env_a");
}

TEST_F(DriveMapTest, DriveWithoutDirectoryStillResolves) {
    setenv("QUESTOES_DRIVE_A", (root_ / "no_medium").c_str(), 1);
    EXPECT_EQ(ResolveWindowsPath("A:\\X.DB"), root_ / "no_medium" / "X.DB");
}

TEST_F(DriveMapTest, LinuxPathsPassThrough) {
    EXPECT_EQ(ResolveWindowsPath("/tmp/Some/FILE"), fs::path("/tmp/Some/FILE"));
}

class UnresolvablePath : public ::testing::TestWithParam<std::string> {};

TEST_P(UnresolvablePath, ResolvesToNothing) {
    EXPECT_FALSE(ResolveWindowsPath(GetParam()).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(DriveMap, UnresolvablePath,
                         ::testing::Values("", "relative\\file.txt", "file.txt",
                                           "\\\\server\\share", "1:\\x", "::", ":\\x",
                                           std::string("C:\\a\0b", 6)),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(SameNameIgnoringCase, ComparesUtf8Letters) {
    EXPECT_TRUE(SameNameIgnoringCase("QUESTOES.DB", "Questoes.db"));
    EXPECT_TRUE(SameNameIgnoringCase("AÇÃO", "ação"));
    EXPECT_FALSE(SameNameIgnoringCase("acao", "ação"));
    EXPECT_FALSE(SameNameIgnoringCase("abc", "abcd"));
    EXPECT_TRUE(SameNameIgnoringCase("\xFF", "\xFF"));
    EXPECT_FALSE(SameNameIgnoringCase("\xFF", "\xFE"));
}

} // namespace
