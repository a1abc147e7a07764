#include "app/image_list.h"

int TImageList::Add(const QPixmap& image) {
    // Sizes are logical: an image drawn for a HiDPI screen keeps its pixels.
    if (image.deviceIndependentSize() == QSizeF(width_, height_)) {
        images_.push_back(image);
    } else {
        QPixmap scaled = image.scaled(QSize(width_, height_) * image.devicePixelRatio());
        scaled.setDevicePixelRatio(image.devicePixelRatio());
        images_.push_back(scaled);
    }
    return Count() - 1;
}

QPixmap TImageList::Image(int index) const {
    if (index < 0 || index >= Count())
        return {};
    return images_[static_cast<std::size_t>(index)];
}
