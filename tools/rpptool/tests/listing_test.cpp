// rpptool listing run as a program without a display: the listing of a
// questions table made by dbadmin, read back through the page store, and
// failures that name what failed.
#include "report/rp_page_list.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Result {
    int ExitCode = -1;
    QString Err;
};

class ListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QDir().mkpath(dir_.path() + QStringLiteral("/config/questoes"));
        QFile registry(dir_.path() + QStringLiteral("/config/questoes/registry.conf"));
        ASSERT_TRUE(registry.open(QIODevice::WriteOnly));
        registry.write(QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\Database Engine]\nDLLPATH=%1\n")
                           .arg(QStringLiteral(DBENGINE_DIR))
                           .toUtf8());
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path() + QStringLiteral("/config"));
        env_.remove(QStringLiteral("DISPLAY"));
        env_.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env_.remove(QStringLiteral("QT_QPA_PLATFORM"));
    }

    Result Run(const QString& program, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env_);
        p.start(program, args);
        Result r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.Err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    // A bank of `questions` questions in its own folder.
    QString MakeBank(int questions) {
        const QString bank = dir_.path() + QStringLiteral("/bank");
        QDir().mkpath(bank);
        QFile csv(dir_.path() + QStringLiteral("/q.csv"));
        EXPECT_TRUE(csv.open(QIODevice::WriteOnly));
        for (int i = 1; i <= questions; ++i)
            csv.write(QStringLiteral("\"Questão %1\",um,dois,três,A,N\n").arg(i).toUtf8());
        csv.close();
        EXPECT_EQ(Run(QStringLiteral(DBADMIN), {QStringLiteral("--dir"), bank, QStringLiteral("create")}).ExitCode, 0);
        if (questions > 0)
            EXPECT_EQ(Run(QStringLiteral(DBADMIN), {QStringLiteral("--dir"), bank, QStringLiteral("load"),
                                                    QStringLiteral("QUESTOES.DB"), csv.fileName()})
                          .ExitCode,
                      0);
        return bank;
    }

    QString Path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }

    QTemporaryDir dir_;
    QProcessEnvironment env_;
};

} // namespace

TEST_F(ListingTest, WritesTheListingOfATableWithoutADisplay) {
    for (int questions : {0, 28}) {
        SCOPED_TRACE(questions);
        QDir(Path(QStringLiteral("bank"))).removeRecursively();
        const QString bank = MakeBank(questions);
        const Result r = Run(QStringLiteral(RPPTOOL), {QStringLiteral("listing"), QStringLiteral("--dir"),
                                                       bank, Path(QStringLiteral("out.rpp"))});
        ASSERT_EQ(r.ExitCode, 0) << qPrintable(r.Err);
        // Not a terminal: no progress line.
        EXPECT_FALSE(r.Err.contains(QStringLiteral("rpptool:"))) << qPrintable(r.Err);
        TRpPageList pages;
        pages.LoadFromFile(Path(QStringLiteral("out.rpp")));
        EXPECT_EQ(pages.PageCount(), questions == 0 ? 1 : 4);
    }
}

TEST_F(ListingTest, AMissingTableIsNamedWithANonZeroExit) {
    const Result r = Run(QStringLiteral(RPPTOOL), {QStringLiteral("listing"), QStringLiteral("--dir"),
                                                   Path(QStringLiteral("nowhere")), Path(QStringLiteral("out.rpp"))});
    EXPECT_NE(r.ExitCode, 0);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("QUESTOES.DB"), Qt::CaseInsensitive)) << qPrintable(r.Err);
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("out.rpp"))));
}

TEST_F(ListingTest, AnOutputThatCannotBeWrittenIsNamed) {
    const QString bank = MakeBank(3);
    const QString out = Path(QStringLiteral("no/such/folder/out.rpp"));
    const Result r = Run(QStringLiteral(RPPTOOL), {QStringLiteral("listing"), QStringLiteral("--dir"), bank, out});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains(QDir::toNativeSeparators(out))) << qPrintable(r.Err);
}

TEST_F(ListingTest, AWrongCommandLineShowsTheUsage) {
    const Result r = Run(QStringLiteral(RPPTOOL), {QStringLiteral("listing"), QStringLiteral("--dir")});
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("usage")));
}
