// The extended status bar: owner drawing of every panel, the measuring
// context for auto-fit widths, hints and clicks by panel, the activation
// watch of key-lock panels and the keyboard monitor library registrations.
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_bar_p.h"

#include "platform/dispatch.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/canvas_state_saver.h"
#include "platform/keys.h"
#include "statusbar/ex_assert.h"
#include "statusbar/kb_monitor.h"
#include "statusbar/keyboard_watch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QtGui/qevent.h>

#include <algorithm>

namespace {

// Hooks a bar into the application's activation messages.
class TMainWinHook : public QObject {
public:
    explicit TMainWinHook(TExStatusBar* bar) : bar_(bar) {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ApplicationStateChange &&
            watched == QCoreApplication::instance()) {
            const auto state =
                static_cast<QApplicationStateChangeEvent*>(event)->applicationState();
            Dispatch([this, state] {
                TExStatusBarPrivate::Of(*bar_).ApplicationActivationChanged(state ==
                                                                            Qt::ApplicationActive);
            });
        }
        return false; // never consumed
    }

private:
    TExStatusBar* bar_;
};

// The monitor library calls this from its own thread.
void NotifyBar(void* context, unsigned msg, uintptr_t wParam, intptr_t lParam) {
    PostMessage(static_cast<TExStatusBar*>(context), msg, wParam, lParam);
}

} // namespace

TExStatusBarPrivate::TExStatusBarPrivate(TExStatusBar& bar)
    : bar_(bar), monitorWindow_{&NotifyBar, &bar} {}

TExStatusBarPrivate::~TExStatusBarPrivate() = default;

TExStatusBar::TExStatusBar(QWidget* parent)
    : TStatusBar(parent), d_(std::make_unique<TExStatusBarPrivate>(*this)), measure_(1, 1) {
    static const bool audit = (qAddPostRoutine(&ExStatusBarFinalize), true);
    (void)audit;
    panels_ = std::make_unique<TExStatusPanels>(this, &TStatusBar::Panels());
    CreateWnd();
}

TExStatusBar::~TExStatusBar() {
    BeginDestroy();
    panels_.reset();
    d_->DropActivationWatch();
    DestroyWnd();
}

// --- drawing ----------------------------------------------------------------------

void TExStatusBar::DrawPanel(TCanvas& canvas, TStatusPanel* native, const TRect& rect) {
    TExStatusPanel* panel = nullptr;
    for (int i = 0; i < panels_->Count(); ++i) {
        if ((*panels_)[i]->LinkedPanel() == native) {
            panel = (*panels_)[i];
            break;
        }
    }
    if (!panel)
        ExStatusBarAssertFailed(QStringLiteral("Panel links corrupted"));
    const TCanvasStateSaver saver(canvas);
    canvas.SetFont(fontCopy_);
    if (OnDrawPanel)
        OnDrawPanel(this, panel, rect);
    if (panel->PanelType() == sptOwnerDraw && panel->OnDrawPanel &&
        !(ComponentState() & csDesigning)) {
        panel->OnDrawPanel(this, panel, rect);
        return;
    }
    panel->Paint(canvas, rect);
}

void TExStatusBar::RedrawPanel(int index) {
    TExStatusPanel* panel = panels_ ? panels_->Items(index) : nullptr;
    if (!panel || !HandleAllocated())
        return;
    const TRect r = PanelRect(index);
    if (r.IsEmpty())
        return;
    TCanvas& canvas = Canvas();
    const TFont previous = canvas.Font();
    canvas.SetFont(fontCopy_);
    panel->Paint(canvas, r);
    canvas.SetFont(previous);
    Flush(r);
}

int TExStatusBar::MeasureText(const QString& text) {
    try {
        TCanvas& canvas = measure_.Canvas();
        canvas.SetFont(fontCopy_);
        const int width = canvas.TextExtent(text).cx;
        return width < 0 ? -1 : width;
    } catch (...) {
        return -1;
    }
}

void TExStatusBar::RebuildFontCopy() {
    fontCopy_ = Font();
    measure_.ReleaseCanvas();
}

void TExStatusBar::RefitAll() {
    for (int i = 0; i < panels_->Count(); ++i)
        if ((*panels_)[i]->AutoFit())
            (*panels_)[i]->Refit();
}

