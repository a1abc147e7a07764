// The size records of bands and printable controls: their stored values are
// the Size.Values lists of the stored definition (band: Height, Width;
// printable: Height, Left, Top, Width).
#pragma once

#include "report/rp_units.h"

class TRpBandSize : public TRpUnitBase {
public:
    enum : int { iHeight = 0, iWidth = 1, Count = 2 };
    TRpBandSize() : TRpUnitBase(Count) {}

    long double Height() const { return Get(iHeight, true); }
    void SetHeight(long double v) { Set(iHeight, true, v); }
    long double Width() const { return Get(iWidth, false); }
    void SetWidth(long double v) { Set(iWidth, false, v); }
};

class TRpPrintableSize : public TRpUnitBase {
public:
    enum : int { iHeight = 0, iLeft = 1, iTop = 2, iWidth = 3, Count = 4 };
    TRpPrintableSize() : TRpUnitBase(Count) {}

    long double Height() const { return Get(iHeight, true); }
    void SetHeight(long double v) { Set(iHeight, true, v); }
    long double Left() const { return Get(iLeft, false); }
    void SetLeft(long double v) { Set(iLeft, false, v); }
    long double Top() const { return Get(iTop, true); }
    void SetTop(long double v) { Set(iTop, true, v); }
    long double Width() const { return Get(iWidth, false); }
    void SetWidth(long double v) { Set(iWidth, false, v); }
};
