// The adaptive splay-tree prefix code of compressed report pages.
//
// Every page is coded on its own: a coder starts from the same balanced tree
// of 256 byte leaves, and each coded byte moves its leaf about halfway towards
// the root (semi-splaying), so bytes that recur get short codes. Bits fill a
// byte from bit 0 upwards. The decoder asks for a new byte only when it needs
// a bit, so after decoding N bytes the stream stands exactly where the coder's
// output ended.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

class QIODevice;

class TRpCompress {
public:
    // A coder on the stream, for coding (compress true) or for decoding. While
    // decoding, readLimit (when not negative) bounds the bytes taken from the
    // stream: asking for more fails like a short stream, so damaged data can
    // never make the decoder run into what follows it. With a limit the
    // decoder reads ahead within it and gives back what it did not use when
    // closed or destroyed; without one it reads a byte at a time.
    TRpCompress(QIODevice& stream, bool compress, qint64 readLimit = -1);
    TRpCompress(const TRpCompress&) = delete;
    TRpCompress& operator=(const TRpCompress&) = delete;
    // A coder does not write here: one dropped on a failure leaves its
    // pending bits unwritten, Close() is the normal end of coding. A decoder
    // gives back its unused read-ahead.
    ~TRpCompress();

    bool Compress() const { return compress_; }

    // Codes one byte; the code goes to the stream as whole bytes fill up.
    void CodeByte(std::uint8_t value);
    // Decodes one byte. Throws Exception("Stream read error") when the stream
    // (or the read limit) ends first.
    std::uint8_t DecodeByte();
    // Ends coding: writes what is pending, including a partly filled last byte
    // whose unused high bits are 0; throws Exception("Stream write error")
    // when the stream refuses. Ends decoding: moves the stream back over any
    // read-ahead, so it stands just past the last byte used. Does nothing
    // when called again.
    void Close();

    // Bytes read from the stream so far by this decoder.
    qint64 BytesRead() const { return bytesRead_; }

    // Whole-buffer helpers over the same code.
    static QByteArray CodeBytes(QByteArrayView data);
    static QByteArray DecodeBytes(QByteArrayView code, qint64 count);

private:
    void Reset();
    void PutBit(bool bit);
    bool GetBit();
    void Splay(int value);
    void FlushOutput();
    std::uint8_t NextInputByte();
    void GiveBackReadAhead();

    QIODevice& stream_;
    bool compress_;
    bool closed_ = false;
    qint64 readLimit_;
    qint64 bytesRead_ = 0;
    int bitPosition_ = 0;
    std::uint16_t outputByte_ = 0;
    std::uint16_t inputByte_ = 0;
    // Parents of the 513 nodes (inner nodes 0..255, leaves 256..512) and the
    // children of the inner nodes. Node 0 is the root.
    std::uint8_t up_[513];
    std::uint16_t left_[256];
    std::uint16_t right_[256];
    // Coded bytes collected before they go to the stream in one write, or
    // read-ahead of a decoder with a limit (bufferUsed_ of bufferFill_ taken).
    static constexpr int kBufferSize = 4096;
    char buffer_[kBufferSize];
    int bufferUsed_ = 0;
    int bufferFill_ = 0;
};
