#include "store/controls/editor_keys.h"

#include "platform/dispatch.h"
#include "store/data_source.h"
#include "store/field_data_link.h"

#include <QAction>
#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QWidget>

namespace editor_keys {

bool IsTextCharacter(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    // Ctrl and Alt combinations come with control characters or are commands,
    // never text of their own.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const char16_t first = text.at(0).unicode();
    return first >= 32 && first != 127;
}

bool IsPaste(const QKeyEvent& event) {
    return event.matches(QKeySequence::Paste) ||
           (event.key() == Qt::Key_Insert && (event.modifiers() & Qt::ShiftModifier));
}

bool IsCut(const QKeyEvent& event) {
    return event.matches(QKeySequence::Cut);
}

bool IsUndo(const QKeyEvent& event) {
    return event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo);
}

bool IsBackspaceOrDelete(const QKeyEvent& event) {
    return event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete;
}

bool ChangesText(const QKeyEvent& event) {
    return IsBackspaceOrDelete(event) || IsPaste(event) || IsCut(event) || IsUndo(event) ||
           IsTextCharacter(event);
}

bool CanTakeFocus(const QWidget& editor) {
    return editor.isVisible() && editor.isEnabled() && editor.window()->isEnabled();
}

bool IsLeaving(const QFocusEvent& event) {
    return event.reason() != Qt::PopupFocusReason && event.reason() != Qt::ActiveWindowFocusReason;
}

bool CouldEdit(const TFieldDataLink& link) {
    if (link.Editing())
        return true;
    const TDataSource* source = link.DataSource();
    return link.CanModify() && source && source->AutoEdit() && source->State() == dsBrowse;
}

bool ChangesText(const QString& actionName) {
    return actionName == QLatin1String("edit-undo") || actionName == QLatin1String("edit-cut") ||
           actionName == QLatin1String("edit-paste") || actionName == QLatin1String("edit-delete");
}

std::unique_ptr<QMenu> MakeEditMenu(QWidget* parent, const TFieldDataLink& link,
                                    const TEditRequestState& state,
                                    const std::function<void(const QString& actionName)>& run) {
    auto menu = std::make_unique<QMenu>(parent);
    const bool couldEdit = CouldEdit(link);
    const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
    const bool clipHasText = clip && clip->hasText() && !clip->text().isEmpty();
    const auto add = [&](const QString& text, const char* name, bool enabled) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        const QString actionName = action->objectName();
        QObject::connect(action, &QAction::triggered, menu.get(),
                         [run, actionName] { Dispatch([&] { run(actionName); }); });
    };
    add(QStringLiteral("&Desfazer"), "edit-undo", couldEdit && state.CanUndo);
    menu->addSeparator();
    add(QStringLiteral("Recor&tar"), "edit-cut", couldEdit && state.HasSelection);
    add(QStringLiteral("&Copiar"), "edit-copy", state.HasSelection);
    add(QStringLiteral("C&olar"), "edit-paste", couldEdit && clipHasText);
    add(QStringLiteral("&Excluir"), "edit-delete", couldEdit && state.HasSelection);
    menu->addSeparator();
    add(QStringLiteral("Selecionar &tudo"), "select-all", state.HasText);
    return menu;
}

} // namespace editor_keys
