// The dialogs service on Qt's standard dialogs: message boxes on
// QMessageBox with the desktop's buttons and answers, the table-password
// prompt on QInputDialog, file names on QFileDialog.
#pragma once

#include "platform/dialogs.h"

#include <QStringList>

class TQtDialogs : public TDialogs {
public:
    int MessageBox(const QString& text, const QString& caption, unsigned flags) override;
    void ShowMessage(const QString& text) override;
    std::optional<QString> PromptPassword(const QString& tableName) override;
    std::optional<TFileDialogChoice> OpenFile(const TFileDialogOptions& options) override;
    std::optional<TFileDialogChoice> SaveFile(const TFileDialogOptions& options) override;

    // A desktop filter ("Relatórios (*.RPP)|*.RPP") as Qt name filters
    // ("Relatórios (*.RPP *.rpp)"). Each pattern is offered in upper and
    // lower case too, since names here are matched ignoring case.
    static QStringList NameFiltersFromDesktop(const QString& filter);
    // The extension of a Qt name filter's first pattern ("*.pdf" gives
    // "pdf"); empty when the pattern names no single extension.
    static QString ExtensionOfNameFilter(const QString& nameFilter);
};
