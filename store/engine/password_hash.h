// Table passwords are kept as a salted, iterated SHA-256 hash, never as the
// password itself. The hash only decides whether a session may open a
// table; the file is an ordinary SQLite database.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

std::array<uint8_t, 32> Sha256(std::string_view data);

// A fresh random salt, as hexadecimal text.
std::string NewPasswordSalt();

// The stored hash of `password` with `saltHex`, as hexadecimal text.
std::string HashPassword(std::string_view password, std::string_view saltHex);
