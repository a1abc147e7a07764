// Layout of formatted text. Widths are asked of the measuring function one
// candidate line at a time; the cut points of the ellipsis and of overlong
// words are found by bisection, since a longer prefix is never narrower.
#include "platform/graphics/text_format.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/canvas_state_saver.h"

#include <algorithm>

namespace {

const QString kEllipsis = QStringLiteral("...");

// Moves a cut position off the middle of a surrogate pair.
int SafeCut(const QString& s, int n) {
    if (n > 0 && n < s.size() && s.at(n).isLowSurrogate())
        --n;
    return n;
}

// The largest n in [lo, hi] with fits(n), assuming fits is monotone and
// fits(lo) holds; lo when only lo fits.
template <typename Fits> int Bisect(int lo, int hi, Fits fits) {
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

QString EndEllipsis(const QString& text, int width, const TTextMeasure& measure) {
    const int n = Bisect(0, static_cast<int>(text.size()), [&](int k) {
        return measure(text.left(SafeCut(text, k)) + kEllipsis) <= width;
    });
    return text.left(SafeCut(text, n)) + kEllipsis;
}

QString PathEllipsis(const QString& text, int width, const TTextMeasure& measure) {
    const int sep =
        std::max(text.lastIndexOf(QLatin1Char('\\')), text.lastIndexOf(QLatin1Char('/')));
    if (sep < 0)
        return EndEllipsis(text, width, measure);
    const QString head = text.left(sep);
    const QString tail = text.mid(sep);
    if (measure(kEllipsis + tail) <= width) {
        const int n = Bisect(0, static_cast<int>(head.size()), [&](int k) {
            return measure(head.left(SafeCut(head, k)) + kEllipsis + tail) <= width;
        });
        return head.left(SafeCut(head, n)) + kEllipsis + tail;
    }
    // Not even the last component fits: keep as much of its end as does.
    const int size = static_cast<int>(tail.size());
    const int n = Bisect(0, size, [&](int k) {
        const int from = size - k;
        const int start = (from > 0 && tail.at(from).isLowSurrogate()) ? from + 1 : from;
        return measure(kEllipsis + tail.mid(start)) <= width;
    });
    int from = size - n;
    if (from > 0 && from < size && tail.at(from).isLowSurrogate())
        ++from;
    return kEllipsis + tail.mid(from);
}

QString ExpandTabs(const QString& text) {
    QString out;
    int column = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('\t')) {
            const int spaces = 8 - column % 8;
            out.append(QString(spaces, QLatin1Char(' ')));
            column += spaces;
        } else {
            out.append(c);
            column = (c == QLatin1Char('\n') || c == QLatin1Char('\r')) ? 0 : column + 1;
        }
    }
    return out;
}

struct Span {
    int Start;
    int Length;
};

// Breaks the paragraph s[begin, end) into lines of at most `width` pixels
// at spaces; a word wider than a line is split between characters (or,
// with an ellipsis format, left whole for the ellipsis to cut).
void BreakWords(const QString& s, int begin, int end, int width, bool keepLongWords,
                const TTextMeasure& measure, std::vector<Span>& out) {
    const auto isSpace = [&](int i) { return s.at(i) == QLatin1Char(' '); };
    int pos = begin;
    if (pos >= end) {
        out.push_back({begin, 0});
        return;
    }
    while (pos < end) {
        const int lineStart = pos;
        int lastFit = -1;
        int i = lineStart;
        int firstWordEnd = -1;
        while (i < end) {
            int wordEnd = i;
            while (wordEnd < end && isSpace(wordEnd))
                ++wordEnd;
            while (wordEnd < end && !isSpace(wordEnd))
                ++wordEnd;
            if (firstWordEnd < 0)
                firstWordEnd = wordEnd;
            if (measure(s.mid(lineStart, wordEnd - lineStart)) > width)
                break;
            lastFit = wordEnd;
            i = wordEnd;
        }
        int lineEnd = lastFit;
        if (lineEnd < 0) {
            if (keepLongWords) {
                lineEnd = firstWordEnd;
            } else {
                const QString word = s.mid(lineStart, firstWordEnd - lineStart);
                int k = Bisect(1, static_cast<int>(word.size()), [&](int n) {
                    return measure(word.left(SafeCut(word, n))) <= width;
                });
                k = SafeCut(word, k);
                if (k <= 0) // a lone surrogate pair wider than the line
                    k = std::min<int>(2, static_cast<int>(word.size()));
                lineEnd = lineStart + k;
            }
        }
        out.push_back({lineStart, lineEnd - lineStart});
        pos = lineEnd;
        while (pos < end && isSpace(pos))
            ++pos;
    }
}

} // namespace

TPrefixedText StripPrefix(const QString& text) {
    TPrefixedText result;
    result.Text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('&')) {
            result.Text.append(c);
            continue;
        }
        if (i + 1 >= text.size())
            break; // a trailing "&" marks nothing
        const QChar next = text.at(++i);
        if (next != QLatin1Char('&'))
            result.UnderlineIndex = static_cast<int>(result.Text.size());
        result.Text.append(next);
    }
    return result;
}

