// Drawing follows the old common toolbar: a flat button shows no edge at
// rest, a one-pixel raised edge under the pointer and a sunken one while
// pressed; the disabled image is the platform's generated disabled pixmap.
#include "app/tool_bar.h"

#include "app/image_list.h"
#include "platform/dispatch.h"

#include <QApplication>
#include <QEnterEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

TToolButton::TToolButton(TToolBar* toolBar, const QString& name, TToolButtonStyle style)
    : QWidget(toolBar), toolBar_(toolBar), style_(style) {
    setObjectName(name);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

void TToolButton::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TToolButton::SetHint(const QString& hint) {
    hint_ = hint;
    setToolTip(hint);
}

void TToolButton::SetImageIndex(int index) {
    imageIndex_ = index;
    update();
}

void TToolButton::SetEnabled(bool enabled) {
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    if (!enabled_)
        pressed_ = false;
    update();
}

void TToolButton::Click() {
    if (OnClick)
        OnClick(this);
}

void TToolButton::enterEvent(QEnterEvent*) {
    hot_ = true;
    update();
}

void TToolButton::leaveEvent(QEvent*) {
    hot_ = false;
    pressed_ = false;
    update();
}

void TToolButton::mousePressEvent(QMouseEvent* event) {
    if (style_ == tbsSeparator || style_ == tbsDivider || !enabled_ ||
        event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    update();
}

void TToolButton::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed_ || event->button() != Qt::LeftButton)
        return;
    pressed_ = false;
    update();
    if (enabled_ && rect().contains(event->position().toPoint()))
        Dispatch([this] { Click(); });
}

void TToolButton::paintEvent(QPaintEvent*) {
    if (style_ == tbsSeparator || style_ == tbsDivider)
        return;
    QPainter p(this);
    const QPalette& pal = palette();
    const QRect r = rect();
    if (enabled_ && (pressed_ || (hot_ && toolBar_->Flat()))) {
        const QColor light = pal.color(QPalette::Light);
        const QColor dark = pal.color(QPalette::Dark);
        const QColor topLeft = pressed_ ? dark : light;
        const QColor bottomRight = pressed_ ? light : dark;
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    const int shift = pressed_ ? 1 : 0;
    TImageList* list =
        (hot_ && enabled_ && toolBar_->HotImages()) ? toolBar_->HotImages() : toolBar_->Images();
    QPixmap image = list ? list->Image(imageIndex_) : QPixmap();
    const int imageWidth = list ? list->Width() : 16;
    const int imageHeight = list ? list->Height() : 16;
    if (!image.isNull()) {
        if (!enabled_) {
            QStyleOption option;
            option.initFrom(this);
            image = style()->generatedIconPixmap(QIcon::Disabled, image, &option);
        }
        p.drawPixmap((width() - imageWidth) / 2 + shift, 3 + shift, image);
    }
    if (toolBar_->ShowCaptions()) {
        p.setFont(font());
        const QRect textRect(shift, 3 + imageHeight + 1 + shift, width(),
                             height() - imageHeight - 4);
        if (!enabled_) {
            p.setPen(pal.color(QPalette::Light));
            p.drawText(textRect.translated(1, 1), Qt::AlignHCenter | Qt::AlignTop, caption_);
            p.setPen(pal.color(QPalette::Dark));
        } else {
            p.setPen(pal.color(QPalette::WindowText));
        }
        p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, caption_);
    }
}

TToolBar::TToolBar(QWidget* parent, const QString& name) : QWidget(parent) {
    setObjectName(name);
}

void TToolBar::SetButtonSize(int width, int height) {
    buttonWidth_ = width;
    buttonHeight_ = height;
}

void TToolBar::SetEdges(TEdgeStyle inner, TEdgeStyle outer) {
    edgeInner_ = inner;
    edgeOuter_ = outer;
    update();
}

int TToolBar::EdgeTop() const {
    return (edgeInner_ != esNone ? 1 : 0) + (edgeOuter_ != esNone ? 1 : 0);
}

int TToolBar::NextLeft() const {
    if (buttons_.empty())
        return 0;
    const TToolButton* last = buttons_.back();
    return last->x() + last->width();
}

TToolButton* TToolBar::AddButton(const QString& name, const QString& caption, const QString& hint,
                                 int imageIndex) {
    auto* button = new TToolButton(this, name, tbsButton);
    button->setGeometry(NextLeft(), EdgeTop(), buttonWidth_, buttonHeight_);
    button->SetCaption(caption);
    button->SetHint(hint);
    button->SetImageIndex(imageIndex);
    buttons_.push_back(button);
    return button;
}

TToolButton* TToolBar::AddSeparator(const QString& name, int width) {
    auto* button = new TToolButton(this, name, tbsSeparator);
    button->setGeometry(NextLeft(), EdgeTop(), width, buttonHeight_);
    buttons_.push_back(button);
    return button;
}

void TToolBar::paintEvent(QPaintEvent*) {
    // The edges run along the top and bottom of the bar: the outer edge on
    // the outside, the inner one just inside it.
    QPainter p(this);
    const QPalette& pal = palette();
    const auto line = [&](int y, TEdgeStyle style, bool top) {
        if (style == esNone)
            return;
        const bool light = (style == esRaised) == top;
        p.setPen(pal.color(light ? QPalette::Light : QPalette::Dark));
        p.drawLine(0, y, width() - 1, y);
    };
    line(0, edgeOuter_, true);
    line(edgeOuter_ != esNone ? 1 : 0, edgeInner_, true);
    line(height() - 1, edgeOuter_, false);
    line(height() - 1 - (edgeOuter_ != esNone ? 1 : 0), edgeInner_, false);
}
