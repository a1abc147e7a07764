// The plain panelled status bar of the desktop, as a widget of our own: the
// panels lie side by side from the left, the last one reaching the right edge,
// each with a width, an alignment and a bevel. The bar draws the bevels and
// the plain-text panels itself and hands owner-drawn panels to DrawPanel.
// Everything is painted into a backing bitmap, the "screen" of the bar, so
// that a panel can be repainted at once without waiting for a paint event;
// paintEvent only copies that bitmap to the window.
#pragma once

#include "platform/graphics/bitmap.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "statusbar/collection.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class TCanvas;
class TStatusBar;

#include "platform/alignment.h"
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
enum TStatusPanelStyle { psText, psOwnerDraw };

// Component state flags.
constexpr unsigned csLoading = 1;
constexpr unsigned csDesigning = 2;
constexpr unsigned csWriting = 4;
constexpr unsigned csDestroying = 8;

class TStatusPanels;

// One native panel.
class TStatusPanel {
public:
    explicit TStatusPanel(TStatusPanels* collection);

    int Index() const;
    TStatusPanels* Collection() const { return collection_; }

    int Width() const { return width_; }
    void SetWidth(int width);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel bevel);
    TStatusPanelStyle Style() const { return style_; }
    void SetStyle(TStatusPanelStyle style);
    const QString& Text() const { return text_; }
    void SetText(const QString& text);

private:
    void Changed();

    TStatusPanels* collection_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
    TStatusPanelBevel bevel_ = pbLowered;
    TStatusPanelStyle style_ = psText;
    QString text_;
};

class TStatusPanels : public TCollection {
public:
    explicit TStatusPanels(TStatusBar* bar);
    ~TStatusPanels() override;

    // Panels()[i] and Panels()->Items(i) both work on the reference.
    TStatusPanels* operator->() { return this; }
    const TStatusPanels* operator->() const { return this; }

    TStatusBar* Bar() const { return bar_; }
    int Count() const override { return static_cast<int>(items_.size()); }
    TStatusPanel* operator[](int index) const { return Items(index); }
    TStatusPanel* Items(int index) const;
    int IndexOf(const TStatusPanel* panel) const;

    TStatusPanel* Add();
    TStatusPanel* Insert(int index);
    void Delete(int index);
    void Move(int from, int to);
    void Clear();

    // Any change of a native panel repaints the whole bar (later).
    void Changed();

private:
    TStatusBar* bar_;
    std::vector<std::unique_ptr<TStatusPanel>> items_;
};

class TStatusBar : public QWidget {
    Q_OBJECT

public:
    // The native control hands at most this many panels to the screen.
    static constexpr int MaxPanels = 128;
    static constexpr int DefaultHeight = 19;

    explicit TStatusBar(QWidget* parent = nullptr);
    ~TStatusBar() override;

    TStatusPanels& Panels() { return panels_; }
    const TStatusPanels& Panels() const { return panels_; }

    // The rectangle of a panel, bevel included; empty for an index out of
    // range or beyond the panels shown.
    TRect PanelRect(int index) const;
    // The first panel, in index order, whose rectangle contains the point.
    int PanelAt(TPoint point) const;

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    QString Hint() const { return hint_; }
    void SetHint(const QString& hint) { hint_ = hint; }
    // True by default, as for a bar in a window that shows hints.
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show) { showHint_ = show; }
    // The bar's own enabled flag (a disabled parent does not change it).
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    unsigned ComponentState() const { return state_; }
    // Emulates the loading of a stored layout: while loading, the window is
    // not there yet; EndLoad runs Loaded and then creates the window.
    void BeginLoad();
    void EndLoad();
    void SetDesigning(bool designing);
    void BeginWrite();
    void EndWrite();
    // Whether the bar has its window (not while loading or being destroyed).
    bool HandleAllocated() const { return (state_ & (csLoading | csDestroying)) == 0; }

    // The canvas of the bar's screen: drawing on it shows at the next
    // paint event (Invalidate is not needed; the drawn area is updated).
    TCanvas& Canvas();
    // Shows what was drawn in `rect` on the canvas.
    void Flush(const TRect& rect);
    // Repaints the whole bar at the next paint event.
    void Invalidate();
    // The screen as last drawn (for tests and snapshots).
    QImage Snapshot();

    std::function<void(TStatusBar* sender)> OnClick;

protected:
    // Draws an owner-drawn panel; the canvas has the bar's font and a solid
    // clBtnFace brush, the rectangle includes the bevel.
    virtual void DrawPanel(TCanvas& canvas, TStatusPanel* panel, const TRect& rect);
    // The tooltip for a point: the bar's hint, valid in the whole bar.
    // Overrides may change the text and narrow the area.
    virtual void HintInfo(TPoint point, QString& hint, TRect& area);
    virtual void Click(TPoint point);
    virtual void EnabledChanged() {}
    virtual void FontChanged() {}
    virtual void ColorChanged() {}
    virtual void Loaded() {}
    virtual void CreateWnd() {}
    virtual void DestroyWnd() {}

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // Marks the bar as being destroyed; derived destructors call it first.
    void BeginDestroy() { state_ |= csDestroying; }

private:
    void RenderAll();
    void DrawBevel(TCanvas& canvas, const TRect& rect, TStatusPanelBevel bevel);
    void DrawTextPanel(TCanvas& canvas, TStatusPanel* panel, const TRect& rect);
    void EnsureScreen();

    TStatusPanels panels_;
    TColor color_ = clBtnFace;
    TFont font_;
    QString hint_;
    bool showHint_ = true;
    bool enabled_ = true;
    unsigned state_ = 0;
    bool dirty_ = true;
    bool painting_ = false;
    bool pressed_ = false;
    TBitmap screen_;
};
