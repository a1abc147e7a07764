// Reading and writing dbengine.conf. Lines are `name=value` under
// `[section]` headers; only the [Aliases] section matters. Comments start
// with ';' or '#'. A UTF-8 byte-order mark and Windows line ends are
// tolerated, and kept when the file is written. Reader and writer walk the
// file with the same line reader, so that the line the writer changes is
// the one the reader would take.
#include "store/engine/engine_config.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One line of the file as the reader sees it.
struct TConfigLine {
    size_t Begin = 0;       // offset of its first byte
    size_t End = 0;         // offset of its '\n', or the end of the text
    bool Section = false;   // a [section] header
    bool InAliases = false; // inside an [Aliases] section
    bool Content = false;   // neither blank nor a comment
    // An alias the reader keeps: a name and a value, without NUL bytes.
    std::string_view Name;
    std::string_view Value;
};

// Calls `visit` with each line of `text` (without its byte-order mark), in
// order.
template <class F> void ForEachLine(std::string_view text, F&& visit) {
    bool inAliases = false;
    for (size_t begin = 0; begin < text.size();) {
        TConfigLine l;
        l.Begin = begin;
        l.End = std::min(text.find('\n', begin), text.size());
        begin = l.End + 1;
        std::string_view line = Trim(text.substr(l.Begin, l.End - l.Begin));
        l.Content = !line.empty() && line.front() != ';' && line.front() != '#';
        if (l.Content && line.front() == '[') {
            size_t close = line.find(']');
            inAliases = close != std::string_view::npos &&
                        EqualsIgnoringAsciiCase(Trim(line.substr(1, close - 1)), "Aliases");
            l.Section = true;
        }
        l.InAliases = inAliases;
        size_t eq = line.find('=');
        if (l.Content && !l.Section && inAliases && eq != std::string_view::npos) {
            std::string_view name = Trim(line.substr(0, eq));
            std::string_view value = Trim(line.substr(eq + 1));
            // A NUL would cut the name short in the C interface; such a line
            // names nothing anybody can ask for.
            if (!name.empty() && !value.empty() && name.find('\0') == std::string_view::npos &&
                value.find('\0') == std::string_view::npos) {
                l.Name = name;
                l.Value = value;
            }
        }
        visit(l);
    }
}

} // namespace

std::optional<std::string> TEngineConfig::FindAlias(std::string_view alias) const {
    std::optional<std::string> found;
    for (const auto& [name, dir] : Aliases)
        if (EqualsIgnoringAsciiCase(name, alias))
            found = dir;
    return found;
}

TEngineConfig ParseEngineConfig(std::string_view text) {
    TEngineConfig config;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    ForEachLine(text, [&](const TConfigLine& l) {
        if (!l.Name.empty())
            config.Aliases.emplace_back(std::string(l.Name), std::string(l.Value));
    });
    return config;
}

std::string AliasLineProblem(std::string_view alias, std::string_view dir) {
    auto blankAround = [](std::string_view t) {
        return t.front() == ' ' || t.front() == '\t' || t.back() == ' ' || t.back() == '\t';
    };
    if (alias.empty())
        return "the alias name is empty";
    if (dir.empty())
        return "the directory is empty";
    for (std::string_view t : {alias, dir})
        if (t.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos)
            return "a line break or a NUL byte cannot be written in the configuration";
    if (blankAround(alias) || blankAround(dir))
        return "blanks around the name or the directory would be lost when it is read back";
    if (alias.find('=') != std::string_view::npos)
        return "the alias name cannot contain '='";
    if (alias.front() == ';' || alias.front() == '#' || alias.front() == '[')
        return "the alias name would read as a comment or a section";
    return "";
}

