#include "storage/tag_value.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(TagValue, NestedTagsAndOccurrences) {
    const std::vector<std::string> lines{
        "<update>",
        "  <file><name>one.zip</name><size>10</size></file>",
        "  <file><name>two.zip</name>",
        "    <notes>",
        "first line",
        "second line",
        "    </notes></file>",
        "  <version>2.1.0</version>",
        "</update>",
    };
    EXPECT_EQ(ReadTagValue("update/version", "", lines), "2.1.0");
    EXPECT_EQ(ReadTagValue("update/file/name", "", lines), "one.zip");
    EXPECT_EQ(ReadTagValue("update/file/name", "1/2", lines), "two.zip");
    EXPECT_EQ(ReadTagValue("file/notes", "2", lines), "first line\nsecond line\n    ");
    EXPECT_EQ(ReadTagValue("update/file", "1/3", lines), "");
    EXPECT_EQ(ReadTagValue("update/missing", "", lines), "");
    EXPECT_EQ(ReadTagValue("", "", lines), "");
    // The search goes on from where the outer tag was found: no <size> after the second <file>.
    EXPECT_EQ(ReadTagValue("file/size", "2", lines), "");
}