// --- state changes ------------------------------------------------------------------

void TExStatusBar::EnabledChanged() {
    Invalidate();
    for (int i = 0; i < panels_->Count(); ++i)
        (*panels_)[i]->EnabledChange();
}

void TExStatusBar::FontChanged() {
    RebuildFontCopy();
    panels_->BeginUpdate();
    RefitAll();
    panels_->EndUpdate();
}

void TExStatusBar::ColorChanged() {
    // The gradient strips start from the bar's colour.
    for (int i = 0; i < panels_->Count(); ++i)
        (*panels_)[i]->DropGradientStrip();
}

void TExStatusBar::Loaded() {
    RebuildFontCopy();
    RefitAll();
    // A date or time panel never shows the text stored with the layout.
    for (int i = 0; i < panels_->Count(); ++i)
        (*panels_)[i]->UpdateDateTime();
}

void TExStatusBar::CreateWnd() {
    if (ComponentState() & csLoading)
        return;
    RebuildFontCopy();
    RefitAll();
    if (d_->LibraryUsers() > 0)
        d_->RegisterMonitorWindow();
}

void TExStatusBar::DestroyWnd() {
    if (useMonitorDLL_ && d_->LibraryUsers() > 0)
        d_->DeregisterMonitorWindow();
}

// --- hints and clicks -----------------------------------------------------------------

void TExStatusBar::HintInfo(TPoint point, QString& hint, TRect& area) {
    TStatusBar::HintInfo(point, hint, area);
    const int count = std::min(panels_->Count(), MaxPanels);
    const int at = PanelAt(point);
    if (at >= 0) {
        const QString panelHint = (*panels_)[at]->HintToShow();
        if (!panelHint.isEmpty()) {
            hint = panelHint;
            area = PanelRect(at);
            return;
        }
    }
    // The bar's own tooltip stays valid only between the nearest hinted
    // panels on either side of the pointer.
    for (int i = count - 1; i >= 0; --i) {
        const TRect r = PanelRect(i);
        if (r.Left <= point.X && !(*panels_)[i]->HintToShow().isEmpty()) {
            area.Left = r.Right;
            break;
        }
    }
    for (int i = 0; i < count; ++i) {
        const TRect r = PanelRect(i);
        if (r.Right > point.X && !(*panels_)[i]->HintToShow().isEmpty()) {
            area.Right = r.Left;
            break;
        }
    }
}

void TExStatusBar::Click(TPoint point) {
    const int at = PanelAt(point);
    if (at >= 0) {
        TExStatusPanel* panel = (*panels_)[at];
        if (panel->OnClick)
            panel->OnClick(panel);
    }
    TStatusBar::Click(point);
}

// --- messages -----------------------------------------------------------------------

bool TExStatusBar::event(QEvent* event) {
    if (HandleMessageEvent(event, *this))
        return true;
    return TStatusBar::event(event);
}

void TExStatusBar::WndProc(TMessage& message) {
    if (message.Msg == CM_EXSB_REFRESHKEYS) {
        panels_->BeginUpdate();
        for (int i = 0; i < panels_->Count(); ++i)
            if (IsKeyLockType((*panels_)[i]->PanelType()))
                (*panels_)[i]->Redraw();
        panels_->EndUpdate();
        return;
    }
    if (d_->LibraryMessage() != 0 && message.Msg == d_->LibraryMessage()) {
        const TExStatusPanelType type = message.WParam == VK_NUMLOCK  ? sptNumLock
                                        : message.WParam == VK_SCROLL ? sptScrollLock
                                                                      : sptCapsLock;
        for (int i = 0; i < panels_->Count(); ++i) {
            TExStatusPanel* panel = (*panels_)[i];
            if (panel->PanelType() != type)
                continue;
            panel->SetKeyState((message.LParam & 1) != 0);
            panel->Redraw();
        }
    }
}

// --- the activation watch -----------------------------------------------------------

void TExStatusBarPrivate::AddToActivationWatch(TExStatusPanel* panel) {
    Q_ASSERT_X(std::find(activationWatch_.begin(), activationWatch_.end(), panel) ==
                   activationWatch_.end(),
               "TExStatusBarPrivate::AddToActivationWatch", "a panel stands in the watch once");
    activationWatch_.push_back(panel);
    if (activationWatch_.size() == 1)
        mainWinHook_ = std::make_unique<TMainWinHook>(&bar_);
}

