#include "platform/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A private drive map: C: and A: live in the test's own folder.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toUtf8());
        qputenv("QUESTOES_DRIVE_A", dir_.filePath(QStringLiteral("floppy")).toUtf8());
        ASSERT_TRUE(QDir().mkpath(Drive('c') + QStringLiteral("/zq/questoes")));
        Write(Drive('c') + QStringLiteral("/zq/questoes/Questoes.DB"), "new data");
    }
    void TearDown() override {
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("QUESTOES_DRIVE_A");
    }
    QString Drive(char letter) const {
        if (letter == 'a')
            return dir_.filePath(QStringLiteral("floppy"));
        return dir_.filePath(QStringLiteral("data/questoes/drive_") + QLatin1Char(letter));
    }
    static void Write(const QString& path, const QByteArray& data) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(data);
    }
    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static QSet<QString> Entries(const QString& dir) {
        const QStringList list =
            QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        return QSet<QString>(list.begin(), list.end());
    }
    QString Source() const { return QStringLiteral("C:\\ZQ\\QUESTOES\\QUESTOES.DB"); }

    QTemporaryDir dir_;
};

TEST_F(FilesTest, CopyReplacesAnExistingDestination) {
    ASSERT_TRUE(QDir().mkpath(Drive('a')));
    Write(Drive('a') + QStringLiteral("/Questoes.DB"), "old data, longer than the new one");
    EXPECT_TRUE(CopyFile(Source(), QStringLiteral("A:\\Questoes.DB"), false))
        << LastCopyError().toStdString();
    EXPECT_TRUE(LastCopyError().isEmpty());
    EXPECT_EQ(Read(Drive('a') + QStringLiteral("/Questoes.DB")), "new data");
    EXPECT_EQ(Entries(Drive('a')), QSet<QString>{QStringLiteral("Questoes.DB")});
}

TEST_F(FilesTest, CopyKeepsPermissionsAndModificationTime) {
    const QString source = Drive('c') + QStringLiteral("/zq/questoes/Questoes.DB");
    ASSERT_EQ(::chmod(QFile::encodeName(source).constData(), 0640), 0);
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(source).constData(), times, 0), 0);
    ASSERT_TRUE(QDir().mkpath(Drive('a')));
    ASSERT_TRUE(CopyFile(Source(), QStringLiteral("A:\\Q.DB"), false));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(Drive('a') + QStringLiteral("/Q.DB")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
}

TEST_F(FilesTest, FailIfExistsLeavesTheDestinationAlone) {
    ASSERT_TRUE(QDir().mkpath(Drive('a')));
    Write(Drive('a') + QStringLiteral("/Questoes.DB"), "old");
    const TCopyResult result = CopyFileChecked(Source(), QStringLiteral("A:\\questoes.db"), true);
    EXPECT_FALSE(result.Ok);
    EXPECT_TRUE(result.Reason.contains(QStringLiteral("já existe"))) << result.Reason.toStdString();
    EXPECT_EQ(Read(Drive('a') + QStringLiteral("/Questoes.DB")), "old");
    EXPECT_TRUE(CopyFileChecked(Source(), QStringLiteral("A:\\Outro.DB"), true).Ok);
    EXPECT_EQ(Entries(Drive('a')),
              (QSet<QString>{QStringLiteral("Questoes.DB"), QStringLiteral("Outro.DB")}));
}

TEST_F(FilesTest, MissingSourceIsReported) {
    ASSERT_TRUE(QDir().mkpath(Drive('a')));
    EXPECT_FALSE(CopyFile(QStringLiteral("C:\\ZQ\\Questoes\\Questoes.PX"),
                          QStringLiteral("A:\\Questoes.PX"), false));
    EXPECT_TRUE(LastCopyError().startsWith(
        QStringLiteral("Arquivo de origem não encontrado: C:\\ZQ\\Questoes\\Questoes.PX")))
        << LastCopyError().toStdString();
    EXPECT_TRUE(Entries(Drive('a')).isEmpty());
}

TEST_F(FilesTest, DriveWithoutMediumIsReported) {
    EXPECT_FALSE(CopyFile(Source(), QStringLiteral("A:\\Questoes.DB"), false));
    EXPECT_TRUE(LastCopyError().startsWith(QStringLiteral("Não há disco na unidade A:")))
        << LastCopyError().toStdString();
}

TEST_F(FilesTest, MissingFolderLeavesNothingBehind) {
    ASSERT_TRUE(QDir().mkpath(Drive('a')));
    EXPECT_FALSE(CopyFile(Source(), QStringLiteral("A:\\Falta\\Questoes.DB"), false));
    EXPECT_TRUE(LastCopyError().startsWith(QStringLiteral("Pasta de destino não encontrada")));
    // A "folder" that is a regular file.
    Write(Drive('a') + QStringLiteral("/arquivo"), "x");
    EXPECT_FALSE(CopyFile(Source(), QStringLiteral("A:\\arquivo\\Questoes.DB"), false));
    EXPECT_EQ(Entries(Drive('a')), QSet<QString>{QStringLiteral("arquivo")});
}

