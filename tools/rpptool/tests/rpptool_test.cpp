// rpptool run as a program on good and damaged saved-report files: what it
// prints, what it writes, and that every bad file ends in the store's message
// with a non-zero exit rather than a crash.
#include "platform/exceptions.h"
#include "platform/graphics/color.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_canvas.h"
#include "report/rp_compress.h"
#include "report/rp_page_list.h"
#include "report/tests/rp_pdf_test_support.h"
#include "report/tests/rp_test_support.h"

#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Result {
    int exitCode = -1;
    bool crashed = true;
    QString out;
    QString err;
};

Result RunTool(const QStringList& args,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("RPPTOOL"), args);
    Result r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void WriteFile(const QString& name, const QByteArray& data) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(data), data.size());
}

QByteArray ReadFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::vector<QByteArray> Pages() {
    return {rptest::MakeEmf(1123, 794, 400, 1), rptest::MakeEmf(1123, 794, 900, 2),
            rptest::MakeEmf(794, 1123, 50, 3)};
}

std::vector<QByteArray> Compressed(const std::vector<QByteArray>& pages) {
    std::vector<QByteArray> stored;
    for (const QByteArray& p : pages) {
        QByteArray d;
        rptest::AppendI32(d, static_cast<qint32>(p.size()));
        stored.push_back(d + TRpCompress::CodeBytes(p));
    }
    return stored;
}

TEST(RppTool, InfoListsTheHeaderAndEveryPage) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages();
    const QString name = tmp.File("report.rpp");
    WriteFile(name, rptest::BuildFile(pages, false, false, 46364.75));
    const Result r = RunTool({"info", name});
    ASSERT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Format version: 3\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Library version: 309\n"));
    EXPECT_TRUE(r.out.contains("Compression: no\n"));
    EXPECT_TRUE(r.out.contains("Pages: 3\n"));
    EXPECT_TRUE(r.out.contains("(46364.750000)"));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Page 2: offset %1, record %2 bytes")
                                   .arg(128 + 12 + pages[0].size())
                                   .arg(12 + pages[1].size())));
    EXPECT_TRUE(r.out.contains(
        QStringLiteral("metafile %1 bytes, 794 x 1123 pixels").arg(pages[2].size())));
}

TEST(RppTool, InfoNamesCompressionAndTheOlderHeader) {
    rptest::ScopedTempDir tmp;
    const QString name = tmp.File("old.rpp");
    WriteFile(name, rptest::BuildFile(Compressed(Pages()), true, true));
    const Result r = RunTool({"info", name});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Header length: 124 (older layout)\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Compression: yes\n"));
}

class RppToolExtract : public testing::TestWithParam<bool> {};

