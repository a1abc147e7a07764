// The splay-tree coder of report pages; see rp_compress.h for the code itself.
#include "report/rp_compress.h"

#include "platform/exceptions.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>

namespace {

constexpr int kRoot = 0;
constexpr int kFirstLeaf = 256;

[[noreturn]] void ThrowReadError() {
    throw Exception(QStringLiteral("Stream read error"));
}

[[noreturn]] void ThrowWriteError() {
    throw Exception(QStringLiteral("Stream write error"));
}

} // namespace

TRpCompress::TRpCompress(QIODevice& stream, bool compress, qint64 readLimit)
    : stream_(stream), compress_(compress), readLimit_(readLimit) {
    Reset();
}

TRpCompress::~TRpCompress() {
    if (!compress_) {
        GiveBackReadAhead();
    }
}

void TRpCompress::GiveBackReadAhead() {
    const int unread = bufferFill_ - bufferUsed_;
    bufferFill_ = bufferUsed_ = 0;
    if (unread > 0) {
        stream_.seek(stream_.pos() - unread);
    }
}

void TRpCompress::Reset() {
    for (int i = 1; i <= 512; ++i) {
        up_[i] = static_cast<std::uint8_t>((i - 1) / 2);
    }
    up_[0] = 0;
    for (int i = 0; i <= 255; ++i) {
        left_[i] = static_cast<std::uint16_t>(2 * i + 1);
        right_[i] = static_cast<std::uint16_t>(2 * i + 2);
    }
    // A coder fills a byte from position 0; a decoder starts "after" position
    // 7 so that its first request reads a byte.
    bitPosition_ = compress_ ? 0 : 7;
    outputByte_ = 0;
    inputByte_ = 0;
}

void TRpCompress::PutBit(bool bit) {
    if (bit) {
        outputByte_ |= static_cast<std::uint16_t>(1u << bitPosition_);
    }
    if (bitPosition_ == 7) {
        // Coded bytes go to the stream in chunks rather than one by one: the
        // stream's content is the same, the calls far fewer.
        buffer_[bufferUsed_++] = static_cast<char>(outputByte_ & 0xFF);
        if (bufferUsed_ == kBufferSize) {
            FlushOutput();
        }
        outputByte_ = 0;
        bitPosition_ = 0;
    } else {
        ++bitPosition_;
    }
}

bool TRpCompress::GetBit() {
    if (bitPosition_ == 7) {
        inputByte_ = NextInputByte();
        bitPosition_ = 0;
    } else {
        ++bitPosition_;
    }
    return ((inputByte_ >> bitPosition_) & 1u) != 0;
}

std::uint8_t TRpCompress::NextInputByte() {
    if (bufferUsed_ < bufferFill_) {
        ++bytesRead_;
        return static_cast<std::uint8_t>(buffer_[bufferUsed_++]);
    }
    if (readLimit_ < 0) {
        char c = 0;
        if (!stream_.getChar(&c)) {
            ThrowReadError();
        }
        ++bytesRead_;
        return static_cast<std::uint8_t>(c);
    }
    const qint64 remaining = readLimit_ - bytesRead_;
    if (remaining <= 0) {
        ThrowReadError();
    }
    const qint64 got = stream_.read(buffer_, std::min<qint64>(kBufferSize, remaining));
    if (got <= 0) {
        ThrowReadError();
    }
    bufferFill_ = static_cast<int>(got);
    bufferUsed_ = 1;
    ++bytesRead_;
    return static_cast<std::uint8_t>(buffer_[0]);
}

void TRpCompress::Splay(int value) {
    int a = value + kFirstLeaf;
    for (;;) {
        const int p = up_[a];
        if (p == kRoot) {
            return;
        }
        const int g = up_[p];
        int s;
        if (left_[g] == p) {
            s = right_[g];
            right_[g] = static_cast<std::uint16_t>(a);
        } else {
            s = left_[g];
            left_[g] = static_cast<std::uint16_t>(a);
        }
        if (left_[p] == a) {
            left_[p] = static_cast<std::uint16_t>(s);
        } else {
            right_[p] = static_cast<std::uint16_t>(s);
        }
        up_[a] = static_cast<std::uint8_t>(g);
        up_[s] = static_cast<std::uint8_t>(p);
        if (g == kRoot) {
            return;
        }
        a = g;
    }
}

void TRpCompress::CodeByte(std::uint8_t value) {
    Q_ASSERT_X(compress_, "TRpCompress::CodeByte", "coder made for decoding");
    // The path from the leaf up to the root, then emitted root first. A leaf
    // lies at most 256 levels deep (a degenerate tree).
    bool path[257];
    int depth = 0;
    int a = value + kFirstLeaf;
    while (a != kRoot) {
        Q_ASSERT_X(depth < 257, "TRpCompress::CodeByte", "leaf deeper than the tree can grow");
        const int p = up_[a];
        path[depth++] = right_[p] == a;
        a = p;
    }
    while (depth > 0) {
        PutBit(path[--depth]);
    }
    Splay(value);
}

std::uint8_t TRpCompress::DecodeByte() {
    Q_ASSERT_X(!compress_, "TRpCompress::DecodeByte", "coder made for coding");
    int a = kRoot;
    while (a < kFirstLeaf) {
        a = GetBit() ? right_[a] : left_[a];
    }
    const int value = a - kFirstLeaf;
    // Leaf 512 is never reached by coding; only damaged input leads there.
    if (value > 255) {
        throw Exception(QStringLiteral("Stream read error"));
    }
    Splay(value);
    return static_cast<std::uint8_t>(value);
}

void TRpCompress::FlushOutput() {
    if (bufferUsed_ == 0) {
        return;
    }
    const int count = bufferUsed_;
    bufferUsed_ = 0;
    if (stream_.write(buffer_, count) != count) {
        ThrowWriteError();
    }
}

void TRpCompress::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (!compress_) {
        GiveBackReadAhead();
        return;
    }
    if (bitPosition_ != 0) {
        buffer_[bufferUsed_++] = static_cast<char>(outputByte_ & 0xFF);
        bitPosition_ = 0;
        outputByte_ = 0;
    }
    FlushOutput();
}

QByteArray TRpCompress::CodeBytes(QByteArrayView data) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    TRpCompress coder(buffer, true);
    for (char c : data) {
        coder.CodeByte(static_cast<std::uint8_t>(c));
    }
    coder.Close();
    buffer.close();
    return out;
}

QByteArray TRpCompress::DecodeBytes(QByteArrayView code, qint64 count) {
    QByteArray in = code.toByteArray();
    QBuffer buffer(&in);
    buffer.open(QIODevice::ReadOnly);
    TRpCompress decoder(buffer, false, in.size());
    QByteArray out;
    // Every decoded byte takes at least one bit, which bounds what a count
    // can sensibly ask for.
    if (count < 0 || count > 8 * static_cast<qint64>(in.size())) {
        ThrowReadError();
    }
    out.resize(static_cast<qsizetype>(count));
    for (qsizetype i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char>(decoder.DecodeByte());
    }
    return out;
}
