// The splay-tree code of compressed pages: exact output for small inputs
// worked out by hand from the tree, round trips, and the decoder's bounds.
#include "report/rp_compress.h"

#include "platform/exceptions.h"
#include "platform/testing/exception_message.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) {
        b.append(static_cast<char>(v));
    }
    return b;
}

// Worked by hand: in the starting tree byte b sits at node b + 256 of a heap
// numbered from 0, so its root-down path is the binary of b + 257 without the
// leading 1 (left 0, right 1), and bits fill each byte from bit 0.
struct HandVector {
    const char* name;
    QByteArray input;
    QByteArray code;
};

void PrintTo(const HandVector& v, std::ostream* os) {
    *os << v.name;
}

class RpCompressHandVector : public testing::TestWithParam<HandVector> {};

TEST_P(RpCompressHandVector, CodesToTheBytesWorkedOutByHand) {
    const HandVector& v = GetParam();
    EXPECT_EQ(TRpCompress::CodeBytes(v.input).toHex(), v.code.toHex());
    EXPECT_EQ(TRpCompress::DecodeBytes(v.code, v.input.size()).toHex(), v.input.toHex());
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, RpCompressHandVector,
    testing::Values(
        // 0: path 00000001, so the byte is 0x80.
        HandVector{"Zero", Bytes({0}), Bytes({0x80})},
        // 1: path 00000010.
        HandVector{"One", Bytes({1}), Bytes({0x40})},
        // 255 is the one leaf at depth 9: nine 0 bits, the last in a padded byte.
        HandVector{"Max", Bytes({255}), Bytes({0x00, 0x00})},
        // Repeated zeros: after each splay the leaf rises to depth 4, 2, 1, 1:
        // 8 bits, then 1111, 00, 1, 1 fill the second byte (0xCF), and the
        // sixth byte's single 1 bit is the padded third.
        HandVector{"SixZeros", Bytes({0, 0, 0, 0, 0, 0}), Bytes({0x80, 0xCF, 0x01})},
        HandVector{"Empty", QByteArray(), QByteArray()}),
    [](const auto& info) { return std::string(info.param.name); });

struct RoundTrip {
    const char* name;
    QByteArray data;
};

void PrintTo(const RoundTrip& v, std::ostream* os) {
    *os << v.name;
}

QByteArray RandomBytes(int size, quint32 seed) {
    QByteArray b(size, '\0');
    QRandomGenerator rng(seed);
    for (char& c : b) {
        c = static_cast<char>(rng.generate());
    }
    return b;
}

QByteArray AllValues() {
    QByteArray b;
    for (int round = 0; round < 3; ++round) {
        for (int v = 0; v < 256; ++v) {
            b.append(static_cast<char>(round == 1 ? 255 - v : v));
        }
    }
    return b;
}

class RpCompressRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(RpCompressRoundTrip, DecodingWhatWasCodedGivesBackTheSameBytes) {
    const QByteArray& data = GetParam().data;
    const QByteArray code = TRpCompress::CodeBytes(data);
    EXPECT_EQ(TRpCompress::DecodeBytes(code, data.size()), data);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RpCompressRoundTrip,
    testing::Values(RoundTrip{"SingleByte", Bytes({42})}, RoundTrip{"AllValues", AllValues()},
                    RoundTrip{"Random64K", RandomBytes(65536, 7)},
                    RoundTrip{"Text", QByteArray("Qual destas alternativas esta correta? "
                                                 "A) nenhuma B) todas C) algumas")
                                          .repeated(40)},
                    RoundTrip{"LongRunsOfTwoValues", QByteArray(3000, 'a') +
                                                         QByteArray(5000, '\xff') +
                                                         QByteArray(7, 'a')},
                    RoundTrip{"ByteMax", QByteArray(500, '\xff')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RpCompress, RandomInputsOfManySizesRoundTrip) {
    QRandomGenerator rng(2024);
    for (int i = 0; i < 200; ++i) {
        const int size = static_cast<int>(rng.bounded(2000));
        // Skewed data (few distinct values) exercises deep splaying.
        QByteArray data(size, '\0');
        const quint32 alphabet = 1 + rng.bounded(256);
        for (char& c : data) {
            c = static_cast<char>(rng.bounded(alphabet));
        }
        ASSERT_EQ(TRpCompress::DecodeBytes(TRpCompress::CodeBytes(data), size), data) << i;
    }
}

TEST(RpCompress, ThousandEqualBytesCodeToFarFewer) {
    const QByteArray code = TRpCompress::CodeBytes(QByteArray(1000, 'x'));
    // After a few splays the leaf is the root's child: one bit a byte.
    EXPECT_LT(code.size(), 140);
}

TEST(RpCompress, EachPageStartsFromTheSameTreeAndDecodesOnItsOwn) {
    const QByteArray first = RandomBytes(3000, 1);
    const QByteArray second = QByteArray("pagina dois ").repeated(100);
    QByteArray stream;
    QBuffer out(&stream);
    out.open(QIODevice::WriteOnly);
    for (const QByteArray* page : {&first, &second}) {
        TRpCompress coder(out, true);
        for (char c : *page) {
            coder.CodeByte(static_cast<std::uint8_t>(c));
        }
        coder.Close();
    }
    const QByteArray firstCode = TRpCompress::CodeBytes(first);
    const QByteArray secondCode = stream.mid(firstCode.size());
    // The second page's code does not depend on what came before it.
    EXPECT_EQ(secondCode, TRpCompress::CodeBytes(second));
    EXPECT_EQ(TRpCompress::DecodeBytes(secondCode, second.size()), second);
}

// Without a read limit, or with one reaching past the code (the decoder then
// reads ahead and gives back what it did not use).
class RpCompressDecoderEnd : public testing::TestWithParam<int> {};

TEST_P(RpCompressDecoderEnd, DecoderStopsExactlyWhereTheCodeEnded) {
    const QByteArray data = QByteArray("abcabcabd").repeated(3000);
    QByteArray stream = TRpCompress::CodeBytes(data);
    const qint64 codeSize = stream.size();
    stream.append(QByteArray(9000, 'T'));
    const qint64 limit = GetParam() < 0 ? -1 : codeSize + GetParam();
    QBuffer in(&stream);
    in.open(QIODevice::ReadOnly);
    {
        TRpCompress decoder(in, false, limit);
        for (char c : data) {
            ASSERT_EQ(decoder.DecodeByte(), static_cast<std::uint8_t>(c));
        }
        EXPECT_EQ(decoder.BytesRead(), codeSize);
        decoder.Close();
        EXPECT_EQ(in.pos(), codeSize);
        in.seek(0);
    }
    {
        TRpCompress dropped(in, false, limit);
        for (char c : data) {
            ASSERT_EQ(dropped.DecodeByte(), static_cast<std::uint8_t>(c));
        }
    }
    EXPECT_EQ(in.pos(), codeSize);
}

INSTANTIATE_TEST_SUITE_P(Limits, RpCompressDecoderEnd, testing::Values(-1, 0, 7, 8000),
                         [](const auto& info) {
                             return info.param < 0 ? std::string("NoLimit")
                                                   : "CodePlus" + std::to_string(info.param);
                         });

TEST(RpCompress, DecodingPastTheEndIsAReadError) {
    const QByteArray code = TRpCompress::CodeBytes(QByteArray(10, 'q'));
    EXPECT_EQ(ExceptionMessage([&] { TRpCompress::DecodeBytes(code, 5000); }), "Stream read error");
}

TEST(RpCompress, ReadLimitKeepsTheDecoderOutOfWhatFollows) {
    QByteArray stream = TRpCompress::CodeBytes(QByteArray(100, 'z')) + RandomBytes(100, 3);
    QBuffer in(&stream);
    in.open(QIODevice::ReadOnly);
    TRpCompress decoder(in, false, 2);
    EXPECT_THROW(
        {
            for (int i = 0; i < 100; ++i) {
                decoder.DecodeByte();
            }
        },
        Exception);
    EXPECT_LE(in.pos(), 2);
}

TEST(RpCompress, CloseWritesThePartialByteOnceAndDroppingACoderWritesNothing) {
    QByteArray stream;
    QBuffer out(&stream);
    out.open(QIODevice::WriteOnly);
    {
        TRpCompress coder(out, true);
        coder.CodeByte(1); // 8 bits: one whole byte, nothing pending
        coder.CodeByte(1);
        coder.Close();
        coder.Close();
    }
    const qsizetype closed = stream.size();
    EXPECT_EQ(closed, TRpCompress::CodeBytes(Bytes({1, 1})).size());
    {
        TRpCompress coder(out, true);
        coder.CodeByte(0);
        coder.CodeByte(0);
    }
    EXPECT_EQ(stream.size(), closed);
}

TEST(RpCompress, ImpossibleCountIsAReadError) {
    EXPECT_THROW(TRpCompress::DecodeBytes(Bytes({1, 2}), -1), Exception);
    EXPECT_THROW(TRpCompress::DecodeBytes(Bytes({1, 2}), 17), Exception);
}

} // namespace
