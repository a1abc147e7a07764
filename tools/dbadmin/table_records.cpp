// The shape of a table, its text as CSV, and the check of a file's records
// against the table's fields.
#include "tools/dbadmin/table_records.h"

#include "store/engine/utf8_text.h"
#include "tools/dbadmin/bank_question.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>
#include <utility>

bool SameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool Describe(hDbeCur cur, TTableShape& shape) {
    if (DbeGetCursorProps(cur, &shape.Props) != DBE_OK)
        return false;
    shape.Fields.resize(shape.Props.iFields);
    return DbeGetFieldDescs(cur, shape.Fields.data()) == DBE_OK;
}

std::string TableCsv(const TTableRows& table) {
    std::string text = CsvRecord(table.Header);
    for (const std::vector<std::string>& row : table.Rows)
        text += CsvRecord(row);
    return text;
}

bool TCsvTableReader::IsHeader(const TCsvRecord& record) const {
    const std::vector<std::string>& fields = record.Fields;
    if (!layout_.Fits(fields.size()))
        return false;
    for (size_t k = 0; k < fields.size(); ++k)
        if (!SameAscii(fields[k], shape_.Fields[layout_.Field(fields.size(), k)].szName))
            return false;
    return true;
}

bool TCsvTableReader::Next(TCsvRecord& record, std::vector<TLineProblem>& problems) {
    if (!csv_.Next(record, problems))
        return false;
    bool first = std::exchange(first_, false);
    if (first && IsHeader(record))
        return csv_.Next(record, problems);
    return true;
}

namespace {

// The latest keys kept apart from the sorted run before they are merged
// into it.
constexpr size_t kRecentKeys = 64 * 1024;

} // namespace

bool TRecordCheck::FirstUse(int32_t code) {
    if (std::binary_search(keys_.begin(), keys_.end(), code) || !recentKeys_.insert(code).second)
        return false;
    if (recentKeys_.size() >= kRecentKeys) {
        size_t sorted = keys_.size();
        keys_.insert(keys_.end(), recentKeys_.begin(), recentKeys_.end());
        std::sort(keys_.begin() + long(sorted), keys_.end());
        std::inplace_merge(keys_.begin(), keys_.begin() + long(sorted), keys_.end());
        recentKeys_.clear();
        assert(std::adjacent_find(keys_.begin(), keys_.end(), std::greater_equal<>()) ==
                   keys_.end() &&
               "the run of keys is sorted and holds each key once");
    }
    return true;
}

void TRecordCheck::CheckField(const DbeFldDesc& f, const std::string& v, int line,
                              std::vector<TLineProblem>& problems) {
    auto bad = [&](const std::string& why) {
        problems.push_back({line, std::string("campo ") + f.szName + ": " + why});
    };
    if (!IsValidUtf8(v)) {
        bad("o texto não está em UTF-8");
    } else if (v.find('\0') != std::string::npos) {
        // The engine takes zero-terminated texts: the rest would be lost.
        bad("o texto contém um caractere nulo (byte 0)");
    } else if (f.iFldType == DBE_FLD_STRING && CountCharacters(v) > f.iUnits1) {
        bad(std::to_string(CountCharacters(v)) + " caracteres; o máximo é " +
            std::to_string(f.iUnits1));
    } else if (f.iFldType != DBE_FLD_STRING && !v.empty()) {
        char* end = nullptr;
        errno = 0;
        long n = std::strtol(v.c_str(), &end, 10);
        if (errno || *end || n < (f.iFldType == DBE_FLD_AUTOINC ? 1 : INT32_MIN) || n > INT32_MAX)
            bad("número inválido: " + v);
        else if (f.iFldType == DBE_FLD_AUTOINC && !FirstUse(int32_t(n)))
            bad("número repetido: " + v);
    }
    if (questions_ && SameAscii(f.szName, "Correta") && v != "A" && v != "B" && v != "C")
        bad("deve ser A, B ou C (encontrado \"" + v + "\")");
    if (questions_ && importing_ && SameAscii(f.szName, "Questao") && TrimSpace(v).empty())
        bad("a pergunta está vazia");
}

void TRecordCheck::Check(const TCsvRecord& r, std::vector<TLineProblem>& problems) {
    if (!layout_.Fits(r.Fields.size())) {
        problems.push_back(
            {r.Line,
             std::to_string(r.Fields.size()) + " campos; esperados " + std::to_string(layout_.All) +
                 (layout_.WithoutAuto != layout_.All ? " ou " + std::to_string(layout_.WithoutAuto)
                                                     : "")});
        return;
    }
    assert((r.FieldLines.empty() || r.FieldLines.size() == r.Fields.size()) &&
           "a record spread over lines has a line for each field");
    for (size_t k = 0; k < r.Fields.size(); ++k)
        CheckField(shape_.Fields[layout_.Field(r.Fields.size(), k)], r.Fields[k],
                   r.FieldLines.empty() ? r.Line : r.FieldLines[k], problems);
}
