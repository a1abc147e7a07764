// The 13 + 13 images of the main window's buttons, drawn in code as small
// 16 x 16 pixel art on a transparent ground. The same index serves the same
// command in both lists: Normal is shown at rest, HotFlat under the pointer.
#pragma once

#include <QtGlobal>

class TImageList;

inline constexpr int ButtonImageCount = 13;

// Drawn for `ratio` device pixels per logical pixel, 16 x 16 logical; by
// default for the screens of the program.
qreal ScreenPixelRatio();
void LoadNormalImages(TImageList& list, qreal ratio = ScreenPixelRatio());
void LoadHotFlatImages(TImageList& list, qreal ratio = ScreenPixelRatio());
