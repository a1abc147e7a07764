// What the bound editors ask of a key event before they let it through:
// whether it would change the text (and so must first start an edit), and
// whether a context-menu action is one of the requests that change it.
#pragma once

#include <QString>
#include <functional>

class QKeyEvent;
class QMenu;
class TFieldDataLink;

namespace editor_keys {

// A character from the space on (Delete, code 127, excepted): typing it
// changes the text.
bool IsTextCharacter(const QKeyEvent& event);
// Paste (Ctrl+V, Shift+Insert) and cut (Ctrl+X, Shift+Delete) by key.
bool IsPaste(const QKeyEvent& event);
bool IsCut(const QKeyEvent& event);
bool IsUndo(const QKeyEvent& event);
bool IsBackspaceOrDelete(const QKeyEvent& event);

// Whether a request to change the text could be granted: the link is
// editing, or its data source would start an edit on the first change.
bool CouldEdit(const TFieldDataLink& link);

// Re-routes the text-changing actions of a standard context menu (undo,
// redo, cut, paste, delete) through `run`, called with the action's name
// inside the dispatch guard; the editor starts an edit there before doing
// what the action asks. A read-only editor whose link could start an edit
// gets them enabled, as far as there is something to act on.
struct TEditRequestState {
    bool HasSelection = false;
    bool CanUndo = false;
    bool CanRedo = false;
};
void RouteEditRequests(QMenu* menu, const TFieldDataLink& link, const TEditRequestState& state,
                       const std::function<void(const QString& actionName)>& run);

} // namespace editor_keys
