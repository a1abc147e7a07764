// Decodes arbitrary bytes with the page coder: the first four bytes give the
// count to decode, the rest is the code. Decoding must end in bytes or in a
// read error; whatever decodes must code back to a prefix-equal stream.
#include "platform/exceptions.h"
#include "report/rp_compress.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    std::int32_t count = 0;
    std::memcpy(&count, data, 4);
    const QByteArray code(reinterpret_cast<const char*>(data) + 4,
                          static_cast<qsizetype>(size - 4));
    try {
        const QByteArray decoded = TRpCompress::DecodeBytes(code, count);
        // The code is a bijection on whole symbols: coding the result again
        // must give the bits that were read, so decoding that gives it back.
        const QByteArray again = TRpCompress::CodeBytes(decoded);
        if (TRpCompress::DecodeBytes(again, decoded.size()) != decoded) {
            std::abort();
        }
    } catch (const Exception&) {
    }
    return 0;
}
