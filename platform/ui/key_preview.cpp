// Key preview of a window: the first receiver of a press among the window's
// widgets, its focus when Qt counts no window as active, and the presses
// the window system repeats.
#include "platform/ui/key_preview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

TKeyPreview::TKeyPreview(QWidget* window) : window_(window) {
    Q_ASSERT_X(window != nullptr && window->isWindow(), "TKeyPreview",
               "a key preview belongs to a top-level window");
}

TKeyPreview::TArrival TKeyPreview::Classify(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return Pass;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != window_ || !FirstArrival(widget, event))
        return Pass;
    auto* key = static_cast<QKeyEvent*>(event);
    if (SeenBefore(*key))
        return Swallow;
    lastPreviewed_ = event;
    lastTarget_ = widget;
    return Preview;
}

bool TKeyPreview::FirstArrival(QWidget* widget, QEvent* event) const {
    // A key the focused control ignores travels up to its parents: preview
    // it once, where it first arrives.
    QWidget* focus = QApplication::focusWidget();
    // Without a window manager, or with focus following the pointer, the
    // server hands keys to the window while Qt counts no window as active:
    // the window's own focus child then stands for the focus. Never while a
    // box or a popup is up: the key is theirs.
    if (focus == nullptr && QApplication::activeModalWidget() == nullptr &&
        QApplication::activePopupWidget() == nullptr)
        focus = window_->focusWidget();
    if (focus != nullptr ? widget != focus : widget != window_)
        return false;
    // A handler may run a message box, and the focus moves meanwhile: the
    // same event, travelling on to a parent of its first receiver, must not
    // be previewed a second time.
    return !(event == lastPreviewed_ && !lastTarget_.isNull() && lastTarget_ != widget &&
             widget->isAncestorOf(lastTarget_));
}

bool TKeyPreview::SeenBefore(const QKeyEvent& key) {
    // The same press delivered again once the window has no active focus
    // (seen after a box closes without a window manager) is not a new key.
    if (!key.spontaneous() || key.isAutoRepeat())
        return false;
    const TPressSeen press{key.timestamp(), key.nativeScanCode(), key.key()};
    if (press.Timestamp != 0 && press.Timestamp == lastPress_.Timestamp &&
        press.ScanCode == lastPress_.ScanCode && press.Key == lastPress_.Key)
        return true;
    lastPress_ = press;
    return false;
}
