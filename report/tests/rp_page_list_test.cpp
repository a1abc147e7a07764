// The page store and its saved-report file: the byte layout, the walk to a
// page, the move to a temporary file, older headers, damaged files and the
// locks.
#include "report/rp_page_list.h"

#include "platform/clock.h"
#include "platform/exceptions.h"
#include "platform/graphics/metafile.h"
#include "platform/testing/exception_message.h"
#include "report/rp_compress.h"
#include "report/tests/rp_test_support.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <future>
#include <gtest/gtest.h>

namespace {

using rptest::BuildFile;
using rptest::GetI32;
using rptest::MakeEmf;

QByteArray ReadFile(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

void WriteFile(const QString& name, const QByteArray& data) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(data), data.size());
}

std::vector<QByteArray> Pages(int count, int payload = 300) {
    std::vector<QByteArray> pages;
    for (int i = 0; i < count; ++i) {
        pages.push_back(MakeEmf(1123, 794, payload + 4 * i, 100 + i));
    }
    return pages;
}

// A store holding the pages, finished.
void Fill(TRpPageList& list, const std::vector<QByteArray>& pages) {
    list.CreateStream();
    for (const QByteArray& p : pages) {
        list.AddPageData(p);
    }
    list.Finish();
}

// Holds the program's clock at a fixed time for the life of the object.
class ScopedTestClock {
public:
    explicit ScopedTestClock(TDateTime t) { SetTestClock(t); }
    ~ScopedTestClock() { ClearTestClock(); }
    ScopedTestClock(const ScopedTestClock&) = delete;
    ScopedTestClock& operator=(const ScopedTestClock&) = delete;
};

TEST(RpPageList, StartsEmptyWithoutCompressionOrStream) {
    TRpPageList list;
    EXPECT_EQ(list.PageCount(), 0);
    EXPECT_FALSE(list.Compression());
    EXPECT_EQ(list.Stream(), nullptr);
    EXPECT_FALSE(list.GetPageData(1).has_value());
}

TEST(RpPageList, OnePageReportMakesAFileOfHeaderRecordAndMetafile) {
    rptest::ScopedTempDir tmp;
    const QByteArray emf = MakeEmf(1123, 794, 500);
    // 8 December 2026, 18:00 local time.
    ScopedTestClock clock(46364.75);
    TRpPageList list;
    Fill(list, {emf});
    const QString name = tmp.File("one.rpp");
    list.SaveToFile(name);

    const QByteArray file = ReadFile(name);
    ASSERT_EQ(file.size(), 128 + 12 + emf.size());
    EXPECT_EQ(rptest::GetI32(file, 0) & 0xFFFF, 3);
    EXPECT_EQ((rptest::GetI32(file, 0) >> 16) & 0xFFFF, 309);
    EXPECT_EQ(GetI32(file, 8), 1);
    double time = 0;
    memcpy(&time, file.constData() + 16, 8);
    EXPECT_EQ(time, 46364.75);
    EXPECT_EQ(file[25], '\0');
    EXPECT_EQ(file.mid(4, 4), QByteArray(4, '\0'));
    EXPECT_EQ(file.mid(26, 102), QByteArray(102, '\0'));
    EXPECT_EQ(GetI32(file, 128), 1);
    EXPECT_EQ(GetI32(file, 132), file.size());
    EXPECT_EQ(file.mid(136, emf.size()), emf);
    EXPECT_EQ(GetI32(file, file.size() - 4), 128);
}

TEST(RpPageList, MetafilePagesComeBackAsNewMetafiles) {
    TMetafile first;
    first.LoadFromData(MakeEmf(1123, 794, 1000, 1));
    TMetafile second;
    second.LoadFromData(MakeEmf(794, 1123, 3000, 2));
    for (bool compressed : {false, true}) {
        TRpPageList list;
        list.SetCompression(compressed);
        list.CreateStream();
        list.AddPage(first);
        list.AddPage(second);
        list.Finish();
        std::unique_ptr<TMetafile> page = list.GetPage(2);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->Data(), second.Data());
        EXPECT_EQ(page->Width(), second.Width());
        EXPECT_EQ(page->Height(), second.Height());
        EXPECT_EQ(list.GetPage(1)->Data(), first.Data());
        EXPECT_EQ(list.GetPage(3), nullptr);
    }
}

