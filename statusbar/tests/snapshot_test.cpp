// Renders a bar with one panel of every kind to a PNG in the build tree, for
// a person to look at (statusbar_all_panels.png, and a 3x enlargement).
#include "platform/graphics/canvas.h"
#include "platform/timer.h"
#include "statusbar/tests/bar_fixture.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(StatusBarSnapshot, EveryPanelTypeRendersToAPicture) {
    TScriptedKeyboard keyboard;
    keyboard.toggled[VK_CAPITAL] = true;
    TFixedClock clock(2024, 5, 17, 14, 7, 33);
    auto bar = MakeBar(900);
    auto add = [&](int width) {
        TExStatusPanel* p = bar->Panels().Add();
        p->SetWidth(width);
        return p;
    };
    add(90)->SetText(QStringLiteral("Registro 12"));
    TExStatusPanel* ellipsis = add(90);
    ellipsis->SetText(QStringLiteral("Uma frase comprida que não cabe"));
    ellipsis->SetPanelType(sptEllipsisText);
    TBitmap glyph(12, 12);
    glyph.Canvas().Brush().Color = clFuchsia;
    glyph.Canvas().FillRect(Rect(0, 0, 12, 12));
    glyph.Canvas().Brush().Color = clGreen;
    glyph.Canvas().Pen().Color = clBlack;
    glyph.Canvas().Ellipse(Rect(1, 1, 11, 11));
    glyph.ReleaseCanvas();
    TExStatusPanel* picture = add(30);
    picture->SetPanelType(sptGlyph);
    picture->SetGlyph(glyph);
    add(50)->SetPanelType(sptCapsLock);
    add(50)->SetPanelType(sptNumLock);
    TExStatusPanel* date = add(80);
    date->SetAlignment(taCenter);
    date->SetPanelType(sptDate);
    TExStatusPanel* time = add(60);
    time->SetAlignment(taCenter);
    time->SetPanelType(sptTime);
    TExStatusPanel* percent = add(120);
    percent->SetPanelType(sptGauge);
    percent->GaugeAttrs()->SetPosition(45);
    TExStatusPanel* ball = add(120);
    ball->GaugeAttrs()->SetStyle(gsIndeterminate);
    ball->SetPanelType(sptGauge);
    TExStatusPanel* block = add(120);
    block->GaugeAttrs()->SetStyle(gsIndeterminate2);
    block->SetPanelType(sptGauge);
    ball->GaugeAttrs()->SetSpeed(6);
    block->GaugeAttrs()->SetSpeed(6);
    ball->SetEnabled(true);
    block->SetEnabled(true);
    for (int i = 0; i < 8; ++i)
        bar->Panels().ClockTimer()->Fire();
    bar->Invalidate();
    const QImage image = bar->Snapshot();
    ASSERT_EQ(image.width(), 900);

    // Each panel shows something besides the background.
    for (int i = 0; i < bar->Panels().Count(); ++i)
        EXPECT_FALSE(OnlyColor(PanelInside(*bar, i), clBtnFace)) << "panel " << i;

    const QString dir = QStringLiteral(STATUSBAR_SNAPSHOT_DIR);
    QDir().mkpath(dir);
    EXPECT_TRUE(image.save(dir + QStringLiteral("/statusbar_all_panels.png")));
    EXPECT_TRUE(image.scaled(image.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .save(dir + QStringLiteral("/statusbar_all_panels_x3.png")));
}
