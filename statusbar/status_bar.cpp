// The plain status bar: layout, bevels, plain-text panels, hints and clicks.
#include "statusbar/status_bar.h"

#include "platform/dispatch.h"
#include "platform/graphics/canvas.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QToolTip>

#include <algorithm>

TCollection::~TCollection() = default;

// --- TStatusPanel ---------------------------------------------------------

TStatusPanel::TStatusPanel(TStatusPanels* collection) : collection_(collection) {}

int TStatusPanel::Index() const {
    return collection_->IndexOf(this);
}

void TStatusPanel::Changed() {
    collection_->Changed();
}

void TStatusPanel::SetWidth(int width) {
    // A negative width would fold the panels after it back over this one.
    width = std::max(width, 0);
    if (width == width_)
        return;
    width_ = width;
    Changed();
}

void TStatusPanel::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    Changed();
}

void TStatusPanel::SetBevel(TStatusPanelBevel bevel) {
    if (bevel == bevel_)
        return;
    bevel_ = bevel;
    Changed();
}

void TStatusPanel::SetStyle(TStatusPanelStyle style) {
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

void TStatusPanel::SetText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    Changed();
}

// --- TStatusPanels ----------------------------------------------------------

TStatusPanels::TStatusPanels(TStatusBar* bar) : bar_(bar) {}
TStatusPanels::~TStatusPanels() = default;

TStatusPanel* TStatusPanels::Items(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

int TStatusPanels::IndexOf(const TStatusPanel* panel) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == panel)
            return static_cast<int>(i);
    return -1;
}

TStatusPanel* TStatusPanels::Add() {
    return Insert(Count());
}

TStatusPanel* TStatusPanels::Insert(int index) {
    index = std::clamp(index, 0, Count());
    auto it = items_.insert(items_.begin() + index, std::make_unique<TStatusPanel>(this));
    Changed();
    return it->get();
}

void TStatusPanels::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    items_.erase(items_.begin() + index);
    Changed();
}

void TStatusPanels::Move(int from, int to) {
    if (from < 0 || from >= Count())
        return;
    to = std::clamp(to, 0, Count() - 1);
    if (from == to)
        return;
    auto item = std::move(items_[static_cast<size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
    Changed();
}

void TStatusPanels::Clear() {
    if (items_.empty())
        return;
    items_.clear();
    Changed();
}

void TStatusPanels::Changed() {
    bar_->Invalidate();
}

// --- TStatusBar -------------------------------------------------------------

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent), panels_(this) {
    font_.SetName(QStringLiteral("MS Sans Serif"));
    font_.SetSize(8);
    font_.SetColor(clWindowText);
    setFixedHeight(DefaultHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
}

TStatusBar::~TStatusBar() {
    state_ |= csDestroying;
}

TRect TStatusBar::PanelRect(int index) const {
    const int count = std::min(panels_.Count(), MaxPanels);
    if (index < 0 || index >= count)
        return {};
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += panels_[i]->Width();
    int right = index == count - 1 ? width() : left + panels_[index]->Width();
    // The native bar keeps a 2-pixel border above the panels.
    TRect r = Rect(left, 2, std::max(left, right), height());
    return r;
}

int TStatusBar::PanelAt(TPoint point) const {
    const int count = std::min(panels_.Count(), MaxPanels);
    for (int i = 0; i < count; ++i)
        if (PanelRect(i).Contains(point))
            return i;
    return -1;
}

void TStatusBar::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    ColorChanged();
    Invalidate();
}

void TStatusBar::SetFont(const TFont& font) {
    if (font == font_)
        return;
    font_ = font;
    FontChanged();
    Invalidate();
}

void TStatusBar::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    setEnabled(enabled);
    EnabledChanged();
}

void TStatusBar::BeginLoad() {
    state_ |= csLoading;
}

void TStatusBar::EndLoad() {
    if ((state_ & csLoading) == 0)
        return;
    state_ &= ~csLoading;
    Loaded();
    CreateWnd();
    Invalidate();
}

void TStatusBar::SetDesigning(bool designing) {
    if (designing)
        state_ |= csDesigning;
    else
        state_ &= ~csDesigning;
    Invalidate();
}

void TStatusBar::BeginWrite() {
    state_ |= csWriting;
}
void TStatusBar::EndWrite() {
    state_ &= ~csWriting;
}

void TStatusBar::EnsureScreen() {
    const int w = std::max(width(), 1);
    const int h = std::max(height(), 1);
    if (screen_.Width() != w || screen_.Height() != h) {
        screen_.SetSize(w, h);
        dirty_ = true;
    }
}

TCanvas& TStatusBar::Canvas() {
    EnsureScreen();
    return screen_.Canvas();
}

