// Helpers for the page store's tests, benchmarks and seed corpora: minimal
// enhanced metafiles built byte by byte, saved-report files built byte by
// byte from the file layout (independently of the page list's writer), and a
// temporary directory that stands in for the user's.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace rptest {

inline void PutU16(QByteArray& b, qsizetype at, quint16 v) {
    qToLittleEndian(v, reinterpret_cast<uchar*>(b.data()) + at);
}
inline void PutI32(QByteArray& b, qsizetype at, qint32 v) {
    qToLittleEndian(v, reinterpret_cast<uchar*>(b.data()) + at);
}
inline void PutF64(QByteArray& b, qsizetype at, double v) {
    qToLittleEndian(v, reinterpret_cast<uchar*>(b.data()) + at);
}
// 0 when the bytes do not reach that far.
inline qint32 GetI32(const QByteArray& b, qsizetype at) {
    if (at < 0 || at + 4 > b.size()) {
        return 0;
    }
    qint32 v = 0;
    std::memcpy(&v, b.constData() + at, 4);
    return qFromLittleEndian(v);
}
inline void AppendI32(QByteArray& b, qint32 v) {
    b.append(4, '\0');
    PutI32(b, b.size() - 4, v);
}

// A valid enhanced metafile: the 88-byte header record (" EMF" at byte 40,
// total length at 48), optionally a comment record carrying payloadSize
// bytes (as a real page carries drawing records), and the EOF record. The
// payload is filled from seed so pages differ, and looks like drawing
// records: small 32-bit coordinates mixed with text, so it compresses as
// real pages do.
inline QByteArray MakeEmf(int width, int height, int payloadSize = 0, quint32 seed = 1) {
    QByteArray emf(88, '\0');
    PutI32(emf, 0, 1);  // EMR_HEADER
    PutI32(emf, 4, 88); // record size
    PutI32(emf, 16, width - 1);
    PutI32(emf, 20, height - 1);
    // The frame in hundredths of a millimetre at 96 pixels per inch.
    PutI32(emf, 32, (width * 2540 + 48) / 96);
    PutI32(emf, 36, (height * 2540 + 48) / 96);
    PutI32(emf, 40, 0x464D4520); // " EMF"
    PutI32(emf, 44, 0x10000);
    PutI32(emf, 52, payloadSize > 0 ? 3 : 2);
    PutU16(emf, 56, 1);
    PutI32(emf, 72, 1024);
    PutI32(emf, 76, 768);
    PutI32(emf, 80, 320);
    PutI32(emf, 84, 240);
    if (payloadSize > 0) {
        const int padded = (payloadSize + 3) / 4 * 4;
        QByteArray comment(12 + padded, '\0');
        PutI32(comment, 0, 70); // EMR_GDICOMMENT
        PutI32(comment, 4, 12 + padded);
        PutI32(comment, 8, payloadSize);
        QRandomGenerator rng(seed);
        static const char kWords[] = "questao resposta alternativa correta frase errada ";
        for (int i = 0; i < payloadSize; i += 4) {
            const quint32 r = rng.generate();
            for (int k = 0; k < 4 && i + k < payloadSize; ++k) {
                const quint32 coordinate = (r >> 2) % 1200;
                comment[12 + i + k] = (r % 3 == 0) ? kWords[(r + k * 7) % (sizeof(kWords) - 1)]
                                                   : static_cast<char>(coordinate >> (8 * k));
            }
        }
        emf.append(comment);
    }
    QByteArray eof(20, '\0');
    PutI32(eof, 0, 14); // EMR_EOF
    PutI32(eof, 4, 20);
    PutI32(eof, 12, 16);
    PutI32(eof, 16, 20);
    emf.append(eof);
    PutI32(emf, 48, static_cast<qint32>(emf.size()));
    return emf;
}

// A saved-report file laid out byte by byte: the 128-byte header (or the
// older 124-byte one), then one record per page with the given page data as
// stored (a metafile, or a count and code when compressed).
inline QByteArray BuildFile(const std::vector<QByteArray>& pageData, bool compressed,
                            bool oldHeader = false, double time = 45000.5,
                            std::optional<qint32> headerPageCount = std::nullopt) {
    const int headerLength = oldHeader ? 124 : 128;
    QByteArray file(headerLength, '\0');
    PutU16(file, 0, 3);
    PutU16(file, 2, 309);
    PutI32(file, 8, headerPageCount.value_or(static_cast<qint32>(pageData.size())));
    PutF64(file, oldHeader ? 12 : 16, time);
    file[oldHeader ? 21 : 25] = compressed ? 1 : 0;
    for (size_t i = 0; i < pageData.size(); ++i) {
        const qint32 start = static_cast<qint32>(file.size());
        AppendI32(file, static_cast<qint32>(i + 1));
        AppendI32(file, start + 12 + static_cast<qint32>(pageData[i].size()));
        file.append(pageData[i]);
        AppendI32(file, start);
    }
    return file;
}

// Points the user's temporary directory ($TMPDIR) at a fresh directory for
// the life of the object.
class ScopedTempDir {
public:
    ScopedTempDir()
        : previous_(qgetenv("TMPDIR")), hadPrevious_(qEnvironmentVariableIsSet("TMPDIR")) {
        qputenv("TMPDIR", dir_.path().toLocal8Bit());
    }
    ~ScopedTempDir() {
        if (hadPrevious_) {
            qputenv("TMPDIR", previous_);
        } else {
            qunsetenv("TMPDIR");
        }
    }
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    QString Path() const { return dir_.path(); }
    QString File(const QString& name) const { return dir_.filePath(name); }
    QStringList Entries() const { return QDir(dir_.path()).entryList(QDir::Files); }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};

} // namespace rptest
