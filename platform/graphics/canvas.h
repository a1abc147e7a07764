// A drawing surface in the manner of the desktop's device contexts: a font,
// a brush and a pen selected into it, a text colour, a background mode and a
// text alignment, drawing and text output with clipping, and a stack of saved
// states. Backends: QPainter on widgets, images and printers (painter_canvas.h)
// and the recording metafile canvas (metafile.h).
#pragma once

#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"

#include <QString>
#include <optional>
#include <vector>

class TBitmap;
class TMetafile;

enum TBrushStyle { bsSolid, bsClear };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    friend bool operator==(const TBrush&, const TBrush&) = default;
};

struct TPen {
    TColor Color = clBlack;
    TPenStyle Style = psSolid;
    int Width = 1;
    friend bool operator==(const TPen&, const TPen&) = default;
};

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Text alignment of TextOut/ExtTextOut (reference point of the text).
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;
// Right-to-left reading order: kept in metafiles; the painter canvas draws
// the characters in the order given.
constexpr unsigned TA_RTLREADING = 256;

// ExtTextOut options.
constexpr unsigned ETO_OPAQUE = 2;
constexpr unsigned ETO_CLIPPED = 4;

// DrawText formats.
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;

class TCanvas {
public:
    virtual ~TCanvas();

    // Selected objects. Drawing operations use their values at the moment
    // of the call; assigning to them is "selecting" another object.
    // Selecting a font also makes its colour the text colour, and so does
    // changing the colour of the selected font through Font(): the change
    // takes effect at the next drawing or TextColor() call, as on the
    // desktop. SetTextColor then overrides it until the font changes again.
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    TBrush& Brush() { return brush_; }
    const TBrush& Brush() const { return brush_; }
    TPen& Pen() { return pen_; }
    const TPen& Pen() const { return pen_; }

    // Each setter returns the previous value.
    TColor SetTextColor(TColor color);
    TColor TextColor() const;
    int SetBkMode(int mode);
    int BkMode() const { return bkMode_; }
    unsigned SetTextAlign(unsigned align);
    unsigned TextAlign() const { return textAlign_; }

    // Solid fill with the brush (nothing for bsClear); no outline.
    virtual void FillRect(const TRect& rect) = 0;
    // Outline with the pen, inside filled with the brush.
    virtual void Rectangle(const TRect& rect) = 0;
    virtual void Ellipse(const TRect& rect) = 0;
    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    // A pen line from the pen position to (x, y), which becomes the pen position.
    virtual void LineTo(int x, int y) = 0;
    TPoint PenPos() const { return penPos_; }

    // Text at (x, y) placed by the text alignment, in the text colour, on an
    // opaque background of the brush colour when the background mode is
    // OPAQUE and the brush is not bsClear. ETO_CLIPPED clips to `clip`, ETO_OPAQUE fills `clip`
    // with the brush first. `advances`, when given, are the distances from each character's origin
    // to the next one.
    virtual void ExtTextOut(int x, int y, unsigned options, const TRect* clip, const QString& text,
                            const std::vector<int>* advances = nullptr) = 0;
    void TextOut(int x, int y, const QString& text) { ExtTextOut(x, y, 0, nullptr, text); }
    // Text clipped to `rect`; unless the brush is bsClear, `rect` is first
    // filled with the brush.
    void TextRect(const TRect& rect, int x, int y, const QString& text);

    // Extent of a single line of text in the current font on this device:
    // the sum of the advances, and the font's cell height (ascent + descent)
    // whatever the text, as the desktop measures it.
    virtual TSize TextExtent(const QString& text) = 0;
    int TextWidth(const QString& text) { return TextExtent(text).cx; }
    int TextHeight(const QString& text) { return TextExtent(text).cy; }
    // Per-character advances of `text` on this device.
    virtual std::vector<int> CharacterAdvances(const QString& text) = 0;

    // Formatted text as the desktop's DrawText: alignment, single line or
    // word breaks, no "&" handling with DT_NOPREFIX, end and path ellipsis.
    // Returns the height of the text; with DT_CALCRECT only measures and
    // widens or heightens `rect` to the text. Backends compose it from
    // their own primitives with DrawTextOnCanvas (text_format.h).
    virtual int DrawText(const QString& text, TRect& rect, unsigned format) = 0;

    // Clipping: the clip region is the intersection of everything
    // intersected since the last selection. SelectClipRect(nullptr) removes it.
    virtual void IntersectClipRect(const TRect& rect) = 0;
    virtual void SelectClipRect(const TRect* rect) = 0;
    virtual std::optional<TRect> ClipRect() const = 0;
    // Saves the whole state (objects, colours, modes, clip) and returns a
    // positive index; RestoreDC(n) restores the state saved as n and drops
    // the later ones, RestoreDC(-1) the last saved state; an index that
    // names no saved state changes nothing.
    virtual int SaveDC() = 0;
    virtual void RestoreDC(int saved) = 0;

    // Images. A source rectangle with Right < Left (or Bottom < Top) copies
    // the pixels mirrored, as the desktop's stretched copies do.
    virtual void StretchDraw(const TRect& dest, const TBitmap& bitmap) = 0;
    virtual void CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect) = 0;
    // Draws the bitmap at (x, y); pixels of `transparent` colour are skipped.
    virtual void DrawTransparent(int x, int y, const TBitmap& bitmap, TColor transparent) = 0;
    // Plays the metafile back stretched to `dest`.
    void StretchDraw(const TRect& dest, const TMetafile& metafile);

    // Resolution of the device.
    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;

protected:
    TCanvas();

    // The part of the state SaveDC keeps that every backend has: selected
    // objects, colours, modes and pen position. Backends add their clip and
    // whatever their device needs.
    struct TCanvasState {
        TFont Font;
        TBrush Brush;
        TPen Pen;
        TColor TextColor = clBlack;
        int BkMode = OPAQUE;
        unsigned TextAlign = 0;
        TPoint PenPos;
    };
    TCanvasState SaveCanvasState() const;
    void RestoreCanvasState(const TCanvasState& state);
    // The 1-based position that RestoreDC(saved) names in a stack of `depth`
    // saved states (negative counts back from the last), or 0 for none.
    static int SavedStateIndex(int saved, int depth);

private:
    TFont font_;
    TBrush brush_;
    TPen pen_;
    mutable TColor textColor_;
    mutable TColor fontColorSeen_;
    int bkMode_ = OPAQUE;
    unsigned textAlign_ = TA_LEFT | TA_TOP;
    TPoint penPos_;
};

// The screen reference device at 96 pixels per inch, for measuring text as
// it will be laid out on the page.
constexpr int ReferencePixelsPerInch = 96;
TCanvas& ReferenceCanvas();