void TStatusBar::Flush(const TRect& rect) {
    const QRect area(rect.Left, rect.Top, rect.Width(), rect.Height());
    // A change is on screen at once, also while the caller keeps the event
    // loop from running (a long copy); inside a paint it joins that paint.
    if (isVisible() && !painting_)
        repaint(area);
    else
        update(area);
}

void TStatusBar::Invalidate() {
    dirty_ = true;
    update();
}

QImage TStatusBar::Snapshot() {
    EnsureScreen();
    if (dirty_)
        RenderAll();
    screen_.ReleaseCanvas();
    return screen_.Image().copy();
}

void TStatusBar::RenderAll() {
    dirty_ = false;
    TCanvas& canvas = Canvas();
    canvas.SelectClipRect(nullptr);
    canvas.Brush().Color = color_;
    canvas.Brush().Style = bsSolid;
    canvas.FillRect(Rect(0, 0, screen_.Width(), screen_.Height()));
    const int count = std::min(panels_.Count(), MaxPanels);
    for (int i = 0; i < count; ++i) {
        const TRect r = PanelRect(i);
        if (r.IsEmpty())
            continue;
        TStatusPanel* panel = panels_[i];
        DrawBevel(canvas, r, panel->Bevel());
        canvas.SetFont(font_);
        canvas.Brush().Color = clBtnFace;
        canvas.Brush().Style = bsSolid;
        if (panel->Style() == psOwnerDraw)
            DrawPanel(canvas, panel, r);
        else
            DrawTextPanel(canvas, panel, r);
    }
}

// The desktop's thin 3-D frame: one pixel of shadow and one of highlight.
void TStatusBar::DrawBevel(TCanvas& canvas, const TRect& r, TStatusPanelBevel bevel) {
    if (bevel == pbNone)
        return;
    const TColor topLeft = bevel == pbLowered ? clBtnShadow : clBtnHighlight;
    const TColor bottomRight = bevel == pbLowered ? clBtnHighlight : clBtnShadow;
    canvas.Brush().Style = bsSolid;
    canvas.Brush().Color = topLeft;
    canvas.FillRect(Rect(r.Left, r.Top, r.Right - 1, r.Top + 1));
    canvas.FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom - 1));
    canvas.Brush().Color = bottomRight;
    canvas.FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
    canvas.FillRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom));
}

void TStatusBar::DrawTextPanel(TCanvas& canvas, TStatusPanel* panel, const TRect& rect) {
    TRect r = Rect(rect.Left + 2, rect.Top + 1, rect.Right - 2, rect.Bottom - 1);
    if (r.IsEmpty())
        return;
    unsigned format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (panel->Alignment() == taCenter)
        format |= DT_CENTER;
    else if (panel->Alignment() == taRightJustify)
        format |= DT_RIGHT;
    canvas.SetBkMode(TRANSPARENT);
    canvas.SetTextColor(font_.Color());
    canvas.DrawText(panel->Text(), r, format);
}

void TStatusBar::DrawPanel(TCanvas& canvas, TStatusPanel* panel, const TRect& rect) {
    (void)canvas;
    (void)panel;
    (void)rect;
}

void TStatusBar::HintInfo(TPoint point, QString& hint, TRect& area) {
    (void)point;
    hint = hint_;
    area = Rect(0, 0, width(), height());
}

void TStatusBar::Click(TPoint point) {
    (void)point;
    if (OnClick)
        OnClick(this);
}

bool TStatusBar::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        Dispatch([&] {
            QString hint;
            TRect area;
            const TPoint point{help->pos().x(), help->pos().y()};
            HintInfo(point, hint, area);
            if (!showHint_ || hint.isEmpty()) {
                QToolTip::hideText();
                return;
            }
            QToolTip::showText(help->globalPos(), hint, this,
                               QRect(area.Left, area.Top, area.Width(), area.Height()));
        });
        return true;
    }
    return QWidget::event(event);
}

void TStatusBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Invalidate();
}

void TStatusBar::paintEvent(QPaintEvent* event) {
    painting_ = true;
    const auto done = qScopeGuard([this] { painting_ = false; });
    Dispatch([&] {
        EnsureScreen();
        if (dirty_)
            RenderAll();
        screen_.ReleaseCanvas();
        QPainter painter(this);
        painter.drawImage(event->rect().topLeft(), screen_.Image(), event->rect());
    });
}

void TStatusBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
    QWidget::mousePressEvent(event);
}

void TStatusBar::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->pos());
    pressed_ = false;
    if (click) {
        const TPoint point{event->pos().x(), event->pos().y()};
        Dispatch([&] { Click(point); });
    }
    QWidget::mouseReleaseEvent(event);
}
