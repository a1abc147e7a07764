#include "store/controls/editor_keys.h"

#include "platform/dispatch.h"
#include "store/data_source.h"
#include "store/field_data_link.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>

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

bool CouldEdit(const TFieldDataLink& link) {
    if (link.Editing())
        return true;
    const TDataSource* source = link.DataSource();
    return link.CanModify() && source && source->AutoEdit() && source->State() == dsBrowse;
}

void RouteEditRequests(QMenu* menu, const TFieldDataLink& link, const TEditRequestState& state,
                       const std::function<void(const QString& actionName)>& run) {
    if (!menu)
        return;
    const bool couldEdit = CouldEdit(link);
    const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
    const bool clipHasText = clip && clip->hasText() && !clip->text().isEmpty();
    for (QAction* action : menu->actions()) {
        const QString name = action->objectName();
        bool enable = false;
        if (name == QLatin1String("edit-undo"))
            enable = state.CanUndo;
        else if (name == QLatin1String("edit-redo"))
            enable = state.CanRedo;
        else if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-delete"))
            enable = state.HasSelection;
        else if (name == QLatin1String("edit-paste"))
            enable = clipHasText;
        else
            continue;
        // The widget's own connection would act on a read-only text, or
        // refuse to; the request goes through the editor instead.
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        action->setEnabled(couldEdit && enable);
        QObject::connect(action, &QAction::triggered, menu,
                         [run, name] { Dispatch([&] { run(name); }); });
    }
}

} // namespace editor_keys
