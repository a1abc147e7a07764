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
    TColor Pixel(int x, int y) const;

    const QImage& Image() const { return image_; }
    void SetImage(QImage image);

    // The canvas paints into the image; it is made on first use and ended
    // when the bitmap changes size or is destroyed.
    TCanvas& Canvas();
    void ReleaseCanvas();

private:
    QImage image_;
    std::unique_ptr<TCanvas> canvas_;
};
