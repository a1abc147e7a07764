// Reading dbengine.conf. Lines are `name=value` under `[section]` headers;
// only the [Aliases] section matters. Comments start with ';' or '#'. A
// UTF-8 byte-order mark and Windows line ends are tolerated.
#include "store/engine/engine_config.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

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
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool inAliases = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            inAliases = close != std::string_view::npos &&
                        EqualsIgnoringAsciiCase(Trim(line.substr(1, close - 1)), "Aliases");
            continue;
        }
        if (!inAliases)
            continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string_view name = Trim(line.substr(0, eq));
        std::string_view value = Trim(line.substr(eq + 1));
        // A NUL would cut the name short in the C interface; such a line names
        // nothing anybody can ask for.
        if (name.empty() || value.empty() || name.find('\0') != std::string_view::npos ||
            value.find('\0') != std::string_view::npos)
            continue;
        config.Aliases.emplace_back(std::string(name), std::string(value));
    }
    return config;
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
