#include "storage/name_value.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace korvane;
using Lines = std::vector<std::string>;

TEST(NameValue, PartsSplitAtTheFirstEquals) {
    EXPECT_EQ(NamePart("A=b=c"), "A");
    EXPECT_EQ(ValuePart("A=b=c"), "b=c");
    EXPECT_EQ(NamePart("plain"), "plain");
    EXPECT_EQ(ValuePart("plain"), "plain");
    EXPECT_EQ(ValuePart("A="), "");
}

TEST(NameValue, GetValueMatchesWholeNamesWithoutCase) {
    const Lines list{"PATHX", "PATH_INFO=/x", "path=/bin", "PATH=/usr/bin"};
    EXPECT_EQ(GetValue(list, "Path"), "/bin");
    EXPECT_EQ(GetValue(list, "PATH_INFO"), "/x");
    EXPECT_EQ(GetValue(list, "PATHX"), ""); // a line without "=" is no entry
    EXPECT_EQ(GetValue(list, "PAT"), "");
}

TEST(NameValue, SetValueReplacesEveryMatchKeepingItsNameText) {
    Lines list{"Home=/a", "X=1", "HOME=/b"};
    SetValue(list, "home", "/c");
    EXPECT_EQ(list, (Lines{"Home=/c", "X=1", "HOME=/c"}));
    SetValue(list, "HOME", "");
    EXPECT_EQ(list, (Lines{"X=1"}));
    SetValue(list, "Y", "2");
    EXPECT_EQ(list, (Lines{"X=1", "Y=2"}));
}

TEST(NameValue, MergeValuesReplacesFirstMatchOrAppends) {
    Lines target{"a: 1", "A: 2", "b: 3"};
    MergeValues({"A: 9", "c: 4", "no separator"}, target, ": ", true);
    EXPECT_EQ(target, (Lines{"a: 1", "A: 9", "b: 3", "c: 4"}));
    MergeValues({"B: 7"}, target, ": ", false);
    EXPECT_EQ(target, (Lines{"a: 1", "A: 9", "B: 7", "c: 4"}));
    Lines plain{"X=1"};
    MergeValues({"x=2", "Y"}, plain, "", false);
    EXPECT_EQ(plain, (Lines{"x=2"}));
}

TEST(NameValue, EnvironmentLinesReflectTheProcess) {
    setenv("KORVANE_NV_TEST", "a=b", 1);
    Lines list{"stale"};
    EnvironmentLines(list);
    EXPECT_EQ(GetValue(list, "KORVANE_NV_TEST"), "a=b");
    EXPECT_EQ(GetValue(list, "stale"), "");
    unsetenv("KORVANE_NV_TEST");
}
