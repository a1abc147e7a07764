// A panel of the extended status bar: its setters with their follow-ups,
// the type and enabled changes that decide what the panel takes part in
// (key tracking, the clock), and the drawing of every panel type.
#include "statusbar/ex_status_panel.h"

#include "platform/clock.h"
#include "platform/date_time_format.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/canvas_state_saver.h"
#include "platform/keys.h"
#include "statusbar/ex_assert.h"
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_bar_p.h"
#include "statusbar/ex_status_panels.h"
#include "statusbar/kb_monitor.h"
#include "statusbar/keyboard_watch.h"

namespace {

const QString kEllipsisHint = QStringLiteral("...");

} // namespace

QString PanelTypeName(TExStatusPanelType type) {
    static const char* const names[] = {"sptNormal",     "sptCapsLock",     "sptNumLock",
                                        "sptScrollLock", "sptDate",         "sptTime",
                                        "sptDateTime",   "sptEllipsisText", "sptEllipsisPath",
                                        "sptGlyph",      "sptGauge",        "sptOwnerDraw"};
    const int i = static_cast<int>(type);
    if (i < 0 || i > static_cast<int>(sptOwnerDraw))
        return {};
    return QString::fromLatin1(names[i]);
}

int LockKeyOf(TExStatusPanelType type) {
    switch (type) {
    case sptCapsLock:
        return VK_CAPITAL;
    case sptNumLock:
        return VK_NUMLOCK;
    case sptScrollLock:
        return VK_SCROLL;
    default:
        return 0;
    }
}

TExStatusPanel::TExStatusPanel(TCollection* collection)
    : collection_(dynamic_cast<TExStatusPanels*>(collection)) {
    if (!collection_)
        throw Exception(QStringLiteral("TExStatusPanel owner must be TExStatusPanesls"));
    link_ = collection_->NativePanels()->Add();
    link_->SetStyle(psOwnerDraw);
    gaugeAttrs_ = std::make_unique<TExGaugeAttrs>(this);
}

TExStatusPanel::~TExStatusPanel() {
    try {
        StopKeyTracking();
        collection_->LeaveTimer(this);
    } catch (const std::exception& e) {
        ExStatusBarReport(QString::fromUtf8(e.what()));
    }
    gradient_.reset();
    gaugeAttrs_.reset();
    TStatusPanels* native = collection_->NativePanels();
    native->Delete(native->IndexOf(link_));
}

TExStatusBar* TExStatusPanel::StatusBar() const {
    return collection_->Bar();
}

int TExStatusPanel::Index() const {
    return collection_->IndexOf(this);
}

void TExStatusPanel::SetIndex(int index) {
    collection_->Move(Index(), index);
}

TAlignment TExStatusPanel::Alignment() const {
    return link_->Alignment();
}

void TExStatusPanel::SetAlignment(TAlignment alignment) {
    if (alignment == Alignment())
        return;
    link_->SetAlignment(alignment);
    Redraw();
}

TStatusPanelBevel TExStatusPanel::Bevel() const {
    return link_->Bevel();
}

void TExStatusPanel::SetBevel(TStatusPanelBevel bevel) {
    if (bevel == Bevel())
        return;
    // The bar draws the frame; the native panel repaints it.
    link_->SetBevel(bevel);
}

void TExStatusPanel::SetPanelType(TExStatusPanelType type) {
    if (type == panelType_)
        return;
    if (Enabled())
        WithdrawByType();
    panelType_ = type;
    switch (type) {
    case sptCapsLock:
    case sptNumLock:
    case sptScrollLock:
        SetText(type == sptCapsLock  ? QStringLiteral(" CAPS ")
                : type == sptNumLock ? QStringLiteral(" NUM ")
                                     : QStringLiteral(" SCROLL "));
        SetAutoFit(true);
        if (Enabled())
            StartKeyTracking();
        break;
    case sptDate:
    case sptTime:
    case sptDateTime:
        SetAutoFit(false);
        if (Enabled())
            collection_->JoinTimer(this);
        UpdateDateTime();
        break;
    case sptEllipsisText:
    case sptEllipsisPath:
        SetAutoFit(false);
        if (Hint().isEmpty())
            SetHint(kEllipsisHint);
        break;
    case sptGlyph:
        SetAutoFit(true);
        break;
    case sptGauge:
        SetAutoFit(false);
        SetAlignment(taCenter);
        if (IsIndeterminate(gaugeAttrs_->Style())) {
            // An animated gauge starts stopped; enabling it starts it.
            SetEnabled(false);
            RestartAnimation();
        }
        break;
    case sptNormal:
    case sptOwnerDraw:
        SetAutoFit(false);
        break;
    }
    Redraw();
}

