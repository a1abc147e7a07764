// Unit conversions of the report definition.
#include "report/rp_units.h"

#include "platform/graphics/canvas.h"

#include <QLocale>
#include <atomic>
#include <cmath>

namespace {

std::atomic<int> screenPixelsPerInch{ReferencePixelsPerInch};

} // namespace

int RpScreenPixelsPerInch() {
    return screenPixelsPerInch.load();
}

void SetRpScreenPixelsPerInch(int ppi) {
    if (ppi > 0)
        screenPixelsPerInch.store(ppi);
}

bool RpUsesUSMeasurement() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
}

TRpUnit RpDefaultUnit() {
    return RpUsesUSMeasurement() ? TRpUnit::Inches : TRpUnit::MM;
}

TRpUnitBase::TRpUnitBase(int count)
    : values_(static_cast<std::size_t>(count), 0.0L), units_(RpDefaultUnit()),
      screenPpi_(RpScreenPixelsPerInch()) {}

TRpUnitBase::~TRpUnitBase() = default;

void TRpUnitBase::SetZoom(int zoom) {
    if (zoom > 0)
        zoom_ = zoom;
}

void TRpUnitBase::SetPixelScale(int percent) {
    if (percent > 0)
        pixelScale_ = percent;
}

bool TRpUnitBase::SetValues(const std::vector<long double>& values) {
    if (values.size() != values_.size())
        return false;
    values_ = values;
    return true;
}

void TRpUnitBase::SetStored(int index, long double value) {
    values_.at(static_cast<std::size_t>(index)) = value;
}

// Tenths of a millimetre per character cell: 80 characters fill 10 inches
// across at 10 points, 145.3 lines fill the same height.
long double TRpUnitBase::CharacterSize(bool vertical) const {
    int points = fontPoints_ ? fontPoints_() : 10;
    if (points <= 0)
        points = 10;
    const long double perInch = vertical ? 145.3L : 80.0L;
    return 10.0L * perInch / (points * 2.54L);
}

long double TRpUnitBase::ToPixels(long double stored) const {
    return stored * screenPpi_ / 254.0L * zoom_ / 100.0L * pixelScale_ / 100.0L;
}

int TRpUnitBase::PixelsOf(long double stored) const {
    return static_cast<int>(std::llround(ToPixels(stored)));
}

long double TRpUnitBase::FromPixels(long double pixels) const {
    return pixels * 254.0L / screenPpi_ * 100.0L / zoom_ * 100.0L / pixelScale_;
}

long double TRpUnitBase::ToUnit(long double stored, bool vertical) const {
    switch (units_) {
    case TRpUnit::MM:
        return stored / 10.0L;
    case TRpUnit::Inches:
        return stored / 254.0L;
    case TRpUnit::Pixels:
        return ToPixels(stored);
    case TRpUnit::Characters:
        return stored / CharacterSize(vertical);
    case TRpUnit::Native:
        break;
    }
    return stored;
}

long double TRpUnitBase::FromUnit(long double value, bool vertical) const {
    switch (units_) {
    case TRpUnit::MM:
        return value * 10.0L;
    case TRpUnit::Inches:
        return value * 254.0L;
    case TRpUnit::Pixels:
        return FromPixels(value);
    case TRpUnit::Characters:
        return value * CharacterSize(vertical);
    case TRpUnit::Native:
        break;
    }
    return value;
}

void TRpUnitBase::Set(int index, bool vertical, long double value) {
    SetStored(index, FromUnit(value, vertical));
    if (OnChange)
        OnChange();
}
