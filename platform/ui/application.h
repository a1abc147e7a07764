// The application object: title, the forms in the order they were created
// (the first is the main form), the message loop, the application-wide
// cursor and the default exception handler.
//
// Every entry from Qt into the program's code (a slot, an event override, a
// timer, a posted message) goes through Dispatch, so no exception ever
// unwinds into Qt's event loop: a silent abort (EAbort) ends the handler
// without a word, any other failure is shown by HandleException in a box
// captioned with the title, and the loop goes on.
//
// Typical program entry:
//     TApplication app;
//     Application->Initialize(argc, argv);
//     Application->SetTitle("...");
//     Application->CreateForm(Form1);
//     return Application->Run();
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QApplication;
class QEvent;
class QTranslator;
class QWidget;
class TDialogs;
class TShell;
class TKeyboardState;

class TApplication : public QObject {
    Q_OBJECT

public:
    // The first application object made becomes the global Application.
    TApplication();
    // Destroys the forms (last created first), puts back the services it
    // installed, and deletes the QApplication if Initialize created it.
    ~TApplication() override;

    // Creates the QApplication unless one exists (the test main makes its
    // own), installs the exception handler into the core dispatch, Qt's
    // Brazilian Portuguese translation of its standard dialogs (when
    // installed), and the real dialogs, shell and keyboard-state services
    // wherever none is installed yet. argc and argv must outlive the
    // application.
    void Initialize(int& argc, char** argv);
    void Initialize();
    bool Initialized() const { return initialized_; }

    // Caption of every plain message box; the program's name until set.
    QString Title() const;
    void SetTitle(const QString& title);

    // Forms: top-level widgets the application owns until it is destroyed.
    // The first one registered is the main form; Run shows it, and its
    // closing terminates the application.
    void RegisterForm(QWidget* form);
    template <class T, class... Args> T* CreateForm(Args&&... args) {
        T* form = new T(std::forward<Args>(args)...);
        RegisterForm(form);
        return form;
    }
    // The desktop spelling: Application->CreateForm(Form1) sets Form1.
    template <class T, class... Args> void CreateForm(T*& reference, Args&&... args) {
        reference = CreateForm<T>(std::forward<Args>(args)...);
    }
    int FormCount() const;
    // The i-th form still alive, in creation order (nullptr when destroyed).
    QWidget* Forms(int index) const;
    QWidget* MainForm() const;

    // Shows the main form and runs the message loop until Terminate. Returns
    // at once when the application is already terminated.
    int Run();
    // Handles the events that are waiting, then returns.
    void ProcessMessages();
    // Ends Run (and every nested loop) as soon as control returns to it.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The application-wide cursor (crDefault, crHourGlass, ...): any code
    // other than crDefault overrides every widget's cursor until crDefault
    // is set again. Setting the current value does nothing, so the Qt
    // override stack never grows by more than one entry.
    int Cursor() const { return cursor_; }
    void SetCursor(int cursor);

    // Runs fn under the core dispatch guard (platform/dispatch.h): EAbort is
    // swallowed, every other failure reaches HandleException. Never throws;
    // true when fn ran to its end.
    bool Dispatch(const std::function<void()>& fn);

    // The default handler: a box captioned with the title, OK button, error
    // icon, text from ExceptionMessageText.
    void HandleException(const QString& message);
    // Call inside a catch block: reports the exception being handled as the
    // dispatch guard would (EAbort silently dropped).
    void HandleCurrentException() noexcept;

    // The message as the default handler shows it: a full stop is appended
    // when the last character sorts after '.', so "Erro" becomes "Erro."
    // while "Erro." and "Erro!" stay as they are.
    static QString ExceptionMessageText(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InstallTranslation();
    void InstallServices();
    void CheckMainFormClosed();

    std::unique_ptr<QApplication> ownedQtApplication_;
    std::vector<QPointer<QWidget>> forms_;
    QPointer<QWidget> mainForm_;
    QString title_;
    bool titleSet_ = false;
    bool initialized_ = false;
    bool terminated_ = false;
    bool running_ = false;
    int cursor_ = 0;
    bool cursorOverridden_ = false;
    std::unique_ptr<TDialogs> ownedDialogs_;
    std::unique_ptr<TShell> ownedShell_;
    std::unique_ptr<TKeyboardState> ownedKeyboardState_;
    bool handlerInstalled_ = false;
    std::unique_ptr<QTranslator> translator_;
};

// The application object of the process (nullptr before one is made).
inline TApplication* Application = nullptr;
