// CSV reading and writing.
#include "tools/dbadmin/csv.h"

#include <gtest/gtest.h>

TEST(Csv, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ("plain", CsvField("plain"));
    EXPECT_EQ("\"a,b\"", CsvField("a,b"));
    EXPECT_EQ("\"say \"\"hi\"\"\"", CsvField("say \"hi\""));
    EXPECT_EQ("\"two\nlines\"", CsvField("two\nlines"));
    EXPECT_EQ("a,,\"c,\"\r\n", CsvRecord({"a", "", "c,"}));
}

TEST(Csv, ReadsWhatItWritesWithLineNumbers) {
    std::string text = CsvRecord({"1", "multi\nline", "x"}) + CsvRecord({"2", "q\"uote", ""});
    text += "3,last,no line end";
    std::vector<TLineProblem> problems;
    auto records = ParseCsv(text, problems);
    ASSERT_TRUE(problems.empty());
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ((std::vector<std::string>{"1", "multi\nline", "x"}), records[0].Fields);
    EXPECT_EQ(1, records[0].Line);
    EXPECT_EQ((std::vector<std::string>{"2", "q\"uote", ""}), records[1].Fields);
    EXPECT_EQ(3, records[1].Line);
    EXPECT_EQ(4, records[2].Line);
    EXPECT_EQ("no line end", records[2].Fields[2]);
}

TEST(Csv, MalformedRecordsAreReportedAndSkipped) {
    std::vector<TLineProblem> problems;
    auto records = ParseCsv("ok,1\nbad\"quote,2\n\"closed\"junk,3\n\nfine,4\n\"open,5\n", problems);
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("ok", records[0].Fields[0]);
    EXPECT_EQ("fine", records[1].Fields[0]);
    ASSERT_EQ(3u, problems.size());
    EXPECT_EQ(2, problems[0].Line);
    EXPECT_EQ(3, problems[1].Line);
    EXPECT_EQ(6, problems[2].Line);
}

TEST(Csv, TrailingCommaMeansAnEmptyLastField) {
    std::vector<TLineProblem> problems;
    auto records = ParseCsv("a,\r\nb,c", problems);
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ((std::vector<std::string>{"a", ""}), records[0].Fields);
}
