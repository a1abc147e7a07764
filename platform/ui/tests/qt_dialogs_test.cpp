// The real dialogs on Qt's standard dialogs: buttons, icons and answers of
// message boxes, the password prompt and the file dialogs, driven while
// they are open.
#include "platform/ui/qt_dialogs.h"

#include "platform/testing/when_modal.h"
#include "platform/ui/application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QAbstractButton* ButtonWithText(QMessageBox* box, const QString& text) {
    for (QAbstractButton* button : box->buttons())
        if (button->text() == text)
            return button;
    return nullptr;
}

QStringList ButtonTexts(QMessageBox* box) {
    QStringList texts;
    for (QAbstractButton* button : box->buttons())
        texts << button->text();
    texts.sort();
    return texts;
}

TEST(QtDialogs, ConfirmationHasYesNoQuestionIconAndAnswersYes) {
    TQtDialogs dialogs;
    QString title;
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    TWhenModal when([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = ButtonTexts(box);
        ButtonWithText(box, QStringLiteral("Sim"))->click();
    });
    const int answer = dialogs.MessageBox(QStringLiteral("Deseja Realmente Sair do Sistema ?"),
                                          QStringLiteral("Sair do Sistema?"), 36);
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(title, QStringLiteral("Sair do Sistema?"));
    EXPECT_EQ(text, QStringLiteral("Deseja Realmente Sair do Sistema ?"));
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("Não"), QStringLiteral("Sim")}));
}

TEST(QtDialogs, NoAnswersNo) {
    TQtDialogs dialogs;
    TWhenModal when([](QWidget* modal) {
        ButtonWithText(qobject_cast<QMessageBox*>(modal), QStringLiteral("Não"))->click();
    });
    EXPECT_EQ(
        dialogs.MessageBox(QStringLiteral("?"), QStringLiteral("c"), MB_YESNO | MB_ICONQUESTION),
        IDNO);
}

