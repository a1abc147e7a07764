#include "platform/registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toUtf8());
        SetSystemRegistryFile(dir_.filePath(QStringLiteral("etc/registry.conf")));
    }
    void TearDown() override {
        SetSystemRegistryFile({});
        qunsetenv("XDG_CONFIG_HOME");
    }
    void Write(const QString& relative, const QByteArray& text) {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void WriteUser(const QByteArray& text) {
        Write(QStringLiteral("config/questoes/registry.conf"), text);
    }
    void WriteSystem(const QByteArray& text) { Write(QStringLiteral("etc/registry.conf"), text); }

    QTemporaryDir dir_;
};

TEST_F(RegistryTest, ReadsAValueUnderItsKey) {
    WriteUser("# engine\n[HKEY_LOCAL_MACHINE\\Software\\Database Engine]\n"
              "DLLPATH = /opt/engine;/usr/lib/engine \n[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
              "DLLPATH=/wrong\n");
    EXPECT_EQ(ReadRegistryValue(QString::fromLatin1(kDatabaseEngineKey), QStringLiteral("DLLPATH")),
              QStringLiteral("/opt/engine;/usr/lib/engine"));
}

TEST_F(RegistryTest, KeysAndNamesIgnoreCaseAndSpelling) {
    WriteUser("[HKLM/software/database engine/]\n\"dllpath\"=\"C:\\Engine\"\n");
    EXPECT_EQ(ReadRegistryValue(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Database Engine"),
                                QStringLiteral("DLLPATH")),
              QStringLiteral("C:\\Engine"));
}

TEST_F(RegistryTest, UserFileWinsOverTheSystemFile) {
    WriteSystem("[HKLM\\Software\\Database Engine]\nDLLPATH=/system\nOTHER=only-system\n");
    WriteUser("[HKLM\\Software\\Database Engine]\nDLLPATH=/user\n");
    EXPECT_EQ(ReadRegistryValue(QStringLiteral("HKLM\\Software\\Database Engine"),
                                QStringLiteral("DLLPATH")),
              QStringLiteral("/user"));
    EXPECT_EQ(ReadRegistryValue(QStringLiteral("HKLM\\Software\\Database Engine"),
                                QStringLiteral("OTHER")),
              QStringLiteral("only-system"));
}

TEST_F(RegistryTest, MissingValueOrFilesGiveNothing) {
    EXPECT_FALSE(ReadRegistryValue(QStringLiteral("HKLM\\Software\\Database Engine"),
                                   QStringLiteral("DLLPATH")));
    WriteUser("DLLPATH=/outside-any-key\n[HKLM\\Software\\Database Engine]\nbroken line\n");
    EXPECT_FALSE(ReadRegistryValue(QStringLiteral("HKLM\\Software\\Database Engine"),
                                   QStringLiteral("DLLPATH")));
}

} // namespace
