// rpptool: a look inside saved-report files (the preview's "RPP" files).
//
//   rpptool info FILE                        header fields and every page's size
//   rpptool extract FILE N OUT.emf           page N's metafile, decompressed
//   rpptool render FILE N OUT.png [--dpi D]  page N drawn onto an image
//   rpptool listing [--alias NAME | --dir PATH] [--quiet] OUT.rpp
//                                            the question listing generated
//                                            from QUESTOES.DB, naming the
//                                            texts its boxes cut
//
// A file the page store cannot read ends the tool with the store's own
// message on standard error and exit status 1; a wrong command line ends it
// with the usage text and status 2.
#include "platform/clock.h"
#include "platform/exceptions.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_player.h"
#include "platform/graphics/painter_canvas.h"
#include "report/rp_page_list.h"
#include "tools/rpptool/listing.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

QTextStream& Err() {
    static QTextStream err(stderr);
    return err;
}

int Usage() {
    Err() << "usage: rpptool info FILE\n"
             "       rpptool extract FILE N OUT.emf\n"
             "       rpptool render FILE N OUT.png [--dpi D]\n"
             "       rpptool listing [--alias NAME | --dir PATH] [--quiet] OUT.rpp\n";
    Err().flush();
    return kExitUsage;
}

int Fail(const QString& message) {
    Out().flush();
    Err() << "rpptool: " << message << "\n";
    Err().flush();
    return kExitFailure;
}

std::optional<int> ParsePositive(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1) {
        return std::nullopt;
    }
    return value;
}

void WriteFileOrThrow(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw Exception(QStringLiteral("Cannot create file \"%1\". %2")
                            .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    }
}

int Info(const QString& fileName) {
    TRpPageList list;
    list.LoadFromFile(fileName);
    const TRpFileHeader& h = list.Header();
    QTextStream& out = Out();
    out << "File: " << fileName << "\n";
    out << "Header length: " << h.Length
        << (h.Length == TRpFileHeader::kOldLength ? " (older layout)" : "") << "\n";
    out << "Format version: " << h.FormatVersion << "\n";
    out << "Library version: " << h.LibraryVersion << "\n";
    out << "Written: " << ToQDateTime(h.Time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        << " (" << QString::number(h.Time, 'f', 6) << ")\n";
    out << "Compression: " << (h.Compression ? "yes" : "no") << "\n";
    out << "Pages: " << list.PageCount() << "\n";
    for (int n = 1; n <= list.PageCount(); ++n) {
        TRpPageRecord record;
        const QByteArray data = *list.GetPageData(n, &record);
        TMetafile page;
        page.LoadFromData(data);
        out << "Page " << n << ": offset " << record.Offset << ", record "
            << (record.NextOffset - record.Offset) << " bytes, stored " << record.StoredSize
            << " bytes, metafile " << data.size() << " bytes, " << page.Width() << " x "
            << page.Height() << " pixels\n";
    }
    out.flush();
    return 0;
}

// Page n of the file, or a message saying the file has no such page.
QByteArray PageOf(TRpPageList& list, int n) {
    std::optional<QByteArray> data = list.GetPageData(n);
    if (!data) {
        throw Exception(QStringLiteral("Page %1 does not exist: the file has %2 page(s)")
                            .arg(n)
                            .arg(list.PageCount()));
    }
    return *data;
}

int Extract(const QString& fileName, int n, const QString& outName) {
    TRpPageList list;
    list.LoadFromFile(fileName);
    WriteFileOrThrow(outName, PageOf(list, n));
    return 0;
}

int Render(int argc, char** argv, const QString& fileName, int n, const QString& outName, int dpi) {
    TRpPageList list;
    list.LoadFromFile(fileName);
    TMetafile page;
    page.LoadFromData(PageOf(list, n));
    // Drawing needs a GUI application; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const qint64 width = static_cast<qint64>(page.Width()) * dpi / ReferencePixelsPerInch;
    const qint64 height = static_cast<qint64>(page.Height()) * dpi / ReferencePixelsPerInch;
    if (width < 1 || height < 1 || width > 20000 || height > 20000) {
        throw Exception(QStringLiteral("Page %1 cannot be drawn at %2 dpi: %3 x %4 pixels")
                            .arg(n)
                            .arg(dpi)
                            .arg(width)
                            .arg(height));
    }
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    {
        TPainterCanvas canvas(&image);
        PlayMetafile(page, canvas, Rect(0, 0, image.width(), image.height()));
    }
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) {
            throw Exception(QStringLiteral("Page %1 could not be encoded as PNG").arg(n));
        }
    }
    WriteFileOrThrow(outName, png);
    return 0;
}

int Run(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    if (args.isEmpty()) {
        return Usage();
    }
    const QString command = args.takeFirst();
    if (command == "listing") {
        const int status = RunListing(argc, argv, args);
        return status < 0 ? Usage() : status;
    }
    if (command == "info" && args.size() == 1) {
        return Info(args[0]);
    }
    if (command == "extract" && args.size() == 3) {
        const std::optional<int> n = ParsePositive(args[1]);
        if (!n) {
            return Usage();
        }
        return Extract(args[0], *n, args[2]);
    }
    if (command == "render" && (args.size() == 3 || args.size() == 5)) {
        const std::optional<int> n = ParsePositive(args[1]);
        int dpi = ReferencePixelsPerInch;
        if (args.size() == 5) {
            const std::optional<int> d = ParsePositive(args[4]);
            if (args[3] != "--dpi" || !d || *d > 1200) {
                return Usage();
            }
            dpi = *d;
        }
        if (!n) {
            return Usage();
        }
        return Render(argc, argv, args[0], *n, args[2], dpi);
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const Exception& e) {
        return Fail(e.Message());
    } catch (const std::exception& e) {
        return Fail(QString::fromLocal8Bit(e.what()));
    }
}
