// Names and directories as the engine's users write them: table names match
// files ignoring case, as on Windows, and a directory may be a Windows path
// resolved through the program's drive map.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// True when two file names are equal ignoring case.
bool NamesMatch(std::string_view a, std::string_view b);

// The Linux directory for a Windows path (`C:\ZQ\Questoes\`) or an absolute
// Linux path; nothing for anything else.
std::optional<std::filesystem::path> ResolveDirectory(std::string_view path);
