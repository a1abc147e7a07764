// Helpers for the tests of PDF output: a page laid out like a page of the
// question listing, recorded through the metafile canvas, and a runner for
// poppler's command-line readers.
#pragma once

#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_canvas.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace rptest {

// What a poppler tool prints on standard output; a failure to run it fails
// the test that asked.
inline QString Poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString() << " " << args.join(' ').toStdString() << ": "
                      << p.readAllStandardError().toStdString() << p.errorString().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A landscape A4 page (1123 x 794 pixels) as the listing lays it out: the
// column header, `bands` detail bands of a question in up to four clipped
// lines, its three alternatives and the correct letter, each band closed by a
// rule, and the footer with the page number.
inline TMetafile ListingPage(int pageNumber, int bands) {
    TMetafile page;
    page.SetWidth(1123);
    page.SetHeight(794);
    TMetafileCanvas canvas(page);
    canvas.Brush().Style = bsClear;
    canvas.Font().SetName(QStringLiteral("Arial"));
    canvas.Font().SetHeight(-13);
    canvas.Font().SetStyle(fsBold);
    const int columns[] = {40, 420, 640, 860, 1040};
    const char* headings[] = {"Questão", "Alternativa A", "Alternativa B", "Alternativa C",
                              "Correta"};
    for (int c = 0; c < 5; ++c) {
        canvas.TextOut(columns[c], 40, QString::fromUtf8(headings[c]));
    }
    canvas.MoveTo(38, 58);
    canvas.LineTo(1085, 58);
    canvas.Font().SetStyle(0);
    for (int k = 0; k < bands; ++k) {
        const int top = 59 + 74 * k;
        const QString q = QStringLiteral("Questão %1 da página %2: qual é a alternativa")
                              .arg(k + 1)
                              .arg(pageNumber);
        const QString lines[] = {q, QStringLiteral("correta entre as três que seguem,"),
                                 QStringLiteral("segundo o texto lido em sala?")};
        const TRect box = Rect(columns[0], top + 2, columns[1] - 8, top + 72);
        for (int i = 0; i < 3; ++i) {
            canvas.ExtTextOut(box.Left, box.Top + 16 * i, ETO_CLIPPED, &box, lines[i]);
        }
        for (int c = 1; c <= 3; ++c) {
            const TRect cell = Rect(columns[c], top + 2, columns[c + 1] - 8, top + 72);
            canvas.ExtTextOut(
                cell.Left, cell.Top, ETO_CLIPPED, &cell,
                QStringLiteral("Resposta %1 da questão %2").arg(QChar('A' + c - 1)).arg(k + 1));
        }
        canvas.TextOut(columns[4] + 20, top + 2, QString(QChar('A' + k % 3)));
        canvas.MoveTo(38, top + 73);
        canvas.LineTo(1085, top + 73);
    }
    canvas.MoveTo(38, 748);
    canvas.LineTo(1085, 748);
    canvas.TextOut(1000, 756, QStringLiteral("Página %1").arg(pageNumber));
    canvas.End();
    return page;
}

} // namespace rptest
