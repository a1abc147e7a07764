// Tables as dbadmin handles them between the engine and files: the shape
// the engine describes, a table read whole as texts, a CSV file read record
// by record, and the check that each record of a file fits the table before
// it is stored. The field
// sizes come from the table itself, so a check never disagrees with what
// the engine would keep.
#pragma once

#include "store/engine/dbengine.h"
#include "tools/dbadmin/csv.h"

#include <cassert>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// Names compared as Windows compares file and field names (ASCII case).
bool SameAscii(std::string_view a, std::string_view b);

// A table read whole: its column names and its records as texts.
struct TTableRows {
    std::vector<std::string> Header;
    std::vector<std::vector<std::string>> Rows;
};

// The text of a table as `dump` writes it: a header line, then the records.
std::string TableCsv(const TTableRows& table);

struct TTableShape {
    DbeCurProps Props;
    std::vector<DbeFldDesc> Fields;
};

// Reads the cursor's properties and field descriptions; false on failure.
bool Describe(hDbeCur cur, TTableShape& shape);

// Fields of a row: all of the table's, or all but the autoincrement (which
// the engine then assigns). The field of the table that column `k` of a
// row of `count` fields stands for.
struct TRowLayout {
    size_t All = 0;
    size_t WithoutAuto = 0;
    int AutoField = -1;

    explicit TRowLayout(const TTableShape& shape) : All(shape.Fields.size()), WithoutAuto(All) {
        for (size_t k = 0; k < All; ++k) {
            if (shape.Fields[k].iFldType != DBE_FLD_AUTOINC)
                continue;
            assert(AutoField < 0 && "a table has at most one autoincrement field");
            AutoField = int(k), WithoutAuto = All - 1;
        }
    }
    bool Fits(size_t count) const { return count == All || count == WithoutAuto; }
    size_t Field(size_t count, size_t k) const {
        assert(Fits(count) && k < count && "a field of a row that fits the table");
        return count == All || int(k) < AutoField ? k : k + 1;
    }
};

// The records of a CSV file for a table, read one at a time: the first
// line is left out when it is the header that `dump` writes (the table's
// field names, with or without the autoincrement).
class TCsvTableReader {
public:
    TCsvTableReader(std::istream& in, const TTableShape& shape)
        : csv_(in), layout_(shape), shape_(shape) {}

    bool Next(TCsvRecord& record, std::vector<TLineProblem>& problems);
    int ReadError() const { return csv_.ReadError(); }

private:
    bool IsHeader(const TCsvRecord& record) const;

    TCsvReader csv_;
    TRowLayout layout_;
    const TTableShape& shape_;
    bool first_ = true;
};

// The check that each record of a file fits the table as it is, one record
// at a time: the field count, texts that are UTF-8 without a NUL byte and
// no longer than their field, keys that are numbers and not repeated in the
// file, a `Correta` of A, B or C in the questions table, and (for an
// import) a question that is not empty. Each fault is named by its line.
class TRecordCheck {
public:
    TRecordCheck(const TTableShape& shape, bool questions, bool importing)
        : shape_(shape), layout_(shape), questions_(questions), importing_(importing) {}

    // Adds to `problems` every field of `record` that the table would not
    // take as it is.
    void Check(const TCsvRecord& record, std::vector<TLineProblem>& problems);

private:
    void CheckField(const DbeFldDesc& f, const std::string& v, int line,
                    std::vector<TLineProblem>& problems);
    // False when `code` was met before in this file.
    bool FirstUse(int32_t code);

    const TTableShape& shape_;
    TRowLayout layout_;
    bool questions_;
    bool importing_;
    // The keys met so far: most in one sorted run, the latest apart until
    // they are many enough to merge, so that a file of a million keys costs
    // four bytes a key.
    std::vector<int32_t> keys_;
    std::unordered_set<int32_t> recentKeys_;
};
