// TDBMemo: a multi-line plain-text editor bound to one field. It behaves as
// the single-line TDBEdit does (shows the field, read-only while its link is
// not editing, starts an edit on the first change, writes back on leaving,
// on Post and on every check of browse mode) but sets no length of its own:
// the field keeps the first Size characters when the text is written back.
// Tab moves the focus on, as in a dialog, unless WantTabs is set.
#pragma once

#include "store/controls/bound_editor.h"

#include <QPlainTextEdit>
#include <QString>

class TDBMemo : public TBoundTextEditor<QPlainTextEdit> {
    Q_OBJECT

public:
    explicit TDBMemo(QWidget* parent = nullptr);
    ~TDBMemo() override;

    // Off: Tab moves to the next control; on: Tab is typed into the text.
    bool WantTabs() const { return !tabChangesFocus(); }
    void SetWantTabs(bool wantTabs) { setTabChangesFocus(!wantTabs); }
    // The text shown, as one string with "\n" between the lines.
    QString Text() const { return toPlainText(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    editor_keys::TEditRequestState EditRequestState() const override;
    void DeleteSelection() override;

private:
    void DataChange();
    void EditingChange();
    void UpdateData();
    void TextChanged();

    bool showing_ = false;
};
