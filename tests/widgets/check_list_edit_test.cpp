#include "widgets/check_list_edit.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(CheckListEdit, NameAndValueSplitAtTheFirstEquals) {
    EXPECT_EQ(CheckListName("YPATH=/usr/bin:/bin"), "PATH");
    EXPECT_EQ(CheckListValue("YPATH=/usr/bin:/bin"), "/usr/bin:/bin");
    EXPECT_EQ(CheckListName("Nquery=a=1&b=2"), "query");
    EXPECT_EQ(CheckListValue("Nquery=a=1&b=2"), "a=1&b=2");
    EXPECT_EQ(CheckListName("YLONELY"), "LONELY");
    EXPECT_EQ(CheckListValue("YLONELY"), "");
    EXPECT_EQ(CheckListName("Y=value"), "");
    EXPECT_EQ(CheckListValue("Y=value"), "value");
    EXPECT_EQ(CheckListName(""), "");
    EXPECT_EQ(CheckListValue(""), "");
}

TEST(CheckListEdit, NameEditKeepsFlagAndValue) {
    std::string line = "Nquery=a=1&b=2";
    EXPECT_TRUE(SetCheckListName(line, "search"));
    EXPECT_EQ(line, "Nsearch=a=1&b=2");
    EXPECT_FALSE(SetCheckListName(line, "search"));
    EXPECT_EQ(line, "Nsearch=a=1&b=2");
    // A name case change is a real change: names are sent as typed.
    EXPECT_TRUE(SetCheckListName(line, "Search"));
    EXPECT_EQ(line, "NSearch=a=1&b=2");
    // An "=" in a name would shift the split into the name on the next read.
    EXPECT_FALSE(SetCheckListName(line, "a=b"));
    EXPECT_EQ(line, "NSearch=a=1&b=2");
    // A flag other than Y or N stays as it was.
    std::string odd = "1DEBUG=on";
    EXPECT_TRUE(SetCheckListName(odd, "TRACE"));
    EXPECT_EQ(odd, "1TRACE=on");
}

TEST(CheckListEdit, ValueEditKeepsFlagAndName) {
    std::string line = "YPATH=/bin";
    EXPECT_TRUE(SetCheckListValue(line, "/usr/bin=x"));
    EXPECT_EQ(line, "YPATH=/usr/bin=x");
    EXPECT_EQ(CheckListName(line), "PATH");
    EXPECT_FALSE(SetCheckListValue(line, "/usr/bin=x"));
    EXPECT_TRUE(SetCheckListValue(line, "first\nsecond"));
    EXPECT_EQ(line, "YPATH=first\nsecond");
    EXPECT_TRUE(SetCheckListValue(line, ""));
    EXPECT_EQ(line, "YPATH=");
    // A line without "=" gets one once a value is stored.
    std::string bare = "NLONELY";
    EXPECT_TRUE(SetCheckListValue(bare, "1"));
    EXPECT_EQ(bare, "NLONELY=1");
    // An empty line counts as off and is written so.
    std::string empty;
    EXPECT_TRUE(SetCheckListName(empty, "NAME"));
    EXPECT_EQ(empty, "NNAME=");
}

TEST(CheckListEdit, TickingStoresOnlyARealChangeOfState) {
    std::string line = "Yname=John Smith";
    EXPECT_FALSE(SetCheckListOn(line, true));
    EXPECT_TRUE(SetCheckListOn(line, false));
    EXPECT_EQ(line, "Nname=John Smith");
    EXPECT_TRUE(SetCheckListOn(line, true));
    EXPECT_EQ(line, "Yname=John Smith");
    // Other flag characters that read as on (or off) are not rewritten by a tick that
    // changes nothing.
    std::string legacy = "tname=x";
    EXPECT_FALSE(SetCheckListOn(legacy, true));
    EXPECT_EQ(legacy, "tname=x");
    EXPECT_TRUE(SetCheckListOn(legacy, false));
    EXPECT_EQ(legacy, "Nname=x");
    std::string off = "0x=1";
    EXPECT_FALSE(SetCheckListOn(off, false));
    EXPECT_EQ(off, "0x=1");
}