QString EllipsisText(const QString& text, int width, unsigned mode, const TTextMeasure& measure) {
    if (!(mode & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) || measure(text) <= width)
        return text;
    if (mode & DT_PATH_ELLIPSIS)
        return PathEllipsis(text, width, measure);
    return EndEllipsis(text, width, measure);
}

TTextLayout LayoutDrawText(const QString& text, const TRect& rect, unsigned format,
                           const TTextMeasure& measure, int lineHeight) {
    TTextLayout layout;
    QString raw = text;
    const bool single = (format & DT_SINGLELINE) != 0;
    if (single) {
        raw.remove(QLatin1Char('\r'));
        raw.remove(QLatin1Char('\n'));
    }
    if (format & DT_EXPANDTABS)
        raw = ExpandTabs(raw);
    const TPrefixedText stripped =
        (format & DT_NOPREFIX) ? TPrefixedText{raw, -1} : StripPrefix(raw);
    const QString& s = stripped.Text;
    if (s.isEmpty())
        return layout;

    const bool ellipsis = (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) != 0;
    const bool wrap = (format & DT_WORDBREAK) && !single;
    const int width = rect.Width();
    std::vector<Span> spans;
    int begin = 0;
    const int size = static_cast<int>(s.size());
    while (true) {
        int end = begin;
        while (end < size && s.at(end) != QLatin1Char('\r') && s.at(end) != QLatin1Char('\n'))
            ++end;
        if (wrap)
            BreakWords(s, begin, end, width, ellipsis, measure, spans);
        else
            spans.push_back({begin, end - begin});
        if (end >= size)
            break;
        begin = end + 1;
        if (s.at(end) == QLatin1Char('\r') && begin < size && s.at(begin) == QLatin1Char('\n'))
            ++begin;
        if (begin >= size) {
            spans.push_back({size, 0}); // the text ends with a line break
            break;
        }
    }

    int y = rect.Top;
    if (single && (format & DT_VCENTER))
        y = (rect.Top + rect.Bottom - lineHeight) / 2;
    else if (single && (format & DT_BOTTOM))
        y = rect.Bottom - lineHeight;
    for (const Span& span : spans) {
        TTextLine line;
        line.Text = s.mid(span.Start, span.Length);
        const int u = stripped.UnderlineIndex;
        if (u >= span.Start && u < span.Start + span.Length)
            line.UnderlineIndex = u - span.Start;
        line.Width = measure(line.Text);
        if (ellipsis && line.Width > width) {
            const QString cut = EllipsisText(line.Text, width, format, measure);
            const bool keptHead = (format & DT_PATH_ELLIPSIS) == 0;
            const int keep = static_cast<int>(cut.size() - kEllipsis.size());
            if (!keptHead || line.UnderlineIndex >= keep)
                line.UnderlineIndex = -1;
            line.Text = cut;
            line.Width = measure(cut);
        }
        if (format & DT_RIGHT)
            line.X = rect.Right - line.Width;
        else if (format & DT_CENTER)
            line.X = (rect.Left + rect.Right - line.Width) / 2;
        else
            line.X = rect.Left;
        line.Y = y;
        y += lineHeight;
        layout.Width = std::max(layout.Width, line.Width);
        layout.Lines.push_back(std::move(line));
    }
    layout.Height = y - rect.Top;
    return layout;
}

int DrawTextOnCanvas(TCanvas& canvas, const QString& text, TRect& rect, unsigned format) {
    const TTextMeasure measure = [&canvas](const QString& s) { return canvas.TextExtent(s).cx; };
    const int lineHeight = canvas.TextExtent(QStringLiteral("W")).cy;
    const TTextLayout layout = LayoutDrawText(text, rect, format, measure, lineHeight);
    if (format & DT_CALCRECT) {
        rect.Right = rect.Left + layout.Width;
        rect.Bottom = rect.Top + static_cast<int>(layout.Lines.size()) * lineHeight;
        return layout.Height;
    }
    // The whole state comes back afterwards, also when drawing fails.
    const TCanvasStateSaver saver(canvas);
    if (!(format & DT_NOCLIP))
        canvas.IntersectClipRect(rect);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    for (const TTextLine& line : layout.Lines)
        canvas.ExtTextOut(line.X, line.Y, 0, nullptr, line.Text);
    for (const TTextLine& line : layout.Lines) {
        if (line.UnderlineIndex < 0)
            continue;
        // The access character is drawn once more in the underlined font;
        // the glyph covers itself, only the underline is new.
        const int at = line.UnderlineIndex;
        const int length =
            (at + 1 < line.Text.size() && line.Text.at(at).isHighSurrogate()) ? 2 : 1;
        const int x = line.X + measure(line.Text.left(at));
        const TColor color = canvas.TextColor();
        TFont underlined = canvas.Font();
        underlined.SetStyle(underlined.Style() | fsUnderline);
        canvas.SetFont(underlined);
        canvas.SetTextColor(color);
        canvas.SetBkMode(TRANSPARENT);
        canvas.ExtTextOut(x, line.Y, 0, nullptr, line.Text.mid(at, length));
    }
    return layout.Height;
}
