// The printing service on QPrinter and the CUPS spooler.
#include "platform/ui/qt_printers.h"

#include "platform/exceptions.h"
#include "platform/graphics/painter_canvas.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <cups/cups.h>
#include <vector>

namespace {

// Paper source codes have no counterpart on the spooler's printers as Qt
// shows them, so the device mode carries no paper source.
constexpr unsigned kFields =
    DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_DUPLEX;

QPrinterInfo InfoOf(const QString& name) {
    return QPrinterInfo::printerInfo(name);
}

QString DeviceUri(const QString& name) {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    QString uri;
    if (cups_dest_t* dest = cupsGetDest(name.toUtf8().constData(), nullptr, count, dests))
        uri = QString::fromUtf8(cupsGetOption("device-uri", dest->num_options, dest->options));
    cupsFreeDests(count, dests);
    return uri;
}

int PaperCodeOf(const QPageSize& size) {
    const int code = size.windowsId();
    return code > 0 && code < DMPAPER_USER ? code : DMPAPER_USER;
}

QPageSize PageSizeOf(const TDeviceMode& mode, const QPrinterInfo& info) {
    if (mode.PaperSize == DMPAPER_USER && mode.PaperWidth > 0 && mode.PaperLength > 0)
        return QPageSize(QSizeF(mode.PaperWidth / 10.0, mode.PaperLength / 10.0),
                         QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    const QPageSize::PageSizeId id = QPageSize::id(mode.PaperSize);
    if (mode.PaperSize > 0 && id != QPageSize::Custom)
        return QPageSize(id);
    const QPageSize fallback = info.defaultPageSize();
    return fallback.isValid() ? fallback : QPageSize(QPageSize::A4);
}

} // namespace

TQtPrinters::TQtPrinters() = default;

TQtPrinters::~TQtPrinters() {
    CloseJob();
}

QStringList TQtPrinters::Printers() {
    return QPrinterInfo::availablePrinterNames();
}

int TQtPrinters::DefaultPrinter() {
    const QStringList names = Printers();
    if (names.isEmpty())
        return -1;
    const int index = static_cast<int>(names.indexOf(QPrinterInfo::defaultPrinterName()));
    return index >= 0 ? index : 0;
}

QString TQtPrinters::NameOf(int index) {
    const QStringList names = Printers();
    return index >= 0 && index < names.size() ? names.at(index) : QString();
}

TPrinterCapabilities TQtPrinters::Capabilities(int index) {
    const QString name = NameOf(index);
    if (name.isEmpty())
        return {};
    const QPrinterInfo info = InfoOf(name);
    TPrinterCapabilities caps;
    caps.Driver = info.makeAndModel();
    caps.Port = DeviceUri(name);
    for (const QPageSize& size : info.supportedPageSizes()) {
        const int code = PaperCodeOf(size);
        if (code != DMPAPER_USER)
            caps.Papers.push_back(code);
    }
    std::sort(caps.Papers.begin(), caps.Papers.end());
    caps.Papers.erase(std::unique(caps.Papers.begin(), caps.Papers.end()), caps.Papers.end());
    QPrinter printer(info, QPrinter::HighResolution);
    caps.Copies = printer.supportsMultipleCopies();
    const QList<QPrinter::DuplexMode> duplex = info.supportedDuplexModes();
    caps.Duplex =
        duplex.contains(QPrinter::DuplexLongSide) || duplex.contains(QPrinter::DuplexShortSide);
    return caps;
}

TDeviceMode TQtPrinters::DeviceMode(int index) {
    const QString name = NameOf(index);
    if (name.isEmpty())
        return {};
    if (modes_.contains(name))
        return modes_.value(name);
    const QPrinterInfo info = InfoOf(name);
    TDeviceMode mode;
    mode.Fields = kFields;
    mode.PaperSize = PaperCodeOf(info.defaultPageSize());
    if (mode.PaperSize == DMPAPER_USER) {
        const QSizeF mm = info.defaultPageSize().size(QPageSize::Millimeter);
        mode.PaperWidth = static_cast<int>(std::lround(mm.width() * 10));
        mode.PaperLength = static_cast<int>(std::lround(mm.height() * 10));
    }
    switch (info.defaultDuplexMode()) {
    case QPrinter::DuplexLongSide:
        mode.Duplex = DMDUP_VERTICAL;
        break;
    case QPrinter::DuplexShortSide:
        mode.Duplex = DMDUP_HORIZONTAL;
        break;
    default:
        mode.Duplex = DMDUP_SIMPLEX;
        break;
    }
    return mode;
}

void TQtPrinters::SetDeviceMode(int index, const TDeviceMode& mode) {
    const QString name = NameOf(index);
    if (!name.isEmpty())
        modes_.insert(name, mode);
}

QPageLayout TQtPrinters::LayoutOf(const TDeviceMode& mode, QPrinter& printer) {
    const QPageLayout::Orientation orientation =
        mode.Orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait;
    const QPageSize size = PageSizeOf(mode, QPrinterInfo(printer));
    // The driver's unprintable margins for this paper: ask with none.
    printer.setPageLayout(QPageLayout(size, orientation, QMarginsF()));
    const QMarginsF minimum = printer.pageLayout().minimumMargins();
    return QPageLayout(size, orientation, minimum, QPageLayout::Point, minimum);
}

QMap<QString, QString> TQtPrinters::JobOptions(const TDeviceMode& mode, const QPageLayout& layout) {
    QMap<QString, QString> options;
    // The sheet as the pages are drawn on it: a landscape page travels as
    // a sheet wider than long, so that the spooler neither turns it back
    // to portrait nor loses its orientation on the way.
    const QSize points = layout.fullRectPoints().size();
    const QPageSize& size = layout.pageSize();
    if (layout.orientation() == QPageLayout::Portrait && size.id() != QPageSize::Custom)
        options.insert(QStringLiteral("media"), size.key());
    else
        options.insert(QStringLiteral("media"),
                       QStringLiteral("Custom.%1x%2").arg(points.width()).arg(points.height()));
    if ((mode.Fields & DM_COPIES) != 0 && mode.Copies > 1)
        options.insert(QStringLiteral("copies"), QString::number(mode.Copies));
    if ((mode.Fields & DM_DUPLEX) != 0) {
        switch (mode.Duplex) {
        case DMDUP_VERTICAL:
            options.insert(QStringLiteral("sides"), QStringLiteral("two-sided-long-edge"));
            break;
        case DMDUP_HORIZONTAL:
            options.insert(QStringLiteral("sides"), QStringLiteral("two-sided-short-edge"));
            break;
        default:
            options.insert(QStringLiteral("sides"), QStringLiteral("one-sided"));
            break;
        }
    }
    return options;
}

TPrinterDevice TQtPrinters::Device(int index) {
    const QString name = NameOf(index);
    if (name.isEmpty())
        return {};
    QPrinter printer(InfoOf(name), QPrinter::HighResolution);
    const QPageLayout layout = LayoutOf(DeviceMode(index), printer);
    const int ppi = printer.resolution();
    const QRect full = layout.fullRectPixels(ppi);
    const QRect paint = layout.paintRectPixels(ppi);
    TPrinterDevice device;
    device.PixelsPerInchX = ppi;
    device.PixelsPerInchY = ppi;
    device.PhysicalOffsetX = paint.x();
    device.PhysicalOffsetY = paint.y();
    device.PhysicalWidth = full.width();
    device.PhysicalHeight = full.height();
    device.PageWidth = paint.width();
    device.PageHeight = paint.height();
    return device;
}

// ---- Jobs ------------------------------------------------------------------

void TQtPrinters::BeginJob(int index, const QString& title) {
    const QString name = NameOf(index);
    if (name.isEmpty())
        throw Exception(QStringLiteral("Printer selected is not valid"));
    if (Printing())
        throw Exception(QStringLiteral("Printing in progress"));
    const TDeviceMode mode = DeviceMode(index);
    QPrinter device(InfoOf(name), QPrinter::HighResolution);
    const int ppi = device.resolution();
    const QPageLayout layout = LayoutOf(mode, device);

    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                 QStringLiteral("/questoes-job-XXXXXX.pdf"));
    if (!file->open())
        throw Exception(QStringLiteral("Cannot create the print file in %1: %2")
                            .arg(QDir::tempPath(), file->errorString()));
    file->close();
    auto job = std::make_unique<QPrinter>(QPrinter::HighResolution);
    job->setOutputFormat(QPrinter::PdfFormat);
    job->setOutputFileName(file->fileName());
    job->setResolution(ppi);
    job->setDocName(title);
    job->setCreator(QStringLiteral("questoes"));
    job->setPageLayout(layout);
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(job.get()))
        throw Exception(QStringLiteral("Cannot start the print job on %1").arg(name));
    jobPrinter_ = name;
    jobTitle_ = title;
    jobOptions_ = JobOptions(mode, layout);
    jobFile_ = std::move(file);
    job_ = std::move(job);
    painter_ = std::move(painter);
    canvas_ = std::make_unique<TPainterCanvas>(painter_.get());
}

