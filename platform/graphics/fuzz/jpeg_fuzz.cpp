// Feeds arbitrary bytes to the JPEG decoder: it must return a picture or
// raise Exception, and never crash, hang or read out of bounds.
#include "platform/exceptions.h"
#include "platform/graphics/jpeg.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const QImage image = DecodeJpeg(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
        (void)image;
    } catch (const Exception&) {
    }
    return 0;
}
