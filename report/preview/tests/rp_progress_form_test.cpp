// The progress window: its layout, what it shows at each percentage and
// its Cancel button.
#include "report/preview/rp_progress_form.h"

#include "platform/messages.h"
#include "platform/testing/scripted_printer.h"
#include "report/rp_printer.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

TEST(RpProgressForm, IsASmallCaptionedWindowOnTopWithGaugeInfoAndCancel) {
    TScriptedPrinter printers;
    TRpPrinter printer;
    TRpProgressForm form(&printer);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Printing progress"));
    EXPECT_EQ(form.size(), QSize(149, 97));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.Gauge->geometry(), QRect(16, 18, 114, 16));
    EXPECT_EQ(form.Gauge->minimum(), 0);
    EXPECT_EQ(form.Gauge->maximum(), 100);
    EXPECT_EQ(form.Info->geometry(), QRect(0, 44, 145, 13));
    EXPECT_TRUE(form.Info->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(form.Info->text().isEmpty());
    EXPECT_EQ(form.CancelButton->geometry(), QRect(36, 60, 75, 25));
    EXPECT_EQ(form.CancelButton->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(form.Printer(), &printer);
}

TEST(RpProgressForm, ShowsOnlyEveryFifthPercentFollowedByCompleted) {
    TScriptedPrinter printers;
    TRpPrinter printer;
    TRpProgressForm form(&printer);
    QStringList shown;
    std::vector<int> gauge;
    for (int percent = 0; percent <= 100; ++percent) {
        printer.SetProgress(percent);
        SendMessage(&form, RP_PROGRESS, static_cast<quintptr>(percent));
        if (shown.isEmpty() || shown.back() != form.Info->text())
            shown << form.Info->text();
        gauge.push_back(form.Gauge->value());
    }
    QStringList expected;
    for (int percent = 0; percent <= 100; percent += 5)
        expected << QString::number(percent) + QStringLiteral("%  Completed");
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(gauge.at(7), 5);
    EXPECT_EQ(gauge.at(50), 50);
    EXPECT_EQ(gauge.at(100), 100);
    EXPECT_FALSE(shown.contains(QStringLiteral("7%  Completed")));
}

TEST(RpProgressForm, TheMessageIsReadFromThePrinterObject) {
    TScriptedPrinter printers;
    TRpPrinter printer;
    TRpProgressForm form(&printer);
    printer.SetProgress(10);
    // Whatever the message carries, the printer object's value counts.
    SendMessage(&form, RP_PROGRESS, 35);
    EXPECT_EQ(form.Info->text(), QStringLiteral("10%  Completed"));
    printer.SetProgress(12);
    SendMessage(&form, RP_PROGRESS, 40);
    EXPECT_EQ(form.Info->text(), QStringLiteral("10%  Completed"));
}

TEST(RpProgressForm, CancelSetsThePrinterObjectsCancelledFlag) {
    TScriptedPrinter printers;
    TRpPrinter printer;
    TRpProgressForm form(&printer);
    form.show();
    ASSERT_FALSE(printer.Cancelled());
    QTest::mouseClick(form.CancelButton, Qt::LeftButton);
    EXPECT_TRUE(printer.Cancelled());
}
