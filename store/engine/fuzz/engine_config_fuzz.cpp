// Fuzz target: the parser of dbengine.conf, a file people write by hand,
// must take any bytes without crashing and keep only well-formed aliases;
// setting an alias in any such file must make it read back as set and
// leave every other alias as it was.
#include "store/engine/engine_config.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
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

    const char* dir = "C:\\ZQ\\Questoes\\";
    TEngineConfig changed = ParseEngineConfig(SetAliasInText(text, "Questoes", dir));
    if (changed.FindAlias("Questoes") != std::string(dir))
        std::abort();
    for (const auto& [name, value] : config.Aliases)
        if (!TEngineConfig{{{name, value}}}.FindAlias("Questoes") &&
            changed.FindAlias(name) != config.FindAlias(name))
            std::abort();
    return 0;
}
