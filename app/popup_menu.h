// A pop-up menu whose items carry keyboard shortcuts of the desktop kind
// (key code plus modifier flags). The owning window offers every key to
// IsShortCut before anything else sees it; a key that is an item's shortcut
// runs the item and is consumed, whichever control has the focus.
#pragma once

#include "platform/keys.h"

#include <QMenu>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QAction;

class TMenuItem {
public:
    TMenuItem(QAction* action, QString name, TShortCut shortCut)
        : action_(action), name_(std::move(name)), shortCut_(shortCut) {}

    QAction* Action() const { return action_; }
    const QString& Name() const { return name_; }
    QString Caption() const;
    TShortCut ShortCut() const { return shortCut_; }
    void Click();
    std::function<void(QObject* sender)> OnClick;

private:
    QAction* action_;
    QString name_;
    TShortCut shortCut_;
};

class TPopupMenu : public QMenu {
    Q_OBJECT
public:
    TPopupMenu(QWidget* parent, const QString& name);
    ~TPopupMenu() override;

    TMenuItem* AddItem(const QString& name, const QString& caption, TShortCut shortCut);
    int ItemCount() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
    // Runs the item whose shortcut this is; false when none has it.
    bool IsShortCut(TShortCut shortCut);

private:
    std::vector<std::unique_ptr<TMenuItem>> items_;
};