TEST(RpPageList, HeaderTimeIsThatOfTheFinish) {
    ScopedTestClock clock(46000.0);
    TRpPageList list;
    list.CreateStream();
    list.AddPageData(MakeEmf(10, 10));
    EXPECT_EQ(list.Header().Time, 46000.0);
    AdvanceTestClock(MSecsPerDay / 2);
    list.Finish();
    EXPECT_EQ(list.Header().Time, 46000.5);
}

TEST(RpPageList, UnfinishedStoreHeaderCountsOnePageUntilFinish) {
    TRpPageList list;
    list.CreateStream();
    for (const QByteArray& p : Pages(3)) {
        list.AddPageData(p);
    }
    EXPECT_EQ(list.PageCount(), 3);
    TRpStream& s = *list.Stream();
    s.Seek(8, soFromBeginning);
    EXPECT_EQ(s.ReadInt32(), 1);
    list.Finish();
    s.Seek(8, soFromBeginning);
    EXPECT_EQ(s.ReadInt32(), 3);
}

TEST(RpPageList, ReadingThreeThenTwoThenFiveWalksBackThenForward) {
    const auto pages = Pages(6);
    TRpPageList list;
    Fill(list, pages);
    std::vector<int> steps;
    list.OnSeekStep = [&](int page) { steps.push_back(page); };

    EXPECT_EQ(list.GetPageData(3), pages[2]);
    // Finish left the stream at the first record.
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3}));
    steps.clear();
    EXPECT_EQ(list.GetPageData(2), pages[1]);
    EXPECT_EQ(steps, (std::vector<int>{4, 3, 2}));
    steps.clear();
    EXPECT_EQ(list.GetPageData(5), pages[4]);
    EXPECT_EQ(steps, (std::vector<int>{3, 4, 5}));
}

TEST(RpPageList, ReadingInOrderNeverWalks) {
    const auto pages = Pages(8);
    TRpPageList list;
    Fill(list, pages);
    int steps = 0;
    list.OnSeekStep = [&](int) { ++steps; };
    for (int n = 1; n <= 8; ++n) {
        ASSERT_EQ(list.GetPageData(n), pages[n - 1]) << n;
    }
    // The only link walked: page 2 is found where page 1 ended, in one look.
    EXPECT_LE(steps, 6);
    steps = 0;
    EXPECT_EQ(list.GetPageData(8), pages[7]); // the last page goes by its back-link
    EXPECT_EQ(list.GetPageData(1), pages[0]);
    EXPECT_EQ(steps, 0);
}

TEST(RpPageList, PagesOutsideTheCountAreNone) {
    TRpPageList list;
    Fill(list, Pages(2));
    EXPECT_FALSE(list.GetPageData(0).has_value());
    EXPECT_FALSE(list.GetPageData(-3).has_value());
    EXPECT_FALSE(list.GetPageData(3).has_value());
    list.Clear();
    EXPECT_EQ(list.PageCount(), 0);
    EXPECT_FALSE(list.GetPageData(1).has_value());
}

class RpPageListCompression : public testing::TestWithParam<bool> {};

TEST_P(RpPageListCompression, ReadsEveryPageInAnyOrder) {
    const auto pages = Pages(12, 900);
    TRpPageList list;
    list.SetCompression(GetParam());
    Fill(list, pages);
    QRandomGenerator rng(5);
    for (int i = 0; i < 60; ++i) {
        const int n = 1 + static_cast<int>(rng.bounded(12));
        ASSERT_EQ(list.GetPageData(n), pages[n - 1]) << n;
    }
}

TEST_P(RpPageListCompression, SavedFileLoadsBackWithItsPages) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(5, 2000);
    const QString name = tmp.File("report.rpp");
    {
        TRpPageList list;
        list.SetCompression(GetParam());
        Fill(list, pages);
        list.SaveToFile(name);
        EXPECT_EQ(list.Stream()->Position(), list.Stream()->Size());
        EXPECT_EQ(ReadFile(name)[25], GetParam() ? '\1' : '\0');
    }
    TRpPageList loaded;
    loaded.LoadFromFile(name);
    EXPECT_EQ(loaded.PageCount(), 5);
    EXPECT_EQ(loaded.Compression(), GetParam());
    EXPECT_EQ(loaded.Stream()->MemoryLimit(), 0);
    for (int n : {1, 4, 2, 5, 3}) {
        ASSERT_EQ(loaded.GetPageData(n), pages[n - 1]) << n;
    }
    // Saving an opened report writes the same bytes.
    const QString copy = tmp.File("copy.rpp");
    loaded.SaveToFile(copy);
    EXPECT_EQ(ReadFile(copy), ReadFile(name));
}

