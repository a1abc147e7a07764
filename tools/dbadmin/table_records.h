// Tables as dbadmin handles them between the engine and files: the shape
// the engine describes, a table read whole as texts, and the check that the
// records of a file fit a table before any of them is stored. The field
// sizes come from the table itself, so a check never disagrees with what
// the engine would keep.
#pragma once

#include "store/engine/dbengine.h"
#include "tools/dbadmin/csv.h"

#include <string>
#include <string_view>
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
        for (size_t k = 0; k < All; ++k)
            if (shape.Fields[k].iFldType == DBE_FLD_AUTOINC)
                AutoField = int(k), WithoutAuto = All - 1;
    }
    bool Fits(size_t count) const { return count == All || count == WithoutAuto; }
    size_t Field(size_t count, size_t k) const {
        return count == All || int(k) < AutoField ? k : k + 1;
    }
};

// The records of a CSV file, without its header line when it has one.
std::vector<TCsvRecord> CsvRecords(std::string_view text, const TTableShape& shape,
                                   std::vector<TLineProblem>& problems);

// Adds to `problems` every field that the table would not take as it is:
// wrong field count, text not UTF-8 or longer than its field, a bad or
// repeated key, a `Correta` other than A, B, C in the questions table. An
// import (`importing`) also refuses an empty question.
void CheckRecords(const TTableShape& shape, const std::vector<TCsvRecord>& records, bool questions,
                  bool importing, std::vector<TLineProblem>& problems);
