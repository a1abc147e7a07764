// Panels of the extended bar: setters and their follow-ups, type and enabled
// changes, drawing by type, hints, clicks, assignment and names.
#include "statusbar/ex_status_panel.h"

#include "platform/graphics/canvas.h"
#include "platform/testing/exception_message.h"
#include "statusbar/ex_assert.h"
#include "statusbar/tests/bar_fixture.h"

#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

class THintBar : public TExStatusBar {
public:
    using TExStatusBar::HintInfo;
};

class TFailingMeasureBar : public TExStatusBar {
public:
    int MeasureText(const QString&) override { return -1; }
};

// The width of a text in the bar's font, measured apart from the bar.
int TextWidthInBarFont(const TExStatusBar& bar, const QString& text) {
    TBitmap probe(1, 1);
    probe.Canvas().SetFont(bar.Font());
    return probe.Canvas().TextWidth(text);
}

} // namespace

TEST(ExStatusPanelText, SameTextNeitherRedrawsNorRefits) {
    auto bar = MakeMainWindowBar();
    TExStatusPanel* panel = bar->Panels()[3];
    panel->SetText(QStringLiteral("12"));
    bar->Snapshot();
    bar->ResetCounters();
    panel->SetText(QStringLiteral("12"));
    EXPECT_EQ(bar->PaintCount(3), 0);
    EXPECT_EQ(bar->RefitCount(3), 0);
}

TEST(ExStatusPanelText, NewTextRedrawsThePanelAtOnceAndShowsIt) {
    auto bar = MakeMainWindowBar();
    TExStatusPanel* panel = bar->Panels()[3];
    bar->Snapshot();
    EXPECT_TRUE(OnlyColor(PanelInside(*bar, 3), clBtnFace));
    bar->ResetCounters();
    panel->SetText(QStringLiteral("17"));
    EXPECT_EQ(bar->PaintCount(3), 1);
    EXPECT_EQ(bar->PaintCount(2), 0);
    EXPECT_EQ(bar->RefitCount(3), 1);
    EXPECT_GT(CountColor(PanelInside(*bar, 3), clWindowText), 5);
}

TEST(ExStatusPanelText, MainWindowBarPanelsAndWidths) {
    auto bar = MakeMainWindowBar();
    ASSERT_EQ(bar->Panels().Count(), 4);
    EXPECT_EQ(bar->Panels()->Items(3), bar->Panels()[3]);
    EXPECT_EQ(bar->Panels()[0]->PanelType(), sptTime);
    EXPECT_EQ(bar->Panels()[1]->PanelType(), sptDate);
    EXPECT_EQ(bar->PanelRect(3).Width(), 48);
    EXPECT_EQ(bar->Panels()[2]->Hint(), QStringLiteral("..."));
    EXPECT_EQ(bar->Panels()[2]->GaugeAttrs()->Speed(), 10);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(bar->Panels()[i]->Enabled());
        EXPECT_FALSE(bar->Panels()[i]->AutoFit());
        EXPECT_EQ(bar->Panels()[i]->Bevel(), pbLowered);
        EXPECT_EQ(bar->Panels()[i]->Alignment(), taCenter);
    }
}

TEST(ExStatusPanelEnabled, DisabledPanelShowsOnlyTheBackground) {
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    panel->SetWidth(200);
    panel->SetText(QStringLiteral("Conteúdo"));
    ASSERT_GT(CountColor(PanelInside(*bar, 0), clWindowText), 5);
    panel->SetEnabled(false);
    EXPECT_FALSE(panel->Enabled());
    EXPECT_TRUE(OnlyColor(PanelInside(*bar, 0), clBtnFace));
    panel->SetEnabled(true);
    EXPECT_GT(CountColor(PanelInside(*bar, 0), clWindowText), 5);
}

TEST(ExStatusPanelEnabled, DisabledBarDisablesEveryPanelAsRead) {
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    panel->SetText(QStringLiteral("x"));
    bar->SetEnabled(false);
    EXPECT_FALSE(panel->Enabled());
    bar->BeginWrite();
    EXPECT_TRUE(panel->Enabled()); // the own flag while the layout is written
    bar->EndWrite();
    bar->SetEnabled(true);
    EXPECT_TRUE(panel->Enabled());
}