INSTANTIATE_TEST_SUITE_P(Modes, RpPageListCompression, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Compressed" : "Plain"; });

TEST(RpPageList, CompressedPagesAreSmallerThanPlain) {
    TRpPageList plain, compressed;
    compressed.SetCompression(true);
    Fill(plain, Pages(4, 3000));
    Fill(compressed, Pages(4, 3000));
    EXPECT_LT(compressed.Stream()->Size(), plain.Stream()->Size() * 3 / 4);
}

TEST(RpPageList, CrossingTheMemoryLimitMovesTheStoreToAnRppFileDeletedWithIt) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(30, 4000);
    QString name;
    {
        TRpPageList list;
        list.CreateStream();
        qint64 total = 128;
        for (const QByteArray& p : pages) {
            list.AddPageData(p);
            total += 12 + p.size();
            ASSERT_EQ(list.Stream()->InMemory(), total <= 100000) << total;
        }
        name = list.Stream()->TemporaryFileName();
        EXPECT_TRUE(QFileInfo(name).fileName().startsWith("RPP"));
        EXPECT_EQ(tmp.Entries(), QStringList{QFileInfo(name).fileName()});
        list.Finish();
        for (int n : {30, 1, 17, 16, 29}) {
            ASSERT_EQ(list.GetPageData(n), pages[n - 1]) << n;
        }
    }
    EXPECT_FALSE(QFileInfo::exists(name));
    EXPECT_TRUE(tmp.Entries().isEmpty());
}

TEST(RpPageList, FreeingTheStreamDeletesItsTemporaryFile) {
    rptest::ScopedTempDir tmp;
    TRpPageList list;
    Fill(list, Pages(30, 4000));
    ASSERT_FALSE(list.Stream()->InMemory());
    list.FreeStream();
    EXPECT_EQ(list.Stream(), nullptr);
    EXPECT_TRUE(tmp.Entries().isEmpty());
}

struct HandBuiltFile {
    const char* name;
    bool compressed;
    bool oldHeader;
};

void PrintTo(const HandBuiltFile& v, std::ostream* os) {
    *os << v.name;
}

class RpPageListHandBuilt : public testing::TestWithParam<HandBuiltFile> {};

