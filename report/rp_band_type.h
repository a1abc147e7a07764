// The kinds of band a report can hold.
#pragma once

enum TRpBandType : int {
    rbTitle = 0,
    rbPageHeader = 1,
    rbDetail = 2,
    rbPageFooter = 3,
    rbSummary = 4,
    rbGroupHeader = 5,
    rbGroupFooter = 6,
    rbSubDetail = 7,
    rbColumnHeader = 8,
    rbOverlay = 9,
    rbChild = 10,
};

// Bands that span the whole printable width rather than one column.
constexpr bool RpBandSpansPage(TRpBandType type) {
    return type == rbTitle || type == rbPageHeader || type == rbPageFooter || type == rbSummary ||
           type == rbOverlay;
}
