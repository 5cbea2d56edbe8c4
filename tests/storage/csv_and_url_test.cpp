#include "storage/csv.h"
#include "storage/url_coding.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(Csv, QuotedFieldsKeepTheirCommas) {
    const std::string line = "a,\"b,c\",d";
    EXPECT_EQ(CsvField(line, 1), "a");
    EXPECT_EQ(CsvField(line, 2), "b,c");
    EXPECT_EQ(CsvField(line, 3), "d");
    EXPECT_EQ(CsvField(line, 4), "");
    EXPECT_EQ(CsvField(line, 0), "");
    EXPECT_EQ(CountCsvFields(line), 4); // quotes are not considered when counting
}

TEST(Csv, LastAndEmptyFields) {
    EXPECT_EQ(CsvField("x,\"quoted last\"", 2), "quoted last");
    EXPECT_EQ(CsvField("x,\"", 2), "");
    EXPECT_EQ(CsvField("a,,c", 2), "");
    EXPECT_EQ(CsvField("a,,c", 3), "c");
    EXPECT_EQ(CsvField("a,", 2), "");
    EXPECT_EQ(CsvField("a,", 3), "");
    EXPECT_EQ(CsvField("\"a\"\"b\",c", 1), "a\"\"b"); // no unescaping of doubled quotes
    EXPECT_EQ(CountCsvFields(""), 0);
    EXPECT_EQ(CountCsvFields("a"), 1);
    EXPECT_EQ(CountCsvFields(","), 2);
}

TEST(UrlCoding, EncodeEscapesAllButLettersAndDigits) {
    EXPECT_EQ(UrlEncode("a b/c.D9"), "a%20b%2fc%2eD9");
    EXPECT_EQ(UrlEncode("\xFF\x01"), "%ff%01");
}

TEST(UrlCoding, DecodeKeepsPlusAndTolaratesBadEscapes) {
    EXPECT_EQ(UrlDecode("a+b"), "a+b");
    EXPECT_EQ(UrlDecode("%41%2F%2f"), "A//");
    EXPECT_EQ(UrlDecode("x%zzy"), "x y");
    EXPECT_EQ(UrlDecode("50%"), "50%");
    EXPECT_EQ(UrlDecode("50%4"), "50%4");
    std::string everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte += static_cast<char>(i);
    EXPECT_EQ(UrlDecode(UrlEncode(everyByte)), everyByte);
}
