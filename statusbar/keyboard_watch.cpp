// The keyboard watch: one application-wide event filter for every key-lock
// panel of the process that follows its key through the hook.
#include "statusbar/keyboard_watch.h"

#include "platform/dispatch.h"
#include "statusbar/ex_status_panel.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QObject>

#include <algorithm>
#include <memory>
#include <set>

namespace keyboardwatch {

namespace {

class TKeyboardHook : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

struct TWatch {
    std::vector<TExStatusPanel*> panels;
    std::unique_ptr<TKeyboardHook> hook;
    bool refreshAll = false;
    // Repaints wait until the key event has been handled: the keyboard
    // state service may learn of the toggle from this very event, in a
    // filter that runs after this one.
    bool pendingAll = false;
    std::set<TExStatusPanelType> pendingTypes;
    bool flushQueued = false;
};

// Never destroyed: the program-end audit may still look at it.
TWatch& Watch() {
    static TWatch* watch = new TWatch;
    return *watch;
}

TExStatusPanelType TypeOfKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_CapsLock:
        return sptCapsLock;
    case Qt::Key_NumLock:
        return sptNumLock;
    case Qt::Key_ScrollLock:
        return sptScrollLock;
    default:
        return sptNormal;
    }
}

void FlushRepaints() {
    TWatch& watch = Watch();
    watch.flushQueued = false;
    const bool all = watch.pendingAll;
    const std::set<TExStatusPanelType> types = std::move(watch.pendingTypes);
    watch.pendingAll = false;
    watch.pendingTypes.clear();
    // A copy: a repaint may run code that changes the list.
    const auto panels = watch.panels;
    for (TExStatusPanel* panel : panels) {
        const auto& now = watch.panels;
        if (std::find(now.begin(), now.end(), panel) == now.end())
            continue;
        if (all || types.count(panel->PanelType()) > 0)
            panel->Redraw();
    }
}

void QueueRepaints() {
    TWatch& watch = Watch();
    if (watch.flushQueued || !watch.hook)
        return;
    watch.flushQueued = true;
    QMetaObject::invokeMethod(
        watch.hook.get(), [] { Dispatch(FlushRepaints); }, Qt::QueuedConnection);
}

void KeyboardEvent(const QKeyEvent& key) {
    TWatch& watch = Watch();
    if (watch.refreshAll) {
        watch.refreshAll = false;
        watch.pendingAll = true;
        QueueRepaints();
        return;
    }
    // Both the press and the release repaint: X switches a lock on as its
    // key goes down but off only as it comes up, so the state read after
    // the press alone would still show a lock just switched off as on.
    const TExStatusPanelType type = TypeOfKey(key.key());
    if (type == sptNormal || key.isAutoRepeat())
        return;
    watch.pendingTypes.insert(type);
    QueueRepaints();
}

bool TKeyboardHook::eventFilter(QObject* watched, QEvent* event) {
    // Every key event from the desktop reaches a window first and is then
    // handed on to widgets; taking it at the window sees it exactly once.
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        watched->isWindowType()) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        Dispatch([key] { KeyboardEvent(*key); });
    }
    return false;
}

} // namespace

void Add(TExStatusPanel* panel) {
    TWatch& watch = Watch();
    Q_ASSERT_X(std::find(watch.panels.begin(), watch.panels.end(), panel) == watch.panels.end(),
               "keyboardwatch::Add", "a panel follows its key through the hook once");
    if (!watch.hook) {
        watch.hook = std::make_unique<TKeyboardHook>();
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(watch.hook.get());
    }
    watch.panels.push_back(panel);
}

void Remove(TExStatusPanel* panel) {
    TWatch& watch = Watch();
    auto it = std::find(watch.panels.begin(), watch.panels.end(), panel);
    if (it != watch.panels.end())
        watch.panels.erase(it);
    if (watch.panels.empty()) {
        watch.hook.reset();
        watch.flushQueued = false;
        watch.pendingAll = false;
        watch.pendingTypes.clear();
    }
}

const std::vector<TExStatusPanel*>& Panels() {
    return Watch().panels;
}
bool HookInstalled() {
    return Watch().hook != nullptr;
}
bool RefreshAll() {
    return Watch().refreshAll;
}
void SetRefreshAll(bool refresh) {
    Watch().refreshAll = refresh;
}

bool RemoveHook() {
    TWatch& watch = Watch();
    const bool installed = watch.hook != nullptr;
    watch.hook.reset();
    watch.panels.clear();
    watch.flushQueued = false;
    watch.pendingAll = false;
    watch.pendingTypes.clear();
    return installed;
}

} // namespace keyboardwatch
