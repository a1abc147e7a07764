#include "report/tests/rp_run_test_support.h"

#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_player.h"
#include "platform/graphics/painter_canvas.h"
#include "report/fr_rel_quest.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"
#include "store/field.h"
#include "store/table.h"

namespace {

// Draws as the painter canvas does and writes each text down.
class TTextRecorder : public TPainterCanvas {
public:
    TTextRecorder(QImage* image, std::vector<TDrawnText>& texts)
        : TPainterCanvas(image), texts_(texts) {}
    void ExtTextOut(int x, int y, unsigned options, const TRect* clip, const QString& text,
                    const std::vector<int>* advances) override {
        texts_.push_back(TDrawnText{x, y, text});
        TPainterCanvas::ExtTextOut(x, y, options, clip, text, advances);
    }

private:
    std::vector<TDrawnText>& texts_;
};

QImage Draw(const TMetafile& page, std::vector<TDrawnText>& texts) {
    QImage image(page.Width(), page.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        TTextRecorder canvas(&image, texts);
        PlayMetafile(page, canvas, Rect(0, 0, page.Width(), page.Height()));
    }
    return image;
}

} // namespace

std::vector<TDrawnText> PageTexts(const TMetafile& page) {
    std::vector<TDrawnText> texts;
    Draw(page, texts);
    return texts;
}

QStringList TextsOf(const std::vector<TDrawnText>& texts) {
    QStringList list;
    for (const TDrawnText& t : texts)
        list << t.Text;
    return list;
}

const TDrawnText* FindText(const std::vector<TDrawnText>& texts, const QString& text) {
    for (const TDrawnText& t : texts)
        if (t.Text == text)
            return &t;
    return nullptr;
}

QImage RenderPage(const TMetafile& page) {
    std::vector<TDrawnText> texts;
    return Draw(page, texts);
}

void RunTest::OpenListing(int questions) {
    PrepareTables(questions);
    AddPassword();
    Perguntas = MakeQuestions();
    Perguntas->Open();
    Form = std::make_unique<TFRRelQuest>(Perguntas.get());
}

void RunTest::AddQuestion(const QString& questao, const QString& a, const QString& b,
                          const QString& c, const QString& correta) {
    Perguntas->Insert();
    Perguntas->FieldByName(QStringLiteral("Questao"))->SetAsString(questao);
    Perguntas->FieldByName(QStringLiteral("Resp_A"))->SetAsString(a);
    Perguntas->FieldByName(QStringLiteral("Resp_B"))->SetAsString(b);
    Perguntas->FieldByName(QStringLiteral("Resp_C"))->SetAsString(c);
    Perguntas->FieldByName(QStringLiteral("Correta"))->SetAsString(correta);
    Perguntas->FieldByName(QStringLiteral("Flag"))->SetAsString(QStringLiteral("N"));
    Perguntas->Post();
}

TRpReport& RunTest::Report() {
    return *Form->RpRelQuest();
}

int RunTest::Generate() {
    Report().Preview();
    return Report().Printer() ? Report().Printer()->PageCount() : 0;
}

std::unique_ptr<TMetafile> RunTest::Page(int n) {
    return Report().Printer()->GetPage(n);
}