TEST(ExStatusPanelType, CapsLockSetsTextAutoFitAndWidth) {
    TScriptedKeyboard keyboard;
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    panel->SetWidth(100);
    bar->Panels().Add();
    panel->SetPanelType(sptCapsLock);
    EXPECT_EQ(panel->Text(), QStringLiteral(" CAPS "));
    EXPECT_TRUE(panel->AutoFit());
    EXPECT_EQ(panel->Width(), TextWidthInBarFont(*bar, QStringLiteral(" CAPS ")) + 6);
    EXPECT_EQ(bar->PanelRect(1).Left, panel->Width());
}

TEST(ExStatusPanelType, NumAndScrollLockTexts) {
    TScriptedKeyboard keyboard;
    auto bar = MakeBar();
    TExStatusPanel* num = bar->Panels().Add();
    TExStatusPanel* scroll = bar->Panels().Add();
    num->SetPanelType(sptNumLock);
    scroll->SetPanelType(sptScrollLock);
    EXPECT_EQ(num->Text(), QStringLiteral(" NUM "));
    EXPECT_EQ(scroll->Text(), QStringLiteral(" SCROLL "));
}

TEST(ExStatusPanelType, FailedMeasurementGivesFive) {
    TFailingMeasureBar bar;
    bar.resize(508, 19);
    TExStatusPanel* panel = bar.Panels().Add();
    panel->SetText(QStringLiteral("abc"));
    panel->SetAutoFit(true);
    EXPECT_EQ(panel->Width(), 5);
}

TEST(ExStatusPanelType, AutoFitWidthIgnoresWidthAfterLoadingButNotWhileLoading) {
    auto bar = MakeBar();
    bar->BeginLoad();
    TExStatusPanel* panel = bar->Panels().Add();
    panel->SetText(QStringLiteral("texto"));
    panel->SetAutoFit(true);
    panel->SetWidth(123);
    EXPECT_EQ(panel->Width(), 123); // stored width applies while loading
    bar->EndLoad();
    const int fitted = TextWidthInBarFont(*bar, QStringLiteral("texto")) + 6;
    EXPECT_EQ(panel->Width(), fitted);
    panel->SetWidth(200);
    EXPECT_EQ(panel->Width(), fitted);
}

TEST(ExStatusPanelType, FontChangeRefitsAutoFitPanels) {
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    panel->SetText(QStringLiteral("texto largo"));
    panel->SetAutoFit(true);
    const int before = panel->Width();
    TFont font = bar->Font();
    font.SetSize(16);
    bar->SetFont(font);
    EXPECT_GT(panel->Width(), before);
    EXPECT_EQ(panel->Width(), TextWidthInBarFont(*bar, QStringLiteral("texto largo")) + 6);
}

TEST(ExStatusPanelType, EllipsisWithoutHintGetsDotsAndShowsFullText) {
    auto bar = std::make_unique<THintBar>();
    bar->resize(508, 19);
    bar->SetShowHint(true);
    TExStatusPanel* panel = bar->Panels().Add();
    panel->SetWidth(60);
    panel->SetText(QStringLiteral("C:\\ZQ\\Questoes\\um caminho muito comprido.db"));
    panel->SetPanelType(sptEllipsisText);
    EXPECT_EQ(panel->StoredHint(), QStringLiteral("..."));
    EXPECT_EQ(panel->Hint(), panel->Text());
    QString hint;
    TRect area;
    bar->HintInfo({10, 10}, hint, area);
    EXPECT_EQ(hint, panel->Text());
    EXPECT_EQ(area, bar->PanelRect(0));
    // Through the tooltip as well.
    bar->show();
    QHelpEvent help(QEvent::ToolTip, QPoint(10, 10), bar->mapToGlobal(QPoint(10, 10)));
    QCoreApplication::sendEvent(bar.get(), &help);
    EXPECT_EQ(QToolTip::text(), panel->Text());
    QToolTip::hideText();
}

