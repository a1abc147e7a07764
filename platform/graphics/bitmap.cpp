// Bitmaps over QImage at the reference resolution of 96 pixels per inch, so
// that text drawn into a bitmap has the size it has on the screen.
#include "platform/graphics/bitmap.h"

#include "platform/graphics/painter_canvas.h"

namespace {

constexpr int kDotsPerMeter96 = 3780; // 96 pixels per inch

QImage Prepared(QImage image) {
    if (image.isNull())
        return image;
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != format)
        image = image.convertToFormat(format);
    image.setDotsPerMeterX(kDotsPerMeter96);
    image.setDotsPerMeterY(kDotsPerMeter96);
    return image;
}

QImage Blank(int width, int height) {
    if (width <= 0 || height <= 0)
        return QImage();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image; // too large to allocate: an empty bitmap
    image.fill(Qt::white);
    return Prepared(std::move(image));
}

} // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) : image_(Blank(width, height)) {}

TBitmap::TBitmap(QImage image) : image_(Prepared(std::move(image))) {}

// A deep copy: the other bitmap's painter may still be writing into pixels
// that an implicitly shared copy would see change.
TBitmap::TBitmap(const TBitmap& other) : image_(other.image_.copy()) {}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this == &other)
        return *this;
    ReleaseCanvas();
    image_ = other.image_.copy();
    return *this;
}

TBitmap::~TBitmap() {
    ReleaseCanvas();
}

void TBitmap::SetSize(int width, int height) {
    ReleaseCanvas();
    image_ = Blank(width, height);
}

TColor TBitmap::Pixel(int x, int y) const {
    if (!image_.valid(x, y))
        return clNone;
    return FromQColor(QColor(image_.pixel(x, y)));
}

void TBitmap::SetImage(QImage image) {
    ReleaseCanvas();
    image_ = Prepared(std::move(image));
}

TCanvas& TBitmap::Canvas() {
    if (!canvas_)
        canvas_ = std::make_unique<TPainterCanvas>(&image_);
    return *canvas_;
}

void TBitmap::ReleaseCanvas() {
    canvas_.reset();
}