TEST_P(RpPageListHandBuilt, ReadsAFileLaidOutByteByByte) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(4, 700);
    std::vector<QByteArray> stored;
    for (const QByteArray& p : pages) {
        if (GetParam().compressed) {
            QByteArray d;
            rptest::AppendI32(d, static_cast<qint32>(p.size()));
            stored.push_back(d + TRpCompress::CodeBytes(p));
        } else {
            stored.push_back(p);
        }
    }
    const QString name = tmp.File("hand.rpp");
    WriteFile(name, BuildFile(stored, GetParam().compressed, GetParam().oldHeader, 45678.25));
    TRpPageList list;
    list.LoadFromFile(name);
    EXPECT_EQ(list.PageCount(), 4);
    EXPECT_EQ(list.HeaderLength(), GetParam().oldHeader ? 124 : 128);
    EXPECT_EQ(list.Header().FormatVersion, 3);
    EXPECT_EQ(list.Header().LibraryVersion, 309);
    EXPECT_EQ(list.Header().Time, 45678.25);
    EXPECT_EQ(list.Header().Compression, GetParam().compressed);
    for (int n : {1, 2, 3, 4, 2, 1, 4}) {
        TRpPageRecord record;
        ASSERT_EQ(list.GetPageData(n, &record), pages[n - 1]) << n;
        EXPECT_EQ(record.StoredSize, stored[n - 1].size());
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, RpPageListHandBuilt,
                         testing::Values(HandBuiltFile{"Plain", false, false},
                                         HandBuiltFile{"Compressed", true, false},
                                         HandBuiltFile{"OlderHeader", false, true},
                                         HandBuiltFile{"OlderHeaderCompressed", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RpPageList, EmptyReportSavesAndOpensAgain) {
    rptest::ScopedTempDir tmp;
    TRpPageList list;
    list.CreateStream();
    list.Finish();
    const QString name = tmp.File("empty.rpp");
    list.SaveToFile(name);
    EXPECT_EQ(ReadFile(name).size(), 128);
    TRpPageList loaded;
    loaded.LoadFromFile(name);
    EXPECT_EQ(loaded.PageCount(), 0);
}

TEST(RpPageList, SavingReplacesAnExistingFile) {
    rptest::ScopedTempDir tmp;
    const QString name = tmp.File("old.rpp");
    WriteFile(name, QByteArray(5000, 'x'));
    TRpPageList list;
    Fill(list, Pages(1));
    list.SaveToFile(name);
    EXPECT_EQ(ReadFile(name), [&] {
        QByteArray all;
        QBuffer b(&all);
        b.open(QIODevice::WriteOnly);
        list.Stream()->CopyTo(b);
        return all;
    }());
}

TEST(RpPageList, SavingAnOpenedReportOverItsOwnFileKeepsEveryPage) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(4, 800);
    const QString name = tmp.File("same.rpp");
    const QByteArray original = BuildFile(pages, false);
    WriteFile(name, original);
    TRpPageList list;
    list.LoadFromFile(name);
    list.SaveToFile(name);
    EXPECT_EQ(ReadFile(name), original);
    for (int n : {4, 1, 3}) {
        EXPECT_EQ(list.GetPageData(n), pages[n - 1]) << n;
    }
    EXPECT_EQ(tmp.Entries(), QStringList{"same.rpp"});
}

TEST(RpPageList, ReadersOnSeveralThreadsEachGetTheirPage) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(60, 5000);
    TRpPageList list;
    list.SetCompression(true);
    Fill(list, pages);
    ASSERT_FALSE(list.Stream()->InMemory());
    std::vector<std::future<int>> readers;
    for (int t = 0; t < 4; ++t) {
        readers.push_back(std::async(std::launch::async, [&, t] {
            QRandomGenerator rng(t + 1);
            int wrong = 0;
            for (int i = 0; i < 100; ++i) {
                const int n = 1 + static_cast<int>(rng.bounded(60));
                wrong += list.GetPageData(n) != pages[n - 1];
            }
            return wrong;
        }));
    }
    for (auto& r : readers) {
        ASSERT_EQ(r.wait_for(std::chrono::seconds(60)), std::future_status::ready);
        EXPECT_EQ(r.get(), 0);
    }
}

TEST(RpPageList, SavingWhereNoFileCanBeMadeSaysWhichAndWhy) {
    rptest::ScopedTempDir tmp;
    TRpPageList list;
    Fill(list, Pages(1));
    const QString name = tmp.File("missing/dir/report.rpp");
    const QString message = ExceptionMessage([&] { list.SaveToFile(name); });
    const QString prefix = QStringLiteral("Cannot create file \"%1\". ").arg(name);
    EXPECT_TRUE(message.startsWith(prefix)) << message.toStdString();
    EXPECT_GT(message.size(), prefix.size());
}

TEST(RpPageList, OpeningAMissingFileFailsAndKeepsTheCurrentPages) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(2);
    TRpPageList list;
    Fill(list, pages);
    const QString message = ExceptionMessage([&] { list.LoadFromFile(tmp.File("none.rpp")); });
    EXPECT_TRUE(message.startsWith("Cannot open file \"")) << message.toStdString();
    EXPECT_EQ(list.PageCount(), 2);
    EXPECT_EQ(list.GetPageData(2), pages[1]);
}

// Damaged files: each must fail with the given message, at opening or when
// its pages are read, without hanging or reading unrelated bytes.
struct Damage {
    const char* name;
    std::function<QByteArray()> file;
    const char* message;
};

void PrintTo(const Damage& v, std::ostream* os) {
    *os << v.name;
}

QByteArray GoodFile(int pages = 3) {
    return BuildFile(Pages(pages), false);
}

QByteArray Truncated() {
    QByteArray f = GoodFile();
    f.chop(30);
    return f;
}

QByteArray ShorterThanAHeader() {
    return GoodFile().left(100);
}

QByteArray CountAboveRecords() {
    return BuildFile(Pages(3), false, false, 1.0, 5);
}

QByteArray NegativeCount() {
    return BuildFile(Pages(3), false, false, 1.0, -2);
}

QByteArray NextOffsetOutside() {
    QByteArray f = GoodFile();
    rptest::PutI32(f, 128 + 4, 0x7FFFFF00);
    return f;
}

