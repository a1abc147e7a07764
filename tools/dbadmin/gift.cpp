// The GIFT format, read and written for multiple-choice questions:
//
//   // a comment line
//   ::Codigo 7:: Quanto é 2 + 2? {
//       ~3
//       =4 # feedback, which the table has no place for
//       ~5
//   }
//
// Questions stand apart by blank lines; "$CATEGORY:" lines and comments are
// skipped. A title, a text-format marker ("[plain]", "[html]", ...) and
// answer feedback are read and dropped, the texts of an "[html]" question
// kept as the plain text a reader sees; text after the answer block (the
// "missing word" form) joins the question with "_____" where the block was.
// Every other question type (true/false, short answer, matching, numerical,
// essay, partial credit, several right answers, a text without answers) is
// refused by its line and never turned into something it is not.
//
// The writer escapes ~ = # { } : and the backslash, writes line breaks as
// "\n", puts a "[plain]" marker before a text that itself begins like a
// marker and a weight before an answer that begins with "%", so that its own
// output reads back exactly.
#include "tools/dbadmin/bank_question.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

constexpr std::string_view kSpecial = "~=#{}:\\";
constexpr std::string_view kMarkers[] = {"[html]", "[moodle]", "[plain]", "[markdown]"};

// Position of the first `what` at or after `from` that is not escaped.
size_t FindUnescaped(std::string_view text, std::string_view what, size_t from = 0) {
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
            continue;
        }
        if (text.substr(i, what.size()) == what)
            return i;
    }
    return std::string_view::npos;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            if (kSpecial.find(next) != std::string_view::npos) {
                out += next;
                ++i;
                continue;
            }
            if (next == 'n') {
                out += '\n';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (kSpecial.find(c) != std::string_view::npos)
            out += '\\';
        out += c;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// The letter of a named entity such as "aacute" or "Ccedil", or "".
std::string AccentedLetter(std::string_view name) {
    static const std::pair<std::string_view, char16_t> kMarks[] = {
        {"acute", 0x301}, {"grave", 0x300}, {"circ", 0x302},
        {"tilde", 0x303}, {"uml", 0x308},   {"cedil", 0x327}};
    if (name.size() < 2 || !std::isalpha(static_cast<unsigned char>(name[0])))
        return "";
    for (auto [suffix, mark] : kMarks)
        if (name.substr(1) == suffix) {
            QString letter = QString(QChar(name[0])) + QChar(mark);
            return letter.normalized(QString::NormalizationForm_C).toStdString();
        }
    return "";
}

// The text a person reads in an "[html]" text: paragraphs and "<br>" become
// line breaks, other tags go, the common entities and numeric character
// references are decoded.
std::string HtmlToText(std::string_view html) {
    static const std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&amp;", "&"}, {"&lt;", "<"},   {"&gt;", ">"},  {"&quot;", "\""},
        {"&#39;", "'"}, {"&apos;", "'"}, {"&nbsp;", " "}};
    std::string out;
    for (size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            size_t end = html.find('>', i);
            if (end == std::string_view::npos)
                end = html.size() - 1;
            bool closing = i + 1 < html.size() && html[i + 1] == '/';
            std::string name;
            for (size_t k = i + 1 + closing;
                 k < end && std::isalnum(static_cast<unsigned char>(html[k])); ++k)
                name += char(std::tolower(static_cast<unsigned char>(html[k])));
            bool breaks = name == "br" || (name == "p" && !closing && !TrimSpace(out).empty());
            if (breaks && (name == "br" || out.back() != '\n'))
                out += '\n';
            i = end + 1;
            continue;
        }
        if (html[i] == '&') {
            bool decoded = false;
            for (auto [name, text] : kEntities)
                if (html.substr(i, name.size()) == name) {
                    out += text;
                    i += name.size();
                    decoded = true;
                    break;
                }
            size_t semi = html.find(';', i);
            if (!decoded && semi != std::string_view::npos && semi - i < 10) {
                std::string accented = AccentedLetter(html.substr(i + 1, semi - i - 1));
                if (!accented.empty()) {
                    out += accented;
                    i = semi + 1;
                    continue;
                }
            }
            if (!decoded && html.substr(i, 2) == "&#" && semi != std::string_view::npos &&
                semi - i < 10) {
                bool hex = html.substr(i, 3) == "&#x" || html.substr(i, 3) == "&#X";
                std::string digits(html.substr(i + (hex ? 3 : 2), semi - i - (hex ? 3 : 2)));
                char* stop = nullptr;
                unsigned long cp = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
                if (!digits.empty() && !*stop && cp > 0 && cp <= 0x10FFFF &&
                    !(cp >= 0xD800 && cp <= 0xDFFF)) {
                    AppendUtf8(out, char32_t(cp));
                    i = semi + 1;
                    decoded = true;
                }
            }
            if (decoded)
                continue;
        }
        out += html[i++];
    }
    return out;
}

