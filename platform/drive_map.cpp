// The drive map (see drive_map.h for the rules). Lookups go to the disk on
// every call; the program resolves a handful of paths per command, so
// caching would buy nothing and would go stale when a medium is changed.
#include "platform/drive_map.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <locale.h>
#include <pwd.h>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>
#include <wctype.h>

namespace fs = std::filesystem;

namespace {

std::string GetEnv(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

fs::path HomeDirectory() {
    std::string home = GetEnv("HOME");
    if (!home.empty())
        return home;
    // No HOME (a service or a stripped environment): ask the password database.
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

// An XDG base directory: the variable when it holds an absolute path (the XDG
// rules say relative values are to be ignored), else the default under $HOME.
fs::path XdgDirectory(const char* variable, const char* defaultUnderHome) {
    std::string value = GetEnv(variable);
    if (!value.empty() && value.front() == '/')
        return value;
    return HomeDirectory() / defaultUnderHome;
}

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

char UpperLetter(char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    return c;
}

bool IsDriveLetter(char c) {
    const char u = UpperLetter(c);
    return u >= 'A' && u <= 'Z';
}

// The directory given for `letter` in drives.conf, or empty.
std::string ConfiguredDrive(char letter) {
    const fs::path conf = XdgDirectory("XDG_CONFIG_HOME", ".config") / "questoes" / "drives.conf";
    std::ifstream in(conf);
    std::string found;
    std::string line;
    while (std::getline(in, line)) {
        const std::string text = Trim(line);
        if (text.empty() || text.front() == '#' || text.front() == ';')
            continue;
        const auto eq = text.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = Trim(std::string_view(text).substr(0, eq));
        if (key.size() == 2 && key[1] == ':')
            key.pop_back();
        if (key.size() != 1 || UpperLetter(key[0]) != letter)
            continue;
        found = Trim(std::string_view(text).substr(eq + 1));
    }
    return found;
}

// --- Case folding ---------------------------------------------------------

// Decodes one UTF-8 sequence at `i`, advancing it. A malformed byte comes back
// as a code point of its own in the private range, so that it compares only
// with the same byte.
char32_t NextCodePoint(std::string_view s, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    int length = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        cp = b0 & 0x07;
    }
    if (length == 0 || i + length > s.size()) {
        ++i;
        return 0xF0000 + b0;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xF0000 + b0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += length;
    return cp;
}

locale_t FoldingLocale() {
    // C.UTF-8 carries the full Unicode case table in glibc and needs no
    // installed locale files. Never freed: it lives as long as the process.
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return locale;
}

char32_t Fold(char32_t cp) {
    if (cp < 0x80)
        return (cp >= 'A' && cp <= 'Z') ? cp + ('a' - 'A') : cp;
    if (cp >= 0xF0000)
        return cp;
    if (const locale_t locale = FoldingLocale())
        return static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), locale));
    // Without the locale, at least the accented Latin letters of Portuguese.
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)
        return cp + 0x20;
    return cp;
}

} // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (Fold(NextCodePoint(a, i)) != Fold(NextCodePoint(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

fs::path DriveDirectory(char letter) {
    if (!IsDriveLetter(letter))
        return {};
    const char upper = UpperLetter(letter);
    const std::string variable = std::string("QUESTOES_DRIVE_") + upper;
    std::string dir = GetEnv(variable.c_str());
    if (dir.empty())
        dir = ConfiguredDrive(upper);
    if (!dir.empty())
        return fs::path(dir);
    const char lower = static_cast<char>(upper - 'A' + 'a');
    return XdgDirectory("XDG_DATA_HOME", ".local/share") / "questoes" /
           (std::string("drive_") + lower);
}

namespace {

// The entry of `dir` whose name equals `name` ignoring case: the exact name
// when it exists, else the first match in byte order; nothing otherwise.
std::optional<std::string> FindEntry(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::symlink_status(dir / name, ec).type() != fs::file_type::not_found && !ec)
        return name;
    std::optional<std::string> best;
    fs::directory_iterator it(dir, ec);
    if (ec)
        return std::nullopt;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        std::string candidate = it->path().filename().string();
        if (SameNameIgnoringCase(candidate, name) && (!best || candidate < *best))
            best = std::move(candidate);
    }
    return best;
}

} // namespace

std::optional<fs::path> ResolveWindowsPath(std::string_view path) {
    if (path.empty() || path.find('\0') != std::string_view::npos)
        return std::nullopt;
    if (path.front() == '/')
        return fs::path(std::string(path));
    if (path.size() < 2 || path[1] != ':' || !IsDriveLetter(path[0]))
        return std::nullopt;

    const fs::path root = DriveDirectory(path[0]);
    std::vector<std::string> components;
    std::string_view rest = path.substr(2);
    while (!rest.empty()) {
        const auto sep = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, sep);
        rest = sep == std::string_view::npos ? std::string_view() : rest.substr(sep + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!components.empty())
                components.pop_back();
            continue;
        }
        components.emplace_back(part);
    }

    fs::path result = root;
    bool existing = true; // the path so far exists, so its children can be searched
    for (const std::string& component : components) {
        if (existing) {
            if (const auto entry = FindEntry(result, component)) {
                result /= *entry;
                continue;
            }
            existing = false;
        }
        result /= component;
    }
    return result;
}
