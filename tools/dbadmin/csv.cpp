// Reading and writing CSV.
#include "tools/dbadmin/csv.h"

#include <cassert>
#include <cerrno>
#include <istream>

namespace {

// The piece of a stream read at a time.
constexpr size_t kPieceSize = 64 * 1024;

} // namespace

int TCsvReader::PeekMore(size_t k) {
    if (!in_ || readError_)
        return kEnd;
    // What lies before the read position has been taken: only the unread
    // rest of the piece is kept.
    buffer_.erase(0, pos_);
    pos_ = 0;
    while (buffer_.size() <= k && *in_) {
        size_t had = buffer_.size();
        buffer_.resize(had + kPieceSize);
        errno = 0;
        in_->read(buffer_.data() + had, std::streamsize(kPieceSize));
        buffer_.resize(had + size_t(in_->gcount()));
        if (in_->bad() || (in_->fail() && !in_->eof())) {
            readError_ = errno ? errno : EIO;
            break;
        }
    }
    data_ = buffer_;
    return k < data_.size() ? static_cast<unsigned char>(data_[k]) : kEnd;
}

// A quoted field from its opening quote; false when the quote is never
// closed. Text between the closing quote and the end of the field makes
// the record bad and is skipped to the line end.
bool TCsvReader::ReadQuoted(std::string& field, std::string& why) {
    assert(Peek() == '"' && "a quoted field starts at its opening quote");
    ++pos_;
    for (;;) {
        int c = Peek();
        if (c == kEnd) {
            why = "aspas sem fechamento";
            return false;
        }
        ++pos_;
        if (c == '"') {
            if (Peek() != '"')
                break;
            ++pos_;
        } else if (c == '\n') {
            ++line_;
        }
        field += char(c);
    }
    int c = Peek();
    bool fieldEnds =
        c == kEnd || c == ',' || c == '\n' || (c == '\r' && (Peek(1) == '\n' || Peek(1) == kEnd));
    if (!fieldEnds) {
        why = "texto depois das aspas de fechamento";
        while (Peek() != kEnd && Peek() != '\n')
            ++pos_;
    }
    return true;
}

// The fields of one record up to its line end; `why` names the first fault
// of a bad one. False when the record runs into the end of the input inside
// a quoted field.
bool TCsvReader::ReadRecord(TCsvRecord& record, std::string& why) {
    std::string field;
    for (;;) {
        field.clear();
        if (Peek() == '"') {
            if (!ReadQuoted(field, why))
                return false;
        } else {
            for (int c = Peek(); c != kEnd && c != ',' && c != '\n' &&
                                 !(c == '\r' && (Peek(1) == kEnd || Peek(1) == '\n'));
                 c = Peek()) {
                if (c == '"' && why.empty())
                    why = "aspas no meio de um campo sem aspas";
                field += char(c);
                ++pos_;
            }
        }
        record.Fields.push_back(field);
        int c = Peek();
        if (c == kEnd)
            return true;
        if (c == ',') {
            ++pos_;
            if (Peek() == kEnd) {
                record.Fields.emplace_back();
                return true;
            }
            continue;
        }
        if (c == '\r')
            ++pos_;
        if (Peek() == '\n')
            ++pos_;
        ++line_;
        return true;
    }
}

bool TCsvReader::Next(TCsvRecord& record, std::vector<TLineProblem>& problems) {
    if (!started_) {
        started_ = true;
        if (Peek(0) == 0xEF && Peek(1) == 0xBB && Peek(2) == 0xBF)
            pos_ += 3;
    }
    while (Peek() != kEnd) {
        record = TCsvRecord{};
        record.Line = line_;
        std::string why;
        bool complete = ReadRecord(record, why);
        if (!complete || !why.empty()) {
            problems.push_back({record.Line, why});
            continue;
        }
        // A blank line carries no record.
        if (record.Fields.size() == 1 && record.Fields[0].empty())
            continue;
        return true;
    }
    return false;
}

std::vector<TCsvRecord> ParseCsv(std::string_view text, std::vector<TLineProblem>& problems) {
    std::vector<TCsvRecord> records;
    TCsvReader reader(text);
    for (TCsvRecord record; reader.Next(record, problems);)
        records.push_back(std::move(record));
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
