// TDBComboBox: a drop-down combo box (an edit box with a fixed list under
// it) bound to one field. Its edit box shows the field's text, which need
// not be one of the items; typing, Up and Down, opening the list and
// choosing an item first ask the link to edit. A choice the link cannot
// turn into an edit is undone and the list closed; Up and Down do nothing
// while the link is not editing. The edit-box text is written back when the
// combo box loses the focus, on Post and on every check of browse mode.
//
//     auto* combo = new TDBComboBox(page);
//     combo->SetName("DBComboBox1");
//     combo->SetItems({"A", "B", "C"});
//     combo->SetDataField("Correta");
//     combo->SetDataSource(DSPerguntas);
#pragma once

#include "store/controls/bound_editor.h"

#include <QComboBox>
#include <QString>
#include <QStringList>

class TDBComboBox : public TBoundEditor<QComboBox> {
    Q_OBJECT

public:
    explicit TDBComboBox(QWidget* parent = nullptr);
    ~TDBComboBox() override;

    // The fixed list; the edit box's text is shown again afterwards.
    QStringList Items() const;
    void SetItems(const QStringList& items);
    // The edit box's text.
    QString Text() const { return currentText(); }
    bool DroppedDown() const { return droppedDown_; }

    void showPopup() override;
    void hidePopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void WriteBackFailed() override;

private:
    void DataChange();
    void EditingChange();
    void UpdateData();
    void SetComboText(const QString& text);
    void TextEdited();
    void IndexChanged();

    bool showing_ = false;
    bool droppedDown_ = false;
};
