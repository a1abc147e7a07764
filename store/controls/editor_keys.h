// What the bound editors ask of a key event before they let it through:
// whether it would change the text (and so must first start an edit), and
// whether a context-menu action is one of the requests that change it.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QFocusEvent;
class QKeyEvent;
class QMenu;
class QWidget;
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
// The keys that change the text of every text editor: Backspace, Delete,
// paste, cut, undo and text characters.
bool ChangesText(const QKeyEvent& event);

// Whether the editor can take the focus asked for by its link: shown and
// enabled in an enabled window.
bool CanTakeFocus(const QWidget& editor);
// Whether losing the focus means leaving the editor: a context menu, the
// drop-down list or another window taking the focus for a while does not.
bool IsLeaving(const QFocusEvent& event);

// Whether a request to change the text could be granted: the link is
// editing, or its data source would start an edit on the first change.
bool CouldEdit(const TFieldDataLink& link);

// The editors' context menu: undo, cut, copy, paste, delete and select all
// (the texts of the desktop's own edit menu). The actions that change the
// text are enabled while the link is editing or could start an edit, as far
// as there is something to act on; every action calls `run` with its name
// ("edit-undo", "edit-cut", "edit-copy", "edit-paste", "edit-delete",
// "select-all") inside the dispatch guard, and the editor starts an edit
// there before doing what a text-changing action asks.
struct TEditRequestState {
    bool HasSelection = false;
    bool CanUndo = false;
    bool HasText = false;
};
std::unique_ptr<QMenu> MakeEditMenu(QWidget* parent, const TFieldDataLink& link,
                                    const TEditRequestState& state,
                                    const std::function<void(const QString& actionName)>& run);
// True for the actions whose request changes the text.
bool ChangesText(const QString& actionName);

} // namespace editor_keys
