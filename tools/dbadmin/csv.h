// CSV as RFC 4180 writes it: fields separated by commas, quoted with double
// quotes when they hold a comma, a quote or a line break, a quote inside a
// quoted field doubled. Records end with CRLF on output; LF, CRLF and a
// missing final line end are all read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TCsvRecord {
    int Line = 0; // line of the file where the record starts, from 1
    std::vector<std::string> Fields;
    // Line of each field, when a record comes from a format that spreads it
    // over several lines; empty when every field is on `Line`.
    std::vector<int> FieldLines;
};

// A fault of an input file, by the line a person should look at.
struct TLineProblem {
    int Line = 0;
    std::string Message;
};

// Splits `text` into records. A malformed record (a quote in the middle of an
// unquoted field, text after a closing quote, an unterminated quote) is
// reported in `problems` and left out.
std::vector<TCsvRecord> ParseCsv(std::string_view text, std::vector<TLineProblem>& problems);

// One output field, quoted when needed.
std::string CsvField(std::string_view value);

// One output record with its CRLF.
std::string CsvRecord(const std::vector<std::string>& fields);
