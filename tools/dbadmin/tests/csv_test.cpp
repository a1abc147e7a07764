// CSV reading and writing.
#include "tools/dbadmin/csv.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

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

TEST(Csv, TrailingCommaAtTheEndOfTheInputMeansOneEmptyField) {
    std::vector<TLineProblem> problems;
    auto records = ParseCsv("a,b,", problems);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ((std::vector<std::string>{"a", "b", ""}), records[0].Fields);
}

// A stream is read in pieces: records, quoted line breaks, CRLF pairs and
// doubled quotes that straddle two pieces read as they do from one text.
TEST(Csv, StreamReadInPiecesGivesWhatTheWholeTextGives) {
    std::string text = "\xEF\xBB\xBF";
    for (int i = 0; i < 20000; ++i) {
        text += CsvRecord({std::to_string(i), std::string(size_t(i % 37), 'x') + "\"q\"",
                           i % 3 ? "a,b" : "linha\r\noutra"});
        if (i % 1000 == 7)
            text += "bad\"quote,1\r\n\r\n";
    }
    text += "\"open,at the end";
    std::vector<TLineProblem> wholeProblems, streamProblems;
    std::vector<TCsvRecord> whole = ParseCsv(text, wholeProblems);
    std::istringstream in(text);
    TCsvReader reader(in);
    std::vector<TCsvRecord> streamed;
    for (TCsvRecord r; reader.Next(r, streamProblems);)
        streamed.push_back(r);
    EXPECT_EQ(0, reader.ReadError());
    ASSERT_EQ(20000u, whole.size());
    ASSERT_EQ(whole.size(), streamed.size());
    for (size_t i = 0; i < whole.size(); ++i) {
        ASSERT_EQ(whole[i].Fields, streamed[i].Fields) << i;
        ASSERT_EQ(whole[i].Line, streamed[i].Line) << i;
    }
    EXPECT_EQ("0", whole[0].Fields[0]);
    ASSERT_EQ(21u, wholeProblems.size());
    ASSERT_EQ(wholeProblems.size(), streamProblems.size());
    for (size_t i = 0; i < wholeProblems.size(); ++i)
        EXPECT_EQ(wholeProblems[i].Line, streamProblems[i].Line);
    EXPECT_EQ("aspas sem fechamento", streamProblems.back().Message);
}

TEST(Csv, StreamThatCannotBeReadSaysWhy) {
    std::ifstream folder("/", std::ios::binary);
    ASSERT_TRUE(folder.is_open());
    TCsvReader reader(folder);
    std::vector<TLineProblem> problems;
    TCsvRecord r;
    EXPECT_FALSE(reader.Next(r, problems));
    EXPECT_EQ(EISDIR, reader.ReadError());
}
