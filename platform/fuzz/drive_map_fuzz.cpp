// Path parsing and name folding of the drive map on arbitrary bytes: paths
// come from configuration files and from the engine's aliases. The drives
// point into an empty private folder, so lookups touch nothing real.
#include "platform/drive_map.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static char dir[] = "/tmp/drive_map_fuzz.XXXXXX";
    static const bool ready = [] {
        if (!mkdtemp(dir))
            std::abort();
        std::atexit([] { rmdir(dir); });
        setenv("XDG_DATA_HOME", dir, 1);
        setenv("XDG_CONFIG_HOME", dir, 1);
        return true;
    }();
    (void)ready;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const auto resolved = ResolveWindowsPath(input);
        resolved && input.size() > 1 && input[0] != '/') {
        // Whatever the components, a drive path stays inside its drive.
        const std::string drive = DriveDirectory(input[0]).string();
        if (resolved->string().compare(0, drive.size(), drive) != 0)
            std::abort();
    }
    const size_t half = size / 2;
    const bool same = SameNameIgnoringCase(input.substr(0, half), input.substr(half));
    if (same != SameNameIgnoringCase(input.substr(half), input.substr(0, half)))
        std::abort();
    return 0;
}
