// The link label: its fonts at rest and under the pointer, the repaint on
// enter and leave, and the address it hands to the shell on any press.
#include "about/url_label.h"

#include "platform/testing/scripted_shell.h"

#include <QEnterEvent>
#include <QEvent>
#include <QFont>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Counts the events of one type a widget receives.
class EventCounter : public QObject {
public:
    explicit EventCounter(QEvent::Type type) : type_(type) {}
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_)
            ++Count;
        return false;
    }

private:
    QEvent::Type type_;
};

// A shown window holding one link label.
class LinkWindow {
public:
    LinkWindow() {
        Window.setObjectName(QStringLiteral("LinkWindow"));
        Window.resize(200, 60);
        Link = new TURLLabel(&Window);
        Link->setText(QStringLiteral("link"));
        Link->setGeometry(10, 10, 120, 20);
        Window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }

    void Enter() {
        QEnterEvent enter(QPointF(2, 2), QPointF(12, 12), QPointF(12, 12));
        QCoreApplication::sendEvent(Link, &enter);
    }
    void Leave() {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(Link, &leave);
    }

    QWidget Window;
    TURLLabel* Link = nullptr;
};

TEST(URLLabel, StartsBlueUnderlinedAndTheSameUnderThePointer) {
    TURLLabel link;
    EXPECT_EQ(link.Font().Color(), 16711680);
    EXPECT_EQ(link.Font().Style(), TFontStyles(fsUnderline));
    EXPECT_EQ(link.OnMouseFontColor(), clBlue);
    EXPECT_EQ(link.OnMouseFontStyle(), TFontStyles(fsUnderline));
    EXPECT_EQ(link.URL(), TURLLabel::DefaultURL());
    EXPECT_FALSE(link.URL().isEmpty());
    EXPECT_EQ(link.LinkType(), ltHTTP);
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    // The form gives the pointer shape, not the label.
    EXPECT_FALSE(link.testAttribute(Qt::WA_SetCursor));
}

TEST(URLLabel, TakesTheHoverFontOnEnterAndGetsItsOwnBackOnLeave) {
    LinkWindow shown;
    TURLLabel& link = *shown.Link;
    TFont rest = link.Font();
    rest.SetColor(clBlack);
    rest.SetStyle(fsBold);
    link.SetFont(rest);
    link.SetOnMouseFontColor(clRed);
    link.SetOnMouseFontStyle(fsItalic | fsUnderline);
    int entered = 0;
    int left = 0;
    link.OnMouseEnter = [&](QObject* sender) {
        EXPECT_EQ(sender, &link);
        // The label's own event comes first, on the resting font.
        EXPECT_EQ(link.Font().Color(), clBlack);
        ++entered;
    };
    link.OnMouseLeave = [&](QObject*) {
        EXPECT_EQ(link.Font().Color(), clRed);
        ++left;
    };

    shown.Enter();
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(link.Font().Color(), clRed);
    EXPECT_EQ(link.Font().Style(), TFontStyles(fsItalic | fsUnderline));
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(link.font().italic());
    EXPECT_FALSE(link.font().bold());

    shown.Leave();
    EXPECT_EQ(left, 1);
    EXPECT_EQ(link.Font().Color(), clBlack);
    EXPECT_EQ(link.Font().Style(), TFontStyles(fsBold));
    EXPECT_TRUE(link.font().bold());
    EXPECT_FALSE(link.font().underline());
}

TEST(URLLabel, RepaintsAtOnceOnEnterAndLeaveEvenWhenNothingVisibleChanges) {
    LinkWindow shown;
    EventCounter paints(QEvent::Paint);
    shown.Link->installEventFilter(&paints);
    ASSERT_EQ(shown.Link->OnMouseFontColor(), shown.Link->Font().Color());
    ASSERT_EQ(shown.Link->OnMouseFontStyle(), shown.Link->Font().Style());

    // No event loop runs between the event and the check: only a repaint
    // done at once is counted.
    shown.Enter();
    EXPECT_EQ(paints.Count, 1);
    shown.Leave();
    EXPECT_EQ(paints.Count, 2);
}

struct PressRow {
    const char* Name;
    Qt::MouseButton Button;
    TMouseButton Expected;
    TLinkType Type;
    const char* URL;
    const char* Target;
};

class URLLabelPress : public ::testing::TestWithParam<PressRow> {};

TEST_P(URLLabelPress, AsksTheShellToOpenTheSchemeAndAddress) {
    const PressRow& row = GetParam();
    TScriptedShell shell;
    LinkWindow shown;
    TURLLabel& link = *shown.Link;
    link.SetLinkType(row.Type);
    link.SetURL(QString::fromUtf8(row.URL));
    int pressed = 0;
    link.OnMouseDown = [&](QObject*, TMouseButton button, TShiftState, int x, int y) {
        // The label's own event comes before the shell is asked.
        EXPECT_EQ(shell.CallCount(), 0);
        EXPECT_EQ(button, row.Expected);
        EXPECT_EQ(QPoint(x, y), QPoint(5, 6));
        ++pressed;
    };

    EventCounter parentPresses(QEvent::MouseButtonPress);
    shown.Window.installEventFilter(&parentPresses);

    QTest::mousePress(&link, row.Button, Qt::NoModifier, QPoint(5, 6));

    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(parentPresses.Count, 0) << "the press went on to the window";
    ASSERT_EQ(shell.CallCount(), 1) << "the press, not the release, opens the link";
    const TShellCall& call = shell.Calls().front();
    EXPECT_EQ(call.Owner, &shown.Window);
    EXPECT_EQ(call.Verb, QStringLiteral("open"));
    EXPECT_EQ(call.File, QString::fromUtf8(row.Target));
    EXPECT_TRUE(call.Params.isEmpty());
    EXPECT_TRUE(call.Dir.isEmpty());
    EXPECT_EQ(call.Show, SW_SHOWNORMAL);
    QTest::mouseRelease(&link, row.Button, Qt::NoModifier, QPoint(5, 6));
    EXPECT_EQ(shell.CallCount(), 1);
}

const PressRow PressRows[] = {
    {"LeftOnWebPage", Qt::LeftButton, mbLeft, ltHTTP, "www.example.org/a",
     "http://www.example.org/a"},
    {"RightOnWebPage", Qt::RightButton, mbRight, ltHTTP, "www.example.org",
     "http://www.example.org"},
    {"MiddleOnMail", Qt::MiddleButton, mbMiddle, ltMail, "a@example.org", "mailto:a@example.org"},
    {"RightOnMail", Qt::RightButton, mbRight, ltMail, "a@example.org", "mailto:a@example.org"},
    {"EmptyWebAddress", Qt::LeftButton, mbLeft, ltHTTP, "", "http://"},
    {"EmptyMailAddress", Qt::LeftButton, mbLeft, ltMail, "", "mailto:"},
    {"AddressWithScheme", Qt::LeftButton, mbLeft, ltHTTP, "http://example.org",
     "http://http://example.org"},
};

INSTANTIATE_TEST_SUITE_P(Rows, URLLabelPress, ::testing::ValuesIn(PressRows),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