TEST_F(FilesTest, ReadOnlyFolderIsRefused) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    ASSERT_TRUE(QDir().mkpath(Drive('a')));
    Write(Drive('a') + QStringLiteral("/Questoes.DB"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(Drive('a')).constData(), 0555), 0);
    const TCopyResult result = CopyFileChecked(Source(), QStringLiteral("A:\\Questoes.DB"), false);
    ::chmod(QFile::encodeName(Drive('a')).constData(), 0755);
    EXPECT_FALSE(result.Ok);
    EXPECT_TRUE(result.Reason.startsWith(QStringLiteral("Sem permissão")))
        << result.Reason.toStdString();
    EXPECT_EQ(Read(Drive('a') + QStringLiteral("/Questoes.DB")), "old");
    EXPECT_EQ(Entries(Drive('a')), QSet<QString>{QStringLiteral("Questoes.DB")});
}

TEST_F(FilesTest, ReadOnlyDestinationFileIsNotReplaced) {
    ASSERT_TRUE(QDir().mkpath(Drive('a')));
    const QString dest = Drive('a') + QStringLiteral("/Questoes.DB");
    Write(dest, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(dest).constData(), 0444), 0);
    EXPECT_FALSE(CopyFile(Source(), QStringLiteral("A:\\Questoes.DB"), false));
    EXPECT_TRUE(LastCopyError().contains(QStringLiteral("somente leitura")));
    EXPECT_EQ(Read(dest), "old");
    EXPECT_EQ(Entries(Drive('a')), QSet<QString>{QStringLiteral("Questoes.DB")});
}

TEST_F(FilesTest, FailureWhileCopyingKeepsTheOldFileAndRemovesTheTemporary) {
    // Reading this process's memory from offset 0 fails after the
    // temporary file has been made.
    ASSERT_TRUE(QDir().mkpath(Drive('a')));
    const QString dest = Drive('a') + QStringLiteral("/Questoes.DB");
    Write(dest, "old");
    EXPECT_FALSE(
        CopyFile(QStringLiteral("/proc/self/mem"), QStringLiteral("A:\\Questoes.DB"), false));
    EXPECT_TRUE(LastCopyError().startsWith(QStringLiteral("Erro ao ler")))
        << LastCopyError().toStdString();
    EXPECT_EQ(Read(dest), "old");
    EXPECT_EQ(Entries(Drive('a')), QSet<QString>{QStringLiteral("Questoes.DB")});
}

TEST_F(FilesTest, UnresolvablePathsFailCleanly) {
    EXPECT_FALSE(CopyFile(QStringLiteral("sem_unidade.db"), QStringLiteral("A:\\x"), false));
    EXPECT_TRUE(LastCopyError().contains(QStringLiteral("inválido")));
    EXPECT_FALSE(CopyFile(Source(), QStringLiteral("\\\\servidor\\x"), false));
    EXPECT_TRUE(LastCopyError().contains(QStringLiteral("inválido")));
    EXPECT_FALSE(FileExists(QStringLiteral("relativo.txt")));
    EXPECT_FALSE(DeleteFile(QStringLiteral("relativo.txt")));
    EXPECT_FALSE(LastFileError().isEmpty());
}

TEST_F(FilesTest, DestinationThatIsAFolderIsRefused) {
    ASSERT_TRUE(QDir().mkpath(Drive('a') + QStringLiteral("/pasta")));
    EXPECT_FALSE(CopyFile(Source(), QStringLiteral("A:\\PASTA"), false));
    EXPECT_TRUE(LastCopyError().startsWith(QStringLiteral("O destino é uma pasta")));
}

TEST_F(FilesTest, ExistsAndDeleteFollowTheDriveMap) {
    EXPECT_TRUE(FileExists(Source()));
    EXPECT_FALSE(FileExists(QStringLiteral("C:\\ZQ")));
    EXPECT_TRUE(DirectoryExists(QStringLiteral("C:\\ZQ")));
    EXPECT_FALSE(DeleteFile(QStringLiteral("C:\\ZQ")));
    EXPECT_TRUE(DeleteFile(Source()));
    EXPECT_FALSE(FileExists(Source()));
    EXPECT_FALSE(DeleteFile(Source()));
    EXPECT_TRUE(LastFileError().startsWith(QStringLiteral("Arquivo não encontrado")));
}

