// Breaking a text into the lines of a box.
//
// Each word is tried at the end of the current line; when the line would be
// wider than the box, the line is closed and the word starts the next one.
// A word that is wider than the box on its own is cut: characters move into
// an empty line while it stays narrower than the box, or, when it follows a
// closed line, characters come off its end until it fits.
#include "report/rp_line_layout.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"

namespace {

class TLineBreaker {
public:
    TLineBreaker(TCanvas& canvas, const TRpLineLayout& layout) : canvas_(canvas), layout_(layout) {}

    void Paragraph(const QString& text) {
        if (layout_.AutoSize) {
            lines_ << text;
            return;
        }
        QString line;
        qsizetype start = 0;
        while (start < text.size()) {
            qsizetype end = start;
            while (end < text.size() && !IsBreak(text.at(end)))
                ++end;
            if (end < text.size())
                ++end; // the space or hyphen stays with its word
            // Without word wrap an overflowing word closes the paragraph.
            if (!AddWord(line, text.mid(start, end - start))) {
                dropped_ = true;
                return;
            }
            start = end;
        }
        lines_ << line;
    }

    QStringList Take() { return std::move(lines_); }
    bool Dropped() const { return dropped_; }

private:
    static bool IsBreak(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('-'); }

    int Width(const QString& s) const { return (canvas_.TextWidth(s) + 1) * layout_.Zoom / 100; }
    bool Fits(const QString& s) const { return Width(s) <= layout_.BoxWidth; }

    // Appends `word` to `line`, closing lines as needed; false when the
    // rest of the paragraph is to be dropped (no word wrap).
    bool AddWord(QString& line, QString word) {
        if (Fits(line + word)) {
            line += word;
            return true;
        }
        if (line.isEmpty()) {
            // Whole characters only: a surrogate pair moves as one.
            qsizetype i = 0;
            while (i < word.size()) {
                const qsizetype n = word.at(i).isHighSurrogate() && i + 1 < word.size() ? 2 : 1;
                if (Width(line + word.mid(i, n)) >= layout_.BoxWidth)
                    break;
                line += word.mid(i, n);
                i += n;
            }
            dropped_ = dropped_ || i < word.size();
            word.clear();
        }
        lines_ << line;
        line.clear();
        if (!layout_.WordWrap)
            return false;
        if (!Fits(word)) {
            while (!word.isEmpty() && (layout_.BoxWidth <= 0 || !Fits(word))) {
                word.chop(word.size() > 1 && word.back().isLowSurrogate() ? 2 : 1);
                dropped_ = true;
            }
            lines_ << word;
            word.clear();
        }
        line = word;
        return true;
    }

    TCanvas& canvas_;
    const TRpLineLayout& layout_;
    QStringList lines_;
    bool dropped_ = false;
};

} // namespace

QStringList RpLayoutLines(const QString& text, const TFont& font, const TRpLineLayout& layout,
                          bool* dropped) {
    TCanvas& canvas = ReferenceCanvas();
    const TFont saved = canvas.Font();
    canvas.SetFont(font);
    TLineBreaker breaker(canvas, layout);
    QString withoutFeeds = text;
    withoutFeeds.remove(QLatin1Char('\n'));
    for (const QString& paragraph : withoutFeeds.split(QLatin1Char('\r')))
        breaker.Paragraph(paragraph);
    canvas.SetFont(saved);
    if (dropped)
        *dropped = breaker.Dropped();
    return breaker.Take();
}

double RpLineHeight(const TFont& font) {
    TCanvas& canvas = ReferenceCanvas();
    const TFont saved = canvas.Font();
    canvas.SetFont(font);
    const int pixels = canvas.TextHeight(QStringLiteral("W"));
    canvas.SetFont(saved);
    return pixels * 254.0 / ReferencePixelsPerInch;
}
