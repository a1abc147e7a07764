// What the Aiken and GIFT readers and writers share: splitting a file into
// lines, the check that a question fits the questions table, the record a
// fitting question becomes, and the export that proves each question reads
// back unchanged before anything is written.
#include "tools/dbadmin/bank_question.h"

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        // A byte-order mark opens the file, or each of several files joined
        // end to end: it is never text of a question, nor is the space
        // before it.
        for (size_t mark = line.find_first_not_of(" \t\r");
             mark != std::string_view::npos && line.substr(mark, 3) == "\xEF\xBB\xBF";
             mark = line.find_first_not_of(" \t\r"))
            line.remove_prefix(mark + 3);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view TrimSpace(std::string_view text) {
    constexpr const char* kSpace = " \t\r\n";
    size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

void CheckShape(const TBankQuestion& q, std::vector<TLineProblem>& problems) {
    if (TrimSpace(q.Questao).empty())
        problems.push_back({q.Line, "a pergunta está vazia"});
    if (q.Options.size() != kTableOptions) {
        problems.push_back({q.Line, std::to_string(q.Options.size()) +
                                        " alternativas; a tabela guarda exatamente 3 (A, B e C)"});
        return;
    }
    if (q.Correta.size() != 1 || q.Correta[0] < 'A' || q.Correta[0] >= char('A' + kTableOptions))
        problems.push_back(
            {q.CorretaLine ? q.CorretaLine : q.Line,
             q.Correta.empty()
                 ? "falta a resposta certa"
                 : "a resposta \"" + q.Correta + "\" não nomeia nenhuma alternativa (A, B ou C)"});
}

TCsvRecord QuestionRecord(const TBankQuestion& q) {
    TCsvRecord r;
    r.Line = q.Line;
    r.Fields = {q.Questao, q.Options[0], q.Options[1], q.Options[2], q.Correta, "N"};
    r.FieldLines = {q.Line,           q.OptionLines[0], q.OptionLines[1],
                    q.OptionLines[2], q.CorretaLine,    q.Line};
    return r;
}

std::vector<TCsvRecord> ReadBank(std::string_view text, TBankFormat format,
                                 std::vector<TLineProblem>& problems) {
    std::vector<TBankQuestion> questions =
        format == TBankFormat::bfAiken ? ParseAiken(text, problems) : ParseGift(text, problems);
    std::vector<TCsvRecord> records;
    for (const TBankQuestion& q : questions) {
        size_t before = problems.size();
        CheckShape(q, problems);
        if (problems.size() == before)
            records.push_back(QuestionRecord(q));
    }
    return records;
}

namespace {

const char* const kFieldNames[] = {"Questao", "Resp_A", "Resp_B", "Resp_C"};

bool SameQuestion(const TBankQuestion& a, const TBankQuestion& b) {
    return a.Questao == b.Questao && a.Options == b.Options && a.Correta == b.Correta;
}

// Why `q` does not come back from `written` as it went in, or "" when it
// does and would also be taken in by an import.
std::string ReadBackDifference(const TBankQuestion& q, const std::string& written,
                               TBankFormat format) {
    std::vector<TLineProblem> problems;
    std::vector<TBankQuestion> back = format == TBankFormat::bfAiken ? ParseAiken(written, problems)
                                                                     : ParseGift(written, problems);
    if (back.size() == 1)
        CheckShape(back.front(), problems);
    if (back.size() == 1 && problems.empty() && SameQuestion(back.front(), q))
        return "";
    if (q.Correta.size() != 1 || q.Correta[0] < 'A' || q.Correta[0] > 'C')
        return "Correta \"" + q.Correta + "\" não é A, B nem C";
    if (TrimSpace(q.Questao).empty())
        return "Questao está vazia";
    for (size_t k = 0; k <= kTableOptions; ++k) {
        const std::string& text = k ? q.Options[k - 1] : q.Questao;
        std::string field = kFieldNames[k];
        if (TrimSpace(text).size() != text.size())
            return field + " começa ou termina com espaço ou quebra de linha, que o formato não "
                           "guarda";
        if (k && format == TBankFormat::bfAiken && text.find('\n') != std::string::npos)
            return field + " tem quebra de linha, que o formato Aiken só guarda na pergunta";
        if (back.size() == 1 && back.front().Options.size() == kTableOptions &&
            (k ? back.front().Options[k - 1] : back.front().Questao) != text)
            return field + " não volta igual: o formato não guarda este texto como está";
    }
    return "o formato não guarda esta questão como está";
}

} // namespace

std::string WriteBank(const std::vector<TBankQuestion>& questions, TBankFormat format,
                      std::vector<std::string>& problems) {
    std::string out;
    for (const TBankQuestion& q : questions) {
        std::string one = format == TBankFormat::bfAiken ? WriteAiken(q) : WriteGift(q);
        std::string why = ReadBackDifference(q, one, format);
        if (!why.empty())
            problems.push_back("Codigo " + std::to_string(q.Codigo) + ": " + why);
        else if (problems.empty())
            out += one;
    }
    if (!problems.empty())
        out.clear();
    return out;
}