void TQtPrinters::NewPage() {
    if (!Printing())
        throw Exception(QStringLiteral("Printer is not currently printing"));
    // Every page starts with a fresh canvas, as the desktop's printer pages do.
    canvas_.reset();
    job_->newPage();
    canvas_ = std::make_unique<TPainterCanvas>(painter_.get());
}

TCanvas& TQtPrinters::JobCanvas() {
    if (!Printing())
        throw Exception(QStringLiteral("Printer is not currently printing"));
    return *canvas_;
}

void TQtPrinters::CloseJob() {
    canvas_.reset();
    if (painter_ && painter_->isActive())
        painter_->end();
    painter_.reset();
    job_.reset();
}

void TQtPrinters::EndJob() {
    if (!Printing())
        return;
    CloseJob();
    const std::unique_ptr<QTemporaryFile> file = std::move(jobFile_);
    std::vector<QByteArray> keep;
    cups_option_t* options = nullptr;
    int count = 0;
    for (auto it = jobOptions_.cbegin(); it != jobOptions_.cend(); ++it) {
        keep.push_back(it.key().toUtf8());
        keep.push_back(it.value().toUtf8());
        count = cupsAddOption(keep[keep.size() - 2].constData(), keep.back().constData(), count,
                              &options);
    }
    const int id = cupsPrintFile2(CUPS_HTTP_DEFAULT, jobPrinter_.toUtf8().constData(),
                                  QFile::encodeName(file->fileName()).constData(),
                                  jobTitle_.toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (id == 0)
        throw Exception(QStringLiteral("The printer %1 did not take the job: %2")
                            .arg(jobPrinter_, QString::fromUtf8(cupsLastErrorString())));
}

void TQtPrinters::AbortJob() {
    if (!Printing())
        return;
    // The document never reaches the spooler: its file goes with it.
    CloseJob();
    jobFile_.reset();
}
