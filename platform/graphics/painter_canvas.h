// The canvas on a QPainter: widgets in their paint events, images, printers.
// Shapes and text are drawn without antialiasing, so every pixel is either
// the colour asked for or untouched, as on the desktop; pixel comparisons
// between drawings made through this canvas are therefore exact.
#pragma once

#include "platform/graphics/canvas.h"

#include <QFont>
#include <QHash>
#include <QRegion>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QPaintDevice;

class TPainterCanvas : public TCanvas {
public:
    // Draws through an active painter that stays the caller's; its state is
    // saved here and given back as it was when the canvas is destroyed. A
    // clip the painter already has bounds everything drawn.
    explicit TPainterCanvas(QPainter* painter);
    // Draws on `device` with a painter of its own, ended with the canvas.
    explicit TPainterCanvas(QPaintDevice* device);
    ~TPainterCanvas() override;
    TPainterCanvas(const TPainterCanvas&) = delete;
    TPainterCanvas& operator=(const TPainterCanvas&) = delete;

    QPainter* Painter() const { return painter_; }
    // False when the painter could not begin on the device (a null image):
    // drawing does nothing, measuring still works.
    bool IsActive() const;

    void FillRect(const TRect& rect) override;
    void Rectangle(const TRect& rect) override;
    void Ellipse(const TRect& rect) override;
    void LineTo(int x, int y) override;
    void ExtTextOut(int x, int y, unsigned options, const TRect* clip, const QString& text,
                    const std::vector<int>* advances = nullptr) override;
    TSize TextExtent(const QString& text) override;
    std::vector<int> CharacterAdvances(const QString& text) override;
    int DrawText(const QString& text, TRect& rect, unsigned format) override;
    void IntersectClipRect(const TRect& rect) override;
    void SelectClipRect(const TRect* rect) override;
    std::optional<TRect> ClipRect() const override;
    int SaveDC() override;
    void RestoreDC(int saved) override;
    void StretchDraw(const TRect& dest, const TBitmap& bitmap) override;
    using TCanvas::StretchDraw;
    void CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect) override;
    void DrawTransparent(int x, int y, const TBitmap& bitmap, TColor transparent) override;
    int PixelsPerInchX() const override { return dpiX_; }
    int PixelsPerInchY() const override { return dpiY_; }

private:
    struct TSavedState {
        TCanvasState Canvas;
        std::optional<TRect> Clip;
    };

    void Setup();
    void ApplyClip();
    // The Qt font of the selected font on this device, remade when the
    // selection changes, with the advances measured so far.
    const QFont& CurrentFont();
    int ClusterAdvance(const QString& text, int start, int length);
    void FillPixels(int left, int top, int right, int bottom, TColor color);

    QPainter* painter_ = nullptr;
    std::unique_ptr<QPainter> ownPainter_;
    bool restorePainter_ = false;
    int dpiX_ = ReferencePixelsPerInch;
    int dpiY_ = ReferencePixelsPerInch;
    std::optional<QRegion> baseClip_;
    std::optional<TRect> clip_;
    std::vector<TSavedState> saved_;

    std::optional<TFont> fontKey_;
    QFont qfont_;
    int ascent_ = 0;
    int descent_ = 0;
    QHash<QString, int> advances_;
    std::vector<int> latin1Advances_; // by character code, -1 until measured
};
