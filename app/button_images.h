// The 13 + 13 images of the main window's buttons, drawn in code as small
// 16 x 16 pixel art on a transparent ground. The same index serves the same
// command in both lists: Normal is shown at rest, HotFlat under the pointer.
#pragma once

class TImageList;

inline constexpr int ButtonImageCount = 13;

void LoadNormalImages(TImageList& list);
void LoadHotFlatImages(TImageList& list);
