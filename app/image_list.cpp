#include "app/image_list.h"

int TImageList::Add(const QPixmap& image) {
    if (image.width() == width_ && image.height() == height_)
        images_.push_back(image);
    else
        images_.push_back(image.scaled(width_, height_));
    return Count() - 1;
}

QPixmap TImageList::Image(int index) const {
    if (index < 0 || index >= Count())
        return {};
    return images_[static_cast<std::size_t>(index)];
}
