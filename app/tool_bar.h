// The main window's toolbars: flat buttons with the image above the caption,
// the hot image while the pointer is over a button, a greyed image while a
// button is disabled, and separators that only take room. Buttons are laid
// out left to right in the order they are added, each at a fixed width.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QObject;
class TImageList;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
enum TEdgeStyle { esNone, esRaised, esLowered };

class TToolButton : public QWidget {
    Q_OBJECT
public:
    TToolButton(TToolBar* toolBar, const QString& name, TToolButtonStyle style);

    TToolBar* ToolBar() const { return toolBar_; }
    QString Name() const { return objectName(); }
    TToolButtonStyle Style() const { return style_; }
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // The tooltip; an empty hint shows none.
    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Under the pointer (shows the hot image and a raised edge).
    bool Hot() const { return hot_; }
    int Left() const { return x(); }

    // Runs OnClick whatever the enabled flag: callers that must respect it
    // (the mouse, the key map) test Enabled first.
    void Click();
    std::function<void(QObject* sender)> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TToolBar* toolBar_;
    TToolButtonStyle style_;
    QString caption_;
    QString hint_;
    int imageIndex_ = -1;
    bool enabled_ = true;
    bool hot_ = false;
    bool pressed_ = false;
};

class TToolBar : public QWidget {
    Q_OBJECT
public:
    explicit TToolBar(QWidget* parent, const QString& name);

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption) { caption_ = caption; }
    int ButtonWidth() const { return buttonWidth_; }
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonSize(int width, int height);
    bool Flat() const { return flat_; }
    void SetFlat(bool flat) { flat_ = flat; }
    bool ShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool show) { showCaptions_ = show; }
    TEdgeStyle EdgeInner() const { return edgeInner_; }
    TEdgeStyle EdgeOuter() const { return edgeOuter_; }
    // Each edge that is not esNone takes one pixel at the top and bottom.
    void SetEdges(TEdgeStyle inner, TEdgeStyle outer);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images) { images_ = images; }
    TImageList* HotImages() const { return hotImages_; }
    void SetHotImages(TImageList* images) { hotImages_ = images; }

    // A button of ButtonWidth at the next free left position.
    TToolButton* AddButton(const QString& name, const QString& caption, const QString& hint,
                           int imageIndex);
    // A separator of the given width.
    TToolButton* AddSeparator(const QString& name, int width);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TToolButton* Buttons(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }
    // The top of the buttons inside the bar.
    int EdgeTop() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int NextLeft() const;

    QString caption_;
    int buttonWidth_ = 23;
    int buttonHeight_ = 22;
    bool flat_ = true;
    bool showCaptions_ = true;
    TEdgeStyle edgeInner_ = esRaised;
    TEdgeStyle edgeOuter_ = esLowered;
    TImageList* images_ = nullptr;
    TImageList* hotImages_ = nullptr;
    std::vector<TToolButton*> buttons_;
};
