// rpptool run as a program on good and damaged saved-report files: what it
// prints, what it writes, and that every bad file ends in the store's message
// with a non-zero exit rather than a crash.
#include "platform/exceptions.h"
#include "platform/graphics/color.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_canvas.h"
#include "report/rp_compress.h"
#include "report/tests/rp_test_support.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    bool crashed = true;
    QString out;
    QString err;
};

Result RunTool(const QStringList& args) {
    QProcess p;
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
    for (const QStringList& args :
         {QStringList{"info", name}, QStringList{"extract", name, "1", out},
          QStringList{"render", name, "1", out}}) {
        const Result r = RunTool(args);
        ASSERT_FALSE(r.crashed) << args.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString("rpptool: ") + GetParam().message))
            << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RppToolBadFile,
    testing::Values(BadFile{"Truncated", Truncated, "Stream read error"},
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
          QStringList{"render", "f.rpp", "1", "o.png", "--dpi", "-3"}}) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("usage: rpptool")) << args.join(' ').toStdString();
    }
}

} // namespace
