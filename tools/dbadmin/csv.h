// CSV as RFC 4180 writes it: fields separated by commas, quoted with double
// quotes when they hold a comma, a quote or a line break, a quote inside a
// quoted field doubled. Records end with CRLF on output; LF, CRLF and a
// missing final line end are all read.
#pragma once

#include <iosfwd>
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

// Reads records one at a time, from a text in memory or from a stream in
// pieces: a file of any size is read holding one record and one piece of
// the file at a time. A malformed record (a quote in the middle of an
// unquoted field, text after a closing quote, an unterminated quote) is
// reported in `problems` and left out; a blank line carries no record.
class TCsvReader {
public:
    explicit TCsvReader(std::string_view text) : data_(text) {}
    explicit TCsvReader(std::istream& in) : in_(&in) {}

    // The next record into `record`; false at the end of the input or when
    // reading the stream fails (see ReadError).
    bool Next(TCsvRecord& record, std::vector<TLineProblem>& problems);

    // The errno of a failed read of the stream, 0 when none failed.
    int ReadError() const { return readError_; }

private:
    static constexpr int kEnd = -1;
    // The byte `k` places after the read position (0 to 255), or kEnd past
    // the end of the input.
    int Peek(size_t k = 0) {
        return pos_ + k < data_.size() ? static_cast<unsigned char>(data_[pos_ + k]) : PeekMore(k);
    }
    int PeekMore(size_t k);
    bool ReadRecord(TCsvRecord& record, std::string& why);
    bool ReadQuoted(std::string& field, std::string& why);

    std::istream* in_ = nullptr;
    std::string buffer_; // the unread piece of the stream
    std::string_view data_;
    size_t pos_ = 0;
    int line_ = 1;
    bool started_ = false;
    int readError_ = 0;
};

// Splits `text` into records, as TCsvReader reads them.
std::vector<TCsvRecord> ParseCsv(std::string_view text, std::vector<TLineProblem>& problems);

// One output field, quoted when needed.
std::string CsvField(std::string_view value);

// One output record with its CRLF.
std::string CsvRecord(const std::vector<std::string>& fields);
