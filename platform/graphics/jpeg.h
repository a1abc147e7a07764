// JPEG pictures decoded with libjpeg, for the logo of the About box and any
// other picture stored as JPEG data.
#pragma once

#include <QByteArray>
#include <QImage>

class TBitmap;

// Decodes baseline or progressive JPEG data (greyscale, colour, CMYK) into
// an RGB32 image at 96 pixels per inch. Damaged, truncated or oversized
// data raises Exception with a message that says what is wrong; it never
// ends the process.
QImage DecodeJpeg(const QByteArray& data);

// The decoded picture as a bitmap.
TBitmap JpegBitmap(const QByteArray& data);
