// The preview tool bar's image list: thirteen icons drawn in code on a
// 16 × 16 grid of whole cells, so that at 100 % and at any whole scale
// (200 % on a high-density screen) every edge falls on a device pixel and
// nothing is blurred by scaling a smaller picture up. Disabled icons are
// the same drawing in greys.
#pragma once

#include <QIcon>

// Indexes in the image list, in the tool bar's order of use.
enum TRpPreviewIcon : int {
    rpiZoomFit = 0,
    rpiZoom100 = 1,
    rpiZoomToWidth = 2,
    rpiFirstPage = 3,
    rpiPreviousPage = 4,
    rpiNextPage = 5,
    rpiLastPage = 6,
    rpiPrintSetup = 7,
    rpiPrint = 8,
    rpiLoadReport = 9,
    rpiSaveReport = 10,
    rpiClose = 11,
    rpiExport = 12,
};

constexpr int RpPreviewIconCount = 13;
constexpr int RpPreviewIconSize = 16;

// Icon `index` of the list (0 to 12); an empty icon outside.
QIcon RpPreviewIcon(int index);
