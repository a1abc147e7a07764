// Fuzz target: the Aiken and GIFT readers take files from anywhere. Any
// bytes must be read without crashing, every question must name lines of
// the file, and every question that fits the table must come back the same
// from the writer of its format, as an export followed by an import does.
#include "tools/dbadmin/bank_question.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(std::string_view text, TBankFormat format) {
    std::vector<TLineProblem> problems;
    std::vector<TBankQuestion> questions =
        format == TBankFormat::bfAiken ? ParseAiken(text, problems) : ParseGift(text, problems);
    int lines = int(std::count(text.begin(), text.end(), '\n')) + 1;
    for (const TLineProblem& p : problems)
        if (p.Line < 1 || p.Line > lines || p.Message.empty())
            std::abort();
    for (const TBankQuestion& q : questions) {
        if (q.Options.size() != q.OptionLines.size() || q.Line < 1 || q.Line > lines)
            std::abort();
        std::vector<TLineProblem> shape;
        CheckShape(q, shape);
        if (!shape.empty())
            continue;
        std::vector<std::string> refused;
        std::string written = WriteBank({q}, format, refused);
        if (!refused.empty())
            std::abort();
        std::vector<TLineProblem> again;
        std::vector<TCsvRecord> back = ReadBank(written, format, again);
        TCsvRecord expected = QuestionRecord(q);
        if (!again.empty() || back.size() != 1 || back[0].Fields != expected.Fields)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(text, TBankFormat::bfAiken);
    Check(text, TBankFormat::bfGift);
    return 0;
}
