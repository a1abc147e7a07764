// The dialogs service: message boxes, the table-password prompt and the
// open/save file-name dialogs, as an interface that every layer may call.
//
// The record store and the report engine must be able to ask the user
// something without knowing about widgets. They call Dialogs(); the user
// interface library installs the real implementation (on QMessageBox and
// friends) and the tests install a scripted one that answers from a queue.
// When nothing is installed, a non-interactive fallback answers every box
// with its most cautious button and logs what it would have shown, so a
// lower-layer tool without a display never blocks and never fails silently.
#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Buttons (low nibble of the flags) and icons (second nibble), with the
// values the desktop uses, so that code and stored answers keep their
// meaning: a confirmation is MB_YESNO | MB_ICONQUESTION = 36.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_OKCANCEL = 0x01;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x02;
inline constexpr unsigned MB_YESNOCANCEL = 0x03;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_RETRYCANCEL = 0x05;
inline constexpr unsigned MB_TYPEMASK = 0x0F;

inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONERROR = MB_ICONHAND;
inline constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr unsigned MB_ICONASTERISK = 0x40;
inline constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr unsigned MB_ICONMASK = 0xF0;

inline constexpr unsigned MB_DEFBUTTON1 = 0x000;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_DEFMASK = 0xF00;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The answer a box gives when nobody can be asked: the button that lets the
// least happen (Cancel, No, Abort), or OK when that is the only one.
inline constexpr int CautiousAnswer(unsigned flags) {
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
        return IDCANCEL;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

// What an open or save dialog is asked. Filter uses the desktop notation,
// pairs of description and patterns separated by '|':
// "Relatórios (*.RPP)|*.RPP|Todos (*.*)|*.*". DefaultExt has no dot.
// FilterIndex counts the filter's pairs from 1: the one chosen at first.
struct TFileDialogOptions {
    QString Title;
    QString Filter;
    QString DefaultExt;
    QString InitialDir;
    QString FileName;
    int FilterIndex = 1;
};

// What the user confirmed: the file name and the filter pair (from 1) that
// was chosen when confirming.
struct TFileDialogChoice {
    QString FileName;
    int FilterIndex = 1;
};

class TDialogs {
public:
    virtual ~TDialogs() = default;

    // A box with the given caption; flags combine one MB_ button set, one
    // icon and a default button. Returns the ID of the button pressed.
    virtual int MessageBox(const QString& text, const QString& caption, unsigned flags) = 0;

    // A plain notice with an OK button, captioned with the application title.
    virtual void ShowMessage(const QString& text) = 0;

    // The database session asks for the password of a protected table.
    // nullopt when the user cancels.
    virtual std::optional<QString> PromptPassword(const QString& tableName) = 0;

    // The chosen file and filter, nullopt when the user cancels.
    virtual std::optional<TFileDialogChoice> OpenFile(const TFileDialogOptions& options) = 0;
    virtual std::optional<TFileDialogChoice> SaveFile(const TFileDialogOptions& options) = 0;

    // The chosen file name alone, for callers with a single filter.
    std::optional<QString> OpenFileName(const TFileDialogOptions& options) {
        return FileNameOf(OpenFile(options));
    }
    std::optional<QString> SaveFileName(const TFileDialogOptions& options) {
        return FileNameOf(SaveFile(options));
    }

private:
    static std::optional<QString> FileNameOf(const std::optional<TFileDialogChoice>& choice) {
        if (!choice)
            return std::nullopt;
        return choice->FileName;
    }
};

// Used when no dialogs service is installed (a tool or a test without the
// user interface): answers cautiously and logs, never blocks.
class TNonInteractiveDialogs final : public TDialogs {
public:
    int MessageBox(const QString& text, const QString& caption, unsigned flags) override {
        qWarning("Message box without a user interface: [%s] %s", qUtf8Printable(caption),
                 qUtf8Printable(text));
        return CautiousAnswer(flags);
    }
    void ShowMessage(const QString& text) override {
        qWarning("Message without a user interface: %s", qUtf8Printable(text));
    }
    std::optional<QString> PromptPassword(const QString& tableName) override {
        qWarning("Password prompt without a user interface for table %s",
                 qUtf8Printable(tableName));
        return std::nullopt;
    }
    std::optional<TFileDialogChoice> OpenFile(const TFileDialogOptions&) override {
        return std::nullopt;
    }
    std::optional<TFileDialogChoice> SaveFile(const TFileDialogOptions&) override {
        return std::nullopt;
    }
};

namespace platform_services {
inline TDialogs* CurrentDialogs = nullptr;
inline TNonInteractiveDialogs FallbackDialogs;
} // namespace platform_services

// The installed service, or the non-interactive fallback.
inline TDialogs& Dialogs() {
    if (platform_services::CurrentDialogs != nullptr)
        return *platform_services::CurrentDialogs;
    return platform_services::FallbackDialogs;
}

// Installs a service (nullptr uninstalls); returns the one it replaces so a
// scope can put it back. The caller keeps ownership.
inline TDialogs* SetDialogs(TDialogs* dialogs) {
    TDialogs* previous = platform_services::CurrentDialogs;
    platform_services::CurrentDialogs = dialogs;
    return previous;
}

// The installed service itself, nullptr when none is.
inline TDialogs* InstalledDialogs() {
    return platform_services::CurrentDialogs;
}