TEST_P(RppToolExtract, WritesThePagesMetafileBytes) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages();
    const QString name = tmp.File("report.rpp");
    WriteFile(name, rptest::BuildFile(GetParam() ? Compressed(pages) : pages, GetParam()));
    for (int n : {2, 1, 3}) {
        const QString out = tmp.File(QStringLiteral("page%1.emf").arg(n));
        const Result r = RunTool({"extract", name, QString::number(n), out});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(ReadFile(out), pages[n - 1]) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, RppToolExtract, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Compressed" : "Plain"; });

TEST(RppTool, ExtractingAPageBeyondTheLastSaysHowManyThereAre) {
    rptest::ScopedTempDir tmp;
    const QString name = tmp.File("report.rpp");
    WriteFile(name, rptest::BuildFile(Pages(), false));
    const QString out = tmp.File("none.emf");
    const Result r = RunTool({"extract", name, "9", out});
    ASSERT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Page 9 does not exist: the file has 3 page(s)"))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

// A 200 x 100 page whose left half is red, recorded through the metafile
// canvas.
QByteArray HalfRedPage() {
    TMetafile page;
    page.SetWidth(200);
    page.SetHeight(100);
    TMetafileCanvas canvas(page);
    canvas.Brush().Color = clRed;
    canvas.FillRect(Rect(0, 0, 100, 100));
    canvas.End();
    return page.Data();
}

struct RenderCase {
    const char* name;
    QStringList extra;
    int scale;
};

void PrintTo(const RenderCase& c, std::ostream* os) {
    *os << c.name;
}

class RppToolRender : public testing::TestWithParam<RenderCase> {};

TEST_P(RppToolRender, DrawsThePageOntoAnImageOfItsSizeAtTheResolution) {
    rptest::ScopedTempDir tmp;
    const QString name = tmp.File("report.rpp");
    WriteFile(name, rptest::BuildFile({rptest::MakeEmf(50, 50), HalfRedPage()}, false));
    const QString out = tmp.File("page.png");
    const Result r = RunTool(QStringList{"render", name, "2", out} + GetParam().extra);
    ASSERT_FALSE(r.crashed);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage image(out, "PNG");
    ASSERT_FALSE(image.isNull());
    const int k = GetParam().scale;
    EXPECT_EQ(image.size(), QSize(200 * k, 100 * k));
    EXPECT_EQ(QColor(image.pixel(50 * k, 50 * k)), QColor(Qt::red));
    EXPECT_EQ(QColor(image.pixel(150 * k, 50 * k)), QColor(Qt::white));
}

INSTANTIATE_TEST_SUITE_P(Resolutions, RppToolRender,
                         testing::Values(RenderCase{"ScreenResolution", {}, 1},
                                         RenderCase{"Dpi192", {"--dpi", "192"}, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadFile {
    const char* name;
    std::function<QByteArray()> bytes;
    const char* message;
    // The page that cannot be read (a file opens with its header alone).
    int page = 1;
};

void PrintTo(const BadFile& b, std::ostream* os) {
    *os << b.name;
}

QByteArray Truncated() {
    QByteArray f = rptest::BuildFile(Pages(), false);
    f.chop(7);
    return f;
}

QByteArray NotAMetafile() {
    QByteArray page = rptest::MakeEmf(10, 10);
    page[40] = 'x';
    return rptest::BuildFile({page}, false);
}

QByteArray Garbage() {
    QByteArray g(4000, '\0');
    QRandomGenerator rng(77);
    for (char& c : g) {
        c = static_cast<char>(rng.generate());
    }
    return g;
}

QByteArray AbsurdCompressedCount() {
    QByteArray d;
    rptest::AppendI32(d, 0x7FFFFFFF);
    d += TRpCompress::CodeBytes(rptest::MakeEmf(10, 10));
    return rptest::BuildFile({d}, true);
}

class RppToolBadFile : public testing::TestWithParam<BadFile> {};

TEST_P(RppToolBadFile, EveryCommandEndsWithTheStoresMessage) {
    rptest::ScopedTempDir tmp;
    const QString name = tmp.File("bad.rpp");
    WriteFile(name, GetParam().bytes());
    const QString out = tmp.File("out");
    const QString page = QString::number(GetParam().page);
    for (const QStringList& args :
         {QStringList{"info", name}, QStringList{"extract", name, page, out},
          QStringList{"render", name, page, out}, QStringList{"pdf", name, out}}) {
        const Result r = RunTool(args);
        ASSERT_FALSE(r.crashed) << args.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("rpptool: " + name + ": ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(GetParam().message)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RppToolBadFile,
    testing::Values(BadFile{"Truncated", Truncated, "Stream read error", 3},
                    BadFile{"NotAMetafile", NotAMetafile, "Metafile is not valid"},
                    BadFile{"Garbage", Garbage, "Stream read error"},
                    BadFile{"AbsurdCompressedCount", AbsurdCompressedCount, "Stream read error"},
                    BadFile{"Empty", [] { return QByteArray(); }, "Stream read error"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RppTool, MissingFileSaysItCannotBeOpened) {
    rptest::ScopedTempDir tmp;
    const Result r = RunTool({"info", tmp.File("missing.rpp")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("rpptool: Cannot open file \"" + tmp.File("missing.rpp") + "\". "))
        << r.err.toStdString();
}

TEST(RppTool, WrongCommandLinesShowTheUsage) {
    for (const QStringList& args :
         {QStringList{}, QStringList{"info"}, QStringList{"frobnicate", "x"},
          QStringList{"extract", "f.rpp", "0", "o.emf"},
          QStringList{"extract", "f.rpp", "two", "o.emf"},
          QStringList{"render", "f.rpp", "1", "o.png", "--dpi", "-3"}, QStringList{"pdf", "f.rpp"},
          QStringList{"pdf", "f.rpp", "o.pdf", "--pages", "3-2"},
          QStringList{"pdf", "f.rpp", "o.pdf", "--pages", "0-2"},
          QStringList{"pdf", "f.rpp", "o.pdf", "--pages", "2"},
          QStringList{"pdf", "f.rpp", "o.pdf", "--page", "1-2"}}) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("usage: rpptool")) << args.join(' ').toStdString();
    }
}

// A saved report of listing pages, written through the page store as the
// preview saves one; unfinished, its header still counts page 1.
QString SaveListing(const rptest::ScopedTempDir& tmp, const QString& fileName, int pages,
                    bool finished = true) {
    TRpPageList list;
    list.CreateStream();
    for (int n = 1; n <= pages; ++n) {
        list.AddPage(rptest::ListingPage(n, 9));
    }
    if (finished) {
        list.Finish();
    }
    const QString name = tmp.File(fileName);
    list.SaveToFile(name);
    return name;
}

TEST(RppTool, PdfWritesEveryPageAsTextWithoutADisplay) {
    rptest::ScopedTempDir tmp;
    const QString rpp = SaveListing(tmp, "listing.rpp", 3);
    const QString pdf = tmp.File("listing.pdf");
    // No display, and a platform that would need one: the tool draws offscreen.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");
    const Result r = RunTool({"pdf", rpp, pdf}, env);
    ASSERT_FALSE(r.crashed);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Standard error is a pipe here, not a terminal: no progress on it.
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    const QString info = rptest::Poppler("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages: +3\n"))) << info.toStdString();
    EXPECT_TRUE(
        info.contains(QRegularExpression("Page size: +84[12][.\\d]* x 595[.\\d]* pts \\(A4\\)")));
    const QString page3 = rptest::Poppler("pdftotext", {"-f", "3", "-l", "3", pdf, "-"});
    EXPECT_TRUE(page3.contains(QStringLiteral("Questão 9 da página 3"))) << page3.toStdString();
    EXPECT_TRUE(page3.contains(QStringLiteral("Página 3")));
}

TEST(RppTool, PdfPagesOptionWritesThatRange) {
    rptest::ScopedTempDir tmp;
    const QString rpp = SaveListing(tmp, "listing.rpp", 4);
    const QString pdf = tmp.File("part.pdf");
    const Result r = RunTool({"pdf", rpp, pdf, "--pages", "2-3"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(rptest::Poppler("pdfinfo", {pdf}).contains(QRegularExpression("Pages: +2\n")));
    const QString first = rptest::Poppler("pdftotext", {"-f", "1", "-l", "1", pdf, "-"});
    EXPECT_TRUE(first.contains(QStringLiteral("Página 2"))) << first.toStdString();
    EXPECT_FALSE(rptest::Poppler("pdftotext", {pdf, "-"}).contains(QStringLiteral("Página 4")));
}

// Runs the tool with a terminal as its standard streams and gives what it
// wrote there, or a note of what went wrong.
QString RunOnTerminal(const QStringList& args) {
    std::vector<QByteArray> bytes{qEnvironmentVariable("RPPTOOL").toLocal8Bit()};
    for (const QString& a : args) {
        bytes.push_back(a.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& b : bytes) {
        argv.push_back(b.data());
    }
    argv.push_back(nullptr);
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0) {
        return QStringLiteral("<no terminal>");
    }
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    QByteArray out;
    for (;;) {
        pollfd fd{terminal, POLLIN, 0};
        if (poll(&fd, 1, 60000) <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        char buffer[512];
        const ssize_t n = read(terminal, buffer, sizeof buffer);
        if (n <= 0) {
            break; // the tool has ended and the terminal is closed
        }
        out.append(buffer, n);
    }
    close(terminal);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return QStringLiteral("<failed> ") + QString::fromUtf8(out);
    }
    return QString::fromUtf8(out);
}

TEST(RppTool, PdfShowsItsProgressOnATerminal) {
    rptest::ScopedTempDir tmp;
    const QString rpp = SaveListing(tmp, "listing.rpp", 3);
    const QString pdf = tmp.File("listing.pdf");
    const QString shown = RunOnTerminal({"pdf", rpp, pdf});
    EXPECT_TRUE(shown.contains("rpptool: page 1 of 3")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("\rrpptool: page 3 of 3\r\n")) << shown.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST(RppTool, PdfFailuresNameTheFileAndTheReason) {
    rptest::ScopedTempDir tmp;
    const QString rpp = SaveListing(tmp, "listing.rpp", 3);
    const QString pdf = tmp.File("out.pdf");

    Result r = RunTool({"pdf", rpp, pdf, "--pages", "2-9"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "rpptool: " + rpp + ": Pages 2 to 9 cannot be exported: the report has 3 page(s)\n");

    const QString nowhere = tmp.File("missing/out.pdf");
    r = RunTool({"pdf", rpp, nowhere});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("rpptool: Cannot create file \"" + nowhere + "\". "))
        << r.err.toStdString();

    r = RunTool({"pdf", tmp.File("none.rpp"), pdf});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("rpptool: Cannot open file \"" + tmp.File("none.rpp") + "\". "))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

// Page 1 of a file claims a frame of 19,999 x 19,999 pixels (over five metres
// a side) in a few hundred bytes.
QByteArray HugeFramePage() {
    return rptest::BuildFile({rptest::MakeEmf(19999, 19999, 24)}, false);
}

long PeakChildMemoryKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

TEST(RppTool, PageClaimingAHugeFrameIsRefusedWithinBoundedMemory) {
    rptest::ScopedTempDir tmp;
    const QString name = tmp.File("huge.rpp");
    WriteFile(name, HugeFramePage());
    ASSERT_LT(QFileInfo(name).size(), 400);
    const QString out = tmp.File("huge.png");
    const Result r = RunTool({"render", name, "1", out});
    ASSERT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "rpptool: " + name +
                         ": Page 1 cannot be drawn: its size of 19999 x 19999 pixels (5291 x 5291 "
                         "mm) is not that of a sheet of paper; a page measures at most 2000 mm a "
                         "side\n");
    EXPECT_FALSE(QFile::exists(out));
    const Result pdf = RunTool({"pdf", name, tmp.File("huge.pdf")});
    EXPECT_EQ(pdf.exitCode, 1);
    EXPECT_TRUE(pdf.err.contains("Page 1 cannot be exported: its size of 19999 x 19999"))
        << pdf.err.toStdString();
    // Drawing the page at its claimed size would take 1.6 GB.
    EXPECT_LT(PeakChildMemoryKilobytes(), 400 * 1024);
}

TEST(RppTool, RenderRefusesAResolutionThatMakesTooLargeAnImage) {
    rptest::ScopedTempDir tmp;
    const QString name = SaveListing(tmp, "listing.rpp", 1);
    const QString out = tmp.File("page.png");
    const Result r = RunTool({"render", name, "1", out, "--dpi", "1200"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Page 1 cannot be drawn at 1200 dpi: 14037 x 9925 pixels are more "
                               "than an image may have; choose a lower --dpi"))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_LT(PeakChildMemoryKilobytes(), 400 * 1024);
}

TEST(RppTool, UnfinishedStoresFileShowsThePageItsHeaderCounts) {
    rptest::ScopedTempDir tmp;
    const QString name = SaveListing(tmp, "unfinished.rpp", 4, false);
    Result r = RunTool({"info", name});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Pages: 1\n")) << r.out.toStdString();
    const QString pdf = tmp.File("unfinished.pdf");
    r = RunTool({"pdf", name, pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(rptest::Poppler("pdftotext", {pdf, "-"}).contains(QStringLiteral("Página 1")));
}

TEST(RppTool, BytesAfterTheLastRecordLeaveEveryPageReadable) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages();
    const QString name = tmp.File("tail.rpp");
    WriteFile(name, rptest::BuildFile(pages, false) + QByteArray(13, 'z'));
    const Result r = RunTool({"info", name});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Pages: 3\n"));
    EXPECT_TRUE(r.out.contains(
        QStringLiteral("Page 3: offset %1").arg(128 + 24 + pages[0].size() + pages[1].size())))
        << r.out.toStdString();
}

} // namespace
