// Measurements of the report definition. Every length is kept in tenths of a
// millimetre (the Native unit) as a long double, so that values read and
// written in any unit round-trip without drift; an object's current unit only
// decides how its values are seen. Pixel values follow the screen resolution
// captured when the object was made and its zoom.
#pragma once

#include <functional>
#include <vector>

enum class TRpUnit : int { MM = 0, Inches = 1, Pixels = 2, Characters = 3, Native = 4 };

// Screen pixels per inch that new measuring objects capture (96, the
// reference device's resolution, unless set otherwise, e.g. by tests).
int RpScreenPixelsPerInch();
void SetRpScreenPixelsPerInch(int ppi);

// True when the system locale measures in inches and feet (new pages and
// measuring objects then start in inches, on Letter paper).
bool RpUsesUSMeasurement();
// The unit a new measuring object starts in: MM, or Inches under the U.S.
// measurement system.
TRpUnit RpDefaultUnit();

class TRpUnitBase {
public:
    // `count` stored values, all 0.
    explicit TRpUnitBase(int count);
    virtual ~TRpUnitBase();
    TRpUnitBase(const TRpUnitBase&) = delete;
    TRpUnitBase& operator=(const TRpUnitBase&) = delete;

    TRpUnit Units() const { return units_; }
    void SetUnits(TRpUnit units) { units_ = units; }
    // Percent; 100 unless set. Values of 0 or less are ignored.
    int Zoom() const { return zoom_; }
    void SetZoom(int zoom);
    int ScreenPixelsPerInch() const { return screenPpi_; }
    // Extra scale applied to values read or written in Pixels (percent);
    // a printable control takes its band's zoom here.
    int PixelScale() const { return pixelScale_; }
    void SetPixelScale(int percent);
    // Where the Characters unit takes the report font's point size from;
    // 10 points when unset or when it gives 0 or less.
    void SetFontPointsSource(std::function<int()> source) { fontPoints_ = std::move(source); }

    // The stored values, in the order of the derived class's record.
    const std::vector<long double>& Values() const { return values_; }
    // Replaces the stored values without notifying (the definition loader
    // checks the count first; a wrong count is ignored here).
    bool SetValues(const std::vector<long double>& values);
    long double Stored(int index) const { return values_.at(static_cast<std::size_t>(index)); }
    void SetStored(int index, long double value);

    // Conversions between a stored value and the current unit.
    long double ToUnit(long double stored, bool vertical) const;
    long double FromUnit(long double value, bool vertical) const;
    // Stored value -> screen pixels (unrounded / rounded to the nearest,
    // halves away from zero) whatever the current unit, and back.
    long double ToPixels(long double stored) const;
    int PixelsOf(long double stored) const;
    long double FromPixels(long double pixels) const;

    // Raised after a value has been written through a property setter.
    std::function<void()> OnChange;

protected:
    long double Get(int index, bool vertical) const { return ToUnit(Stored(index), vertical); }
    void Set(int index, bool vertical, long double value);

private:
    long double CharacterSize(bool vertical) const;

    std::vector<long double> values_;
    TRpUnit units_;
    int zoom_ = 100;
    int pixelScale_ = 100;
    int screenPpi_;
    std::function<int()> fontPoints_;
};