std::string SetAliasInText(std::string_view text, std::string_view alias, std::string_view dir) {
    assert(AliasLineProblem(alias, dir).empty() && "only an alias that reads back is written");
    std::string_view bom;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        bom = kByteOrderMark;
        text.remove_prefix(bom.size());
    }
    // Where a line ends before its line end, CR included.
    auto LineEnd = [&](const TConfigLine& l) {
        return l.End > l.Begin && text[l.End - 1] == '\r' ? l.End - 1 : l.End;
    };
    std::optional<TConfigLine> named; // the line that names the alias now
    std::optional<size_t> sectionEnd; // after the last content of the last [Aliases]
    bool crlf = false, firstLine = true;
    ForEachLine(text, [&](const TConfigLine& l) {
        if (firstLine)
            crlf = l.End > l.Begin && text[l.End - 1] == '\r';
        firstLine = false;
        if (!l.Name.empty() && EqualsIgnoringAsciiCase(l.Name, alias))
            named = l;
        if (l.InAliases && l.Content)
            sectionEnd = LineEnd(l);
    });
    std::string line = std::string(alias) + "=" + std::string(dir);
    std::string out(bom);
    if (named) {
        out.append(text.substr(0, named->Begin)).append(line);
        out.append(text.substr(LineEnd(*named)));
    } else {
        std::string eol = crlf ? "\r\n" : "\n";
        size_t at = sectionEnd ? *sectionEnd : text.size();
        std::string insert = sectionEnd ? line : "[Aliases]" + eol + line;
        // A line of its own, whether or not the text ends with a line end.
        if (at == text.size()) {
            bool ended = text.empty() || text.back() == '\n';
            out.append(text).append((ended ? "" : eol) + insert + eol);
        } else {
            out.append(text.substr(0, at)).append(eol + insert).append(text.substr(at));
        }
    }
    assert(ParseEngineConfig(out).FindAlias(alias) == std::string(dir) &&
           "the written alias is the one the reader finds");
    return out;
}

std::vector<std::string> EngineConfigFiles(const std::string& overrideFile) {
    if (!overrideFile.empty())
        return {overrideFile};
    std::vector<std::string> files;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && *xdg == '/')
        files.push_back(std::string(xdg) + "/questoes/dbengine.conf");
    else if (home && *home)
        files.push_back(std::string(home) + "/.config/questoes/dbengine.conf");
    files.push_back("/etc/questoes/dbengine.conf");
    return files;
}

std::optional<std::string> LookUpAlias(std::string_view alias, const std::string& overrideFile) {
    for (const std::string& file : EngineConfigFiles(overrideFile)) {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            continue;
        std::ostringstream text;
        text << in.rdbuf();
        if (auto dir = ParseEngineConfig(text.str()).FindAlias(alias))
            return dir;
    }
    return std::nullopt;
}

std::string WritableEngineConfigFile(const std::string& overrideFile) {
    return EngineConfigFiles(overrideFile).front();
}

namespace {

// The text of `file` into `text` ("" when there is no file); false with
// the reason in `why`.
bool ReadConfigFile(const fs::path& file, std::string& text, std::string& why) {
    std::error_code ec;
    fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status))
        return true;
    if (!fs::is_regular_file(status)) {
        why = file.string() + ": not a regular file";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    if (in)
        content << in.rdbuf();
    if (!in || access(file.c_str(), W_OK) != 0) {
        why = file.string() + ": " + std::strerror(errno);
        return false;
    }
    text = content.str();
    return true;
}

// Writes `text` beside `file` and renames it over it, with the mode the
// file had (0644 for a new one).
bool ReplaceConfigFile(const fs::path& file, const std::string& text, std::string& why) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) {
        why = file.parent_path().string() + ": " + ec.message();
        return false;
    }
    struct stat old {};
    mode_t mode = stat(file.c_str(), &old) == 0 ? old.st_mode & 07777 : 0644;
    std::string temp = file.string() + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        why = file.parent_path().string() + ": " + std::strerror(errno);
        return false;
    }
    // The first failure's errno, 0 while all goes well.
    int error = fchmod(fd, mode) == 0 ? 0 : errno;
    for (size_t done = 0; !error && done < text.size();) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n > 0)
            done += size_t(n);
        else if (n == 0 || errno != EINTR)
            error = n == 0 ? EIO : errno;
    }
    if (!error && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && !error)
        error = errno;
    if (!error && std::rename(temp.c_str(), file.c_str()) != 0)
        error = errno;
    if (!error)
        return true;
    unlink(temp.c_str());
    why = file.string() + ": " + std::strerror(error);
    return false;
}

} // namespace

bool WriteAlias(const std::string& file, std::string_view alias, std::string_view dir,
                std::string& why) {
    why = AliasLineProblem(alias, dir);
    if (!why.empty())
        return false;
    std::string text;
    if (!ReadConfigFile(file, text, why))
        return false;
    return ReplaceConfigFile(file, SetAliasInText(text, alias, dir), why);
}
