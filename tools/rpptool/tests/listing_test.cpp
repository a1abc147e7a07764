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
    QString Out;
    QString Err;
};

class ListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QDir().mkpath(dir_.path() + QStringLiteral("/config/questoes"));
        QFile registry(dir_.path() + QStringLiteral("/config/questoes/registry.conf"));
        ASSERT_TRUE(registry.open(QIODevice::WriteOnly));
        registry.write(
            QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\Database Engine]\nDLLPATH=%1\n")
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
        r.Out = QString::fromUtf8(p.readAllStandardOutput());
        r.Err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    // A bank of `questions` questions in its own folder (or of the CSV
    // lines given).
    QString MakeBank(int questions, const QByteArray& lines = {}) {
        const QString bank = dir_.path() + QStringLiteral("/bank");
        QDir().mkpath(bank);
        QFile csv(dir_.path() + QStringLiteral("/q.csv"));
        EXPECT_TRUE(csv.open(QIODevice::WriteOnly));
        for (int i = 1; i <= questions; ++i)
            csv.write(QStringLiteral("\"Questão %1\",um,dois,três,A,N\n").arg(i).toUtf8());
        csv.write(lines);
        csv.close();
        questions += static_cast<int>(lines.count('\n'));
        EXPECT_EQ(
            Run(QStringLiteral(DBADMIN), {QStringLiteral("--dir"), bank, QStringLiteral("create")})
                .ExitCode,
            0);
        if (questions > 0) {
            EXPECT_EQ(
                Run(QStringLiteral(DBADMIN), {QStringLiteral("--dir"), bank, QStringLiteral("load"),
                                              QStringLiteral("QUESTOES.DB"), csv.fileName()})
                    .ExitCode,
                0);
        }
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
        const Result r =
            Run(QStringLiteral(RPPTOOL), {QStringLiteral("listing"), QStringLiteral("--dir"), bank,
                                          Path(QStringLiteral("out.rpp"))});
        ASSERT_EQ(r.ExitCode, 0) << qPrintable(r.Err);
        // Not a terminal: no progress line.
        EXPECT_FALSE(r.Err.contains(QStringLiteral("rpptool:"))) << qPrintable(r.Err);
        TRpPageList pages;
        pages.LoadFromFile(Path(QStringLiteral("out.rpp")));
        EXPECT_EQ(pages.PageCount(), questions == 0 ? 1 : 4);
    }
}

TEST_F(ListingTest, AMissingTableIsNamedWithANonZeroExit) {
    const Result r = Run(QStringLiteral(RPPTOOL),
                         {QStringLiteral("listing"), QStringLiteral("--dir"),
                          Path(QStringLiteral("nowhere")), Path(QStringLiteral("out.rpp"))});
    EXPECT_NE(r.ExitCode, 0);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("QUESTOES.DB"), Qt::CaseInsensitive))
        << qPrintable(r.Err);
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("out.rpp"))));
}

TEST_F(ListingTest, AnOutputThatCannotBeWrittenIsNamed) {
    const QString bank = MakeBank(3);
    const QString out = Path(QStringLiteral("no/such/folder/out.rpp"));
    const Result r = Run(QStringLiteral(RPPTOOL),
                         {QStringLiteral("listing"), QStringLiteral("--dir"), bank, out});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains(QDir::toNativeSeparators(out))) << qPrintable(r.Err);
}

TEST_F(ListingTest, AWrongCommandLineShowsTheUsage) {
    const Result r =
        Run(QStringLiteral(RPPTOOL), {QStringLiteral("listing"), QStringLiteral("--dir")});
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("usage")));
}

TEST_F(ListingTest, NamesTheTextsItsBoxesCutUnlessQuiet) {
    QByteArray lines;
    lines += "\"Cabe inteira\",um,dois,três,A,N\n";
    lines += "\"" + QByteArray("palavra ").repeated(30) + "\",um,dois,três,A,N\n";
    lines += "\"curta\"," + QByteArray("x").repeated(120) + ",dois,três,A,N\n";
    const QString bank = MakeBank(0, lines);
    const Result r =
        Run(QStringLiteral(RPPTOOL), {QStringLiteral("listing"), QStringLiteral("--dir"), bank,
                                      Path(QStringLiteral("out.rpp"))});
    ASSERT_EQ(r.ExitCode, 0) << qPrintable(r.Err);
    const QStringList named = r.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(named.size(), 2) << qPrintable(r.Out);
    EXPECT_TRUE(named[0].startsWith(QStringLiteral("Codigo 2: Questao: 4 of ")))
        << qPrintable(named[0]);
    EXPECT_TRUE(named[1].startsWith(QStringLiteral("Codigo 3: Resp_A: ")) &&
                named[1].endsWith(QStringLiteral("a word cut to its box")))
        << qPrintable(named[1]);
    const Result quiet = Run(QStringLiteral(RPPTOOL),
                             {QStringLiteral("listing"), QStringLiteral("--quiet"),
                              QStringLiteral("--dir"), bank, Path(QStringLiteral("q.rpp"))});
    ASSERT_EQ(quiet.ExitCode, 0);
    EXPECT_TRUE(quiet.Out.isEmpty()) << qPrintable(quiet.Out);
}
