// Reported candidates as CSV and JSON text, and the way back from a window
// line to its candidate. The summary's printed forms are tested with it.
#include "files/candidate_text.h"
#include "engine/reported_candidate.h"
#include "files/result_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace morvelan;

TEST(CsvField, QuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(csvField("10110"), "10110");
    EXPECT_EQ(csvField(""), "");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(csvField("one\nline"), "\"one\nline\"");
    EXPECT_EQ(csvField("同期"), "同期");
}

TEST(JsonString, EscapesQuotesBackslashesAndControls)
{
    EXPECT_EQ(jsonString("B5C27"), "\"B5C27\"");
    EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonString("\r\n\t\b\f"), "\"\\r\\n\\t\\b\\f\"");
    EXPECT_EQ(jsonString(std::string("\x01\x1f", 2)), "\"\\u0001\\u001f\"");
    EXPECT_EQ(jsonString(std::string("nul\0", 4)), "\"nul\\u0000\"");
    EXPECT_EQ(jsonString("/"), "\"/\"");
}

TEST(JsonString, KeepsUtf8AndReplacesStrayBytes)
{
    EXPECT_EQ(jsonString("同期ワード"), "\"同期ワード\"");
    EXPECT_EQ(jsonString("a\xFF" "b"), "\"a\xEF\xBF\xBD" "b\"");
    EXPECT_EQ(jsonString("\xE5\x90"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\""); // cut short
}

TEST(CandidateRecords, CarryTheFiveFieldsInOrder)
{
    const ReportedCandidate c{512, 36, "10110101110000100111", "B5C27", 20};
    EXPECT_EQ(kCsvHeader, "interval,index,pattern,hex,count");
    EXPECT_EQ(csvRecord(c), "512,36,10110101110000100111,B5C27,20");
    EXPECT_EQ(jsonRecord(c),
              "{\"interval\":512,\"index\":36,\"pattern\":\"10110101110000100111\",\"hex\":\"B5C27\",\"count\":20}");
    const ReportedCandidate odd{10005, 0, "0,1", "\"", 3};
    EXPECT_EQ(csvRecord(odd), "10005,0,\"0,1\",\"\"\"\",3");
    EXPECT_EQ(jsonRecord(odd), "{\"interval\":10005,\"index\":0,\"pattern\":\"0,1\",\"hex\":\"\\\"\",\"count\":3}");
}

} // namespace
