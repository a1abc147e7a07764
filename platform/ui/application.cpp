// The application object. It owns the forms and the services it installed,
// and is the one place where the message loop starts and ends.
#include "platform/ui/application.h"

#include "platform/dialogs.h"
#include "platform/dispatch.h"
#include "platform/exceptions.h"
#include "platform/keys.h"
#include "platform/shell.h"
#include "platform/ui/cursors.h"
#include "platform/ui/keyboard_state.h"
#include "platform/ui/qt_application.h"
#include "platform/ui/qt_dialogs.h"
#include "platform/ui/qt_shell.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QMetaObject>
#include <QTranslator>
#include <QWidget>

#include <exception>

namespace {

// Arguments for a QApplication made without the program's own.
int fallbackArgc = 1;
char fallbackName[] = "questoes";
char* fallbackArgv[] = {fallbackName, nullptr};

} // namespace

TApplication::TApplication() {
    if (Application == nullptr)
        Application = this;
}

TApplication::~TApplication() {
    // Forms go first, while the services and the QApplication they use are
    // still there; the last created goes first, as an owner frees its
    // components.
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
        delete it->data();
    forms_.clear();

    if (cursorOverridden_)
        QGuiApplication::restoreOverrideCursor();
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
    translator_.reset();

    if (handlerInstalled_)
        SetExceptionHandler(nullptr);
    if (ownedDialogs_ && InstalledDialogs() == ownedDialogs_.get())
        SetDialogs(nullptr);
    if (ownedShell_ && InstalledShell() == ownedShell_.get())
        SetShell(nullptr);
    if (ownedKeyboardState_ && KeyboardState() == ownedKeyboardState_.get())
        SetKeyboardState(nullptr);
    ownedKeyboardState_.reset();

    if (Application == this)
        Application = nullptr;
    ownedQtApplication_.reset();
}

void TApplication::Initialize(int& argc, char** argv) {
    if (initialized_)
        return;
    if (QCoreApplication::instance() == nullptr) {
        ownedQtApplication_ = std::make_unique<TQtApplication>(argc, argv);
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        throw Exception(QStringLiteral("A aplicação precisa de uma interface gráfica"));
    }
    // Only Terminate ends the loop, as on the desktop: closing the last
    // window of some other kind (a dialog, the preview) must not.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    InstallTranslation();
    InstallServices();
    initialized_ = true;
}

void TApplication::Initialize() {
    Initialize(fallbackArgc, fallbackArgv);
}

void TApplication::InstallTranslation() {
    // Every text of the program is Brazilian Portuguese; the standard
    // dialogs (file names, input boxes, context menus of the editors) speak
    // it too when Qt's translation is installed. Without it they stay in
    // English, which costs nothing but looks.
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_pt_BR"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    if (QCoreApplication::installTranslator(translator.get()))
        translator_ = std::move(translator);
}

void TApplication::InstallServices() {
    // The core dispatch reports through this from now on: EAbort never
    // reaches it, every other failure arrives as its message.
    if (Application == this) {
        SetExceptionHandler([this](const QString& message) { HandleException(message); });
        handlerInstalled_ = true;
    }
    if (InstalledDialogs() == nullptr) {
        ownedDialogs_ = std::make_unique<TQtDialogs>();
        SetDialogs(ownedDialogs_.get());
    }
    if (InstalledShell() == nullptr) {
        ownedShell_ = std::make_unique<TQtShell>();
        SetShell(ownedShell_.get());
    }
    if (KeyboardState() == nullptr) {
        ownedKeyboardState_ = std::make_unique<TQtKeyboardState>();
        SetKeyboardState(ownedKeyboardState_.get());
    }
}

QString TApplication::Title() const {
    if (titleSet_)
        return title_;
    return QCoreApplication::applicationName();
}

void TApplication::SetTitle(const QString& title) {
    title_ = title;
    titleSet_ = true;
}

void TApplication::RegisterForm(QWidget* form) {
    if (form == nullptr)
        return;
    for (const QPointer<QWidget>& known : forms_)
        if (known == form)
            return;
    forms_.emplace_back(form);
    if (mainForm_.isNull() && forms_.size() == 1) {
        mainForm_ = form;
        form->installEventFilter(this);
    }
}

int TApplication::FormCount() const {
    return static_cast<int>(forms_.size());
}

QWidget* TApplication::Forms(int index) const {
    if (index < 0 || index >= FormCount())
        return nullptr;
    return forms_[static_cast<std::size_t>(index)].data();
}

QWidget* TApplication::MainForm() const {
    return mainForm_.data();
}

int TApplication::Run() {
    if (terminated_)
        return 0;
    if (QWidget* main = MainForm())
        Dispatch([main] { main->show(); });
    if (terminated_)
        return 0;
    running_ = true;
    const int code = QCoreApplication::exec();
    running_ = false;
    return code;
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents();
}

void TApplication::Terminate() {
    terminated_ = true;
    // exit (not quit): quit would first try to close every window, which a
    // form may refuse; the desktop's terminate ends the loops as they are.
    // Outside Run there is no loop of ours to end, and an exit then would
    // make every later local loop (a modal box) return at once.
    if (running_)
        QCoreApplication::exit(0);
}

bool TApplication::eventFilter(QObject* watched, QEvent* event) {
    // A close request to the main form: whether it was accepted is known
    // only after the form has handled it, so look once control is back in
    // the loop. An accepted close has hidden the form by then.
    if (watched == mainForm_.data() && event->type() == QEvent::Close)
        QMetaObject::invokeMethod(this, &TApplication::CheckMainFormClosed, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void TApplication::CheckMainFormClosed() {
    if (!mainForm_.isNull() && !mainForm_->isVisible() && !terminated_)
        Terminate();
}

void TApplication::SetCursor(int cursor) {
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    if (cursor == crDefault) {
        if (cursorOverridden_)
            QGuiApplication::restoreOverrideCursor();
        cursorOverridden_ = false;
        return;
    }
    const QCursor shape(CursorShapeFromCode(cursor));
    if (cursorOverridden_) {
        QGuiApplication::changeOverrideCursor(shape);
    } else {
        QGuiApplication::setOverrideCursor(shape);
        cursorOverridden_ = true;
    }
}

bool TApplication::Dispatch(const std::function<void()>& fn) {
    return ::Dispatch(fn);
}

QString TApplication::ExceptionMessageText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void TApplication::HandleException(const QString& message) {
    Dialogs().MessageBox(ExceptionMessageText(message), Title(), MB_OK | MB_ICONERROR);
}

void TApplication::HandleCurrentException() noexcept {
    const std::exception_ptr error = std::current_exception();
    if (!error)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (...) {
    }
    // The same words the dispatch guard would have used.
    ::HandleException(ExceptionMessage(error));
}
