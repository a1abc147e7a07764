// Helpers of the status bar tests: a scripted keyboard, a fixed clock, the
// main window's four-panel bar and pixel probes of a bar's screen.
#pragma once

#include "platform/clock.h"
#include "platform/graphics/color.h"
#include "platform/keys.h"
#include "platform/testing/scoped_test_clock.h"
#include "statusbar/ex_status_bar.h"
#include "statusbar/ex_status_bar_p.h"

#include <QImage>

#include <map>
#include <memory>
#include <vector>

// Lock-key states the tests decide.
class TScriptedKeyboard : public TKeyboardState {
public:
    TScriptedKeyboard() { previous_ = SetKeyboardState(this); }
    ~TScriptedKeyboard() override { SetKeyboardState(previous_); }
    bool KeyToggled(int vk) override { return toggled[vk]; }
    std::map<int, bool> toggled;

private:
    TKeyboardState* previous_ = nullptr;
};

// The test clock at a local date and time, for the life of the object.
class TFixedClock : public TScopedTestClock {
public:
    TFixedClock(int year, int month, int day, int hour, int min, int sec)
        : TScopedTestClock(year, month, day, hour, min, sec) {}
    void Set(int year, int month, int day, int hour, int min, int sec) {
        TScopedTestClock::Set(
            ComposeDateTime(EncodeDate(year, month, day), EncodeTime(hour, min, sec)));
    }
};

// The bar with the counters and registrations its tests read.
class TTestExStatusBar : public TExStatusBar {
public:
    using TExStatusBar::TExStatusBar;

    int PaintCount(int index) const { return Private().PaintCount(index); }
    int RefitCount(int index) const { return Private().RefitCount(index); }
    void ResetCounters() { TExStatusBarPrivate::Of(*this).ResetCounters(); }
    void RemoveFromActivationWatch(TExStatusPanel* panel) {
        TExStatusBarPrivate::Of(*this).RemoveFromActivationWatch(panel);
    }
    const std::vector<TExStatusPanel*>& ActivationWatch() const {
        return Private().ActivationWatch();
    }
    bool HookedIntoMainWindow() const { return Private().HookedIntoMainWindow(); }
    int LibraryUsers() const { return Private().LibraryUsers(); }
    unsigned LibraryMessage() const { return Private().LibraryMessage(); }

private:
    const TExStatusBarPrivate& Private() const { return TExStatusBarPrivate::Of(*this); }
};

// A 508 x 19 bar, as wide as the main window's.
inline std::unique_ptr<TTestExStatusBar> MakeBar(int width = 508) {
    auto bar = std::make_unique<TTestExStatusBar>();
    bar->resize(width, TStatusBar::DefaultHeight);
    return bar;
}

// The main window's bar: time 60, date 80, normal 320 (hint "...", gauge
// speed 10), normal 50, all centred.
inline std::unique_ptr<TTestExStatusBar> MakeMainWindowBar() {
    auto bar = MakeBar();
    bar->BeginLoad();
    const TExStatusPanelType types[] = {sptTime, sptDate, sptNormal, sptNormal};
    const int widths[] = {60, 80, 320, 50};
    for (int i = 0; i < 4; ++i) {
        TExStatusPanel* p = bar->Panels().Add();
        p->SetAlignment(taCenter);
        p->SetPanelType(types[i]);
        p->SetWidth(widths[i]);
    }
    bar->Panels()[2]->SetHint(QStringLiteral("..."));
    bar->Panels()[2]->GaugeAttrs()->SetSpeed(10);
    bar->EndLoad();
    return bar;
}

inline TColor PixelAt(const QImage& image, int x, int y) {
    const QRgb c = image.pixel(x, y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

// The inside of a panel (inside its bevel) in a snapshot of the bar.
inline QImage PanelInside(TExStatusBar& bar, int index) {
    const TRect r = bar.PanelRect(index);
    return bar.Snapshot().copy(r.Left + 1, r.Top + 1, r.Width() - 2, r.Height() - 2);
}

// Counts the pixels of one colour.
inline int CountColor(const QImage& image, TColor color) {
    const TColor rgb = ColorToRGB(color);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) == rgb)
                ++n;
    return n;
}

inline bool OnlyColor(const QImage& image, TColor color) {
    return CountColor(image, color) == image.width() * image.height();
}

// The columns in which a colour appears.
inline int FirstColumnWith(const QImage& image, TColor color) {
    const TColor rgb = ColorToRGB(color);
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (PixelAt(image, x, y) == rgb)
                return x;
    return -1;
}
inline int LastColumnWith(const QImage& image, TColor color) {
    const TColor rgb = ColorToRGB(color);
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = 0; y < image.height(); ++y)
            if (PixelAt(image, x, y) == rgb)
                return x;
    return -1;
}
