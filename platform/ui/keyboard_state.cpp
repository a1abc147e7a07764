// Lock-key states: the X server's indicators where there is one, otherwise
// the presses this application has seen.
#include "platform/ui/keyboard_state.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>

#include <optional>

#ifdef QUESTOES_HAVE_X11
#include "platform/ui/x11_indicators.h"
#endif

namespace {

#ifdef QUESTOES_HAVE_X11
void* XDisplay() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr)
        return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? static_cast<void*>(x11->display()) : nullptr;
}
#endif

} // namespace

TQtKeyboardState::TQtKeyboardState() {
#ifdef QUESTOES_HAVE_X11
    readsIndicators_ =
        QGuiApplication::platformName() == QLatin1String("xcb") && XDisplay() != nullptr;
#endif
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->installEventFilter(this);
}

TQtKeyboardState::~TQtKeyboardState() = default;

bool TQtKeyboardState::KeyToggled(int vk) {
    if (vk != VK_CAPITAL && vk != VK_NUMLOCK && vk != VK_SCROLL)
        return false;
#ifdef QUESTOES_HAVE_X11
    if (readsIndicators_) {
        if (void* display = XDisplay()) {
            const char* name = vk == VK_CAPITAL   ? "Caps Lock"
                               : vk == VK_NUMLOCK ? "Num Lock"
                                                  : "Scroll Lock";
            if (const std::optional<bool> on = X11IndicatorState(display, name))
                return *on;
        }
    }
#endif
    return TrackedState(vk);
}

void TQtKeyboardState::SetToggled(int vk, bool on) {
    switch (vk) {
    case VK_CAPITAL:
        capsLock_ = on;
        break;
    case VK_NUMLOCK:
        numLock_ = on;
        break;
    case VK_SCROLL:
        scrollLock_ = on;
        break;
    default:
        break;
    }
}

bool TQtKeyboardState::TrackedState(int vk) const {
    switch (vk) {
    case VK_CAPITAL:
        return capsLock_;
    case VK_NUMLOCK:
        return numLock_;
    case VK_SCROLL:
        return scrollLock_;
    default:
        return false;
    }
}

bool TQtKeyboardState::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        break;
    case QEvent::ApplicationDeactivate:
        // A release may happen while another program has the keyboard.
        capsDown_ = numDown_ = scrollDown_ = false;
        return QObject::eventFilter(watched, event);
    default:
        return QObject::eventFilter(watched, event);
    }
    // One key event passes this filter several times (its window, the
    // focus widget, the parents it propagates to), and a held key repeats:
    // a lock key toggles only when it goes down after being up.
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->isAutoRepeat())
        return QObject::eventFilter(watched, event);
    const bool press = event->type() == QEvent::KeyPress;
    auto track = [press](bool& down, bool& toggled) {
        if (press && !down)
            toggled = !toggled;
        down = press;
    };
    switch (key->key()) {
    case Qt::Key_CapsLock:
        track(capsDown_, capsLock_);
        break;
    case Qt::Key_NumLock:
        track(numDown_, numLock_);
        break;
    case Qt::Key_ScrollLock:
        track(scrollDown_, scrollLock_);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
