// Name matching and directory resolution, delegated to the program's drive
// map so that the engine and the program agree on every path.
#include "store/engine/path_names.h"

#include "platform/drive_map.h"

bool NamesMatch(std::string_view a, std::string_view b) {
    return SameNameIgnoringCase(a, b);
}

std::optional<std::filesystem::path> ResolveDirectory(std::string_view path) {
    return ResolveWindowsPath(path);
}
