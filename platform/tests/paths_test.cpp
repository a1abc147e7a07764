// The Qt front of the drive map keeps non-ASCII names intact and reports an
// unresolvable path as empty.
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("XDG_DATA_HOME", dir_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toUtf8());
        qputenv("QUESTOES_DRIVE_A", QFile::encodeName(dir_.filePath(QStringLiteral("disquete"))));
    }
    void TearDown() override {
        qunsetenv("QUESTOES_DRIVE_A");
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }
    QTemporaryDir dir_;
};

TEST_F(PathsTest, ResolvesUtf8Names) {
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("questoes/drive_c/Questões")));
    EXPECT_EQ(ResolvePath(QStringLiteral("C:\\QUESTÕES\\novo.txt")),
              dir_.filePath(QStringLiteral("questoes/drive_c/Questões/novo.txt")));
}

TEST_F(PathsTest, DriveRootFollowsTheMap) {
    EXPECT_EQ(DriveRoot(QLatin1Char('a')), dir_.filePath(QStringLiteral("disquete")));
    EXPECT_EQ(DriveRoot(QLatin1Char('C')), dir_.filePath(QStringLiteral("questoes/drive_c")));
    EXPECT_TRUE(DriveRoot(QChar(0x00C7)).isEmpty());
}

TEST_F(PathsTest, UnresolvablePathIsEmpty) {
    EXPECT_TRUE(ResolvePath(QStringLiteral("sem_unidade.txt")).isEmpty());
    EXPECT_EQ(ResolvePath(QStringLiteral("/etc/x")), QStringLiteral("/etc/x"));
}

} // namespace
