// The About box, built to its stored layout: positions and sizes are the
// layout's pixels, relative to the client area of each parent panel. Labels
// size themselves to their caption, except the centred titles, which keep
// their width so that centring has something to centre in.
#include "about/f_sobre.h"

#include "about/panel.h"
#include "about/url_label.h"
#include "platform/dispatch.h"
#include "platform/exceptions.h"
#include "platform/graphics/font.h"
#include "platform/graphics/jpeg.h"
#include "statusbar/status_bar.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

// The maker's details: the project's own, with addresses under a domain
// reserved for examples.
const char* const MakerName = "Projeto Questões";
const char* const AuthorName = "Equipe do Projeto Questões";
const char* const MakerSite = "www.questoes.example.org";
const char* const AuthorMail = "equipe@questoes.example.org";
const char* const MakerPhone = "(00) 0000-0000";

TFont MakeFont(const char* face, int pixels, TFontStyles style = 0) {
    TFont font;
    font.SetName(QString::fromLatin1(face));
    font.SetHeight(-pixels);
    font.SetStyle(style);
    return font;
}

const TFont BoxFont = MakeFont("MS Sans Serif", 11);
const TFont TextFont = MakeFont("MS Sans Serif", 13);

enum TLabelSizing { AutoSize, FixedCentred };

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, const QRect& bounds,
                  const TFont& font, TLabelSizing sizing = AutoSize) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(ToQFont(font));
    label->setWordWrap(false);
    if (sizing == FixedCentred) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setGeometry(bounds);
        return label;
    }
    // The stored width is what the caption took in the original face; a
    // wider substitute must not cut it.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(bounds.x(), bounds.y(), std::max(bounds.width(), label->sizeHint().width()),
                       bounds.height());
    return label;
}

TURLLabel* MakeLink(QWidget* parent, const char* name, const QString& address, TLinkType type,
                    const QRect& bounds) {
    auto* link = new TURLLabel(parent);
    link->setObjectName(QString::fromLatin1(name));
    TFont font = TextFont;
    font.SetColor(clBlue);
    font.SetStyle(fsUnderline);
    link->SetFont(font);
    link->SetOnMouseFontColor(clBlue);
    link->SetOnMouseFontStyle(fsUnderline);
    link->setText(address);
    link->SetURL(address);
    link->SetLinkType(type);
    link->setCursor(Qt::PointingHandCursor);
    link->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    link->setGeometry(bounds.x(), bounds.y(), std::max(bounds.width(), link->sizeHint().width()),
                      bounds.height());
    return link;
}

} // namespace

TFSobre::TFSobre(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FSobre"));
    setWindowTitle(QStringLiteral("Informações Sobre o Sistema"));
    // A dialog border with the close box only; it cannot be resized.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(449, 290);
    setWindowIcon(QIcon(QStringLiteral(":/about/about_icon.png")));
    setFont(ToQFont(BoxFont));
    setModal(true);
    CreateComponents();
    Dispatch([this] { LoadLogo(); });
}

TFSobre::~TFSobre() {
    if (FSobre == this)
        FSobre = nullptr;
}

void TFSobre::CreateComponents() {
    Panel1 = new TPanel(this, QStringLiteral("Panel1"));
    Panel1->SetBevelOuter(bvNone);
    Panel1->SetBorderStyle(bsSingle);
    Panel1->SetBounds(0, 0, width(), height());
    CreateSystemPanels();
    CreateMakerPanel();
    BitBtn1 = new QPushButton(QStringLiteral("&OK"), Panel1->Client());
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(184, 240, 81, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { Dispatch([this] { BitBtn1Click(BitBtn1); }); });
    CreateStatusBar();
}

