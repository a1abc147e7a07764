// UTF-8 helpers for string fields, whose sizes count characters.
#pragma once

#include <cstddef>
#include <string_view>

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// The longest prefix of valid UTF-8 `text` holding at most `maxChars`
// characters; never ends inside a character.
std::string_view CutToCharacters(std::string_view text, size_t maxChars);

// Number of characters of valid UTF-8 `text`.
size_t CountCharacters(std::string_view text);