void TExStatusPanel::SetGlyph(const TBitmap& glyph) {
    glyph_ = glyph;
    if (panelType_ == sptGlyph) {
        Redraw();
        Refit();
    }
}

void TExStatusPanel::SetText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    Redraw();
    Refit();
}

void TExStatusPanel::SetDateFormat(const QString& format) {
    if (format == dateFormat_)
        return;
    dateFormat_ = format;
    UpdateDateTime();
}

void TExStatusPanel::SetTimeFormat(const QString& format) {
    if (format == timeFormat_)
        return;
    timeFormat_ = format;
    UpdateDateTime();
}

bool TExStatusPanel::Enabled() const {
    const TExStatusBar* bar = StatusBar();
    if (bar->ComponentState() & csWriting)
        return enabled_;
    return enabled_ && bar->Enabled();
}

void TExStatusPanel::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    EnabledChange();
}

void TExStatusPanel::EnabledChange() {
    const bool enabled = Enabled();
    if (enabled)
        JoinByType();
    else
        WithdrawByType();
    Redraw();
    if (!enabled)
        RestartAnimation();
}

int TExStatusPanel::Width() const {
    return link_->Width();
}

void TExStatusPanel::SetWidth(int width) {
    if (width != Width() && (!autoFit_ || (StatusBar()->ComponentState() & csLoading)))
        link_->SetWidth(width);
    if (panelType_ == sptGauge && IsIndeterminate(gaugeAttrs_->Style())) {
        RestartAnimation();
        Redraw();
    }
}

void TExStatusPanel::SetAutoFit(bool autoFit) {
    if (autoFit == autoFit_)
        return;
    autoFit_ = autoFit;
    Refit();
}

QString TExStatusPanel::Hint() const {
    const bool designing = StatusBar()->ComponentState() & csDesigning;
    if (!designing && (panelType_ == sptEllipsisText || panelType_ == sptEllipsisPath) &&
        hint_ == kEllipsisHint)
        return text_;
    return hint_;
}

void TExStatusPanel::SetHint(const QString& hint) {
    if (hint == hint_)
        return;
    hint_ = hint;
}

QString TExStatusPanel::HintToShow() {
    QString hint = Hint();
    if (OnHintText)
        OnHintText(StatusBar(), this, hint);
    return hint;
}

void TExStatusPanel::Assign(const TExStatusPanel& source) {
    if (&source == this)
        return;
    gaugeAttrs_->Assign(*source.gaugeAttrs_);
    SetAlignment(source.Alignment());
    SetBevel(source.Bevel());
    SetGlyph(source.Glyph());
    SetText(source.Text());
    SetDateFormat(source.DateFormat());
    SetTimeFormat(source.TimeFormat());
    SetEnabled(source.Enabled());
    SetWidth(source.Width());
    SetAutoFit(source.AutoFit());
    SetHint(source.Hint());
    OnDrawPanel = source.OnDrawPanel;
    OnHintText = source.OnHintText;
    SetPanelType(source.PanelType());
}

QString TExStatusPanel::DisplayName() const {
    QString name;
    switch (panelType_) {
    case sptNormal:
    case sptEllipsisText:
    case sptEllipsisPath:
        name = text_;
        break;
    default:
        name = PanelTypeName(panelType_);
        break;
    }
    if (name.isEmpty())
        name = QStringLiteral("TExStatusPanel");
    return name;
}

// --- what the type needs ----------------------------------------------------

bool TExStatusPanel::NeedsClock() const {
    return IsDateTimeType(panelType_) ||
           (panelType_ == sptGauge && IsIndeterminate(gaugeAttrs_->Style()));
}