TEST(ExStatusPanelType, EllipsisKeepsAnExistingHintAndDesignerSeesDots) {
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    panel->SetHint(QStringLiteral("Caminho"));
    panel->SetPanelType(sptEllipsisPath);
    EXPECT_EQ(panel->Hint(), QStringLiteral("Caminho"));
    TExStatusPanel* other = bar->Panels().Add();
    other->SetText(QStringLiteral("abc"));
    other->SetPanelType(sptEllipsisText);
    bar->SetDesigning(true);
    EXPECT_EQ(other->Hint(), QStringLiteral("..."));
}

TEST(ExStatusPanelType, EllipsisTextIsCutToFitTheNarrowPanel) {
    auto bar = MakeBar();
    const QString text = QStringLiteral("uma frase longa demais para caber no painel");
    TExStatusPanel* normal = bar->Panels().Add();
    TExStatusPanel* ellipsis = bar->Panels().Add();
    bar->Panels().Add();
    for (TExStatusPanel* p : {normal, ellipsis}) {
        p->SetWidth(70);
        p->SetText(text);
    }
    ellipsis->SetPanelType(sptEllipsisText);
    const QImage plain = PanelInside(*bar, 0);
    const QImage cut = PanelInside(*bar, 1);
    EXPECT_NE(plain, cut);
    // The cut text ends with dots well inside the panel; the plain text runs
    // to the edge.
    EXPECT_GE(LastColumnWith(plain, clWindowText), plain.width() - 3);
}

TEST(ExStatusPanelType, GaugeCentresAndIndeterminateDisables) {
    auto bar = MakeBar();
    TExStatusPanel* percent = bar->Panels().Add();
    percent->SetAutoFit(true);
    percent->SetPanelType(sptGauge);
    EXPECT_EQ(percent->Alignment(), taCenter);
    EXPECT_FALSE(percent->AutoFit());
    EXPECT_TRUE(percent->Enabled());
    TExStatusPanel* ball = bar->Panels().Add();
    ball->GaugeAttrs()->SetStyle(gsIndeterminate);
    ball->SetPanelType(sptGauge);
    EXPECT_FALSE(ball->Enabled());
    EXPECT_EQ(bar->Panels().ClockTimer(), nullptr);
}

TEST(ExStatusPanelOwnerDraw, WithoutHandlerNothingAtRunTimeAndMarkerInDesigner) {
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    panel->SetWidth(100);
    panel->SetPanelType(sptOwnerDraw);
    EXPECT_TRUE(OnlyColor(PanelInside(*bar, 0), clBtnFace));
    bar->SetDesigning(true);
    EXPECT_GT(CountColor(PanelInside(*bar, 0), clWindowText), 5);
}

TEST(ExStatusPanelOwnerDraw, HandlerDrawsThePanelAndTheBarHookComesFirst) {
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    panel->SetWidth(100);
    panel->SetPanelType(sptOwnerDraw);
    std::vector<QString> calls;
    bar->OnDrawPanel = [&](TExStatusBar*, TExStatusPanel* p, const TRect&) {
        EXPECT_EQ(p, panel);
        calls.push_back(QStringLiteral("bar"));
    };
    panel->OnDrawPanel = [&](TExStatusBar* sb, TExStatusPanel*, const TRect& r) {
        calls.push_back(QStringLiteral("panel"));
        sb->Canvas().Brush().Color = clRed;
        sb->Canvas().FillRect(Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1));
    };
    bar->Invalidate();
    const QImage inside = PanelInside(*bar, 0);
    EXPECT_EQ(calls, (std::vector<QString>{QStringLiteral("bar"), QStringLiteral("panel")}));
    EXPECT_TRUE(OnlyColor(inside, clRed));
}

