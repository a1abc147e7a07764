// Colour conversions. System colours follow the application palette so that
// the program blends in with the desktop theme; without a QGuiApplication
// (command-line tools) they fall back to the classic desktop scheme.
#include "platform/graphics/color.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include <array>
#include <optional>

namespace {

// Classic desktop values by system colour index (red in the low byte).
constexpr std::array<TColor, 31> kClassic = {
    0xC8C8C8, // 0 scroll bar
    0x808000, // 1 desktop background
    0x800000, // 2 active caption
    0x808080, // 3 inactive caption
    0xC0C0C0, // 4 menu
    0xFFFFFF, // 5 window
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xC0C0C0, // 10 active border
    0xC0C0C0, // 11 inactive border
    0x808080, // 12 application workspace
    0x800000, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xC0C0C0, // 15 button face
    0x808080, // 16 button shadow
    0x808080, // 17 grey text
    0x000000, // 18 button text
    0xC0C0C0, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x000000, // 21 3-D dark shadow
    0xDFDFDF, // 22 3-D light
    0x000000, // 23 tooltip text
    0xE1FFFF, // 24 tooltip background
    0xB5B5B5, // 25 (unused slot)
    0x800000, // 26 hot-tracked item
    0xF0CAA6, // 27 active caption gradient
    0xC0C0C0, // 28 inactive caption gradient
    0x800000, // 29 menu highlight
    0xC0C0C0, // 30 menu bar
};

std::optional<QColor> FromPalette(int index) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 0:
        return palette.color(QPalette::Mid);
    case 4:
        return palette.color(QPalette::Window);
    case 5:
        return palette.color(QPalette::Base);
    case 7:
        return palette.color(QPalette::WindowText);
    case 8:
        return palette.color(QPalette::WindowText);
    case 12:
        return palette.color(QPalette::Dark);
    case 13:
        return palette.color(QPalette::Highlight);
    case 14:
        return palette.color(QPalette::HighlightedText);
    case 15:
        return palette.color(QPalette::Button);
    case 16:
        return palette.color(QPalette::Dark);
    case 17:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18:
        return palette.color(QPalette::ButtonText);
    case 20:
        return palette.color(QPalette::Light);
    case 21:
        return palette.color(QPalette::Shadow);
    case 22:
        return palette.color(QPalette::Midlight);
    case 23:
        return palette.color(QPalette::ToolTipText);
    case 24:
        return palette.color(QPalette::ToolTipBase);
    case 26:
        return palette.color(QPalette::Link);
    case 29:
        return palette.color(QPalette::Highlight);
    case 30:
        return palette.color(QPalette::Window);
    default:
        return std::nullopt;
    }
}

} // namespace

TColor DefaultSystemColor(TColor color) {
    if (!IsSystemColor(color))
        return color & 0xFFFFFF;
    const int index = color & 0xFF;
    if (index < 0 || index >= static_cast<int>(kClassic.size()))
        return clBlack;
    return kClassic[static_cast<std::size_t>(index)];
}

TColor ColorToRGB(TColor color) {
    if (!IsSystemColor(color))
        return color & 0xFFFFFF;
    if (const auto themed = FromPalette(color & 0xFF))
        return FromQColor(*themed);
    return DefaultSystemColor(color);
}

QColor ToQColor(TColor color) {
    if (color == clNone)
        return QColor(Qt::transparent);
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& color) {
    const QColor c = color.toRgb();
    return RGB(c.red(), c.green(), c.blue());
}
