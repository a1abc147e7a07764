// A dialogs service for tests: every box, prompt and file dialog is recorded
// and answered from queues the test fills beforehand, so a test can check
// what the user would have seen and steer the code through each answer.
//
// Made, it installs itself as the current service; destroyed, it puts back
// the one it replaced. A box that offers a choice (more than one button), a
// password prompt or a file dialog with no answer queued fails the running
// test and gets the most cautious answer (No, Cancel, no password, no file);
// so do answers still queued when it is destroyed (the dialog the test
// expected never came). Lenient mode turns these checks off.
#pragma once

#include "platform/dialogs.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

struct TShownBox {
    enum TBoxKind { bkMessageBox, bkShowMessage };
    TBoxKind Kind = bkMessageBox;
    QString Text;
    QString Caption;
    unsigned Flags = MB_OK;
    int Answer = IDOK;
};

class TScriptedDialogs : public TDialogs {
public:
    TScriptedDialogs();
    ~TScriptedDialogs() override;
    TScriptedDialogs(const TScriptedDialogs&) = delete;
    TScriptedDialogs& operator=(const TScriptedDialogs&) = delete;

    int MessageBox(const QString& text, const QString& caption, unsigned flags) override;
    void ShowMessage(const QString& text) override;
    std::optional<QString> PromptPassword(const QString& tableName) override;
    std::optional<TFileDialogChoice> OpenFile(const TFileDialogOptions& options) override;
    std::optional<TFileDialogChoice> SaveFile(const TFileDialogOptions& options) override;

    // The answer of the next message box (IDYES, IDNO, ...).
    void QueueAnswer(int answer);
    // The next password prompt's answer; nullopt means the user cancelled.
    void QueuePassword(std::optional<QString> password);
    // The next open or save dialog's answer; nullopt means cancelled. The
    // filter chosen is the one the dialog was opened with.
    void QueueFileName(std::optional<QString> fileName);
    // The next answer with the filter pair (from 1) the user picked.
    void QueueFile(const QString& fileName, int filterIndex);

    // Called while a box is "open" (after it is recorded, before it is
    // answered): lets a test look at the program's state at that moment.
    std::function<void(const TShownBox&)> OnBox;

    // Everything shown, in order: message boxes and plain messages alike.
    const std::vector<TShownBox>& Boxes() const { return boxes_; }
    int BoxCount() const { return static_cast<int>(boxes_.size()); }
    // The last box shown; a test fails when there was none.
    TShownBox LastBox() const;
    // The texts of the boxes shown, in order.
    QStringList Texts() const;

    const QStringList& PasswordRequests() const { return passwordRequests_; }
    const std::vector<TFileDialogOptions>& OpenRequests() const { return openRequests_; }
    const std::vector<TFileDialogOptions>& SaveRequests() const { return saveRequests_; }

    // Forgets what was shown and drops every queued answer.
    void Clear();

    bool Lenient() const { return lenient_; }
    void SetLenient(bool lenient) { lenient_ = lenient; }

private:
    TDialogs* previous_ = nullptr;
    bool lenient_ = false;
    std::deque<int> answers_;
    std::deque<std::optional<QString>> passwords_;
    // A filter index of 0 keeps the dialog's own.
    std::deque<std::optional<TFileDialogChoice>> files_;
    std::vector<TShownBox> boxes_;
    QStringList passwordRequests_;
    std::vector<TFileDialogOptions> openRequests_;
    std::vector<TFileDialogOptions> saveRequests_;

    std::optional<TFileDialogChoice> AnswerFileDialog(const TFileDialogOptions& options);
};
