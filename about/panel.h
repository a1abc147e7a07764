// The bevelled panel of the desktop: a rectangle in its own colour with an
// optional single border (a sunken edge two pixels wide around the client
// area) and an optional bevel drawn just inside it. Children go on Client(),
// whose origin is the panel's client origin, so their geometry reads as
// positions relative to the panel.
#pragma once

#include "platform/graphics/color.h"

#include <QWidget>

enum TPanelBevel { bvNone, bvLowered, bvRaised };
enum TBorderStyle { bsNone, bsSingle };

class TPanel : public QWidget {
    Q_OBJECT

public:
    // Raised outer bevel, no border, clBtnFace, as a new panel is.
    TPanel(QWidget* parent, const QString& name);

    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel bevel);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    // Where children go: covers the panel less its border.
    QWidget* Client() const { return client_; }

    // Moves and sizes the panel and its client area at once; a hidden
    // widget gets no resize event until it is shown, and the children's
    // room must be right before that.
    void SetBounds(int left, int top, int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int BorderWidth() const { return borderStyle_ == bsSingle ? 2 : 0; }
    void PlaceClient();

    QWidget* client_;
    TPanelBevel bevelOuter_ = bvRaised;
    TBorderStyle borderStyle_ = bsNone;
    TColor color_ = clBtnFace;
};
