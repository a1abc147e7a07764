// The toggle states of Caps Lock, Num Lock and Scroll Lock.
//
// On an X display the states are the keyboard's indicators as the X server
// keeps them (XKB), so a change made in another program shows too. Where
// there is no X server (the offscreen platform of the tests, Wayland without
// X), the states follow the lock-key presses this application sees, through
// an application-wide event filter, starting from off (a press toggles when
// the key was up, so auto-repeat does not); tests set them with SetToggled.
#pragma once

#include "platform/keys.h"

#include <QObject>

class TQtKeyboardState : public QObject, public TKeyboardState {
    Q_OBJECT

public:
    TQtKeyboardState();
    ~TQtKeyboardState() override;

    // VK_CAPITAL, VK_NUMLOCK or VK_SCROLL; false for any other key.
    bool KeyToggled(int vk) override;

    // True when the states come from the X server's indicators.
    bool ReadsIndicators() const { return readsIndicators_; }

    // Sets a tracked state (the X server's own states are not changed).
    void SetToggled(int vk, bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool TrackedState(int vk) const;

    bool readsIndicators_ = false;
    bool capsLock_ = false;
    bool numLock_ = false;
    bool scrollLock_ = false;
    bool capsDown_ = false;
    bool numDown_ = false;
    bool scrollDown_ = false;
};
