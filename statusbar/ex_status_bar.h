// The extended status bar: a TStatusBar whose panels are all drawn by the
// bar itself, each by its panel type, with the clock for date, time and
// animated panels and the lock-key monitor for key-lock panels.
#pragma once

#include "statusbar/ex_status_panel.h"
#include "statusbar/ex_status_panels.h"
#include "statusbar/kbmon/ex_kb_mon.h"
#include "statusbar/status_bar.h"

#include <map>
#include <memory>
#include <vector>

#include "platform/messages.h"

class QObject;

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

    // Key-lock panels of this bar in the activation watch.
    void AddToActivationWatch(TExStatusPanel* panel);
    void RemoveFromActivationWatch(TExStatusPanel* panel);
    const std::vector<TExStatusPanel*>& ActivationWatch() const { return activationWatch_; }
    bool HookedIntoMainWindow() const { return mainWinHook_ != nullptr; }
    // The application became active or inactive (from the activation hook).
    void ApplicationActivationChanged(bool active);

    // Users of the keyboard monitor library among this bar's panels.
    void AddLibraryUser();
    void RemoveLibraryUser();
    int LibraryUsers() const { return libraryUsers_; }
    unsigned LibraryMessage() const { return libraryMessage_; }
    ExKbWindow* MonitorWindow() { return &monitorWindow_; }

    // A message posted to the bar's window.
    void WndProc(TMessage& message) override;

    // Test hooks: panel paints (by index) and refits (by index) since the
    // last reset.
    int PaintCount(int index) const;
    int RefitCount(int index) const;
    void ResetCounters();
    void CountPaint(int index) { ++paints_[index]; }
    void CountRefit(int index) { ++refits_[index]; }

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
    void RebuildFontCopy();
    void RefitAll();
    void RegisterMonitorWindow();
    void DeregisterMonitorWindow();

    std::unique_ptr<TExStatusPanels> panels_;
    bool useMonitorDLL_ = false;
    TBitmap measure_;
    TFont fontCopy_;
    std::vector<TExStatusPanel*> activationWatch_;
    std::unique_ptr<QObject> mainWinHook_;
    int libraryUsers_ = 0;
    unsigned libraryMessage_ = 0;
    bool monitorRegistered_ = false;
    ExKbWindow monitorWindow_{};
    std::map<int, int> paints_;
    std::map<int, int> refits_;
};