TEST(QtDialogs, SecondDefaultButtonIsNo) {
    TQtDialogs dialogs;
    QString defaultText;
    TWhenModal when([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        box->defaultButton()->click();
    });
    EXPECT_EQ(dialogs.MessageBox(QStringLiteral("?"), QStringLiteral("c"),
                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
              IDNO);
    EXPECT_EQ(defaultText, QStringLiteral("Não"));
}

TEST(QtDialogs, ErrorBoxHasOkOnlyAndErrorIcon) {
    TQtDialogs dialogs;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    TWhenModal when([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        buttons = ButtonTexts(box);
        icon = box->icon();
        box->buttons().first()->click();
    });
    EXPECT_EQ(
        dialogs.MessageBox(QStringLiteral("Erro."), QStringLiteral("t"), MB_OK | MB_ICONERROR),
        IDOK);
    EXPECT_EQ(buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(QtDialogs, WarningAndInformationIcons) {
    TQtDialogs dialogs;
    std::vector<QMessageBox::Icon> icons;
    for (unsigned flags : {MB_ICONWARNING, MB_ICONINFORMATION, MB_OK}) {
        TWhenModal when([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            icons.push_back(box->icon());
            box->buttons().first()->click();
        });
        dialogs.MessageBox(QStringLiteral("x"), QStringLiteral("t"), flags);
    }
    EXPECT_EQ(icons, (std::vector<QMessageBox::Icon>{QMessageBox::Warning, QMessageBox::Information,
                                                     QMessageBox::NoIcon}));
}

TEST(QtDialogs, ShowMessageIsCaptionedWithTheApplicationTitle) {
    TApplication app;
    app.Initialize();
    app.SetTitle(QStringLiteral("Radoziv iv Ivaduvorir de Jogos"));
    TQtDialogs dialogs;
    QString title;
    QStringList buttons;
    TWhenModal when([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        title = box->windowTitle();
        buttons = ButtonTexts(box);
        box->buttons().first()->click();
    });
    dialogs.ShowMessage(
        QStringLiteral("Não pode Sair, Termine seu Cadastro ou Cancele para Sair !"));
    EXPECT_EQ(title, QStringLiteral("Radoziv iv Ivaduvorir de Jogos"));
    EXPECT_EQ(buttons, QStringList{QStringLiteral("OK")});
}

TEST(QtDialogs, PasswordPromptHidesTheTextAndReturnsIt) {
    TQtDialogs dialogs;
    QLineEdit::EchoMode mode = QLineEdit::Normal;
    QString label;
    TWhenModal when([&](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        mode = dialog->textEchoMode();
        label = dialog->labelText();
        dialog->setTextValue(QStringLiteral("segredo"));
        dialog->accept();
    });
    EXPECT_EQ(dialogs.PromptPassword(QStringLiteral("QUESTOES.DB")),
              std::optional<QString>(QStringLiteral("segredo")));
    EXPECT_EQ(mode, QLineEdit::Password);
    EXPECT_TRUE(label.contains(QStringLiteral("QUESTOES.DB")));
}

TEST(QtDialogs, CancelledPasswordPromptGivesNothing) {
    TQtDialogs dialogs;
    TWhenModal when([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(dialogs.PromptPassword(QStringLiteral("FRASES.DB")), std::nullopt);
}

TEST(QtDialogs, SaveDialogAddsTheDefaultExtension) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TQtDialogs dialogs;
    QStringList filters;
    QString title;
    TWhenModal when([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        title = dialog->windowTitle();
        dialog->selectFile(QStringLiteral("listagem"));
        static_cast<QDialog*>(dialog)->accept(); // public in the base
    });
    TFileDialogOptions options;
    options.Title = QStringLiteral("Save report");
    options.Filter = QStringLiteral("Relatórios (*.RPP)|*.RPP");
    options.DefaultExt = QStringLiteral("RPP");
    options.InitialDir = dir.path();
    const std::optional<QString> chosen = dialogs.SaveFileName(options);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QDir(*chosen), QDir(dir.filePath(QStringLiteral("listagem.RPP"))));
    EXPECT_EQ(title, QStringLiteral("Save report"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("Relatórios (*.RPP *.rpp)")});
}

TEST(QtDialogs, SaveDialogReportsTheChosenFilterAndGivesItsExtension) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TQtDialogs dialogs;
    QString selectedAtStart;
    TWhenModal when([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        selectedAtStart = dialog->selectedNameFilter();
        dialog->selectNameFilter(dialog->nameFilters().at(1));
        emit dialog->filterSelected(dialog->nameFilters().at(1));
        dialog->selectFile(QStringLiteral("listagem"));
        static_cast<QDialog*>(dialog)->accept();
    });
    TFileDialogOptions options;
    options.Filter = QStringLiteral("Relatórios (*.RPP)|*.RPP|PDF (*.pdf)|*.pdf");
    options.DefaultExt = QStringLiteral("RPP");
    options.InitialDir = dir.path();
    const std::optional<TFileDialogChoice> chosen = dialogs.SaveFile(options);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(selectedAtStart, QStringLiteral("Relatórios (*.RPP *.rpp)"));
    EXPECT_EQ(chosen->FilterIndex, 2);
    EXPECT_EQ(QDir(chosen->FileName), QDir(dir.filePath(QStringLiteral("listagem.pdf"))));
}

TEST(QtDialogs, ExtensionOfANameFilterIsItsFirstPlainPattern) {
    EXPECT_EQ(TQtDialogs::ExtensionOfNameFilter(QStringLiteral("PDF (*.pdf *.PDF)")),
              QStringLiteral("pdf"));
    EXPECT_EQ(TQtDialogs::ExtensionOfNameFilter(QStringLiteral("Todos (*.*)")), QString());
    EXPECT_EQ(TQtDialogs::ExtensionOfNameFilter(QStringLiteral("Tudo (*)")), QString());
    EXPECT_EQ(TQtDialogs::ExtensionOfNameFilter(QStringLiteral("*.RPP")), QStringLiteral("RPP"));
}

TEST(QtDialogs, CancelledOpenDialogGivesNothing) {
    TQtDialogs dialogs;
    TWhenModal when([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(dialogs.OpenFileName(TFileDialogOptions{}), std::nullopt);
}

struct TFilterCase {
    const char* Name;
    const char* Desktop;
    QStringList Qt;
};

void PrintTo(const TFilterCase& row, std::ostream* os) {
    *os << row.Name;
}

class DesktopFilter : public ::testing::TestWithParam<TFilterCase> {};

TEST_P(DesktopFilter, BecomesQtNameFilters) {
    EXPECT_EQ(TQtDialogs::NameFiltersFromDesktop(QString::fromUtf8(GetParam().Desktop)),
              GetParam().Qt);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DesktopFilter,
    ::testing::Values(
        TFilterCase{
            "Single", "Relatórios (*.RPP)|*.RPP", {QStringLiteral("Relatórios (*.RPP *.rpp)")}},
        TFilterCase{
            "DescriptionWithoutPatterns", "Texto|*.txt", {QStringLiteral("Texto (*.txt *.TXT)")}},
        TFilterCase{
            "SeveralPatternsAndEntries",
            "Figuras|*.bmp;*.JPG|Todos (*.*)|*.*",
            {QStringLiteral("Figuras (*.bmp *.BMP *.JPG *.jpg)"), QStringLiteral("Todos (*.*)")}},
        TFilterCase{"Empty", "", {}}, TFilterCase{"DanglingDescription", "Só descrição", {}}),
    [](const ::testing::TestParamInfo<TFilterCase>& info) { return std::string(info.param.Name); });

} // namespace
