// Feeds arbitrary bytes to the report definition reader: it must either
// build a report or raise its error, never crash or leak.
#include "report/rp_definition_loader.h"
#include "report/rp_report.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TRpDefinitionLoader loader;
    loader.AddDataSet(QStringLiteral("TPerguntas"), nullptr);
    try {
        const auto report = loader.Load(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
            QStringLiteral("fuzz"));
        report->LayoutBands();
    } catch (const ERpDefinitionError&) {
    }
    return 0;
}
