// Reading and writing CSV.
#include "tools/dbadmin/csv.h"

std::vector<TCsvRecord> ParseCsv(std::string_view text, std::vector<TLineProblem>& problems) {
    std::vector<TCsvRecord> records;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    size_t i = 0;
    int line = 1;
    while (i < text.size()) {
        TCsvRecord record;
        record.Line = line;
        std::string field;
        bool bad = false;
        std::string why;
        bool endOfRecord = false;
        while (!endOfRecord) {
            field.clear();
            if (i < text.size() && text[i] == '"') {
                ++i;
                bool closed = false;
                while (i < text.size()) {
                    char c = text[i++];
                    if (c == '"') {
                        if (i < text.size() && text[i] == '"') {
                            field += '"';
                            ++i;
                            continue;
                        }
                        closed = true;
                        break;
                    }
                    if (c == '\n')
                        ++line;
                    field += c;
                }
                if (!closed) {
                    bad = true;
                    why = "aspas sem fechamento";
                    endOfRecord = true;
                    break;
                }
                if (i < text.size() && text[i] != ',' && text[i] != '\n' &&
                    !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') &&
                    !(text[i] == '\r' && i + 1 == text.size())) {
                    bad = true;
                    why = "texto depois das aspas de fechamento";
                    while (i < text.size() && text[i] != '\n')
                        ++i;
                }
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\n' &&
                       !(text[i] == '\r' && (i + 1 == text.size() || text[i + 1] == '\n'))) {
                    if (text[i] == '"' && !bad) {
                        bad = true;
                        why = "aspas no meio de um campo sem aspas";
                    }
                    field += text[i++];
                }
            }
            record.Fields.push_back(field);
            if (i >= text.size()) {
                endOfRecord = true;
            } else if (text[i] == ',') {
                ++i;
                if (i >= text.size())
                    record.Fields.emplace_back();
            } else {
                if (text[i] == '\r')
                    ++i;
                if (i < text.size() && text[i] == '\n')
                    ++i;
                ++line;
                endOfRecord = true;
            }
        }
        if (bad) {
            problems.push_back({record.Line, why});
            continue;
        }
        // A blank line carries no record.
        if (record.Fields.size() == 1 && record.Fields[0].empty())
            continue;
        records.push_back(std::move(record));
    }
    return records;
}

std::string CsvField(std::string_view value) {
    if (value.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string CsvRecord(const std::vector<std::string>& fields) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += ',';
        out += CsvField(fields[i]);
    }
    return out + "\r\n";
}