void TExStatusPanel::JoinByType() {
    if (IsKeyLockType(panelType_))
        StartKeyTracking();
    else if (NeedsClock())
        collection_->JoinTimer(this);
}

void TExStatusPanel::WithdrawByType() {
    // Whatever the panel was registered with goes, so that a panel is never
    // withdrawn twice from the same list (a panel disabled on its own and
    // then disabled again with its bar).
    StopKeyTracking();
    collection_->LeaveTimer(this);
}

void TExStatusPanel::StartKeyTracking() {
    if (keyTracking_ != ktNone || !IsKeyLockType(panelType_))
        return;
    TExStatusBar* bar = StatusBar();
    if (bar->UseMonitorDLL()) {
        TExStatusBarPrivate::Of(*bar).AddLibraryUser();
        keyTracking_ = ktLibrary;
        keyState_ = KeyToggled(LockKeyOf(panelType_));
        // Without the library the bar goes back to its hook, and this panel
        // with it.
        if (!exkb::MonitorLoaded())
            bar->SetUseMonitorDLL(false);
        return;
    }
    keyboardwatch::Add(this);
    TExStatusBarPrivate::Of(*bar).AddToActivationWatch(this);
    keyTracking_ = ktHook;
}

void TExStatusPanel::StopKeyTracking() {
    TExStatusBar* bar = StatusBar();
    switch (keyTracking_) {
    case ktNone:
        return;
    case ktHook:
        keyTracking_ = ktNone;
        keyboardwatch::Remove(this);
        TExStatusBarPrivate::Of(*bar).RemoveFromActivationWatch(this);
        return;
    case ktLibrary:
        keyTracking_ = ktNone;
        TExStatusBarPrivate::Of(*bar).RemoveLibraryUser();
        return;
    }
}

// --- gauge follow-ups -------------------------------------------------------

void TExStatusPanel::GaugeStyleChanging(TExGaugeStyle oldStyle, TExGaugeStyle newStyle) {
    (void)newStyle;
    if (panelType_ == sptGauge && IsIndeterminate(oldStyle) && Enabled())
        collection_->LeaveTimer(this);
}

void TExStatusPanel::GaugeStyleChanged(TExGaugeStyle oldStyle) {
    (void)oldStyle;
    Redraw();
    if (panelType_ == sptGauge && IsIndeterminate(gaugeAttrs_->Style()) && Enabled())
        collection_->JoinTimer(this);
}

void TExStatusPanel::GaugeSpeedAssigned(int speed) {
    animStep_ = animStep_ < 0 ? -speed : speed;
}

void TExStatusPanel::RestartAnimation() {
    animOffset_ = 0;
    animStep_ = gaugeAttrs_->Speed();
}

const TBitmap& TExStatusPanel::GradientStrip() {
    if (gradient_)
        return *gradient_;
    constexpr int W = 100;
    const int height = std::max(StatusBar()->height(), 1);
    gradient_ = std::make_unique<TBitmap>(W, height);
    const TColor start = ColorToRGB(StatusBar()->Color());
    const TColor end = ColorToRGB(gaugeAttrs_->Color());
    auto channel = [](int s, int e, int i) { return s + (e - s) * i / (W - 1); };
    TCanvas& canvas = gradient_->Canvas();
    canvas.Brush().Style = bsSolid;
    for (int i = 0; i < W; ++i) {
        canvas.Brush().Color = RGB(channel(GetRValue(start), GetRValue(end), i),
                                   channel(GetGValue(start), GetGValue(end), i),
                                   channel(GetBValue(start), GetBValue(end), i));
        canvas.FillRect(Rect(i, 0, i + 1, height));
    }
    gradient_->ReleaseCanvas();
    return *gradient_;
}

// --- date and time ------------------------------------------------------------

void TExStatusPanel::UpdateDateTime() {
    if (!IsDateTimeType(panelType_))
        return;
    const TFormatSettings settings = FormatSettings();
    const QString date = dateFormat_.isEmpty() ? settings.ShortDateFormat : dateFormat_;
    const QString time = timeFormat_.isEmpty() ? settings.LongTimeFormat : timeFormat_;
    const TDateTime now = Now();
    QString text;
    switch (panelType_) {
    case sptDate:
        text = FormatDateTime(date, now, settings);
        break;
    case sptTime:
        text = FormatDateTime(time, now, settings);
        break;
    default:
        text = FormatDateTime(time, now, settings) + QLatin1Char(' ') +
               FormatDateTime(date, now, settings);
        break;
    }
    if (text == text_)
        return;
    SetText(text);
    Redraw();
}

