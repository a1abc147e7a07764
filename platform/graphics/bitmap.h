// A device-independent bitmap with a canvas to draw on it.
#pragma once

#include "platform/graphics/color.h"

#include <QImage>
#include <memory>

class TCanvas;

class TBitmap {
public:
    TBitmap();
    TBitmap(int width, int height);
    explicit TBitmap(QImage image);
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap();

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull(); }
    // Resizing keeps nothing of the old pixels.
    void SetSize(int width, int height);
    // The colour at (x, y); clNone outside the bitmap.
    TColor Pixel(int x, int y) const;

    // While the canvas is alive its painter writes straight into these
    // pixels, also into implicit copies of the image: copy() it, or release
    // the canvas first, to keep a picture that stays as it is. Copies of the
    // bitmap itself are always deep.
    const QImage& Image() const { return image_; }
    void SetImage(QImage image);

    // The canvas paints into the image; it is made on first use (with a
    // fresh state) and ended when the bitmap changes size, gets another
    // image or bitmap assigned, or is destroyed. References to it are then
    // invalid.
    TCanvas& Canvas();
    void ReleaseCanvas();

private:
    QImage image_;
    std::unique_ptr<TCanvas> canvas_;
};
