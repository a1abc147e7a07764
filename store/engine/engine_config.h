// The engine's configuration: database aliases, each naming a directory.
// The file format is INI (documented in dbengine.h); the parser accepts any
// bytes and keeps what it can read, since the file is written by hand.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TEngineConfig {
    // In file order; a later line for the same alias replaces the earlier.
    std::vector<std::pair<std::string, std::string>> Aliases;

    // The directory of `alias` (matched ignoring ASCII case), if named.
    std::optional<std::string> FindAlias(std::string_view alias) const;
};

TEngineConfig ParseEngineConfig(std::string_view text);

// The configuration files searched, first match wins: the override when it
// is not empty, else $XDG_CONFIG_HOME/questoes/dbengine.conf (or
// ~/.config/...) and /etc/questoes/dbengine.conf.
std::vector<std::string> EngineConfigFiles(const std::string& overrideFile);

// The directory of `alias` from the first file that names it.
std::optional<std::string> LookUpAlias(std::string_view alias, const std::string& overrideFile);
