// UTF-8 validation and cutting by characters.
#include "store/engine/utf8_text.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// Length of the sequence starting at text[i], or 0 when it is malformed.
size_t SequenceLength(std::string_view text, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char c = byte(i);
    if (c < 0x80)
        return 1;
    size_t n;
    unsigned min;
    unsigned cp;
    if ((c & 0xE0) == 0xC0) {
        n = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, min = 0x10000, cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

bool utf8_detail::IsValidFrom(std::string_view text, size_t i) {
    // Most stored text is plain ASCII with a few accents: runs of ASCII are
    // skipped eight bytes at a time, straight to the first byte that is not.
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    const size_t size = text.size();
    while (i < size) {
        if (size - i >= 8) {
            uint64_t word;
            std::memcpy(&word, text.data() + i, sizeof word);
            if ((word & kHighBits) == 0) {
                i += 8;
                continue;
            }
            // On to the lowest-addressed byte with its high bit set.
            static_assert(std::endian::native == std::endian::little);
            i += size_t(std::countr_zero(word & kHighBits)) / 8;
        } else if (size >= 8) {
            // The last bytes: one look at the final eight, less those
            // checked already.
            uint64_t word;
            std::memcpy(&word, text.data() + size - 8, sizeof word);
            uint64_t high = (word & kHighBits) & (~0ull << (8 * (i - (size - 8))));
            if (high == 0)
                return true;
            i = size - 8 + size_t(std::countr_zero(high)) / 8;
        } else if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        // Portuguese accents are two-byte characters (leads C2 to DF can
        // never be overlong): those first, every other form in full.
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead >= 0xC2 && lead <= 0xDF && i + 1 < size &&
            (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            i += 2;
            continue;
        }
        size_t n = SequenceLength(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string_view CutToCharacters(std::string_view text, size_t maxChars) {
    size_t i = 0;
    for (size_t chars = 0; i < text.size() && chars < maxChars; ++chars) {
        size_t n = SequenceLength(text, i);
        if (n == 0)
            break;
        i += n;
    }
    return text.substr(0, i);
}

size_t CountCharacters(std::string_view text) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++chars) {
        size_t n = SequenceLength(text, i);
        i += n ? n : 1;
    }
    return chars;
}