// Page 3's back-link points forward at page 4, whose own leads back to 3: a
// walk back would go round for ever.
QByteArray BackLinkLoop(int count) {
    const auto pages = Pages(count);
    QByteArray f = BuildFile(pages, false);
    const qint32 start2 = GetI32(f, 128 + 4);
    const qint32 start3 = GetI32(f, start2 + 4);
    const qint32 start4 = GetI32(f, start3 + 4);
    rptest::PutI32(f, start4 - 4, start4);
    return f;
}

QByteArray CompressedCount(qint32 n) {
    QByteArray d;
    rptest::AppendI32(d, n);
    d += TRpCompress::CodeBytes(MakeEmf(10, 10));
    return BuildFile({d}, true);
}

QByteArray NotAMetafile() {
    QByteArray page = MakeEmf(10, 10);
    page[41] = 'X';
    return BuildFile({page}, false);
}

QByteArray MetafileLongerThanItsRecord() {
    QByteArray page = MakeEmf(10, 10, 40);
    rptest::PutI32(page, 48, page.size() + 400);
    return BuildFile({page, MakeEmf(10, 10, 500)}, false);
}

class RpPageListDamaged : public testing::TestWithParam<Damage> {};

TEST_P(RpPageListDamaged, FailsWithTheStoresMessage) {
    rptest::ScopedTempDir tmp;
    const QString name = tmp.File("damaged.rpp");
    WriteFile(name, GetParam().file());
    const QString message = ExceptionMessage([&] {
        TRpPageList list;
        list.LoadFromFile(name);
        for (int n = 1; n <= list.PageCount(); ++n) {
            list.GetPageData(n);
        }
        for (int n = list.PageCount(); n >= 1; --n) {
            list.GetPageData(n);
        }
    });
    EXPECT_EQ(message.toStdString(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RpPageListDamaged,
    testing::Values(
        Damage{"Truncated", Truncated, "Stream read error"},
        Damage{"ShorterThanAHeader", ShorterThanAHeader, "Stream read error"},
        Damage{"CountAboveRecords", CountAboveRecords, "Stream read error"},
        Damage{"NegativeCount", NegativeCount, "Stream read error"},
        Damage{"NextOffsetOutside", NextOffsetOutside, "Stream read error"},
        Damage{"BackLinkLoop", [] { return BackLinkLoop(5); }, "Stream read error"},
        Damage{"CompressedCountNegative", [] { return CompressedCount(-5); }, "Stream read error"},
        Damage{"CompressedCountAbsurd", [] { return CompressedCount(2000000000); },
               "Stream read error"},
        Damage{"NotAMetafile", NotAMetafile, "Metafile is not valid"},
        Damage{"MetafileLongerThanItsRecord", MetafileLongerThanItsRecord, "Stream read error"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RpPageList, DamagedOpenLeavesTheStoreAsItWas) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(2);
    TRpPageList list;
    Fill(list, pages);
    const QString name = tmp.File("bad.rpp");
    WriteFile(name, ShorterThanAHeader());
    EXPECT_EQ(ExceptionMessage([&] { list.LoadFromFile(name); }), "Stream read error");
    EXPECT_EQ(list.PageCount(), 2);
    EXPECT_EQ(list.GetPageData(1), pages[0]);
}

// The stream of a store whose document was never finished, as saving it
// would copy it: its header still counts page 1.
QByteArray UnfinishedStore(const std::vector<QByteArray>& pages) {
    TRpPageList list;
    list.CreateStream();
    for (const QByteArray& p : pages) {
        list.AddPageData(p);
    }
    QBuffer copy;
    copy.open(QIODevice::WriteOnly);
    list.Stream()->CopyTo(copy);
    return copy.data();
}

TEST(RpPageList, UnfinishedStoresFileOpensWithTheHeadersPageCount) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(5);
    const QString name = tmp.File("unfinished.rpp");
    WriteFile(name, UnfinishedStore(pages));
    TRpPageList list;
    list.LoadFromFile(name);
    EXPECT_EQ(list.PageCount(), 1);
    EXPECT_EQ(list.GetPageData(1), pages[0]);
    EXPECT_FALSE(list.GetPageData(2).has_value());
    EXPECT_EQ(list.GetPageData(1), pages[0]);
}

// Reading every page of the list in order, backwards, then the last page
// first and the rest from there.
void ExpectEveryPageInAnyOrder(TRpPageList& list, const std::vector<QByteArray>& pages) {
    const int count = list.PageCount();
    for (int n = 1; n <= count; ++n) {
        ASSERT_EQ(list.GetPageData(n), pages[n - 1]) << "forward " << n;
    }
    for (int n = count; n >= 1; --n) {
        ASSERT_EQ(list.GetPageData(n), pages[n - 1]) << "backward " << n;
    }
    for (int n : {count, 2, count - 1, count, 1, count}) {
        ASSERT_EQ(list.GetPageData(n), pages[n - 1]) << "jump " << n;
    }
}

TEST(RpPageList, BytesAfterTheLastRecordDoNotHideAnyPage) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(4);
    for (const QByteArray& tail :
         {QByteArray(1, '\0'), QByteArray(7, 'x'), QByteArray(40, '\xff'), MakeEmf(30, 30)}) {
        const QString name = tmp.File("tail.rpp");
        WriteFile(name, BuildFile(pages, false) + tail);
        TRpPageList list;
        list.LoadFromFile(name);
        ASSERT_EQ(list.PageCount(), 4);
        ExpectEveryPageInAnyOrder(list, pages);
    }
}

TEST(RpPageList, HeaderCountingFewerPagesThanRecordsShowsThoseItCounts) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(6);
    const QString name = tmp.File("fewer.rpp");
    WriteFile(name, BuildFile(pages, false, false, 1.0, 4));
    TRpPageList list;
    list.LoadFromFile(name);
    ASSERT_EQ(list.PageCount(), 4);
    ExpectEveryPageInAnyOrder(list, pages);
    EXPECT_FALSE(list.GetPageData(5).has_value());
}

