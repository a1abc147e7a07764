// The About box: its window and layout to the pixel, the logo decoded from
// the program's resources, the keys and the button that close it, and the
// link labels that ask the shell while the box stays open.
#include "about/f_sobre.h"

#include "about/panel.h"
#include "about/url_label.h"
#include "platform/graphics/font.h"
#include "platform/graphics/jpeg.h"
#include "platform/testing/scripted_shell.h"
#include "platform/testing/when_modal.h"
#include "statusbar/status_bar.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

enum Sizing { Fixed, Auto };

struct LayoutRow {
    const char* Name;
    const char* Parent;
    QRect Geometry;
    const char* Text;
    const char* Face;
    int Pixels;
    bool Bold;
    Sizing Size;
};

const LayoutRow Layout[] = {
    {"Panel1", "FSobre", QRect(0, 0, 449, 290), nullptr, nullptr, 0, false, Fixed},
    {"Panel2", "Panel1", QRect(8, 8, 177, 113), nullptr, nullptr, 0, false, Fixed},
    {"Image1", "Panel2", QRect(37, 3, 100, 100), nullptr, nullptr, 0, false, Fixed},
    {"Panel3", "Panel1", QRect(192, 8, 249, 113), nullptr, nullptr, 0, false, Fixed},
    {"Label2", "Panel3", QRect(0, 0, 241, 19), "Radoziv iv Ivaduvorir", "Arial", 16, true, Fixed},
    {"Label5", "Panel3", QRect(0, 16, 241, 19), "de Jogos", "Arial", 16, true, Fixed},
    {"Label10", "Panel3", QRect(2, 40, 239, 16), "Sistema Integrante dos Jogos", "MS Sans Serif",
     13, false, Fixed},
    {"Label7", "Panel3", QRect(8, 88, 67, 16), "Versão: 1.0", "MS Sans Serif", 13, false, Auto},
    {"Panel4", "Panel1", QRect(8, 128, 433, 105), nullptr, nullptr, 0, false, Fixed},
    {"Label1", "Panel4", QRect(8, 8, 173, 19), "Projeto Questões", "Arial", 16, true, Auto},
    {"Label3", "Panel4", QRect(8, 32, 66, 16), "Criado por:", "MS Sans Serif", 13, false, Auto},
    {"Label4", "Panel4", QRect(80, 32, 223, 16), "Equipe do Projeto Questões", "Arial", 13, true,
     Auto},
    {"Label8", "Panel4", QRect(8, 48, 26, 16), "Site:", "MS Sans Serif", 13, false, Auto},
    {"URLLabel2", "Panel4", QRect(56, 48, 194, 16), "www.questoes.example.org", "MS Sans Serif", 13,
     false, Auto},
    {"Label9", "Panel4", QRect(8, 64, 41, 16), "E-mail:", "MS Sans Serif", 13, false, Auto},
    {"URLLabel1", "Panel4", QRect(56, 64, 161, 16), "equipe@questoes.example.org", "MS Sans Serif",
     13, false, Auto},
    {"Label6", "Panel4", QRect(8, 80, 57, 16), "Telefone:", "MS Sans Serif", 13, false, Auto},
    {"Label12", "Panel4", QRect(72, 80, 85, 16), "(00) 0000-0000", "MS Sans Serif", 13, false,
     Auto},
    {"BitBtn1", "Panel1", QRect(184, 240, 81, 25), "&OK", "MS Sans Serif", 11, false, Fixed},
    {"SB99", "Panel1", QRect(0, 267, 445, 19), nullptr, nullptr, 0, false, Fixed},
};

// The component a child's geometry is relative to: a panel for the
// children of its client area, the box for Panel1.
QString ParentName(QWidget* widget) {
    QWidget* parent = widget->parentWidget();
    if (auto* panel = qobject_cast<TPanel*>(parent->parentWidget());
        panel != nullptr && panel->Client() == parent)
        return panel->objectName();
    return parent->objectName();
}

