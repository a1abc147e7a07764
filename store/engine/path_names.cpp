// Name matching and directory resolution, delegated to the drive map.
#include "store/engine/path_names.h"

#if DBENGINE_HAVE_DRIVE_MAP
#include "platform/drive_map.h"
#endif

bool NamesMatch(std::string_view a, std::string_view b) {
#if DBENGINE_HAVE_DRIVE_MAP
    return SameNameIgnoringCase(a, b);
#else
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
#endif
}

std::optional<std::filesystem::path> ResolveDirectory(std::string_view path) {
#if DBENGINE_HAVE_DRIVE_MAP
    return ResolveWindowsPath(path);
#else
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string_view::npos)
        return std::nullopt;
    return std::filesystem::path(std::string(path));
#endif
}