TEST(ExStatusPanelGlyph, PictureIsCentredWithItsBottomLeftColourTransparent) {
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    bar->Panels().Add();
    TBitmap glyph(8, 8);
    glyph.Canvas().Brush().Color = clWhite; // bottom-left: transparent
    glyph.Canvas().FillRect(Rect(0, 0, 8, 8));
    glyph.Canvas().Brush().Color = clRed;
    glyph.Canvas().FillRect(Rect(2, 2, 6, 6));
    glyph.ReleaseCanvas();
    panel->SetPanelType(sptGlyph);
    panel->SetGlyph(glyph);
    EXPECT_EQ(panel->Width(), 12);
    const QImage inside = PanelInside(*bar, 0);
    EXPECT_EQ(CountColor(inside, clWhite), 0);
    EXPECT_EQ(CountColor(inside, clRed), 16);
    // (10 - 8) / 2 = 1, plus the 2-pixel inset of the red square.
    EXPECT_EQ(FirstColumnWith(inside, clRed), 3);
}

TEST(ExStatusPanelHints, HoveringTheMainWindowsPanelTwoShowsDots) {
    auto bar = MakeMainWindowBar();
    bar->show();
    const QPoint inPanel2(200, 10);
    QHelpEvent help(QEvent::ToolTip, inPanel2, bar->mapToGlobal(inPanel2));
    QCoreApplication::sendEvent(bar.get(), &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("..."));
    QToolTip::hideText();
}

TEST(ExStatusPanelHints, OnHintTextMayReplaceTheHint) {
    THintBar bar;
    bar.resize(508, 19);
    TExStatusPanel* panel = bar.Panels().Add();
    panel->SetHint(QStringLiteral("antes"));
    panel->OnHintText = [](TExStatusBar*, TExStatusPanel*, QString& hint) {
        hint += QStringLiteral(" e depois");
    };
    QString hint;
    TRect area;
    bar.HintInfo({5, 10}, hint, area);
    EXPECT_EQ(hint, QStringLiteral("antes e depois"));
}

TEST(ExStatusPanelHints, BarTooltipIsNarrowedBetweenHintedPanels) {
    THintBar bar;
    bar.resize(508, 19);
    bar.SetHint(QStringLiteral("barra"));
    const int widths[] = {60, 80, 100, 100, 50};
    for (int w : widths)
        bar.Panels().Add()->SetWidth(w);
    bar.Panels()[0]->SetHint(QStringLiteral("zero"));
    bar.Panels()[3]->SetHint(QStringLiteral("três"));
    QString hint;
    TRect area;
    bar.HintInfo({100, 10}, hint, area); // inside panel 1, no hint
    EXPECT_EQ(hint, QStringLiteral("barra"));
    EXPECT_EQ(area.Left, 60);
    EXPECT_EQ(area.Right, 240);
    bar.HintInfo({400, 10}, hint, area); // the last panel: nothing hinted to its right
    EXPECT_EQ(area.Left, 340);
    EXPECT_EQ(area.Right, 508);
}

TEST(ExStatusPanelClick, PanelClickComesBeforeTheBarClick) {
    auto bar = MakeMainWindowBar();
    std::vector<QString> calls;
    bar->Panels()[1]->OnClick = [&](TExStatusPanel* sender) {
        EXPECT_EQ(sender, bar->Panels()[1]);
        calls.push_back(QStringLiteral("panel"));
    };
    bar->OnClick = [&](TStatusBar*) { calls.push_back(QStringLiteral("bar")); };
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(calls, (std::vector<QString>{QStringLiteral("panel"), QStringLiteral("bar")}));
}

TEST(ExStatusPanelAssign, CopiesSettingsAndTypeLast) {
    auto bar = MakeBar();
    TExStatusPanel* source = bar->Panels().Add();
    source->GaugeAttrs()->SetPosition(40);
    source->GaugeAttrs()->SetSpeed(9);
    source->SetAlignment(taRightJustify);
    source->SetBevel(pbRaised);
    source->SetText(QStringLiteral("fonte"));
    source->SetWidth(77);
    source->SetHint(QStringLiteral("dica"));
    source->SetPanelType(sptGauge);
    TExStatusPanel* target = bar->Panels().Add();
    target->Assign(*source);
    EXPECT_EQ(target->GaugeAttrs()->Position(), 40);
    EXPECT_EQ(target->GaugeAttrs()->Speed(), 4); // not copied
    EXPECT_EQ(target->Alignment(), taCenter);    // the type change centres
    EXPECT_EQ(target->Bevel(), pbRaised);
    EXPECT_EQ(target->Text(), QStringLiteral("fonte"));
    EXPECT_EQ(target->Width(), 77);
    EXPECT_EQ(target->Hint(), QStringLiteral("dica"));
    EXPECT_EQ(target->PanelType(), sptGauge);
}

