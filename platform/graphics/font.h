// A logical font: face, height, style, colour and character set, with the
// desktop's sign convention for the height (negative: character height in
// pixels; positive: cell height). The face goes through the substitution
// table ("Arial", "MS Sans Serif" -> installed metric-close faces).
#pragma once

#include "platform/graphics/color.h"

#include <QString>

class QFont;

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

constexpr int ANSI_CHARSET = 0;
constexpr int DEFAULT_CHARSET = 1;

class TFont {
public:
    TFont();

    const QString& Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }
    // Height in pixels (negative: character height, the usual case).
    int Height() const { return height_; }
    void SetHeight(int height) { height_ = height; }
    // Size in points at PixelsPerInch: Size = -Height * 72 / PixelsPerInch, rounded.
    int Size() const;
    void SetSize(int points);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi; }
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style) { style_ = style; }
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }
    int Charset() const { return charset_; }
    void SetCharset(int charset) { charset_ = charset; }

    friend bool operator==(const TFont&, const TFont&) = default;

private:
    QString name_;
    int height_;
    int pixelsPerInch_;
    TFontStyles style_;
    TColor color_;
    int charset_;
};

// The installed face that stands in for a desktop face name.
QString SubstituteFace(const QString& face);

// The Qt font for drawing on a device with the given resolution: the pixel
// size is scaled from the font's own PixelsPerInch to the device's.
QFont ToQFont(const TFont& font, int deviceDpi = 96);
