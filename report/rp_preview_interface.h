// How a report printer object shows its pages: it makes an instance of the
// registered preview interface class and asks it to show a window for the
// printer object. The base class shows nothing and returns no window, so
// that a report can be previewed into its page store where no window can
// exist (tools, tests); the preview window's library registers its own class
// at program start.
#pragma once

#include <functional>
#include <memory>

class QObject;
class TRpPrinter;

class TRpPreviewInterface {
public:
    virtual ~TRpPreviewInterface();
    // Shows the pages of `printer` without blocking; returns the window.
    virtual QObject* Show(TRpPrinter* printer);
    // Shows them and returns when the window has closed.
    virtual QObject* ShowModal(TRpPrinter* printer);
};

using TRpPreviewInterfaceClass = std::function<std::unique_ptr<TRpPreviewInterface>()>;

// Registers the class to make (an empty function registers the base class
// again); returns the previous registration.
TRpPreviewInterfaceClass RegisterRpPreviewInterface(TRpPreviewInterfaceClass makeInterface);
std::unique_ptr<TRpPreviewInterface> CreateRpPreviewInterface();
