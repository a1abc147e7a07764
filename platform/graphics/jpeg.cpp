// JPEG decoding through libjpeg. libjpeg reports fatal errors by calling
// error_exit, which must not return; it is compiled as C, so throwing
// through it is not safe. The error manager here longjmps back to the
// decoding function instead, whose locals declared before setjmp have
// trivial destructors or outlive the jump, and the C++ exception is thrown
// only after libjpeg has been torn down.
#include "platform/graphics/jpeg.h"

#include "platform/exceptions.h"
#include "platform/graphics/bitmap.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// Pictures beyond this many pixels are refused rather than allocated.
constexpr long long kMaxPixels = 16LL * 1024 * 1024;
// A progressive picture may be split into any number of scans; a sound
// writer uses about ten, damaged or hostile data can make decoding endless.
constexpr int kMaxScans = 500;
constexpr long kMaxMemory = 256L * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

extern "C" void OnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->Message);
    std::longjmp(manager->Jump, 1);
}

extern "C" void OnMessage(j_common_ptr info, int level) {
    // Warnings are not printed; running out of data is fatal here, since a
    // picture with a grey remainder would be shown as if it were whole.
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        (*info->err->format_message)(info, manager->Message);
        std::longjmp(manager->Jump, 1);
    }
}

extern "C" void OnOutput(j_common_ptr) {}

extern "C" void OnProgress(j_common_ptr info) {
    auto* d = reinterpret_cast<j_decompress_ptr>(info);
    if (info->is_decompressor && d->input_scan_number > kMaxScans) {
        auto* manager = reinterpret_cast<ErrorManager*>(info->err);
        std::snprintf(manager->Message, sizeof manager->Message, "more than %d scans", kMaxScans);
        std::longjmp(manager->Jump, 1);
    }
}

[[noreturn]] void Fail(const char* detail) {
    throw Exception(QStringLiteral("Imagem JPEG inválida: %1").arg(QString::fromLocal8Bit(detail)));
}

} // namespace

QImage DecodeJpeg(const QByteArray& data) {
    if (data.isEmpty())
        Fail("no data");
    jpeg_decompress_struct info;
    ErrorManager manager;
    std::memset(&info, 0, sizeof info);
    std::memset(&manager, 0, sizeof manager);
    info.err = jpeg_std_error(&manager.Base);
    manager.Base.error_exit = OnError;
    manager.Base.emit_message = OnMessage;
    manager.Base.output_message = OnOutput;
    jpeg_progress_mgr progress;
    std::memset(&progress, 0, sizeof progress);
    progress.progress_monitor = OnProgress;
    // Everything assigned after setjmp and read after a jump lives in
    // memory the jump does not touch.
    QImage image;

    if (setjmp(manager.Jump) != 0) {
        jpeg_destroy_decompress(&info);
        Fail(manager.Message);
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    // Without backing store, going past this makes libjpeg fail cleanly
    // ("insufficient memory") instead of taking what a damaged header asks.
    info.mem->max_memory_to_use = kMaxMemory;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    // Refused before libjpeg sizes its buffers by the header's claims.
    const long long pixels = static_cast<long long>(info.image_width) * info.image_height;
    if (info.image_width == 0 || info.image_height == 0 || pixels > kMaxPixels) {
        std::snprintf(manager.Message, sizeof manager.Message, "picture of %ux%u pixels",
                      info.image_width, info.image_height);
        std::longjmp(manager.Jump, 1);
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB32);
    if (image.isNull()) {
        std::snprintf(manager.Message, sizeof manager.Message, "out of memory");
        std::longjmp(manager.Jump, 1);
    }
    const int components = info.output_components;
    // From the decoder's own pool: freed with it, on every path out.
    JSAMPROW row =
        (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                  info.output_width * static_cast<JDIMENSION>(components), 1)[0];
    // Adobe writes CMYK inverted; other writers do not.
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&info, rows, 1);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (unsigned x = 0; x < info.output_width; ++x) {
            const JSAMPLE* p = row + static_cast<std::size_t>(x) * components;
            if (cmyk) {
                int c = p[0], m = p[1], ye = p[2], k = p[3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    ye = 255 - ye;
                    k = 255 - k;
                }
                out[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
            } else {
                out[x] = qRgb(p[0], p[1], p[2]);
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    return image;
}

TBitmap JpegBitmap(const QByteArray& data) {
    return TBitmap(DecodeJpeg(data));
}