class FSobreLayout : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(FSobreLayout, ComponentSitsWhereTheLayoutPutsIt) {
    const LayoutRow& row = GetParam();
    TFSobre box;
    auto* widget = box.findChild<QWidget*>(QString::fromLatin1(row.Name));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(ParentName(widget), QString::fromLatin1(row.Parent));
    const QRect at = widget->geometry();
    EXPECT_EQ(at.topLeft(), row.Geometry.topLeft());
    EXPECT_EQ(at.height(), row.Geometry.height());
    auto* label = qobject_cast<QLabel*>(widget);
    if (row.Size == Fixed)
        EXPECT_EQ(at.width(), row.Geometry.width());
    else
        EXPECT_GE(at.width(), row.Geometry.width());
    if (label != nullptr && row.Text != nullptr) {
        // Fixed titles centre their caption; the others sit at their left.
        const Qt::Alignment expected = row.Size == Fixed ? Qt::AlignHCenter : Qt::AlignLeft;
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, expected);
    }
    if (row.Text != nullptr) {
        QString text;
        if (label != nullptr)
            text = label->text();
        else if (auto* button = qobject_cast<QPushButton*>(widget))
            text = button->text();
        EXPECT_EQ(text, QString::fromUtf8(row.Text));
        // A label that sizes itself shows all of its caption.
        EXPECT_GE(at.width(), widget->sizeHint().width());
    }
    if (row.Face != nullptr) {
        EXPECT_EQ(widget->font().family(), SubstituteFace(QString::fromLatin1(row.Face)));
        EXPECT_EQ(widget->font().pixelSize(), row.Pixels);
        EXPECT_EQ(widget->font().bold(), row.Bold);
    }
}

