// The Aiken format, the simplest way teachers move multiple-choice questions
// between learning platforms:
//
//   Qual é a capital do Brasil?
//   A. Rio de Janeiro
//   B) Brasília
//   C. Salvador
//   ANSWER: B
//
// The question may take several lines (kept with their line breaks); each
// option is one line, lettered in order with "A." or "A)"; the ANSWER line
// closes the question, and blank lines stand between questions. The reader
// keeps whatever number of options a file gives and the answer as written:
// whether the question fits the table is decided afterwards, by its lines.
#include "tools/dbadmin/bank_question.h"

#include <cctype>

namespace {

// "A. text", "A) text", or a bare "A." for an empty option.
bool IsOptionLine(std::string_view line) {
    return line.size() >= 2 && line[0] >= 'A' && line[0] <= 'Z' &&
           (line[1] == '.' || line[1] == ')') &&
           (line.size() == 2 || line[2] == ' ' || line[2] == '\t');
}

bool IsAnswerLine(std::string_view line) {
    constexpr std::string_view kAnswer = "ANSWER:";
    if (line.size() < kAnswer.size())
        return false;
    for (size_t i = 0; i < kAnswer.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(line[i])) != kAnswer[i])
            return false;
    return true;
}

class TAikenReader {
public:
    explicit TAikenReader(std::vector<TLineProblem>& problems) : problems_(problems) {}

    void Line(int number, std::string_view line);
    std::vector<TBankQuestion> Finish() {
        EndWithoutAnswer();
        return std::move(questions_);
    }

private:
    enum TState { stBetween, stQuestion, stOptions };

    void Start(int number) {
        q_ = TBankQuestion();
        q_.Line = number;
        broken_ = false;
    }
    void EndWithoutAnswer() {
        if (state_ != stBetween && !broken_)
            problems_.push_back({q_.Line, "falta a linha ANSWER depois das alternativas"});
        state_ = stBetween;
    }

    std::vector<TLineProblem>& problems_;
    std::vector<TBankQuestion> questions_;
    TBankQuestion q_;
    TState state_ = stBetween;
    bool broken_ = false; // a problem of this question is already reported
};

void TAikenReader::Line(int number, std::string_view line) {
    line = TrimSpace(line);
    if (line.empty()) {
        EndWithoutAnswer();
        return;
    }
    if (IsAnswerLine(line)) {
        if (state_ != stOptions) {
            problems_.push_back({number, "linha ANSWER sem alternativas antes dela"});
            state_ = stBetween;
            return;
        }
        q_.Correta = std::string(TrimSpace(line.substr(7)));
        if (q_.Correta.size() == 1) // "ANSWER: b" names option B
            q_.Correta[0] = char(std::toupper(static_cast<unsigned char>(q_.Correta[0])));
        q_.CorretaLine = number;
        if (!broken_)
            questions_.push_back(std::move(q_));
        state_ = stBetween;
        return;
    }
    if (IsOptionLine(line)) {
        if (state_ == stBetween)
            Start(number); // no question text: refused later as an empty question
        char expected = char('A' + q_.Options.size());
        if (line[0] != expected && !broken_) {
            problems_.push_back({number, std::string("alternativa ") + line[0] +
                                             " fora de ordem; esperada " + expected});
            broken_ = true;
        }
        q_.Options.emplace_back(TrimSpace(line.substr(2)));
        q_.OptionLines.push_back(number);
        state_ = stOptions;
        return;
    }
    if (state_ == stOptions)
        EndWithoutAnswer();
    if (state_ == stBetween) {
        Start(number);
        q_.Questao = std::string(line);
        state_ = stQuestion;
    } else {
        q_.Questao += '\n';
        q_.Questao += line;
    }
}

} // namespace

std::vector<TBankQuestion> ParseAiken(std::string_view text, std::vector<TLineProblem>& problems) {
    TAikenReader reader(problems);
    std::vector<std::string_view> lines = SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i)
        reader.Line(int(i + 1), lines[i]);
    return reader.Finish();
}

std::string WriteAiken(const TBankQuestion& q) {
    std::string out = q.Questao + "\n";
    for (size_t k = 0; k < q.Options.size(); ++k)
        out += std::string(1, char('A' + k)) + (q.Options[k].empty() ? "." : ". ") + q.Options[k] +
               "\n";
    return out + "ANSWER: " + q.Correta + "\n\n";
}
