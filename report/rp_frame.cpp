// Ruling the sides of a report box.
#include "report/rp_frame.h"

#include "report/rp_printer.h"

#include <cmath>

namespace {

// A rule's thickness for one direction's pixels per tenth of a millimetre.
int RuleThickness(int points, double factor) {
    if (points == -1)
        return 1;
    const int pixels = static_cast<int>(std::lround(factor * 254.0 / 72.0 * points));
    return points > 0 ? std::max(1, pixels) : pixels;
}

} // namespace

void DrawRpFrame(const TRpFrame& frame, TRpPrinter& printer, const TRect& rect) {
    if (!frame.DrawsAnySide())
        return;
    TCanvas& canvas = printer.Canvas();
    canvas.Brush() = TBrush{frame.Color(), bsSolid};
    const int horizontal = RuleThickness(frame.Width(), printer.YFactor());
    const int vertical = RuleThickness(frame.Width(), printer.XFactor());
    if (frame.DrawTop())
        canvas.FillRect(Rect(rect.Left, rect.Top, rect.Right, rect.Top + horizontal));
    if (frame.DrawBottom())
        canvas.FillRect(Rect(rect.Left, rect.Bottom - horizontal, rect.Right, rect.Bottom));
    if (frame.DrawLeft())
        canvas.FillRect(Rect(rect.Left, rect.Top, rect.Left + vertical, rect.Bottom));
    if (frame.DrawRight())
        canvas.FillRect(Rect(rect.Right - vertical, rect.Top, rect.Right, rect.Bottom));
    canvas.Brush().Style = bsClear;
}