INSTANTIATE_TEST_SUITE_P(Components, FSobreLayout, ::testing::ValuesIn(Layout),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(FSobre, WindowIsAFixedDialogWithItsCaptionFontAndIcon) {
    TFSobre box;
    EXPECT_EQ(box.objectName(), QStringLiteral("FSobre"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Informações Sobre o Sistema"));
    EXPECT_EQ(box.size(), QSize(449, 290));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.font().family(), SubstituteFace(QStringLiteral("MS Sans Serif")));
    EXPECT_EQ(box.font().pixelSize(), 11);
    EXPECT_TRUE(box.windowIcon().availableSizes().contains(QSize(32, 32)));
    QFile icon(QStringLiteral(":/about/about_icon.png"));
    ASSERT_TRUE(icon.open(QIODevice::ReadOnly));
    const QImage picture = QImage::fromData(icon.readAll());
    EXPECT_LE(picture.colorCount(), 16);
    EXPECT_GT(picture.colorCount(), 0);
}

TEST(FSobre, PanelsHaveTheirBordersBevelsColoursAndTheStatusBarItsPanels) {
    TFSobre box;
    EXPECT_EQ(box.Panel1->BevelOuter(), bvNone);
    for (TPanel* panel : {box.Panel1, box.Panel2, box.Panel3, box.Panel4}) {
        EXPECT_EQ(panel->BorderStyle(), bsSingle) << panel->objectName().toStdString();
        // Children are placed inside the two-pixel border.
        EXPECT_EQ(panel->Client()->geometry(), panel->rect().adjusted(2, 2, -2, -2));
    }
    for (TPanel* panel : {box.Panel2, box.Panel3, box.Panel4})
        EXPECT_EQ(panel->BevelOuter(), bvRaised);
    EXPECT_EQ(box.Panel2->Color(), clWhite);
    EXPECT_EQ(box.Panel3->Color(), clBtnFace);
    // The bar fills the bottom of Panel1's client area, with its two panels.
    EXPECT_EQ(box.SB99->geometry().bottomRight(), box.Panel1->Client()->rect().bottomRight());
    ASSERT_EQ(box.SB99->Panels().Count(), 2);
    EXPECT_EQ(box.SB99->Panels()[0]->Width(), 100);
    EXPECT_EQ(box.SB99->Panels()[0]->Alignment(), taCenter);
    EXPECT_EQ(box.SB99->Panels()[0]->Text(), QStringLiteral("Janela Suporte"));
    EXPECT_EQ(box.SB99->Panels()[1]->Width(), 50);
    EXPECT_TRUE(box.SB99->Panels()[1]->Text().isEmpty());
}

TEST(FSobre, LinkLabelsPointAtTheirCaptionsWithTheHandAndAnUnchangingFont) {
    TFSobre box;
    EXPECT_EQ(box.URLLabel2->URL(), box.URLLabel2->text());
    EXPECT_EQ(box.URLLabel2->LinkType(), ltHTTP);
    EXPECT_EQ(box.URLLabel1->URL(), box.URLLabel1->text());
    EXPECT_EQ(box.URLLabel1->LinkType(), ltMail);
    for (TURLLabel* link : {box.URLLabel1, box.URLLabel2}) {
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(link->Font().Color(), clBlue);
        EXPECT_EQ(link->Font().Style(), TFontStyles(fsUnderline));
        EXPECT_EQ(link->OnMouseFontColor(), link->Font().Color());
        EXPECT_EQ(link->OnMouseFontStyle(), link->Font().Style());
    }
}

TEST(FSobre, LogoIsAProgressiveColourJpegDecodedTo100By100) {
    QFile file(TFSobre::LogoPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    // Start of a progressive frame, with three components.
    const qsizetype frame = data.indexOf(QByteArray("\xFF\xC2", 2));
    ASSERT_GE(frame, 0) << "not a progressive JPEG";
    ASSERT_GT(data.size(), frame + 9);
    EXPECT_EQ(static_cast<unsigned char>(data[frame + 9]), 3);

    const QImage logo = DecodeJpeg(data);
    EXPECT_EQ(logo.size(), QSize(100, 100));
    bool coloured = false;
    for (int y = 0; y < logo.height() && !coloured; ++y)
        for (int x = 0; x < logo.width() && !coloured; ++x) {
            const QRgb p = logo.pixel(x, y);
            coloured = qRed(p) != qGreen(p) || qGreen(p) != qBlue(p);
        }
    EXPECT_TRUE(coloured);

    TFSobre box;
    EXPECT_EQ(box.Image1->size(), QSize(100, 100));
    const QImage shown = box.Image1->pixmap().toImage();
    ASSERT_EQ(shown.size(), QSize(100, 100));
    EXPECT_EQ(shown.pixel(50, 50), logo.pixel(50, 50));
    EXPECT_EQ(shown.pixel(10, 90), logo.pixel(10, 90));
}

struct CloseRow {
    const char* Name;
    Qt::Key Key; // Qt::Key_unknown: a click on OK
};

class FSobreClose : public ::testing::TestWithParam<CloseRow> {};

TEST_P(FSobreClose, EndsTheShowingCancelledAndOpensAgain) {
    const CloseRow& row = GetParam();
    TFSobre box;
    for (int showing = 0; showing < 2; ++showing) {
        bool wasShown = false;
        TWhenModal when([&](QWidget* modal) {
            wasShown = modal == &box && box.isVisible();
            if (row.Key == Qt::Key_unknown) {
                QTest::mouseClick(box.BitBtn1, Qt::LeftButton);
                return;
            }
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus != nullptr ? focus : &box, row.Key);
        });
        EXPECT_EQ(box.ShowModal(), TFSobre::mrCancel);
        EXPECT_TRUE(wasShown);
        EXPECT_FALSE(box.isVisible());
    }
}

const CloseRow CloseRows[] = {
    {"Enter", Qt::Key_Return},
    {"KeypadEnter", Qt::Key_Enter},
    {"Esc", Qt::Key_Escape},
    {"OkButton", Qt::Key_unknown},
};

INSTANTIATE_TEST_SUITE_P(Ways, FSobreClose, ::testing::ValuesIn(CloseRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(FSobre, LinksAskTheShellAndTheBoxStaysOpen) {
    TScriptedShell shell;
    TFSobre box;
    bool openAfterClicks = false;
    TWhenModal when([&](QWidget*) {
        QTest::mouseClick(box.URLLabel2, Qt::LeftButton);
        QTest::mouseClick(box.URLLabel1, Qt::LeftButton);
        openAfterClicks = box.isVisible() && QApplication::activeModalWidget() == &box;
        box.BitBtn1->click();
    });
    box.ShowModal();
    EXPECT_TRUE(openAfterClicks);
    ASSERT_EQ(shell.CallCount(), 2);
    EXPECT_EQ(shell.Calls()[0].File, QStringLiteral("http://www.questoes.example.org"));
    EXPECT_EQ(shell.Calls()[1].File, QStringLiteral("mailto:equipe@questoes.example.org"));
    for (const TShellCall& call : shell.Calls()) {
        EXPECT_EQ(call.Owner, &box);
        EXPECT_EQ(call.Verb, QStringLiteral("open"));
    }
}

TEST(FSobre, ShowsCentredOnTheScreen) {
    TFSobre box;
    QPoint centre;
    TWhenModal when([&](QWidget*) {
        centre = box.frameGeometry().center();
        box.BitBtn1->click();
    });
    box.ShowModal();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((centre - screen.center()).manhattanLength(), 2);
}

} // namespace
