// The per-test environment: variables pointed inside its directory, drive
// overrides of the caller removed, everything put back afterwards.
#include "platform/testing/scoped_test_environment.h"

#include "platform/registry.h"
#include "platform/testing/scoped_test_clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>
#include <gtest/gtest.h>

namespace {

QString Variable(const char* name) {
    return qEnvironmentVariable(name);
}

TEST(ScopedTestEnvironment, PointsUserFoldersInsideItsDirectory) {
    ScopedTestEnvironment env;
    ASSERT_FALSE(env.Root().isEmpty());
    EXPECT_EQ(Variable("XDG_DATA_HOME"), env.DataHome());
    EXPECT_EQ(Variable("XDG_CONFIG_HOME"), env.ConfigHome());
    EXPECT_EQ(Variable("TMPDIR"), env.TempDir());
    EXPECT_TRUE(Variable("HOME").startsWith(env.Root()));
    EXPECT_EQ(QDir::tempPath(), env.TempDir());
    EXPECT_EQ(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
              env.DataHome());
    EXPECT_TRUE(QFileInfo(env.ConfigDir()).isDir());
}

TEST(ScopedTestEnvironment, RestoresEverythingItChanged) {
    qputenv("QUESTOES_DRIVE_Q", "/caller/q");
    qputenv("XDG_CONFIG_HOME", "/caller/config");
    qunsetenv("XDG_DATA_HOME");
    const bool tzSet = qEnvironmentVariableIsSet("TZ");
    const QByteArray tz = qgetenv("TZ");
    QString root;
    {
        ScopedTestEnvironment env;
        root = env.Root();
        EXPECT_FALSE(qEnvironmentVariableIsSet("QUESTOES_DRIVE_Q"));
        env.MapDrive('a');
        qputenv("QUESTOES_DRIVE_B", "/set/by/hand");
        env.SetVariable("TZ", QByteArray("America/Sao_Paulo"));
    }
    EXPECT_EQ(Variable("QUESTOES_DRIVE_Q"), QStringLiteral("/caller/q"));
    EXPECT_EQ(Variable("XDG_CONFIG_HOME"), QStringLiteral("/caller/config"));
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_DATA_HOME"));
    EXPECT_FALSE(qEnvironmentVariableIsSet("QUESTOES_DRIVE_A"));
    EXPECT_FALSE(qEnvironmentVariableIsSet("QUESTOES_DRIVE_B"));
    EXPECT_EQ(qEnvironmentVariableIsSet("TZ"), tzSet);
    EXPECT_EQ(qgetenv("TZ"), tz);
    EXPECT_FALSE(QFileInfo::exists(root));
    qunsetenv("QUESTOES_DRIVE_Q");
}

TEST(ScopedTestEnvironment, MapsDrivesToFoldersOfItsOwn) {
    ScopedTestEnvironment env;
    const QString a = env.MapDrive('a');
    EXPECT_TRUE(QFileInfo(a).isDir());
    EXPECT_TRUE(a.startsWith(env.Root()));
    EXPECT_EQ(Variable("QUESTOES_DRIVE_A"), a);
    env.MapDrive('C', env.DataHome());
    EXPECT_EQ(Variable("QUESTOES_DRIVE_C"), env.DataHome());
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(ScopedTestEnvironment, WritesConfigurationLinesAndFiles) {
    ScopedTestEnvironment env;
    env.AppendDrivesConf(QStringLiteral("A=/media/stick"));
    env.AppendDrivesConf(QStringLiteral("D=/srv/d"));
    env.AppendRegistryConf(QStringLiteral("registry line"));
    env.AppendDbEngineConf(QStringLiteral("Questões=C:\\ZQ\\Questoes\\"));
    EXPECT_EQ(Contents(env.ConfigDir() + "/drives.conf"), "A=/media/stick\nD=/srv/d\n");
    EXPECT_EQ(Contents(env.ConfigDir() + "/registry.conf"), "registry line\n");
    EXPECT_EQ(Contents(env.ConfigDir() + "/dbengine.conf"),
              QStringLiteral("Questões=C:\\ZQ\\Questoes\\\n").toUtf8());
    const QString file = env.WriteFile(QStringLiteral("a/b/c.bin"), QByteArray("\0x", 2));
    EXPECT_EQ(file, env.Root() + "/a/b/c.bin");
    EXPECT_EQ(Contents(file), QByteArray("\0x", 2));
}

TEST(ScopedTestEnvironment, RegistryIsReadOnlyFromInsideTheTestDirectory) {
    ScopedTestEnvironment env;
    for (const QString& file : RegistryFiles())
        EXPECT_TRUE(file.startsWith(env.Root())) << file.toStdString();
    env.AppendSystemRegistryConf(QStringLiteral("# machine-wide"));
    EXPECT_EQ(Contents(env.SystemRegistryFile()), "# machine-wide\n");
}

TEST(ScopedTestEnvironment, InstallsScriptedDialogsAndShellWhileItLives) {
    TDialogs* before = InstalledDialogs();
    TShell* shellBefore = InstalledShell();
    {
        ScopedTestEnvironment env;
        EXPECT_EQ(InstalledDialogs(), &env.Dialogs());
        EXPECT_EQ(InstalledShell(), &env.Shell());
    }
    EXPECT_EQ(InstalledDialogs(), before);
    EXPECT_EQ(InstalledShell(), shellBefore);
}

class EnvironmentFixture : public TestWithEnvironment {};

TEST_F(EnvironmentFixture, GivesEachTestItsOwnEnvironment) {
    EXPECT_EQ(Variable("XDG_CONFIG_HOME"), Env.ConfigHome());
}

TEST(ScopedTestClock, SetsAdvancesAndRestoresTheClock) {
    ASSERT_FALSE(TestClockActive());
    {
        TScopedTestClock clock(2024, 3, 1, 12, 30, 0);
        EXPECT_TRUE(TestClockActive());
        EXPECT_DOUBLE_EQ(Now(), ComposeDateTime(EncodeDate(2024, 3, 1), EncodeTime(12, 30, 0)));
        clock.Advance(90 * 1000);
        int h = 0, m = 0, s = 0, ms = 0;
        DecodeTime(Now(), h, m, s, ms);
        EXPECT_EQ(m, 31);
        EXPECT_EQ(s, 30);
        {
            TScopedTestClock inner(EncodeDate(2000, 1, 1));
            EXPECT_DOUBLE_EQ(Date(), EncodeDate(2000, 1, 1));
        }
        EXPECT_DOUBLE_EQ(clock.Current(),
                         ComposeDateTime(EncodeDate(2024, 3, 1), EncodeTime(12, 31, 30)));
    }
    EXPECT_FALSE(TestClockActive());
}

} // namespace
