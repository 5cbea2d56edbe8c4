#include "storage/text_utils.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(TextUtils, SlicingHandlesNegativeAndOutOfRangeCounts) {
    EXPECT_EQ(LeftText("abcdef", 2), "ab");
    EXPECT_EQ(LeftText("abcdef", -2), "abcd");
    EXPECT_EQ(LeftText("abc", -5), "");
    EXPECT_EQ(LeftText("abc", 10), "abc");
    EXPECT_EQ(RightText("abcdef", 2), "ef");
    EXPECT_EQ(RightText("abc", 4), "");
    EXPECT_EQ(TextFrom("abcdef", 3), "cdef");
    EXPECT_EQ(TextFrom("abc", 4), "");
    EXPECT_EQ(TextFrom("abc", 5), "");
}

TEST(TextUtils, AffixesIgnoreCaseAndRemoveOnlyOnce) {
    EXPECT_TRUE(StartsText("HTTP", "http://x"));
    EXPECT_FALSE(StartsText("http://x/y", "http://x"));
    EXPECT_EQ(RemoveSuffix("Script.PL.pl", ".PL"), "Script.PL");
    EXPECT_EQ(RemoveSuffix("a", "abc"), "a");
    EXPECT_EQ(RemovePrefix("//host", "/"), "/host");
    EXPECT_EQ(EnsureSuffix("dir///", "/"), "dir/");
    EXPECT_EQ(EnsureSuffix("", "/"), "/");
    EXPECT_EQ(AppendIfMissing("", "/"), "");
    EXPECT_EQ(AppendIfMissing("file.TXT", ".txt"), "file.TXT");
    EXPECT_EQ(AppendIfMissing("file", ".txt"), "file.txt");
}

TEST(TextUtils, PaddingKeepsTheWantedEnd) {
    EXPECT_EQ(PadLeftWith("7", "0", 3), "007");
    EXPECT_EQ(PadLeftWith("12345", "0", 3), "345");
    EXPECT_EQ(PadLeftWith("7", "ab", 4), "bab7");
    EXPECT_EQ(PadRightWith("ab", ".", 4), "ab..");
    EXPECT_EQ(PadRightWith("abcdef", ".", 4), "abcd");
    EXPECT_EQ(PadLeftWith("x", "", 4), "x"); // nothing to fill with must not loop
}

TEST(TextUtils, SmallPredicates) {
    EXPECT_EQ(Plural(1), "");
    EXPECT_EQ(Plural(0), "s");
    EXPECT_EQ(Plural(2), "s");
    EXPECT_TRUE(ContainsChar('=', "a=b"));
    EXPECT_FALSE(ContainsChar('=', "ab"));
    EXPECT_TRUE(IsBlankText(""));
    EXPECT_FALSE(IsBlankText(" "));
    EXPECT_EQ(TextBeforeHash("page.html#top#x"), "page.html");
    EXPECT_EQ(TextBeforeHash("page.html"), "page.html");
    EXPECT_TRUE(SameText("ÄbC", "Äbc"));
    EXPECT_FALSE(SameText("\xC4", "\xE4")); // only ASCII letters fold
}

TEST(TextUtils, BooleanWords) {
    for (const char* yes :
         {"yes", "Y", "-1", "on", "ON", "True", "1", "#", "$", "*", "+", ".", "M", "m"})
        EXPECT_TRUE(TextToBool(yes)) << yes;
    for (const char* no : {"no", "0", "", "off", "-2", "false", "One"})
        EXPECT_FALSE(TextToBool(no)) << no;
    EXPECT_EQ(BoolToYN(true), "Y");
    EXPECT_EQ(BoolToYN(false), "N");
    EXPECT_EQ(BoolToTrueFalse(true), "true");
    EXPECT_EQ(BoolToOnOff(false), "Off");
    EXPECT_TRUE(TextToBool(BoolToYN(true)));
    EXPECT_FALSE(TextToBool(BoolToOnOff(false)));
}

TEST(TextUtils, LetterCaseCommands) {
    EXPECT_EQ(SentenceCase("hello world. how? fine;ok: 3rd"), "Hello world. How? Fine;Ok: 3rd");
    EXPECT_EQ(SentenceCase("  ... x"), "  ... X");
    EXPECT_EQ(TitleCase("hELLO wORLD. aNOTHER one"), "Hello world. Another one");
    EXPECT_EQ(TitleCase("THE BIG DOG"), "The Big Dog");
    EXPECT_EQ(TitleCase("the big dog"), "The big dog"); // after a space the case stays
    EXPECT_EQ(WordCase("hELLO wORLD-x_y 9lives"), "Hello World-X_Y 9lives");
    EXPECT_EQ(WordCase("\xE9t\xE9"), "\xE9T\xE9"); // non-ASCII bytes split words, untouched
}
