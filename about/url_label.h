// A label that acts as a link: it shows its address in the link font and,
// when any mouse button is pressed on it, asks the shell to open the address
// as a web page or as a new mail message. While the pointer is over it the
// label takes the hover colour and style, and gets its resting font back
// when the pointer leaves; both changes repaint it at once, even when the
// hover font equals the resting one.
#pragma once

#include "platform/graphics/font.h"
#include "platform/keys.h"

#include <QLabel>
#include <QString>

#include <functional>

enum TLinkType { ltHTTP, ltMail };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

class TURLLabel : public QLabel {
    Q_OBJECT

public:
    // The address a label has until its form gives it its own.
    static QString DefaultURL() { return QStringLiteral("www.example.org"); }

    // Blue and underlined, at rest and under the pointer alike, pointing at
    // DefaultURL as a web page.
    explicit TURLLabel(QWidget* parent = nullptr);

    // The font at rest (face, height, colour, style).
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);

    TColor OnMouseFontColor() const { return onMouseFontColor_; }
    void SetOnMouseFontColor(TColor color) { onMouseFontColor_ = color; }
    TFontStyles OnMouseFontStyle() const { return onMouseFontStyle_; }
    void SetOnMouseFontStyle(TFontStyles style) { onMouseFontStyle_ = style; }
    // The address without its scheme: a host and path, or a bare e-mail
    // address.
    const QString& URL() const { return url_; }
    void SetURL(const QString& url) { url_ = url; }
    TLinkType LinkType() const { return linkType_; }
    void SetLinkType(TLinkType type) { linkType_ = type; }

    // What a press opens: "http://" or "mailto:" followed by URL, whatever
    // URL holds (an empty one, or one that has a scheme already, included).
    QString Target() const;

    // The label's own events, fired before the link reacts.
    std::function<void(QObject* Sender)> OnMouseEnter;
    std::function<void(QObject* Sender)> OnMouseLeave;
    std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>
        OnMouseDown;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void MouseEnter();
    void MouseLeave();
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void ApplyFont();

    TFont font_;
    TColor onMouseFontColor_;
    TFontStyles onMouseFontStyle_;
    QString url_;
    TLinkType linkType_ = ltHTTP;
    // The resting colour and style, put back when the pointer leaves.
    TColor savedColor_;
    TFontStyles savedStyle_;
};
