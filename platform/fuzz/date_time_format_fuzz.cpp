// FormatDateTime and the translation of Qt formats on arbitrary patterns and
// values: patterns come from report definitions and status bar layouts.
#include "platform/date_time_format.h"

#include <QLocale>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TFormatSettings settings =
        TFormatSettings::FromLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    double value = 0;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    const QString pattern =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)FormatDateTime(pattern, value, settings);
    (void)PatternFromQtFormat(pattern, QLatin1Char('/'), QLatin1Char(':'));
    return 0;
}
