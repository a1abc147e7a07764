// The page store's stream: memory while small, an "RPP" temporary file once
// past its limit, opened saved files, and the whole-or-nothing operations.
#include "report/rp_stream.h"

#include "platform/exceptions.h"
#include "platform/testing/exception_message.h"
#include "report/tests/rp_test_support.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(RpStream, StaysInMemoryUpToItsLimit) {
    rptest::ScopedTempDir tmp;
    TRpStream stream(100);
    const QByteArray data(100, 'a');
    stream.WriteBuffer(data.constData(), data.size());
    EXPECT_TRUE(stream.InMemory());
    EXPECT_TRUE(tmp.Entries().isEmpty());
    EXPECT_EQ(stream.Size(), 100);
}

TEST(RpStream, PassingTheLimitMovesTheBytesToAnRppFileThatIsDeletedWithTheStream) {
    rptest::ScopedTempDir tmp;
    QString name;
    {
        TRpStream stream(100);
        const QByteArray first(60, 'a');
        const QByteArray second(60, 'b');
        stream.WriteBuffer(first.constData(), first.size());
        stream.WriteBuffer(second.constData(), second.size());
        ASSERT_FALSE(stream.InMemory());
        name = stream.TemporaryFileName();
        const QFileInfo info(name);
        EXPECT_EQ(info.absolutePath(), QFileInfo(tmp.Path()).absoluteFilePath());
        EXPECT_TRUE(info.fileName().startsWith("RPP")) << info.fileName().toStdString();
        EXPECT_TRUE(info.exists());
        // The write goes on where it left off, and every byte moved.
        EXPECT_EQ(stream.Position(), 120);
        stream.WriteInt32(0x01020304);
        stream.Seek(0, soFromBeginning);
        QByteArray back(124, '\0');
        stream.ReadBuffer(back.data(), back.size());
        EXPECT_EQ(back.left(120), first + second);
        EXPECT_EQ(back.mid(120).toHex(), "04030201");
    }
    EXPECT_FALSE(QFileInfo::exists(name));
    EXPECT_TRUE(tmp.Entries().isEmpty());
}

TEST(RpStream, SeeksFromEachOrigin) {
    TRpStream stream;
    const QByteArray data("0123456789");
    stream.WriteBuffer(data.constData(), data.size());
    EXPECT_EQ(stream.Seek(2, soFromBeginning), 2);
    EXPECT_EQ(stream.Seek(3, soFromCurrent), 5);
    EXPECT_EQ(stream.Seek(-4, soFromEnd), 6);
    char c = 0;
    stream.ReadBuffer(&c, 1);
    EXPECT_EQ(c, '6');
    EXPECT_EQ(ExceptionMessage([&] { stream.Seek(-1, soFromBeginning); }), "Stream read error");
}

TEST(RpStream, ShortReadIsAReadError) {
    TRpStream stream;
    stream.WriteInt32(7);
    stream.Seek(2, soFromBeginning);
    EXPECT_EQ(ExceptionMessage([&] { stream.ReadInt32(); }), "Stream read error");
}

TEST(RpStream, CopyToCopiesEverythingInBlocksAndEndsAtTheEnd) {
    TRpStream stream(1000);
    const QByteArray data = QByteArray("page bytes ").repeated(300);
    stream.WriteBuffer(data.constData(), data.size());
    stream.Seek(5, soFromBeginning);
    QByteArray copy;
    QBuffer out(&copy);
    out.open(QIODevice::WriteOnly);
    stream.CopyTo(out, 7);
    EXPECT_EQ(copy, data);
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(RpStream, OpenedFileIsReadOnlyAndNeverDeleted) {
    rptest::ScopedTempDir tmp;
    const QString name = tmp.File("saved.rpp");
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("saved bytes");
    }
    {
        auto stream = TRpStream::OpenFile(name);
        EXPECT_FALSE(stream->InMemory());
        EXPECT_EQ(stream->MemoryLimit(), 0);
        EXPECT_TRUE(stream->TemporaryFileName().isEmpty());
        EXPECT_EQ(stream->Size(), 11);
        char buf[5];
        stream->ReadBuffer(buf, 5);
        EXPECT_EQ(QByteArray(buf, 5), "saved");
        EXPECT_EQ(ExceptionMessage([&] { stream->WriteInt32(1); }), "Stream write error");
    }
    EXPECT_TRUE(QFileInfo::exists(name));
}

TEST(RpStream, OpeningAMissingFileSaysWhichAndWhy) {
    rptest::ScopedTempDir tmp;
    const QString name = tmp.File("nowhere.rpp");
    const QString message = ExceptionMessage([&] { TRpStream::OpenFile(name); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(name)))
        << message.toStdString();
    EXPECT_GT(message.size(), QStringLiteral("Cannot open file \"%1\". ").arg(name).size());
}

TEST(RpStream, TruncateCutsMemoryAndFileAlike) {
    rptest::ScopedTempDir tmp;
    for (qint64 limit : {qint64(1000), qint64(10)}) {
        TRpStream stream(limit);
        const QByteArray data(40, 'd');
        stream.WriteBuffer(data.constData(), data.size());
        stream.Truncate(12);
        EXPECT_EQ(stream.Size(), 12) << limit;
        EXPECT_EQ(stream.Position(), 12) << limit;
    }
}

} // namespace
