// How the print operation gets its progress window without knowing about
// widgets: the window library registers a maker at program start; the print
// operation asks it for a window that reports on a printer object and makes
// that window the object's client window. Without a registration there is
// no window, and printing goes on without one (tools, tests).
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class TRpPrinter;

// Makes a progress window for `printer`, shown when `show` is set.
using TRpProgressWindowClass =
    std::function<std::unique_ptr<QObject>(TRpPrinter* printer, bool show)>;

// Registers the maker (an empty function: none); returns the previous one.
TRpProgressWindowClass RegisterRpProgressWindow(TRpProgressWindowClass makeWindow);
// A new window, or null when no maker is registered.
std::unique_ptr<QObject> CreateRpProgressWindow(TRpPrinter* printer, bool show);