// --- painting -------------------------------------------------------------------

void TExStatusPanel::Redraw() {
    StatusBar()->RedrawPanel(Index());
}

void TExStatusPanel::Refit() {
    TExStatusBar* bar = StatusBar();
    TExStatusBarPrivate::Of(*bar).CountRefit(Index());
    if (!autoFit_ || !bar->HandleAllocated())
        return;
    const int width = panelType_ == sptGlyph ? glyph_.Width() + 4 : bar->MeasureText(text_) + 6;
    // Straight to the linked part: the Width setter refuses auto-fit panels.
    link_->SetWidth(width);
}

void TExStatusPanel::Paint(TCanvas& canvas, const TRect& rect) {
    TExStatusBar* bar = StatusBar();
    if (!bar->HandleAllocated() || rect.IsEmpty())
        return;
    // The bevel stays as the bar drew it.
    const TRect shrunk = Rect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
    if (shrunk.IsEmpty())
        return;
    TExStatusBarPrivate::Of(*bar).CountPaint(Index());
    TBitmap bitmap(shrunk.Width(), shrunk.Height());
    const TRect r = Rect(0, 0, shrunk.Width(), shrunk.Height());
    {
        TCanvas& c = bitmap.Canvas();
        c.SetFont(canvas.Font());
        c.Brush().Color = bar->Color();
        c.Brush().Style = bsSolid;
        c.FillRect(r);
        if (Enabled()) {
            switch (panelType_) {
            case sptCapsLock:
            case sptNumLock:
            case sptScrollLock:
                DrawKeyLock(c, r);
                break;
            case sptGlyph:
                DrawGlyph(c, r);
                break;
            case sptGauge:
                if (gaugeAttrs_->Style() == gsPercent)
                    DrawPercent(c, r);
                else
                    DrawAnimated(c, r);
                break;
            case sptOwnerDraw:
                if (!(bar->ComponentState() & csDesigning))
                    return; // the panel keeps what its handler drew
                DrawText(c, r);
                break;
            default:
                DrawText(c, r);
                break;
            }
        }
    }
    bitmap.ReleaseCanvas();
    canvas.CopyRect(shrunk, bitmap, r);
}

unsigned TExStatusPanel::HorizontalFormat(bool forceCentre) const {
    if (forceCentre)
        return DT_CENTER;
    switch (Alignment()) {
    case taCenter:
        return DT_CENTER;
    case taRightJustify:
        return DT_RIGHT;
    case taLeftJustify:
        break;
    }
    return DT_LEFT;
}

void TExStatusPanel::DrawText(TCanvas& canvas, const TRect& rect) {
    TRect r = rect;
    const unsigned horizontal = HorizontalFormat(autoFit_);
    if (horizontal == DT_RIGHT)
        r.Right -= 1;
    unsigned format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | horizontal;
    if (panelType_ == sptEllipsisText)
        format |= DT_END_ELLIPSIS;
    else if (panelType_ == sptEllipsisPath)
        format |= DT_PATH_ELLIPSIS;
    canvas.SetBkMode(TRANSPARENT);
    canvas.SetTextColor(StatusBar()->Font().Color());
    const QString text = panelType_ == sptOwnerDraw ? QStringLiteral(" *OD* ") : text_;
    canvas.DrawText(text, r, format);
}

bool TExStatusPanel::LockIsOn() const {
    if (StatusBar()->UseMonitorDLL())
        return keyState_;
    return KeyToggled(LockKeyOf(panelType_));
}

void TExStatusPanel::DrawKeyLock(TCanvas& canvas, const TRect& rect) {
    TRect r = rect;
    const unsigned format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | HorizontalFormat(autoFit_);
    canvas.SetBkMode(TRANSPARENT);
    const TColor old = canvas.SetTextColor(LockIsOn() ? StatusBar()->Font().Color() : clGrayText);
    canvas.DrawText(text_, r, format);
    canvas.SetTextColor(old);
}

