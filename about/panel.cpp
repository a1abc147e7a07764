// Painting of the bevelled panel. The client widget is transparent, so the
// panel's own painting (colour and bevel) shows under the children.
#include "about/panel.h"

#include <QPainter>

namespace {

// A one-pixel frame: top and left edges in one colour, bottom and right in
// the other.
void Frame3D(QPainter& painter, const QRect& rect, TColor topLeft, TColor bottomRight) {
    painter.setPen(ToQColor(topLeft));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(ToQColor(bottomRight));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

} // namespace

TPanel::TPanel(QWidget* parent, const QString& name) : QWidget(parent), client_(new QWidget(this)) {
    setObjectName(name);
    client_->setObjectName(name + QStringLiteral("Client"));
}

void TPanel::SetBevelOuter(TPanelBevel bevel) {
    if (bevel == bevelOuter_)
        return;
    bevelOuter_ = bevel;
    update();
}

void TPanel::SetBorderStyle(TBorderStyle style) {
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    PlaceClient();
    update();
}

void TPanel::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    update();
}

void TPanel::SetBounds(int left, int top, int width, int height) {
    setGeometry(left, top, width, height);
    PlaceClient();
}

void TPanel::PlaceClient() {
    const int border = BorderWidth();
    client_->setGeometry(rect().adjusted(border, border, -border, -border));
}

void TPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceClient();
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = rect();
    if (borderStyle_ == bsSingle) {
        // The sunken client edge: shadow outside, dark shadow inside.
        Frame3D(painter, area, clBtnShadow, clBtnHighlight);
        area.adjust(1, 1, -1, -1);
        Frame3D(painter, area, cl3DDkShadow, cl3DLight);
        area.adjust(1, 1, -1, -1);
    }
    painter.fillRect(area, ToQColor(color_));
    if (bevelOuter_ == bvRaised)
        Frame3D(painter, area, clBtnHighlight, clBtnShadow);
    else if (bevelOuter_ == bvLowered)
        Frame3D(painter, area, clBtnShadow, clBtnHighlight);
}
