// Which key presses a window looks at before its controls: each press once,
// where it first arrives among the window's widgets. The window installs
// itself as the application's event filter and asks Classify for every
// event it sees.
#pragma once

#include <QPointer>
#include <QtGlobal>

class QEvent;
class QKeyEvent;
class QObject;
class QWidget;

class TKeyPreview {
public:
    enum TArrival {
        Pass,    // not a press for this window's preview: let it go on
        Swallow, // the same press handed over again: drop it
        Preview, // a press the window looks at now
    };

    explicit TKeyPreview(QWidget* window);

    TArrival Classify(QObject* watched, QEvent* event);

private:
    // The last press from the window system that was previewed: the server
    // can hand the same press to the window twice.
    struct TPressSeen {
        quint64 Timestamp = 0;
        quint32 ScanCode = 0;
        int Key = 0;
    };

    bool FirstArrival(QWidget* widget, QEvent* event) const;
    bool SeenBefore(const QKeyEvent& key);

    QWidget* window_;
    // The key event last previewed and where it first arrived.
    const QEvent* lastPreviewed_ = nullptr;
    QPointer<QWidget> lastTarget_;
    TPressSeen lastPress_;
};
