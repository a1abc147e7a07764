// One panel of the extended status bar. What it shows follows its panel
// type: text, text with an ellipsis, a picture, a lock-key indicator, the
// date or the time kept current by the bar's clock, a gauge, or whatever an
// owner-draw handler paints. Width, alignment and bevel live in the linked
// native panel, the one at the same index in the bar's base collection.
#pragma once

#include "platform/graphics/bitmap.h"
#include "platform/graphics/geometry.h"
#include "statusbar/ex_gauge_attrs.h"
#include "statusbar/status_bar.h"

#include <QString>

#include <functional>
#include <memory>

class TCanvas;
class TCollection;
class TExStatusBar;
class TExStatusPanels;

enum TExStatusPanelType {
    sptNormal,
    sptCapsLock,
    sptNumLock,
    sptScrollLock,
    sptDate,
    sptTime,
    sptDateTime,
    sptEllipsisText,
    sptEllipsisPath,
    sptGlyph,
    sptGauge,
    sptOwnerDraw
};

inline bool IsKeyLockType(TExStatusPanelType t) {
    return t >= sptCapsLock && t <= sptScrollLock;
}
inline bool IsDateTimeType(TExStatusPanelType t) {
    return t >= sptDate && t <= sptDateTime;
}
// The name of a panel type ("sptCapsLock").
QString PanelTypeName(TExStatusPanelType type);
// The virtual key of a lock-key type (VK_CAPITAL, VK_NUMLOCK, VK_SCROLL), else 0.
int LockKeyOf(TExStatusPanelType type);

using TExDrawPanelEvent =
    std::function<void(TExStatusBar* statusBar, TExStatusPanel* panel, const TRect& rect)>;
using TExPanelHintTextEvent =
    std::function<void(TExStatusBar* statusBar, TExStatusPanel* panel, QString& hint)>;

class TExStatusPanel {
public:
    // Panels are made by TExStatusPanels::Add. The collection must be a
    // TExStatusPanels; anything else throws.
    explicit TExStatusPanel(TCollection* collection);
    ~TExStatusPanel();
    TExStatusPanel(const TExStatusPanel&) = delete;
    TExStatusPanel& operator=(const TExStatusPanel&) = delete;

    TExStatusPanels* Collection() const { return collection_; }
    TExStatusBar* StatusBar() const;
    TStatusPanel* LinkedPanel() const { return link_; }
    int Index() const;
    // Moves the panel (and its linked part first) to another index.
    void SetIndex(int index);

    // Published, in the order stored layouts list them.
    TExGaugeAttrs* GaugeAttrs() const { return gaugeAttrs_.get(); }
    TAlignment Alignment() const;
    void SetAlignment(TAlignment alignment);
    TStatusPanelBevel Bevel() const;
    void SetBevel(TStatusPanelBevel bevel);
    TExStatusPanelType PanelType() const { return panelType_; }
    void SetPanelType(TExStatusPanelType type);
    const TBitmap& Glyph() const { return glyph_; }
    void SetGlyph(const TBitmap& glyph);
    const QString& Text() const { return text_; }
    void SetText(const QString& text);
    const QString& DateFormat() const { return dateFormat_; }
    void SetDateFormat(const QString& format);
    const QString& TimeFormat() const { return timeFormat_; }
    void SetTimeFormat(const QString& format);
    // True only if the panel's own flag and the bar are enabled (the own
    // flag alone while the layout is written out).
    bool Enabled() const;
    void SetEnabled(bool enabled);
    int Width() const;
    void SetWidth(int width);
    bool AutoFit() const { return autoFit_; }
    void SetAutoFit(bool autoFit);
    // The hint as it would be shown: an ellipsis panel whose hint is "..."
    // shows its whole text (outside a designer).
    QString Hint() const;
    const QString& StoredHint() const { return hint_; }
    void SetHint(const QString& hint);
    TExDrawPanelEvent OnDrawPanel;
    TExPanelHintTextEvent OnHintText;
    std::function<void(TExStatusPanel* sender)> OnClick;

    // Copies another panel's settings (gauge, alignment ... type last).
    void Assign(const TExStatusPanel& source);
    // The name of the panel in a designer's list.
    QString DisplayName() const;

    // Paints the panel into `rect` of `canvas` through an offscreen bitmap.
    void Paint(TCanvas& canvas, const TRect& rect);
    // Repaints the panel at once on the bar's canvas.
    void Redraw();
    // Brings the width of an auto-fit panel to its content.
    void Refit();
    // The hint after the OnHintText handler had its say.
    QString HintToShow();

    // Lock-key state as reported by the monitor library.
    bool KeyState() const { return keyState_; }
    void SetKeyState(bool on) { keyState_ = on; }
    int AnimationOffset() const { return animOffset_; }
    int AnimationStep() const { return animStep_; }
    // Offset 0, step +Speed.
    void RestartAnimation();
    // Builds the gradient strip of gsIndeterminate2 on first use.
    const TBitmap& GradientStrip();
    bool HasGradientStrip() const { return gradient_ != nullptr; }
    void DropGradientStrip() { gradient_.reset(); }

    // Called by the gauge settings.
    void GaugeStyleChanging(TExGaugeStyle oldStyle, TExGaugeStyle newStyle);
    void GaugeStyleChanged(TExGaugeStyle oldStyle);
    void GaugeSpeedAssigned(int speed);

    // The date and time refresh: computes the text of a date or time panel.
    void UpdateDateTime();
    // One step of an animated gauge from the clock, painted at once.
    void AnimateStep() { Redraw(); }

    // What the panel's type needs while it is enabled: key tracking, the
    // clock. Joining twice or leaving twice is harmless.
    void JoinByType();
    void WithdrawByType();
    // Lock-key tracking state (for the keyboard monitor).
    enum TKeyTracking { ktNone, ktHook, ktLibrary };
    TKeyTracking KeyTracking() const { return keyTracking_; }
    void StartKeyTracking();
    void StopKeyTracking();

    // The enabled-change steps (also run for every panel when the bar's own
    // enabled state changes).
    void EnabledChange();

private:
    friend class TExStatusBar;
    bool NeedsClock() const;
    void DrawText(TCanvas& canvas, const TRect& rect);
    void DrawKeyLock(TCanvas& canvas, const TRect& rect);
    void DrawGlyph(TCanvas& canvas, const TRect& rect);
    void DrawPercent(TCanvas& canvas, const TRect& rect);
    void DrawAnimated(TCanvas& canvas, const TRect& rect);
    bool LockIsOn() const;
    unsigned HorizontalFormat(bool forceCentre) const;

    TExStatusPanels* collection_;
    TStatusPanel* link_ = nullptr;
    std::unique_ptr<TExGaugeAttrs> gaugeAttrs_;
    TExStatusPanelType panelType_ = sptNormal;
    TBitmap glyph_;
    QString text_;
    QString dateFormat_;
    QString timeFormat_;
    bool enabled_ = true;
    bool autoFit_ = false;
    QString hint_;
    bool keyState_ = false;
    int animOffset_ = 0;
    int animStep_ = 1;
    std::unique_ptr<TBitmap> gradient_;
    TKeyTracking keyTracking_ = ktNone;
};