size_t MarkerLength(std::string_view text) {
    for (std::string_view m : kMarkers)
        if (text.size() >= m.size() &&
            std::equal(m.begin(), m.end(), text.begin(), [](char a, char b) {
                return a == std::tolower(static_cast<unsigned char>(b));
            }))
            return m.size();
    return 0;
}

// One question's text: its lines joined by line breaks, and where each
// line starts, for naming lines in messages.
struct TGiftBlock {
    std::string Text;
    std::vector<std::pair<size_t, int>> Starts; // offset in Text, line in the file

    int LineAt(size_t offset) const {
        auto it =
            std::upper_bound(Starts.begin(), Starts.end(), offset,
                             [](size_t o, const std::pair<size_t, int>& s) { return o < s.first; });
        return it == Starts.begin() ? Starts.front().second : std::prev(it)->second;
    }
};

std::vector<TGiftBlock> SplitBlocks(std::string_view text) {
    std::vector<TGiftBlock> blocks;
    TGiftBlock current;
    std::vector<std::string_view> lines = SplitLines(text);
    auto flush = [&] {
        if (!TrimSpace(current.Text).empty())
            blocks.push_back(std::move(current));
        current = TGiftBlock();
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view trimmed = TrimSpace(lines[i]);
        if (trimmed.empty()) {
            flush();
            continue;
        }
        if (trimmed.substr(0, 2) == "//")
            continue;
        if (current.Text.empty() && trimmed.substr(0, 10) == "$CATEGORY:")
            continue;
        if (!current.Text.empty())
            current.Text += '\n';
        current.Starts.push_back({current.Text.size(), int(i + 1)});
        current.Text += lines[i];
    }
    flush();
    return blocks;
}

class TGiftQuestionReader {
public:
    TGiftQuestionReader(const TGiftBlock& block, std::vector<TLineProblem>& problems)
        : block_(block), text_(block.Text), problems_(problems) {}

    // False (with a problem reported) when the block is not a question the
    // table can hold.
    bool Read(TBankQuestion& q);

private:
    bool Refuse(size_t at, const std::string& why) {
        problems_.push_back({block_.LineAt(at), why});
        return false;
    }
    bool ReadAnswers(size_t open, size_t close, TBankQuestion& q);
    // A text of this question as stored: unescaped, as plain text when
    // the question is marked "[html]", without the spaces around it.
    std::string Text(std::string_view raw) const {
        std::string text = Unescape(raw);
        return std::string(TrimSpace(html_ ? HtmlToText(text) : text));
    }

    const TGiftBlock& block_;
    std::string_view text_;
    std::vector<TLineProblem>& problems_;
    bool html_ = false;
};

bool TGiftQuestionReader::Read(TBankQuestion& q) {
    size_t p = text_.find_first_not_of(" \t\r\n");
    q.Line = block_.LineAt(p);
    if (text_.substr(p, 2) == "::") {
        size_t end = FindUnescaped(text_, "::", p + 2);
        if (end == std::string_view::npos)
            return Refuse(p, "título sem o :: de fechamento");
        p = end + 2;
    }
    while (p < text_.size() && std::isspace(static_cast<unsigned char>(text_[p])))
        ++p;
    size_t marker = MarkerLength(text_.substr(p));
    html_ = marker == kMarkers[0].size(); // only "[html]" has that length
    p += marker;
    size_t open = FindUnescaped(text_, "{", p);
    if (open == std::string_view::npos)
        return Refuse(p, "texto sem bloco de respostas { }; só questões de múltipla escolha "
                         "entram na tabela");
    size_t close = FindUnescaped(text_, "}", open + 1);
    if (close == std::string_view::npos)
        return Refuse(open, "bloco de respostas sem o } de fechamento");
    std::string before = Text(text_.substr(p, open - p));
    std::string after = Text(text_.substr(close + 1));
    if (FindUnescaped(text_, "{", close + 1) != std::string_view::npos)
        return Refuse(close, "mais de um bloco de respostas { } na mesma questão");
    q.Questao = after.empty() ? before : std::string(TrimSpace(before + " _____ " + after));
    return ReadAnswers(open, close, q);
}

