#include "platform/library.h"

#include "platform/registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using TProbe = int (*)();

// A private current directory, configuration and drive map per test; the two
// probe libraries return 1 and 2.
class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        saved_ = QDir::currentPath();
        QDir root(dir_.path());
        ASSERT_TRUE(root.mkpath(QStringLiteral("cwd")));
        ASSERT_TRUE(root.mkpath(QStringLiteral("dll1")));
        ASSERT_TRUE(root.mkpath(QStringLiteral("data/questoes/drive_c/Engine")));
        ASSERT_TRUE(QDir::setCurrent(dir_.filePath(QStringLiteral("cwd"))));
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toUtf8());
        SetSystemRegistryFile(dir_.filePath(QStringLiteral("no-system-registry")));
        ASSERT_TRUE(root.mkpath(QStringLiteral("config/questoes")));
        QFile conf(dir_.filePath(QStringLiteral("config/questoes/registry.conf")));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("[HKEY_LOCAL_MACHINE\\Software\\Database Engine]\nDLLPATH=" +
                   dir_.filePath(QStringLiteral("dll1")).toUtf8() + ";C:\\ENGINE\n");
    }
    void TearDown() override {
        QDir::setCurrent(saved_);
        SetSystemRegistryFile({});
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    }
    QString Path(const QString& relative) const { return dir_.filePath(relative); }
    static void Copy(const char* from, const QString& to) {
        ASSERT_TRUE(QFile::copy(QString::fromUtf8(from), to)) << to.toStdString();
    }
    static int ProbeOf(HMODULE module) {
        auto probe = reinterpret_cast<TProbe>(GetProcAddress(module, "ProbeValue"));
        return probe ? probe() : -1;
    }

    QTemporaryDir dir_;
    QString saved_;
};

TEST_F(LibraryTest, CurrentDirectoryComesBeforeDllPath) {
    Copy(PROBE_FIRST, Path(QStringLiteral("cwd/libprobe.so")));
    Copy(PROBE_SECOND, Path(QStringLiteral("dll1/libprobe.so")));
    const TLoadResult result = LoadLibraryEx(QStringLiteral("PROBE.DLL"));
    ASSERT_TRUE(result.Ok()) << result.Text.toStdString();
    EXPECT_EQ(ProbeOf(result.Handle), 1);
    EXPECT_EQ(result.Path, Path(QStringLiteral("cwd/libprobe.so")));
    EXPECT_TRUE(FreeLibrary(result.Handle));
}

TEST_F(LibraryTest, DllPathDirectoriesAreSearchedInOrder) {
    Copy(PROBE_SECOND, Path(QStringLiteral("data/questoes/drive_c/Engine/libprobe.so")));
    HMODULE module = LoadLibrary(QStringLiteral("Probe.dll"));
    ASSERT_NE(module, nullptr) << LastLoadErrorText().toStdString();
    EXPECT_EQ(LastLoadError(), TLoadError::None);
    EXPECT_EQ(ProbeOf(module), 2);
    EXPECT_EQ(GetProcAddress(module, "NoSuchEntry"), nullptr);
    FreeLibrary(module);
}

TEST_F(LibraryTest, FileThatIsNotALibraryIsOther) {
    QFile bogus(Path(QStringLiteral("cwd/libprobe.so")));
    ASSERT_TRUE(bogus.open(QIODevice::WriteOnly));
    bogus.write("this is not a shared library, it only has the name of one\n");
    bogus.close();
    Copy(PROBE_SECOND, Path(QStringLiteral("dll1/libprobe.so")));
    EXPECT_EQ(LoadLibrary(QStringLiteral("PROBE.DLL")), nullptr);
    EXPECT_EQ(LastLoadError(), TLoadError::Other);
    EXPECT_FALSE(LastLoadErrorText().isEmpty());
}

TEST_F(LibraryTest, MissingLibraryIsNotFound) {
    const TLoadResult result = LoadLibraryEx(QStringLiteral("NOSUCHENGINE.DLL"));
    EXPECT_FALSE(result.Ok());
    EXPECT_EQ(result.Error, TLoadError::NotFound);
    EXPECT_FALSE(result.Text.isEmpty());
    EXPECT_EQ(LoadLibraryEx(QStringLiteral("C:\\Engine\\NOSUCH.DLL")).Error, TLoadError::NotFound);
}

TEST_F(LibraryTest, NameWithADirectoryIsLoadedFromThere) {
    Copy(PROBE_SECOND, Path(QStringLiteral("data/questoes/drive_c/Engine/libprobe.so")));
    Copy(PROBE_FIRST, Path(QStringLiteral("cwd/libprobe.so")));
    const TLoadResult result = LoadLibraryEx(QStringLiteral("C:\\engine\\PROBE.DLL"));
    ASSERT_TRUE(result.Ok()) << result.Text.toStdString();
    EXPECT_EQ(ProbeOf(result.Handle), 2);
    FreeLibrary(result.Handle);
}

TEST_F(LibraryTest, DllPathSplitsAtSemicolonsAndColonsButNotDriveColons) {
    QFile conf(Path(QStringLiteral("config/questoes/registry.conf")));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[HKLM\\Software\\Database Engine]\nDLLPATH=C:\\Engine:/opt/a;;rel\n");
    conf.close();
    EXPECT_EQ(DllPathDirectories(),
              (QStringList{Path(QStringLiteral("data/questoes/drive_c/Engine")),
                           QStringLiteral("/opt/a"), Path(QStringLiteral("cwd/rel"))}));
}

struct TNameCase {
    const char* Name;
    const char* Desktop;
    const char* Linux;
};

class LibraryName : public ::testing::TestWithParam<TNameCase> {};

TEST_P(LibraryName, MapsToTheLinuxFile) {
    EXPECT_EQ(LinuxLibraryName(QString::fromUtf8(GetParam().Desktop)),
              QString::fromUtf8(GetParam().Linux));
}

INSTANTIATE_TEST_SUITE_P(Library, LibraryName,
                         ::testing::Values(TNameCase{"Engine", "DBENGINE.DLL", "libdbengine.so"},
                                           TNameCase{"Monitor", "ExKbMon.dll", "libexkbmon.so"},
                                           TNameCase{"NoExtension", "Foo", "libfoo.so"},
                                           TNameCase{"AlreadyLinux", "libbar.so", "libbar.so"}),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
