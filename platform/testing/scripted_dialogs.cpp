// The scripted dialogs: queues of answers, a record of every request.
#include "platform/testing/scripted_dialogs.h"

#include "platform/ui/application.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <utility>

namespace {

QString ApplicationTitle() {
    if (Application != nullptr)
        return Application->Title();
    return QCoreApplication::applicationName();
}

// The next queued answer; an empty queue means the user cancelled.
template <class T> std::optional<T> TakeNext(std::deque<std::optional<T>>& queue) {
    if (queue.empty())
        return std::nullopt;
    const bool given = queue.front().has_value();
    T value = given ? *queue.front() : T();
    queue.pop_front();
    if (!given)
        return std::nullopt;
    return value;
}

} // namespace

TScriptedDialogs::TScriptedDialogs() : previous_(SetDialogs(this)) {}

TScriptedDialogs::~TScriptedDialogs() {
    if (InstalledDialogs() == this)
        SetDialogs(previous_);
    if (lenient_)
        return;
    if (!answers_.empty())
        ADD_FAILURE() << answers_.size() << " scripted message-box answer(s) never used";
    if (!passwords_.empty())
        ADD_FAILURE() << passwords_.size() << " scripted password(s) never asked for";
    if (!files_.empty())
        ADD_FAILURE() << files_.size() << " scripted file name(s) never asked for";
}

int TScriptedDialogs::MessageBox(const QString& text, const QString& caption, unsigned flags) {
    TShownBox box;
    box.Kind = TShownBox::bkMessageBox;
    box.Text = text;
    box.Caption = caption;
    box.Flags = flags;
    if (!answers_.empty()) {
        box.Answer = answers_.front();
        answers_.pop_front();
    } else {
        box.Answer = CautiousAnswer(flags);
        const bool offersChoice = (flags & MB_TYPEMASK) != MB_OK;
        if (offersChoice && !lenient_)
            ADD_FAILURE() << "Unscripted message box [" << caption.toStdString() << "] "
                          << text.toStdString();
    }
    boxes_.push_back(box);
    if (OnBox)
        OnBox(box);
    return box.Answer;
}

void TScriptedDialogs::ShowMessage(const QString& text) {
    TShownBox box;
    box.Kind = TShownBox::bkShowMessage;
    box.Text = text;
    box.Caption = ApplicationTitle();
    box.Flags = MB_OK;
    box.Answer = IDOK;
    boxes_.push_back(box);
    if (OnBox)
        OnBox(box);
}

std::optional<QString> TScriptedDialogs::PromptPassword(const QString& tableName) {
    passwordRequests_ << tableName;
    if (passwords_.empty() && !lenient_)
        ADD_FAILURE() << "Unscripted password prompt for " << tableName.toStdString();
    return TakeNext(passwords_);
}

std::optional<TFileDialogChoice> TScriptedDialogs::OpenFile(const TFileDialogOptions& options) {
    openRequests_.push_back(options);
    if (files_.empty() && !lenient_)
        ADD_FAILURE() << "Unscripted open dialog " << options.Title.toStdString();
    return AnswerFileDialog(options);
}

std::optional<TFileDialogChoice> TScriptedDialogs::SaveFile(const TFileDialogOptions& options) {
    saveRequests_.push_back(options);
    if (files_.empty() && !lenient_)
        ADD_FAILURE() << "Unscripted save dialog " << options.Title.toStdString();
    return AnswerFileDialog(options);
}

std::optional<TFileDialogChoice>
TScriptedDialogs::AnswerFileDialog(const TFileDialogOptions& options) {
    std::optional<TFileDialogChoice> choice = TakeNext(files_);
    if (choice && choice->FilterIndex == 0)
        choice->FilterIndex = options.FilterIndex;
    return choice;
}

void TScriptedDialogs::QueueAnswer(int answer) {
    answers_.push_back(answer);
}

void TScriptedDialogs::QueuePassword(std::optional<QString> password) {
    passwords_.push_back(std::move(password));
}

void TScriptedDialogs::QueueFileName(std::optional<QString> fileName) {
    if (!fileName) {
        files_.emplace_back(std::nullopt);
        return;
    }
    files_.emplace_back(TFileDialogChoice{*fileName, 0});
}

void TScriptedDialogs::QueueFile(const QString& fileName, int filterIndex) {
    files_.emplace_back(TFileDialogChoice{fileName, filterIndex});
}

TShownBox TScriptedDialogs::LastBox() const {
    if (boxes_.empty()) {
        ADD_FAILURE() << "No message box was shown";
        return {};
    }
    return boxes_.back();
}

QStringList TScriptedDialogs::Texts() const {
    QStringList texts;
    for (const TShownBox& box : boxes_)
        texts << box.Text;
    return texts;
}

void TScriptedDialogs::Clear() {
    answers_.clear();
    passwords_.clear();
    files_.clear();
    boxes_.clear();
    passwordRequests_.clear();
    openRequests_.clear();
    saveRequests_.clear();
}