void TFSobre::CreateSystemPanels() {
    Panel2 = new TPanel(Panel1->Client(), QStringLiteral("Panel2"));
    Panel2->SetBorderStyle(bsSingle);
    Panel2->SetColor(clWhite);
    Panel2->SetBounds(8, 8, 177, 113);
    Image1 = new QLabel(Panel2->Client());
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(37, 3, 100, 100);

    Panel3 = new TPanel(Panel1->Client(), QStringLiteral("Panel3"));
    Panel3->SetBorderStyle(bsSingle);
    Panel3->SetBounds(192, 8, 249, 113);
    QWidget* system = Panel3->Client();
    const TFont title = MakeFont("Arial", 16, fsBold);
    Label2 = MakeLabel(system, "Label2", QStringLiteral("Radoziv iv Ivaduvorir"),
                       QRect(0, 0, 241, 19), title, FixedCentred);
    Label5 = MakeLabel(system, "Label5", QStringLiteral("de Jogos"), QRect(0, 16, 241, 19), title,
                       FixedCentred);
    Label10 = MakeLabel(system, "Label10", QStringLiteral("Sistema Integrante dos Jogos"),
                        QRect(2, 40, 239, 16), TextFont, FixedCentred);
    Label7 =
        MakeLabel(system, "Label7", QStringLiteral("Versão: 1.0"), QRect(8, 88, 67, 16), TextFont);
}

void TFSobre::CreateMakerPanel() {
    Panel4 = new TPanel(Panel1->Client(), QStringLiteral("Panel4"));
    Panel4->SetBorderStyle(bsSingle);
    Panel4->SetBounds(8, 128, 433, 105);
    QWidget* maker = Panel4->Client();
    Label1 = MakeLabel(maker, "Label1", QString::fromUtf8(MakerName), QRect(8, 8, 173, 19),
                       MakeFont("Arial", 16, fsBold));
    Label3 =
        MakeLabel(maker, "Label3", QStringLiteral("Criado por:"), QRect(8, 32, 66, 16), TextFont);
    Label4 = MakeLabel(maker, "Label4", QString::fromUtf8(AuthorName), QRect(80, 32, 223, 16),
                       MakeFont("Arial", 13, fsBold));
    Label8 = MakeLabel(maker, "Label8", QStringLiteral("Site:"), QRect(8, 48, 26, 16), TextFont);
    URLLabel2 = MakeLink(maker, "URLLabel2", QString::fromLatin1(MakerSite), ltHTTP,
                         QRect(56, 48, 194, 16));
    Label9 = MakeLabel(maker, "Label9", QStringLiteral("E-mail:"), QRect(8, 64, 41, 16), TextFont);
    URLLabel1 = MakeLink(maker, "URLLabel1", QString::fromLatin1(AuthorMail), ltMail,
                         QRect(56, 64, 161, 16));
    Label6 =
        MakeLabel(maker, "Label6", QStringLiteral("Telefone:"), QRect(8, 80, 57, 16), TextFont);
    Label12 = MakeLabel(maker, "Label12", QString::fromLatin1(MakerPhone), QRect(72, 80, 85, 16),
                        TextFont);
}

void TFSobre::CreateStatusBar() {
    SB99 = new TStatusBar(Panel1->Client());
    SB99->setObjectName(QStringLiteral("SB99"));
    SB99->BeginLoad();
    SB99->SetFont(BoxFont);
    TStatusPanel* name = SB99->Panels().Add();
    name->SetWidth(100);
    name->SetAlignment(taCenter);
    name->SetText(QStringLiteral("Janela Suporte"));
    SB99->Panels().Add()->SetWidth(50);
    SB99->EndLoad();
    SB99->setGeometry(0, 267, 445, 19);
}

void TFSobre::LoadLogo() {
    QFile file(LogoPath());
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("Logotipo %1 não encontrado: %2").arg(LogoPath(), file.errorString()));
    // Decoded by the program's own JPEG decoder; the image takes the
    // picture's size.
    const QImage logo = DecodeJpeg(file.readAll());
    Image1->setPixmap(QPixmap::fromImage(logo));
    Image1->resize(logo.size());
}

int TFSobre::ShowModal() {
    // Kept above the window that opened it, without a task-bar entry of its
    // own.
    QWidget* opener = QApplication::activeWindow();
    if (opener != nullptr && opener != this && opener->windowHandle() != nullptr) {
        winId();
        windowHandle()->setTransientParent(opener->windowHandle());
    }
    exec();
    return mrCancel;
}

void TFSobre::BitBtn1Click(QObject*) {
    reject();
}

void TFSobre::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
}

void TFSobre::keyPressEvent(QKeyEvent* event) {
    // Esc is OK's key as much as Enter: OK is the cancel button too.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BitBtn1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
