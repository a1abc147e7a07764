// The About box: the system's name, version and purpose, the maker's logo,
// name and contacts, with the web site and the e-mail address as link
// labels. Created hidden at start-up and shown modally on demand; nothing
// in it changes between showings. OK, Enter, Esc and the close box all end
// a showing.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class TPanel;
class TStatusBar;
class TURLLabel;

class TFSobre : public QDialog {
    Q_OBJECT

public:
    // What ShowModal returns: the box is only ever cancelled.
    static constexpr int mrCancel = 2;

    // The maker's logo among the program's resources (a JPEG picture).
    static QString LogoPath() { return QStringLiteral(":/about/about_logo.jpg"); }

    // Builds the box hidden. A logo that cannot be read is reported through
    // the exception handler and the box comes up without it.
    explicit TFSobre(QWidget* parent = nullptr);
    ~TFSobre() override;

    // Shows the box, centred on the screen, and returns when it is closed.
    int ShowModal();

    // Components, named as in the box's layout.
    TPanel* Panel1 = nullptr;
    TPanel* Panel2 = nullptr;
    QLabel* Image1 = nullptr;
    TPanel* Panel3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label7 = nullptr;
    TPanel* Panel4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label8 = nullptr;
    TURLLabel* URLLabel2 = nullptr;
    QLabel* Label9 = nullptr;
    TURLLabel* URLLabel1 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label12 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    TStatusBar* SB99 = nullptr;

    // OK: ends the showing, cancelled.
    void BitBtn1Click(QObject* Sender);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateComponents();
    void CreateSystemPanels();
    void CreateMakerPanel();
    void CreateStatusBar();
    void LoadLogo();
};

// The program's About box, created at start-up after the report host (null
// until then).
inline TFSobre* FSobre = nullptr;
