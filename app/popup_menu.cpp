#include "app/popup_menu.h"

#include "platform/dispatch.h"
#include "platform/ui/key_translation.h"

#include <QAction>

QString TMenuItem::Caption() const {
    return action_->text();
}

void TMenuItem::Click() {
    if (OnClick)
        OnClick(action_);
}

TPopupMenu::TPopupMenu(QWidget* parent, const QString& name) : QMenu(parent) {
    setObjectName(name);
}

TPopupMenu::~TPopupMenu() = default;

TMenuItem* TPopupMenu::AddItem(const QString& name, const QString& caption, TShortCut shortCut) {
    QAction* action = addAction(caption);
    action->setObjectName(name);
    // Shown beside the caption only: the window matches the keys itself, so
    // Qt's shortcut map must never fire the item a second time.
    action->setShortcut(KeySequenceFromShortCut(shortCut));
    action->setShortcutContext(Qt::WidgetShortcut);
    auto item = std::make_unique<TMenuItem>(action, name, shortCut);
    TMenuItem* raw = item.get();
    connect(action, &QAction::triggered, this, [raw] { Dispatch([raw] { raw->Click(); }); });
    items_.push_back(std::move(item));
    return raw;
}

bool TPopupMenu::IsShortCut(TShortCut shortCut) {
    if (shortCut == scNone)
        return false;
    for (const auto& item : items_) {
        if (item->ShortCut() == shortCut) {
            item->Click();
            return true;
        }
    }
    return false;
}
