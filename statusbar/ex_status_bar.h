// The extended status bar: a TStatusBar whose panels are all drawn by the
// bar itself, each by its panel type, with the clock for date, time and
// animated panels and the lock-key monitor for key-lock panels.
#pragma once

#include "statusbar/ex_status_panel.h"
#include "statusbar/ex_status_panels.h"
#include "statusbar/status_bar.h"

#include <memory>

#include "platform/messages.h"

class TExStatusBarPrivate;

// The message the activation watch posts to a bar to repaint its key-lock
// panels.
constexpr unsigned CM_EXSB_REFRESHKEYS = 0x80E6;

class TExStatusBar : public TStatusBar, public TMessageReceiver {
    Q_OBJECT

public:
    explicit TExStatusBar(QWidget* parent = nullptr);
    ~TExStatusBar() override;

    TExStatusPanels& Panels() { return *panels_; }
    const TExStatusPanels& Panels() const { return *panels_; }

    bool UseMonitorDLL() const { return useMonitorDLL_; }
    void SetUseMonitorDLL(bool use);
    TExDrawPanelEvent OnDrawPanel;

    // Runs the panel paint of panel `index` at once on the bar's canvas.
    void RedrawPanel(int index);
    // The pixel width of a text in the measuring context; -1 on failure.
    virtual int MeasureText(const QString& text);
    // The measuring context's font (the bar's font as last copied).
    const TFont& MeasuringFont() const { return fontCopy_; }

    // A message posted to the bar's window.
    void WndProc(TMessage& message) override;

protected:
    void DrawPanel(TCanvas& canvas, TStatusPanel* panel, const TRect& rect) override;
    void HintInfo(TPoint point, QString& hint, TRect& area) override;
    void Click(TPoint point) override;
    void EnabledChanged() override;
    void FontChanged() override;
    void ColorChanged() override;
    void Loaded() override;
    void CreateWnd() override;
    void DestroyWnd() override;
    bool event(QEvent* event) override;

private:
    friend class TExStatusBarPrivate;

    void RebuildFontCopy();
    void RefitAll();

    // Declared first, so that it outlives the panels that deregister with it.
    std::unique_ptr<TExStatusBarPrivate> d_;
    std::unique_ptr<TExStatusPanels> panels_;
    bool useMonitorDLL_ = false;
    TBitmap measure_;
    TFont fontCopy_;
};
