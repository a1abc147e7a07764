// UTF-8 helpers for string fields, whose sizes count characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace utf8_detail {
// The check of IsValidUtf8 from byte `i` on, everything before it ASCII.
bool IsValidFrom(std::string_view text, size_t i);
} // namespace utf8_detail

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
// Every record read asks it of every text, so the ASCII that opens most
// texts is skipped here, eight bytes at a time.
inline bool IsValidUtf8(std::string_view text) {
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if (word & kHighBits)
            return utf8_detail::IsValidFrom(text, i);
    }
    if (i == text.size())
        return true;
    if (text.size() >= 8) {
        // The last bytes in one look at the final eight (the ones before
        // them are ASCII, checked above).
        uint64_t word;
        std::memcpy(&word, text.data() + text.size() - 8, sizeof word);
        return (word & kHighBits) == 0 || utf8_detail::IsValidFrom(text, i);
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return utf8_detail::IsValidFrom(text, i);
    return true;
}

// The longest prefix of valid UTF-8 `text` holding at most `maxChars`
// characters; never ends inside a character.
std::string_view CutToCharacters(std::string_view text, size_t maxChars);

// Number of characters of valid UTF-8 `text`.
size_t CountCharacters(std::string_view text);
