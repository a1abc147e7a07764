// Logical fonts and their Qt counterparts. Measurements must come out the
// same on every platform plugin (offscreen in tests, xcb on the desktop) and
// on every run, because report lines are broken by measured widths. So every
// Qt font made here asks for full hinting (whole-pixel advances, as the
// desktop's text output has), no kerning and no antialiasing: each drawn
// pixel is either the text colour or untouched, and the user's fontconfig
// or X resource settings cannot change the metrics (checked: offscreen and
// xcb under Xvfb give the same pixels; fontconfig's hinting, hintstyle and
// antialias settings change nothing). The one setting Qt gives no way to
// override is a fontconfig rule that forces FreeType's autohinter, which
// changes advances by a few per cent.
//
// "MS Sans Serif" stands in as Liberation Sans: its bitmap design has no
// installed twin, and Liberation Sans (Arial's metrics) is the closest in
// width at the small sizes the dialogs and the status bar use; DejaVu Sans
// runs about 15% wider and would push captions past their labels.
#include "platform/graphics/font.h"

#include "platform/graphics/geometry.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>

#include <algorithm>

TFont::TFont()
    : name_(QStringLiteral("MS Sans Serif")), height_(-11), pixelsPerInch_(96), style_(0),
      color_(clWindowText), charset_(DEFAULT_CHARSET) {}

int TFont::Size() const {
    return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int points) {
    height_ = -MulDiv(points, pixelsPerInch_, 72);
}

QString SubstituteFace(const QString& face) {
    struct Entry {
        const char* Desktop;
        const char* Installed;
    };
    static const Entry table[] = {
        {"Arial", "Liberation Sans"},
        {"MS Sans Serif", "Liberation Sans"},
        {"Microsoft Sans Serif", "Liberation Sans"},
        {"Arial Narrow", "Liberation Sans Narrow"},
        {"Times New Roman", "Liberation Serif"},
        {"MS Serif", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
        {"Courier", "Liberation Mono"},
    };
    const QString trimmed = face.trimmed();
    for (const Entry& e : table) {
        if (trimmed.compare(QLatin1String(e.Desktop), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(e.Installed);
    }
    return face;
}

namespace {

QFont BaseFont(const TFont& font) {
    QFont f(SubstituteFace(font.Name()));
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::NoAntialias);
    const TFontStyles style = font.Style();
    f.setWeight((style & fsBold) ? QFont::Bold : QFont::Normal);
    f.setItalic((style & fsItalic) != 0);
    f.setUnderline((style & fsUnderline) != 0);
    f.setStrikeOut((style & fsStrikeOut) != 0);
    return f;
}

// The largest pixel size whose cell (ascent + descent) is at most `cell`.
int PixelSizeForCell(QFont f, int cell) {
    static QHash<QString, int> cache;
    const QString key =
        QStringLiteral("%1|%2|%3|%4").arg(f.family()).arg(f.bold()).arg(f.italic()).arg(cell);
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    int best = 1;
    for (int px = cell; px >= 1; --px) {
        f.setPixelSize(px);
        const QFontMetrics fm(f);
        if (fm.ascent() + fm.descent() <= cell) {
            best = px;
            break;
        }
    }
    cache.insert(key, best);
    return best;
}

} // namespace

QFont ToQFont(const TFont& font, int deviceDpi) {
    QFont f = BaseFont(font);
    const int ppi = font.PixelsPerInch() > 0 ? font.PixelsPerInch() : 96;
    const int dpi = deviceDpi > 0 ? deviceDpi : 96;
    int height = font.Height();
    if (height == 0)
        height = TFont().Height();
    if (height < 0) {
        f.setPixelSize(std::max(1, MulDiv(-height, dpi, ppi)));
    } else {
        f.setPixelSize(PixelSizeForCell(f, std::max(1, MulDiv(height, dpi, ppi))));
    }
    return f;
}
