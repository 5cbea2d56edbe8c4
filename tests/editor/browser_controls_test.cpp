#include "editor/browser_controls.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(BrowserHistory, NewestFirstWithoutRepeatsAndAtMostEight) {
    std::vector<std::string> history;
    for (int i = 1; i <= 10; ++i)
        AddToBrowserHistory(history, "http://h/" + std::to_string(i));
    ASSERT_EQ(history.size(), 8u);
    EXPECT_EQ(history.front(), "http://h/10");
    EXPECT_EQ(history.back(), "http://h/3");
    // A page shown again moves to the top instead of taking a second place.
    AddToBrowserHistory(history, "http://h/5");
    EXPECT_EQ(history.size(), 8u);
    EXPECT_EQ(history[0], "http://h/5");
    EXPECT_EQ(std::count(history.begin(), history.end(), "http://h/5"), 1);
    EXPECT_EQ(history.back(), "http://h/3");
    AddToBrowserHistory(history, "");
    EXPECT_EQ(history[0], "http://h/5") << "an empty address is no page";
}
