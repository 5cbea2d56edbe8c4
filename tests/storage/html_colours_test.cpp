#include "storage/errors.h"
#include "storage/html_colours.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace korvane;

TEST(HtmlColours, TableShape) {
    ASSERT_EQ(HtmlColourNameCount(), 137);
    const HtmlColourName* table = HtmlColourNames();
    EXPECT_STREQ(table[0].Name, "aliceblue");
    EXPECT_STREQ(table[1].Value, "#FAEBD7");
    EXPECT_STREQ(table[135].Name, "yellow");
    EXPECT_STREQ(table[136].Value, "#9ACD32");
    std::set<std::string> names;
    for (int i = 0; i < HtmlColourNameCount(); ++i) {
        const std::string name = table[i].Name;
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(name.find("grey"), std::string::npos) << name;
        if (i > 0) {
            EXPECT_LT(std::string(table[i - 1].Name), name);
        }
        // Every value is upper-case hex and reads back to itself.
        EXPECT_EQ(ColorToHtml(HtmlToColor(table[i].Value, false), false), table[i].Value);
    }
    for (const char* left : {"oldlace", "olive", "olivedrab"})
        EXPECT_EQ(names.count(left), 0u);
}

TEST(HtmlColours, ColourValuesAreBlueGreenRed) {
    EXPECT_EQ(HtmlToColor("#FF8000", false), 0x0080FFu);
    EXPECT_EQ(ColorToHtml(0x0080FF, false), "#FF8000");
    EXPECT_EQ(ColorToHtml(0xAB123456, false), "#563412"); // the top byte is no colour
}

TEST(HtmlColours, NamesWinInTableOrder) {
    EXPECT_EQ(ColorToHtml(HtmlToColor("#00FFFF", false), true), "aqua");
    EXPECT_EQ(ColorToHtml(HtmlToColor("#ff00ff", false), true), "fuchsia");
    EXPECT_EQ(ColorToHtml(HtmlToColor("#123456", false), true), "#123456");
    EXPECT_EQ(HtmlToColor("CYAN", true), HtmlToColor("aqua", true));
    EXPECT_EQ(HtmlToColor("Gray", true), 0x808080u);
    EXPECT_EQ(HtmlToColor("a0b1c2ff", true), 0xC2B1A0u); // only the first six digits count
}

TEST(HtmlColours, UnreadableTextIsRefused) {
    for (const char* bad : {"", "#", "#12345", "red", "#12G456", "grey"}) {
        try {
            HtmlToColor(bad, std::string(bad) == "grey");
            ADD_FAILURE() << "accepted " << bad;
        } catch (const handledException& e) {
            EXPECT_STREQ(e.what(), "Colour not recognized");
        }
    }
}
