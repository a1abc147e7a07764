// The dialogs service on Qt's standard dialogs. Buttons carry the wording of
// the Portuguese desktop; answers are the desktop's IDs.
#include "platform/ui/qt_dialogs.h"

#include "platform/ui/application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include <utility>
#include <vector>

namespace {

QWidget* DialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (Application != nullptr && Application->MainForm() != nullptr &&
        Application->MainForm()->isVisible())
        return Application->MainForm();
    return nullptr;
}

// Gives the keyboard back to the window a box was shown over once the box
// has closed. A window manager does that by itself; without one the
// server's focus falls back to the root and the window would take no key
// until it is clicked. Another box or popup still up keeps the keyboard.
void ReturnFocusTo(QWidget* parent) {
    if (parent == nullptr)
        return;
    QWidget* window = parent->window();
    QWidget* modal = QApplication::activeModalWidget();
    if (!window->isVisible() || (modal != nullptr && modal != window) ||
        QApplication::activePopupWidget() != nullptr)
        return;
    window->activateWindow();
}

QString ApplicationTitle() {
    if (Application != nullptr)
        return Application->Title();
    return QCoreApplication::applicationName();
}

struct TButton {
    QMessageBox::StandardButton Qt;
    int Id;
    const char* Caption; // the wording of the desktop in Portuguese
};

std::vector<TButton> ButtonsOf(unsigned flags) {
    const TButton ok{QMessageBox::Ok, IDOK, "OK"};
    const TButton cancel{QMessageBox::Cancel, IDCANCEL, "Cancelar"};
    const TButton yes{QMessageBox::Yes, IDYES, "Sim"};
    const TButton no{QMessageBox::No, IDNO, "Não"};
    const TButton abort{QMessageBox::Abort, IDABORT, "Anular"};
    const TButton retry{QMessageBox::Retry, IDRETRY, "Repetir"};
    const TButton ignore{QMessageBox::Ignore, IDIGNORE, "Ignorar"};
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {ok, cancel};
    case MB_ABORTRETRYIGNORE:
        return {abort, retry, ignore};
    case MB_YESNOCANCEL:
        return {yes, no, cancel};
    case MB_YESNO:
        return {yes, no};
    case MB_RETRYCANCEL:
        return {retry, cancel};
    default:
        return {ok};
    }
}

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

std::optional<TFileDialogChoice> RunFileDialog(const TFileDialogOptions& options,
                                               QFileDialog::AcceptMode mode) {
    QFileDialog dialog(DialogParent(), options.Title, options.InitialDir);
    dialog.setAcceptMode(mode);
    // The caller reports a missing file in its own words, so the open
    // dialog accepts any name, as the desktop's does by default.
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = TQtDialogs::NameFiltersFromDesktop(options.Filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    // A name typed without extension gets the chosen filter's extension, or
    // the default one when that filter names none, as on the desktop.
    const auto followFilter = [&dialog, &options](const QString& nameFilter) {
        if (options.DefaultExt.isEmpty())
            return;
        const QString extension = TQtDialogs::ExtensionOfNameFilter(nameFilter);
        dialog.setDefaultSuffix(extension.isEmpty() ? options.DefaultExt : extension);
    };
    if (!options.DefaultExt.isEmpty())
        dialog.setDefaultSuffix(options.DefaultExt);
    if (options.FilterIndex >= 1 && options.FilterIndex <= filters.size()) {
        dialog.selectNameFilter(filters[options.FilterIndex - 1]);
        followFilter(filters[options.FilterIndex - 1]);
    }
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    if (!options.FileName.isEmpty())
        dialog.selectFile(options.FileName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    const qsizetype filter = filters.indexOf(dialog.selectedNameFilter());
    return TFileDialogChoice{chosen.first(), filter >= 0 ? static_cast<int>(filter) + 1 : 1};
}

} // namespace

int TQtDialogs::MessageBox(const QString& text, const QString& caption, unsigned flags) {
    QMessageBox box(IconOf(flags), caption, text, QMessageBox::NoButton, DialogParent());
    const std::vector<TButton> buttons = ButtonsOf(flags);
    std::vector<std::pair<QAbstractButton*, int>> ids;
    for (const TButton& button : buttons) {
        QPushButton* added = box.addButton(button.Qt);
        added->setText(QString::fromUtf8(button.Caption));
        ids.emplace_back(added, button.Id);
    }
    const std::size_t defaultIndex = (flags & MB_DEFMASK) >> 8;
    if (defaultIndex < buttons.size())
        box.setDefaultButton(static_cast<QPushButton*>(ids[defaultIndex].first));
    box.exec();
    ReturnFocusTo(box.parentWidget());
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, id] : ids)
        if (button == clicked)
            return id;
    return CautiousAnswer(flags);
}

void TQtDialogs::ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok, DialogParent());
    box.exec();
    ReturnFocusTo(box.parentWidget());
}

std::optional<QString> TQtDialogs::PromptPassword(const QString& tableName) {
    QInputDialog dialog(DialogParent());
    dialog.setWindowTitle(QStringLiteral("Senha"));
    dialog.setLabelText(QStringLiteral("Digite a senha da tabela %1:").arg(tableName));
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<TFileDialogChoice> TQtDialogs::OpenFile(const TFileDialogOptions& options) {
    return RunFileDialog(options, QFileDialog::AcceptOpen);
}

std::optional<TFileDialogChoice> TQtDialogs::SaveFile(const TFileDialogOptions& options) {
    return RunFileDialog(options, QFileDialog::AcceptSave);
}

QString TQtDialogs::ExtensionOfNameFilter(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = nameFilter.lastIndexOf(QLatin1Char(')'));
    const QString patterns =
        open >= 0 && close > open ? nameFilter.mid(open + 1, close - open - 1) : nameFilter;
    const QString first = patterns.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    if (!first.startsWith(QLatin1String("*.")))
        return QString();
    const QString extension = first.mid(2);
    if (extension.isEmpty() || extension.contains(QLatin1Char('*')) ||
        extension.contains(QLatin1Char('?')))
        return QString();
    return extension;
}

QStringList TQtDialogs::NameFiltersFromDesktop(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The description usually repeats its patterns in parentheses; Qt
        // reads the last parenthesised group as the patterns, so drop it and
        // give the patterns once.
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0)
                description = description.left(open).trimmed();
        }
        QStringList patterns;
        for (const QString& raw : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = raw.trimmed();
            if (pattern.isEmpty())
                continue;
            for (const QString& variant : {pattern, pattern.toUpper(), pattern.toLower()})
                if (!patterns.contains(variant))
                    patterns << variant;
        }
        if (patterns.isEmpty())
            continue;
        result << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return result;
}
