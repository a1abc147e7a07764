// The commands of dbadmin, callable from tests without a process of their
// own. Texts for the user are Brazilian Portuguese; the engine's own error
// texts are quoted as the engine gives them.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The table password of this system, added to the engine's session by every
// command.
inline constexpr const char* kTablePassword = "marmelada";

// Runs dbadmin with `args` (without the program name). Returns the exit
// status: 0 success, 1 failure, 2 wrong usage.
int RunDbAdmin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
