// Any bytes loaded as a page and played back onto a small bitmap: loading
// may refuse them, playback must never read outside them or crash.
#include "platform/exceptions.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_player.h"

#include <QByteArray>
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

// Font and display caches of the system libraries live until the process
// ends; they are not leaks of the code under test.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6Gui\nleak:libQt6Core\nleak:libfreetype\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMetafile page;
    try {
        page.LoadFromData(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    } catch (const Exception&) {
        return 0;
    }
    TBitmap bitmap(64, 48);
    PlayMetafile(page, bitmap.Canvas(), Rect(0, 0, 64, 48));
    PlayMetafile(page, bitmap.Canvas(), Rect(60, 40, -20, 10));
    bitmap.ReleaseCanvas();
    return 0;
}