TEST_F(FilesTest, TempFilesAreUniqueEmptyAndPrefixed) {
    const QString tmp = dir_.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(tmp));
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmp.toUtf8());
    const QString first = CreateTempFile(QStringLiteral("RPP"));
    const QString second = CreateTempFile(QStringLiteral("RPP"));
    qputenv("TMPDIR", dir_.filePath(QStringLiteral("nenhum")).toUtf8());
    const QString fallback = TempDirectory();
    qputenv("TMPDIR", saved);
    EXPECT_NE(first, second);
    EXPECT_EQ(QFileInfo(first).path(), tmp);
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith(QStringLiteral("RPP")));
    EXPECT_EQ(QFileInfo(first).size(), 0);
    EXPECT_TRUE(QFileInfo(second).isFile());
    EXPECT_EQ(fallback, QStringLiteral("/tmp"));
}

} // namespace

namespace {

// A real medium for the drive: a small tmpfs mounted on `dir` (read-only
// when asked), unmounted again with the test. Needs the right to mount,
// which the test machines' root has; elsewhere the test is skipped.
class TMountedMedium {
public:
    TMountedMedium(const QString& dir, const char* options) : dir_(dir) {
        QDir().mkpath(dir);
        const QByteArray command = "mount -t tmpfs -o " + QByteArray(options) + " questoes-test " +
                                   QFile::encodeName(dir) + " 2>/dev/null";
        mounted_ = geteuid() == 0 && std::system(command.constData()) == 0;
    }
    ~TMountedMedium() {
        if (mounted_)
            std::system(("umount " + QFile::encodeName(dir_) + " 2>/dev/null").constData());
    }
    bool Mounted() const { return mounted_; }

private:
    QString dir_;
    bool mounted_ = false;
};

} // namespace

TEST_F(FilesTest, AFullMediumIsToldApartFromAWriteProtectedOne) {
    Write(Drive('c') + QStringLiteral("/zq/questoes/Grande.exe"), QByteArray(256 * 1024, 'x'));
    {
        TMountedMedium medium(Drive('a'), "size=64k");
        if (!medium.Mounted())
            GTEST_SKIP() << "cannot mount a tmpfs here";
        const TCopyResult full = CopyFileChecked(QStringLiteral("C:\\ZQ\\Questoes\\Grande.exe"),
                                                 QStringLiteral("A:\\Grande.exe"), false);
        EXPECT_FALSE(full.Ok);
        EXPECT_EQ(full.Failure, cfMediumFull) << full.Reason.toStdString();
        EXPECT_TRUE(Entries(Drive('a')).isEmpty());
        EXPECT_EQ(DestinationProblem(QStringLiteral("A:\\"), 256 * 1024), cfMediumFull);
        EXPECT_EQ(DestinationProblem(QStringLiteral("A:\\"), 1024), cfNone);
    }
    {
        TMountedMedium medium(Drive('a'), "ro,size=1m");
        if (!medium.Mounted())
            GTEST_SKIP() << "cannot mount a tmpfs here";
        const TCopyResult protectedCopy =
            CopyFileChecked(Source(), QStringLiteral("A:\\Questoes.DB"), false);
        EXPECT_FALSE(protectedCopy.Ok);
        EXPECT_EQ(protectedCopy.Failure, cfWriteProtected) << protectedCopy.Reason.toStdString();
        EXPECT_EQ(DestinationProblem(QStringLiteral("A:\\"), 10), cfWriteProtected);
    }
    QDir(Drive('a')).removeRecursively();
    EXPECT_EQ(DestinationProblem(QStringLiteral("A:\\"), 10), cfNoMedium);
}

TEST_F(FilesTest, ProgressIsToldAsThePiecesAreWrittenAndTheCopyReadsBackTheSame) {
    ASSERT_TRUE(QDir().mkpath(Drive('a')));
    Write(Drive('c') + QStringLiteral("/zq/questoes/Grande.exe"), QByteArray(300 * 1024, 'y'));
    std::vector<qint64> told;
    const TCopyResult r =
        CopyFileChecked(QStringLiteral("C:\\ZQ\\Questoes\\Grande.exe"),
                        QStringLiteral("A:\\Grande.exe"), false, [&](qint64 copied, qint64 total) {
                            EXPECT_EQ(total, 300 * 1024);
                            told.push_back(copied);
                        });
    ASSERT_TRUE(r.Ok) << r.Reason.toStdString();
    ASSERT_GE(told.size(), 4u);
    EXPECT_EQ(told.back(), 300 * 1024);
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_TRUE(SameFileContents(QStringLiteral("C:\\ZQ\\Questoes\\Grande.exe"),
                                 QStringLiteral("A:\\Grande.exe")));
    Write(Drive('a') + QStringLiteral("/Grande.exe"), QByteArray(300 * 1024, 'z'));
    EXPECT_FALSE(SameFileContents(QStringLiteral("C:\\ZQ\\Questoes\\Grande.exe"),
                                  QStringLiteral("A:\\Grande.exe")));
    EXPECT_FALSE(SameFileContents(QStringLiteral("C:\\ZQ\\Questoes\\Grande.exe"),
                                  QStringLiteral("A:\\Falta.exe")));
}
