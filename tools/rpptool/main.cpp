// rpptool: a look inside saved-report files (the preview's "RPP" files).
//
//   rpptool info FILE                        header fields and every page's size
//   rpptool extract FILE N OUT.emf           page N's metafile, decompressed
//   rpptool render FILE N OUT.png [--dpi D]  page N drawn onto an image
//   rpptool pdf FILE OUT.pdf [--pages F-L]   the pages (all, or F to L) as a PDF
//   rpptool listing [--alias NAME | --dir PATH] [--quiet] OUT.rpp
//                                            the question listing generated
//                                            from QUESTOES.DB, naming the
//                                            texts its boxes cut
//
// A file the page store cannot read ends the tool with the file's name and
// the store's own message on standard error and exit status 1; a wrong
// command line ends it with the usage text and status 2. Drawing runs on
// Qt's offscreen platform, so the tool works without a display.
#include "platform/clock.h"
#include "platform/exceptions.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_player.h"
#include "platform/graphics/painter_canvas.h"
#include "report/rp_page_list.h"
#include "report/rp_pdf_export.h"
#include "tools/rpptool/listing.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// The largest image render makes: 256 MB of pixels, an A4 page at 600 dpi
// with room to spare. A larger one is refused rather than drawn.
constexpr qint64 kMaxRenderPixels = 64LL * 1024 * 1024;
constexpr int kMaxRenderSide = 20000;

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
             "       rpptool pdf FILE OUT.pdf [--pages FIRST-LAST]\n"
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

// Qt's own notes (no runtime directory, a font fallback) are not the tool's
// to tell: standard error carries its messages and progress only, and Qt's
// critical and fatal messages.
void QtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        Err() << "rpptool: " << message << "\n";
        Err().flush();
    }
}

// Drawing and fonts need a GUI application; the offscreen platform needs no
// display, and the tool never shows a window.
std::unique_ptr<QGuiApplication> StartGui(int& argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QtMessage);
    return std::make_unique<QGuiApplication>(argc, argv);
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

int Render(int& argc, char** argv, const QString& fileName, int n, const QString& outName,
           int dpi) {
    TRpPageList list;
    list.LoadFromFile(fileName);
    TMetafile page;
    page.LoadFromData(PageOf(list, n));
    const QString problem = page.SizeProblem();
    if (!problem.isEmpty()) {
        throw Exception(QStringLiteral("Page %1 cannot be drawn: %2").arg(n).arg(problem));
    }
    const qint64 width = static_cast<qint64>(page.Width()) * dpi / ReferencePixelsPerInch;
    const qint64 height = static_cast<qint64>(page.Height()) * dpi / ReferencePixelsPerInch;
    if (width < 1 || height < 1 || width > kMaxRenderSide || height > kMaxRenderSide ||
        width * height > kMaxRenderPixels) {
        throw Exception(QStringLiteral("Page %1 cannot be drawn at %2 dpi: %3 x %4 pixels are "
                                       "more than an image may have; choose a lower --dpi")
                            .arg(n)
                            .arg(dpi)
                            .arg(width)
                            .arg(height));
    }
    const auto app = StartGui(argc, argv);
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

// "FIRST-LAST" with 1 <= FIRST <= LAST.
std::optional<std::pair<int, int>> ParseRange(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})-(\\d{1,9})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const int first = m.captured(1).toInt();
    const int last = m.captured(2).toInt();
    if (first < 1 || last < first) {
        return std::nullopt;
    }
    return std::make_pair(first, last);
}

int Pdf(int& argc, char** argv, const QString& fileName, const QString& outName,
        std::optional<std::pair<int, int>> range) {
    TRpPageList list;
    list.LoadFromFile(fileName);
    const auto app = StartGui(argc, argv);
    TRpPdfExport exporter(list);
    if (range) {
        exporter.SetRange(range->first, range->second);
    }
    // A progress line only for a person watching; a log or a pipe gets none.
    const bool terminal = isatty(fileno(stderr)) != 0;
    if (terminal) {
        exporter.OnProgress = [](int page, int count) {
            Err() << "\rrpptool: page " << page << " of " << count;
            if (page == count) {
                Err() << "\n";
            }
            Err().flush();
        };
    }
    exporter.Export(outName);
    return 0;
}

int RunCommand(const QString& command, const QStringList& args, int& argc, char** argv) {
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
    if (command == "pdf" && (args.size() == 2 || args.size() == 4)) {
        std::optional<std::pair<int, int>> range;
        if (args.size() == 4) {
            range = ParseRange(args[3]);
            if (args[2] != "--pages" || !range) {
                return Usage();
            }
        }
        return Pdf(argc, argv, args[0], args[1], range);
    }
    return Usage();
}

// A failure about a saved report's content, or about one of its pages, is
// told with the file's name; opening and creating files name theirs already.
Exception NamedAfter(const QString& fileName, const Exception& e) {
    const QString message = e.Message();
    if (message.startsWith(QStringLiteral("Cannot open file \"")) ||
        message.startsWith(QStringLiteral("Cannot create file \""))) {
        return e;
    }
    return Exception(QDir::toNativeSeparators(fileName) + QStringLiteral(": ") + message);
}

int Run(int& argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    if (args.isEmpty()) {
        return Usage();
    }
    const QString command = args.takeFirst();
    // The listing names its table and its file in its own messages.
    if (command == "listing") {
        const int status = RunListing(argc, argv, args);
        return status < 0 ? Usage() : status;
    }
    try {
        return RunCommand(command, args, argc, argv);
    } catch (const Exception& e) {
        throw NamedAfter(args.value(0), e);
    }
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