void TExStatusBarPrivate::RemoveFromActivationWatch(TExStatusPanel* panel) {
    auto it = std::find(activationWatch_.begin(), activationWatch_.end(), panel);
    if (it == activationWatch_.end())
        ExStatusBarAssertFailed(QStringLiteral("Unbalanced MainWinHook registrations"));
    activationWatch_.erase(it);
    if (activationWatch_.empty())
        mainWinHook_.reset();
}

void TExStatusBarPrivate::DropActivationWatch() {
    if (activationWatch_.empty())
        return;
    ExStatusBarReport(QStringLiteral("Unbalanced MainWinHook registrations"));
    activationWatch_.clear();
    mainWinHook_.reset();
}

void TExStatusBarPrivate::ApplicationActivationChanged(bool active) {
    if (bar_.UseMonitorDLL())
        return;
    // Lock keys changed in another program are caught by the first key
    // event after coming back.
    if (!active)
        keyboardwatch::SetRefreshAll(true);
    PostMessage(&bar_, CM_EXSB_REFRESHKEYS, 0, 0);
}

// --- the monitor library --------------------------------------------------------------

void TExStatusBarPrivate::RegisterMonitorWindow() {
    if (!exkb::MonitorLoaded())
        return;
    libraryMessage_ = exkb::RegisterWindow(&monitorWindow_);
    monitorRegistered_ = true;
}

void TExStatusBarPrivate::DeregisterMonitorWindow() {
    if (!monitorRegistered_)
        return;
    monitorRegistered_ = false;
    if (exkb::MonitorLoaded())
        exkb::DeregisterWindow(&monitorWindow_);
}

void TExStatusBarPrivate::AddLibraryUser() {
    if (++libraryUsers_ != 1)
        return;
    if (!exkb::MonitorLoaded())
        exkb::LoadMonitor();
    if (bar_.HandleAllocated() && exkb::MonitorLoaded())
        RegisterMonitorWindow();
}

void TExStatusBarPrivate::RemoveLibraryUser() {
    if (libraryUsers_ <= 0)
        return;
    if (--libraryUsers_ > 0)
        return;
    DeregisterMonitorWindow();
    libraryUsers_ = 0;
    // Other bars may still be registered: the library goes only with the
    // last window.
    if (exkb::RegisteredWindows().empty())
        exkb::UnloadMonitor();
}

void TExStatusBar::SetUseMonitorDLL(bool use) {
    if (use == useMonitorDLL_)
        return;
    useMonitorDLL_ = use;
    bool switched = false;
    for (int i = 0; i < panels_->Count(); ++i) {
        TExStatusPanel* panel = (*panels_)[i];
        if (use && panel->keyTracking_ == TExStatusPanel::ktHook) {
            keyboardwatch::Remove(panel);
            d_->RemoveFromActivationWatch(panel);
            d_->AddLibraryUser();
            panel->keyTracking_ = TExStatusPanel::ktLibrary;
            panel->keyState_ = KeyToggled(LockKeyOf(panel->PanelType()));
            switched = true;
        } else if (!use && panel->keyTracking_ == TExStatusPanel::ktLibrary) {
            d_->RemoveLibraryUser();
            panel->keyTracking_ = TExStatusPanel::ktHook;
            keyboardwatch::Add(panel);
            d_->AddToActivationWatch(panel);
        }
    }
    if (use && switched && !exkb::MonitorLoaded()) {
        SetUseMonitorDLL(false);
        if (ComponentState() & csDesigning)
            throw Exception(QStringLiteral("Could not load ") + exkb::LibraryName());
    }
}

// --- paint and refit counters
// ---------------------------------------------------------------------

int TExStatusBarPrivate::PaintCount(int index) const {
    auto it = paints_.find(index);
    return it == paints_.end() ? 0 : it->second;
}

int TExStatusBarPrivate::RefitCount(int index) const {
    auto it = refits_.find(index);
    return it == refits_.end() ? 0 : it->second;
}

void TExStatusBarPrivate::ResetCounters() {
    paints_.clear();
    refits_.clear();
}
