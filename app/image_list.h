// A list of equally sized button images, addressed by index. The main
// window keeps two: the images at rest and the images under the pointer.
#pragma once

#include <QPixmap>

#include <vector>

class TImageList {
public:
    explicit TImageList(int width = 16, int height = 16) : width_(width), height_(height) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return static_cast<int>(images_.size()); }
    // The image is scaled to the list's size when it differs; returns its index.
    int Add(const QPixmap& image);
    // A null pixmap for an index out of range.
    QPixmap Image(int index) const;

private:
    int width_;
    int height_;
    std::vector<QPixmap> images_;
};