void TExStatusPanel::DrawGlyph(TCanvas& canvas, const TRect& rect) {
    if (glyph_.Empty())
        return;
    const int w = glyph_.Width();
    const int h = glyph_.Height();
    int x = rect.Left;
    if (Alignment() == taCenter || autoFit_)
        x = rect.Left + (rect.Width() - w) / 2;
    else if (Alignment() == taRightJustify)
        x = rect.Right - w;
    const int y = (rect.Height() - h) / 2;
    canvas.DrawTransparent(x, y, glyph_, glyph_.Pixel(0, h - 1));
}

void TExStatusPanel::DrawPercent(TCanvas& canvas, const TRect& rect) {
    const int position = gaugeAttrs_->Position();
    const int fill = MulDiv(rect.Width(), position, 100);
    const TRect filled = Rect(rect.Left, rect.Top, rect.Left + fill, rect.Bottom);
    const TRect rest = Rect(rect.Left + fill, rect.Top, rect.Right, rect.Bottom);
    canvas.Brush().Style = bsSolid;
    canvas.Brush().Color = gaugeAttrs_->Color();
    if (!filled.IsEmpty())
        canvas.FillRect(filled);
    canvas.Brush().Color = StatusBar()->Color();
    if (!rest.IsEmpty())
        canvas.FillRect(rest);

    const QString text = text_.isEmpty() ? QString::number(position) + QLatin1Char('%') : text_;
    const unsigned format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | HorizontalFormat(false);
    const std::optional<TRect> oldClip = canvas.ClipRect();
    const TCanvasStateSaver saver(canvas);
    canvas.SetBkMode(TRANSPARENT);

    auto drawPart = [&](const TRect& part, TColor color) {
        if (part.IsEmpty())
            return;
        canvas.SelectClipRect(oldClip ? &*oldClip : nullptr);
        canvas.IntersectClipRect(part);
        canvas.SetTextColor(color);
        TRect r = rect;
        canvas.DrawText(text, r, format);
    };
    drawPart(filled, gaugeAttrs_->TextColor());
    drawPart(rest, StatusBar()->Font().Color());
}

void TExStatusPanel::DrawAnimated(TCanvas& canvas, const TRect& rect) {
    animOffset_ += animStep_;
    const int speed = gaugeAttrs_->Speed();
    if (gaugeAttrs_->Style() == gsIndeterminate) {
        canvas.Brush().Style = bsSolid;
        canvas.Brush().Color = gaugeAttrs_->Color();
        canvas.Pen().Style = psSolid;
        canvas.Pen().Width = 1;
        canvas.Pen().Color = gaugeAttrs_->Color();
        const int h = rect.Height();
        const TRect band = Rect(rect.Left, rect.Top + h / 3, rect.Right, rect.Bottom - h / 3);
        const int d = band.Height();
        if (animStep_ > 0 && animOffset_ + d + 1 >= rect.Width())
            animStep_ = -speed;
        else if (animStep_ < 0 && animOffset_ <= 1)
            animStep_ = speed;
        canvas.Ellipse(Rect(rect.Left + animOffset_ - 1, band.Top - 1,
                            rect.Left + animOffset_ + d + 1, band.Bottom + 1));
        return;
    }

    const TBitmap& strip = GradientStrip();
    const int W = strip.Width();
    if (animStep_ > 0 && animOffset_ + 1 >= rect.Width())
        animStep_ = -speed;
    else if (animStep_ < 0 && animOffset_ <= -W)
        animStep_ = speed;
    TRect dest = rect;
    dest.Left += animOffset_;
    if (dest.Width() <= 0)
        return;
    TRect source = Rect(0, 0, W, strip.Height());
    if (W < dest.Width())
        dest.Right = dest.Left + W;
    else if (W > dest.Width()) {
        if (animStep_ > 0)
            source.Right = dest.Width();
        else
            source.Left = W - dest.Width();
    }
    if (animStep_ > 0)
        canvas.CopyRect(dest, strip, source);
    else
        canvas.CopyRect(dest, strip,
                        Rect(source.Right - 1, source.Bottom - 1, source.Left - 1, source.Top - 1));
}