TEST(RpPageList, InvalidPageIsRefusedAndNothingIsAdded) {
    TRpPageList list;
    Fill(list, Pages(2));
    const qint64 size = list.Stream()->Size();
    QByteArray bad = MakeEmf(10, 10);
    bad[40] = 'x';
    EXPECT_EQ(ExceptionMessage([&] { list.AddPageData(bad); }), "Metafile is not valid");
    EXPECT_EQ(ExceptionMessage([&] { list.AddPageData(QByteArray(20, 'y')); }),
              "Metafile is not valid");
    EXPECT_EQ(list.PageCount(), 2);
    EXPECT_EQ(list.Stream()->Size(), size);
}

TEST(RpPageList, FailedAddLeavesTheStoreReadable) {
    rptest::ScopedTempDir tmp;
    const auto pages = Pages(2);
    const QString name = tmp.File("saved.rpp");
    WriteFile(name, BuildFile(pages, false));
    TRpPageList list;
    list.LoadFromFile(name);
    // An opened saved report is read-only.
    EXPECT_EQ(ExceptionMessage([&] { list.AddPageData(MakeEmf(5, 5)); }), "Stream write error");
    EXPECT_EQ(list.PageCount(), 2);
    EXPECT_EQ(list.GetPageData(2), pages[1]);
    EXPECT_EQ(ReadFile(name), BuildFile(pages, false));
}

TEST(RpPageList, LockIsReleasedWhenAReadFails) {
    rptest::ScopedTempDir tmp;
    const QString name = tmp.File("loop.rpp");
    WriteFile(name, BackLinkLoop(5));
    TRpPageList list;
    list.LoadFromFile(name);
    ASSERT_TRUE(list.GetPageData(4).has_value());
    EXPECT_THROW(list.GetPageData(2), Exception);
    // Were the lock still held, this second reader would wait forever.
    auto again = std::async(std::launch::async, [&] { return list.GetPageData(1); });
    ASSERT_EQ(again.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_TRUE(again.get().has_value());
}

TEST(RpPageList, OlderHeaderIsTakenOnlyWhenTheSignatureLiesWhereItWouldFollowIt) {
    // A 128-byte header whose first page is small: nothing at offset 173
    // spells "EMF\0", so the header is read as 128 bytes.
    const QByteArray file = BuildFile(Pages(1, 0), false);
    ASSERT_NE(file.mid(173, 4), QByteArray("EMF\0", 4));
    TRpPageList list;
    auto stream = std::make_unique<TRpStream>(1 << 20);
    stream->WriteBuffer(file.constData(), file.size());
    list.LoadFromStream(std::move(stream));
    EXPECT_EQ(list.HeaderLength(), 128);
    EXPECT_EQ(BuildFile(Pages(1, 0), false, true).mid(173, 4), QByteArray("EMF\0", 4));
}

} // namespace