bool TGiftQuestionReader::ReadAnswers(size_t open, size_t close, TBankQuestion& q) {
    std::string_view body = text_.substr(open + 1, close - open - 1);
    size_t general = FindUnescaped(body, "####");
    if (general != std::string_view::npos)
        body = body.substr(0, general);
    std::string_view plain = TrimSpace(body.substr(0, FindUnescaped(body, "#")));
    std::string upper;
    for (char c : plain)
        upper += char(std::toupper(static_cast<unsigned char>(c)));
    if (TrimSpace(body).empty())
        return Refuse(open, "questão dissertativa (bloco de respostas vazio); a tabela só guarda "
                            "múltipla escolha");
    if (upper == "T" || upper == "F" || upper == "TRUE" || upper == "FALSE")
        return Refuse(open, "questão de verdadeiro ou falso; a tabela só guarda múltipla escolha");
    if (TrimSpace(body).front() == '#')
        return Refuse(open, "questão numérica; a tabela só guarda múltipla escolha");
    // Matching pairs are written with = only; "->" among wrong answers is text.
    if (FindUnescaped(body, "->") != std::string_view::npos &&
        FindUnescaped(body, "~") == std::string_view::npos)
        return Refuse(open, "questão de associação; a tabela só guarda múltipla escolha");

    size_t base = open + 1;
    size_t first = std::min(FindUnescaped(body, "="), FindUnescaped(body, "~"));
    if (first == std::string_view::npos || !TrimSpace(body.substr(0, first)).empty())
        return Refuse(open, "bloco de respostas sem = nem ~ antes do texto");
    bool anyWrong = false;
    int rights = 0;
    for (size_t at = first; at < body.size();) {
        char kind = body[at];
        size_t next = std::min(FindUnescaped(body, "=", at + 1), FindUnescaped(body, "~", at + 1));
        std::string_view answer = body.substr(
            at + 1, next == std::string_view::npos ? std::string_view::npos : next - at - 1);
        answer = TrimSpace(answer.substr(0, FindUnescaped(answer, "#")));
        bool right = kind == '=';
        if (!answer.empty() && answer.front() == '%') {
            size_t end = answer.find('%', 1);
            std::string weight(answer.substr(1, end == std::string_view::npos ? 0 : end - 1));
            char* stop = nullptr;
            double w = std::strtod(weight.c_str(), &stop);
            if (end == std::string_view::npos || weight.empty() || *stop)
                return Refuse(base + at, "peso de resposta ilegível");
            if (w > 0 && w < 100)
                return Refuse(base + at, "resposta com peso parcial (%" + weight +
                                             "%); a tabela guarda uma certa e duas erradas");
            right = w >= 100;
            answer = TrimSpace(answer.substr(end + 1));
        }
        anyWrong = anyWrong || kind == '~';
        rights += right;
        if (right) {
            q.Correta = std::string(1, char('A' + q.Options.size()));
            q.CorretaLine = block_.LineAt(base + at);
        }
        q.Options.push_back(Text(answer));
        q.OptionLines.push_back(block_.LineAt(base + at));
        at = next;
    }
    if (!anyWrong)
        return Refuse(open, "questão de resposta curta (só respostas com =); a tabela só guarda "
                            "múltipla escolha");
    if (rights != 1)
        return Refuse(open,
                      std::to_string(rights) + " respostas certas; a tabela guarda exatamente uma");
    return true;
}

} // namespace

std::vector<TBankQuestion> ParseGift(std::string_view text, std::vector<TLineProblem>& problems) {
    std::vector<TBankQuestion> questions;
    for (const TGiftBlock& block : SplitBlocks(text)) {
        TBankQuestion q;
        if (TGiftQuestionReader(block, problems).Read(q))
            questions.push_back(std::move(q));
    }
    return questions;
}

std::string WriteGift(const TBankQuestion& q) {
    std::string text = Escape(q.Questao);
    if (MarkerLength(text))
        text = "[plain]" + text;
    std::string out = "::Codigo " + std::to_string(q.Codigo) + ":: " + text + " {\n";
    for (size_t k = 0; k < q.Options.size(); ++k) {
        bool right = q.Correta == std::string(1, char('A' + k));
        out += right ? "\t=" : "\t~";
        // A text that opens with "%" would read as a weight: an explicit
        // weight before it keeps it text.
        if (!q.Options[k].empty() && q.Options[k].front() == '%')
            out += right ? "%100%" : "%0%";
        out += Escape(q.Options[k]) + "\n";
    }
    return out + "}\n\n";
}
