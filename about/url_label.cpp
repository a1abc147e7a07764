// The link label. The font lives here as a TFont, so that colour and style
// are the desktop's values, and is handed to the QLabel underneath whenever
// it changes: the face and size as the widget font, the colour as the
// palette's text colour.
#include "about/url_label.h"

#include "platform/dispatch.h"
#include "platform/shell.h"
#include "platform/ui/key_translation.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPalette>

TURLLabel::TURLLabel(QWidget* parent) : QLabel(parent) {
    font_.SetColor(clBlue);
    font_.SetStyle(fsUnderline);
    onMouseFontColor_ = font_.Color();
    onMouseFontStyle_ = font_.Style();
    savedColor_ = font_.Color();
    savedStyle_ = font_.Style();
    url_ = DefaultURL();
    ApplyFont();
}

void TURLLabel::SetFont(const TFont& font) {
    font_ = font;
    ApplyFont();
}

QString TURLLabel::Target() const {
    return (linkType_ == ltMail ? QStringLiteral("mailto:") : QStringLiteral("http://")) + url_;
}

void TURLLabel::ApplyFont() {
    setFont(ToQFont(font_));
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, ToQColor(font_.Color()));
    setPalette(colours);
}

void TURLLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    Dispatch([this] { MouseEnter(); });
}

void TURLLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    Dispatch([this] { MouseLeave(); });
}

void TURLLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    TMouseButton button = mbLeft;
    if (event->button() == Qt::RightButton)
        button = mbRight;
    else if (event->button() == Qt::MiddleButton)
        button = mbMiddle;
    const TShiftState shift = ShiftStateFromQt(event->modifiers(), event->buttons());
    const QPoint at = event->position().toPoint();
    Dispatch([&] { MouseDown(button, shift, at.x(), at.y()); });
    // The label has handled the press; its parent must not see it too.
    event->accept();
}

void TURLLabel::MouseEnter() {
    if (OnMouseEnter)
        OnMouseEnter(this);
    savedColor_ = font_.Color();
    savedStyle_ = font_.Style();
    font_.SetColor(onMouseFontColor_);
    font_.SetStyle(onMouseFontStyle_);
    ApplyFont();
    repaint();
}

void TURLLabel::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(this);
    font_.SetColor(savedColor_);
    font_.SetStyle(savedStyle_);
    ApplyFont();
    repaint();
}

void TURLLabel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
    // Whether anything could open the target is not reported: the desktop
    // says so itself, or nothing happens.
    Shell().ShellExecute(window(), QStringLiteral("open"), Target(), QString(), QString(),
                         SW_SHOWNORMAL);
}
