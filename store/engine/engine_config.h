// The engine's configuration: database aliases, each naming a directory.
// The file format is INI (documented in dbengine.h); the parser accepts any
// bytes and keeps what it can read, since the file is written by hand. The
// writer changes one alias and leaves every other line of the file as it
// was, comments and other sections included.
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

// Why `alias` or `dir` cannot be written as an alias line that reads back
// the same ("" when they can): an empty text, a line break or NUL byte,
// blanks around either, an '=' in the name or a name that would read as a
// comment or a section.
std::string AliasLineProblem(std::string_view alias, std::string_view dir);

// `text` with `alias` naming `dir`: the line that names the alias now (the
// last one, which wins) gets the new directory; otherwise the alias is added
// at the end of the last [Aliases] section, or in a new section at the end.
// Every other line stays as it was. `alias` and `dir` must pass
// AliasLineProblem.
std::string SetAliasInText(std::string_view text, std::string_view alias, std::string_view dir);

// The file that changes to the configuration go to: the override when it
// is not empty, else the user's own file (the first of EngineConfigFiles).
std::string WritableEngineConfigFile(const std::string& overrideFile);

// Sets `alias` to `dir` in `file`, creating the file and its folder when
// missing. The file is replaced whole (written beside it and renamed over
// it), so that a failed write leaves it as it was. False with the reason in
// `why`.
bool WriteAlias(const std::string& file, std::string_view alias, std::string_view dir,
                std::string& why);