TEST(ExStatusPanelAssign, CollectionAssignCopiesPanelByPanel) {
    auto source = MakeMainWindowBar();
    auto target = MakeBar();
    target->Panels().Add();
    target->Panels().Assign(source->Panels());
    ASSERT_EQ(target->Panels().Count(), 4);
    EXPECT_EQ(target->Panels()[0]->PanelType(), sptTime);
    EXPECT_EQ(target->Panels()[2]->Width(), 320);
    EXPECT_EQ(target->TStatusBar::Panels().Count(), 4);
}

TEST(ExStatusPanelNames, DisplayNameByType) {
    auto bar = MakeBar();
    TExStatusPanel* panel = bar->Panels().Add();
    EXPECT_EQ(panel->DisplayName(), QStringLiteral("TExStatusPanel"));
    panel->SetText(QStringLiteral("Registro"));
    EXPECT_EQ(panel->DisplayName(), QStringLiteral("Registro"));
    panel->SetPanelType(sptGauge);
    EXPECT_EQ(panel->DisplayName(), QStringLiteral("sptGauge"));
    panel->SetPanelType(sptEllipsisPath);
    EXPECT_EQ(panel->DisplayName(), QStringLiteral("Registro"));
}

TEST(ExStatusPanelLinks, MovingAPanelMovesItsLinkedPartFirst) {
    auto bar = MakeBar();
    TExStatusPanel* a = bar->Panels().Add();
    TExStatusPanel* b = bar->Panels().Add();
    TExStatusPanel* c = bar->Panels().Add();
    a->SetWidth(10);
    b->SetWidth(20);
    c->SetWidth(30);
    c->SetIndex(0);
    EXPECT_EQ(bar->Panels()[0], c);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bar->Panels()[i]->LinkedPanel(), bar->TStatusBar::Panels()[i]);
    EXPECT_EQ(bar->PanelRect(0).Width(), 30);
    bar->Panels().Delete(1);
    EXPECT_EQ(bar->TStatusBar::Panels().Count(), 2);
    EXPECT_EQ(bar->Panels()[1]->LinkedPanel(), bar->TStatusBar::Panels()[1]);
}

TEST(ExStatusPanelLinks, InsertedPanelGetsItsLinkedPartAtTheSameIndex) {
    auto bar = MakeBar();
    bar->Panels().Add()->SetWidth(10);
    bar->Panels().Add()->SetWidth(20);
    TExStatusPanel* inserted = bar->Panels().Insert(1);
    inserted->SetWidth(33);
    EXPECT_EQ(bar->Panels()[1], inserted);
    EXPECT_EQ(bar->TStatusBar::Panels()[1], inserted->LinkedPanel());
    EXPECT_EQ(bar->PanelRect(1), Rect(10, 2, 43, 19));
}

TEST(ExStatusPanelFailures, OwnerMustBeTheExtendedCollection) {
    auto bar = MakeBar();
    EXPECT_EQ(ExceptionMessage([&] { TExStatusPanel panel(&bar->TStatusBar::Panels()); }),
              QStringLiteral("TExStatusPanel owner must be TExStatusPanesls"));
    EXPECT_EQ(bar->TStatusBar::Panels().Count(), 0);
}

TEST(ExStatusPanelFailures, NativePartWithoutPanelIsReportedAsCorruptLinks) {
    auto bar = MakeBar();
    bar->Panels().Add();
    auto orphan = std::make_unique<TExStatusPanel>(&bar->Panels()); // not in the list
    const QString message = ExceptionMessage<EExStatusBarAssertion>([&] { bar->Snapshot(); });
    EXPECT_TRUE(message.contains(QStringLiteral("Panel links corrupted")));
    EXPECT_TRUE(message.contains(QStringLiteral("ExStatusBar")));
    orphan.reset();
    EXPECT_EQ(bar->TStatusBar::Panels().Count(), 1);
}
