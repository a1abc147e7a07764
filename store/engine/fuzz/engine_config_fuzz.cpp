// Fuzz target: the parser of dbengine.conf, a file people write by hand,
// must take any bytes without crashing and keep only well-formed aliases.
#include "store/engine/engine_config.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TEngineConfig config = ParseEngineConfig(text);
    for (const auto& [name, dir] : config.Aliases) {
        if (name.empty() || dir.empty() || name.find('\0') != std::string::npos)
            std::abort();
        if (!config.FindAlias(name))
            std::abort();
    }
    (void)config.FindAlias("Questoes");
    return 0;
}
