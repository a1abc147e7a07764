// The base of everything printed inside a band (or directly on the report):
// a size record in tenths of a millimetre, a frame, and the pixel bounds
// derived from the record. While a stored definition is being read, pixel
// bounds given by the design are only remembered; the report applies them
// after loading where the stored record left a value at 0.
#pragma once

#include "platform/graphics/geometry.h"
#include "report/rp_frame.h"
#include "report/rp_sizes.h"

#include <QString>
#include <optional>

class TRpCustomBand;
class TCustomRpReport;
struct TRpPrintContext;

class TRpPrintable {
public:
    TRpPrintable();
    virtual ~TRpPrintable();
    TRpPrintable(const TRpPrintable&) = delete;
    TRpPrintable& operator=(const TRpPrintable&) = delete;

    const QString& Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    TRpFrame& Frame() { return frame_; }
    const TRpFrame& Frame() const { return frame_; }
    TRpPrintableSize& Size() { return size_; }
    const TRpPrintableSize& Size() const { return size_; }

    // The band that holds the control (null for a control placed directly
    // on the report) and the report it belongs to (through its band).
    TRpCustomBand* Band() const { return band_; }
    TCustomRpReport* Report() const;

    // Pixel bounds, relative to the band.
    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    const TRect& BoundsRect() const { return bounds_; }
    // Design editing: the four pixel values become stored measurements.
    void SetBounds(int left, int top, int width, int height);

    // Set by the text controls' printing; true after construction.
    bool PrintFinished() const { return printFinished_; }
    void SetPrintFinished(bool finished) { printFinished_ = finished; }

    // Recomputes the pixel bounds from the stored record (after a write
    // through Size(), a zoom change or a band resize).
    void UpdateBounds();

    // For the report: attaching, the end of loading.
    void AttachTo(TRpCustomBand* band, TCustomRpReport* report);
    void ApplyPendingBounds();
    // The band's or report's font changed (text controls follow it).
    virtual void ParentFontChanged() {}

    // A run's start and end: a control finds its data here and lets go of
    // it afterwards.
    virtual void Prepare() {}
    virtual void Unprepare() {}
    // Prints the control with its band at (x, y), in tenths of a
    // millimetre; sets the print-finished flag.
    virtual void Print(TRpPrintContext& context, double x, double y);

protected:
    bool Loading() const;
    // The band's pixel width (0 when not in a band).
    int BandPixelWidth() const;
    // The report's zoom (100 without a report).
    int ReportZoom() const;
    // Called after the pixel bounds changed (not while loading): labels
    // place themselves on their band here.
    virtual void BoundsChanged() {}
    // Writes one pixel value back into the stored record, leaving the
    // stored value alone when it already gives that pixel value.
    void StorePixels(int index, int pixels);
    void SetPixelBoundsOnly(const TRect& r) { bounds_ = r; }

private:
    QString name_;
    bool enabled_ = true;
    bool printFinished_ = true;
    TRpFrame frame_;
    TRpPrintableSize size_;
    TRect bounds_;
    std::optional<TRect> pending_;
    TRpCustomBand* band_ = nullptr;
    TCustomRpReport* report_ = nullptr;
};
