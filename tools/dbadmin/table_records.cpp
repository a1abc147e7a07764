// The shape of a table, its text as CSV, and the check of a file's records
// against the table's fields.
#include "tools/dbadmin/table_records.h"

#include "store/engine/utf8_text.h"
#include "tools/dbadmin/bank_question.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <set>

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

std::vector<TCsvRecord> CsvRecords(std::string_view text, const TTableShape& shape,
                                   std::vector<TLineProblem>& problems) {
    std::vector<TCsvRecord> records = ParseCsv(text, problems);
    TRowLayout layout(shape);
    if (!records.empty()) {
        const auto& first = records.front().Fields;
        bool isHeader = layout.Fits(first.size());
        for (size_t k = 0; isHeader && k < first.size(); ++k)
            isHeader = SameAscii(first[k], shape.Fields[layout.Field(first.size(), k)].szName);
        if (isHeader)
            records.erase(records.begin());
    }
    return records;
}

void CheckRecords(const TTableShape& shape, const std::vector<TCsvRecord>& records, bool questions,
                  bool importing, std::vector<TLineProblem>& problems) {
    TRowLayout layout(shape);
    std::set<long> codes;
    for (const TCsvRecord& r : records) {
        if (!layout.Fits(r.Fields.size())) {
            problems.push_back({r.Line, std::to_string(r.Fields.size()) + " campos; esperados " +
                                            std::to_string(layout.All) +
                                            (layout.WithoutAuto != layout.All
                                                 ? " ou " + std::to_string(layout.WithoutAuto)
                                                 : "")});
            continue;
        }
        for (size_t k = 0; k < r.Fields.size(); ++k) {
            const DbeFldDesc& f = shape.Fields[layout.Field(r.Fields.size(), k)];
            const std::string& v = r.Fields[k];
            int line = r.FieldLines.empty() ? r.Line : r.FieldLines[k];
            auto bad = [&](const std::string& why) {
                problems.push_back({line, std::string("campo ") + f.szName + ": " + why});
            };
            if (!IsValidUtf8(v)) {
                bad("o texto não está em UTF-8");
            } else if (f.iFldType == DBE_FLD_STRING && CountCharacters(v) > f.iUnits1) {
                bad(std::to_string(CountCharacters(v)) + " caracteres; o máximo é " +
                    std::to_string(f.iUnits1));
            } else if (f.iFldType != DBE_FLD_STRING && !v.empty()) {
                char* end = nullptr;
                errno = 0;
                long n = std::strtol(v.c_str(), &end, 10);
                if (errno || *end || n < (f.iFldType == DBE_FLD_AUTOINC ? 1 : INT32_MIN) ||
                    n > INT32_MAX)
                    bad("número inválido: " + v);
                else if (f.iFldType == DBE_FLD_AUTOINC && !codes.insert(n).second)
                    bad("número repetido: " + v);
            }
            if (questions && SameAscii(f.szName, "Correta") && v != "A" && v != "B" && v != "C")
                bad("deve ser A, B ou C (encontrado \"" + v + "\")");
            if (questions && importing && SameAscii(f.szName, "Questao") && TrimSpace(v).empty())
                bad("a pergunta está vazia");
        }
    }
}
