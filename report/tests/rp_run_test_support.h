// What the generation tests share: the questions table on a private engine
// set-up, the question listing's report over it, and readers of the pages
// the run made (the texts each page draws, where, and the page as an image).
#pragma once

#include "platform/graphics/geometry.h"
#include "report/fr_rel_quest.h"
#include "store/tests/store_test_support.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TMetafile;
class TRpReport;
class TTable;

struct TDrawnText {
    int X = 0;
    int Y = 0;
    QString Text;
};

// The texts a page draws, in drawing order, at its own pixel size.
std::vector<TDrawnText> PageTexts(const TMetafile& page);
QStringList TextsOf(const std::vector<TDrawnText>& texts);
// The first drawn text equal to `text`, or null.
const TDrawnText* FindText(const std::vector<TDrawnText>& texts, const QString& text);
// The page drawn on a white image of its size.
QImage RenderPage(const TMetafile& page);

class RunTest : public StoreTest {
protected:
    // Makes the tables with `questions` generated questions (or none),
    // opens TPerguntas and reads the listing's definition over it.
    void OpenListing(int questions);
    // Adds one question through the table, as the window saves it.
    void AddQuestion(const QString& questao, const QString& a = QStringLiteral("a"),
                     const QString& b = QStringLiteral("b"), const QString& c = QStringLiteral("c"),
                     const QString& correta = QStringLiteral("A"));
    TRpReport& Report();
    // Previews into the page store (no window is registered) and returns
    // the number of pages.
    int Generate();
    std::unique_ptr<TMetafile> Page(int n);

    std::unique_ptr<TTable> Perguntas;
    std::unique_ptr<TFRRelQuest> Form;
};
