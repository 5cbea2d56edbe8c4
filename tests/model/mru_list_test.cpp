#include "model/mru_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::ReadBytes;
using korvane::test::WriteBytes;

namespace {

class MRUListTest : public ::testing::Test {
protected:
    test::TempDir Dir;
    test::ScopedEnv Config{"XDG_CONFIG_HOME", Dir.File("config")};

    std::string Existing(const std::string& name) {
        WriteBytes(Dir.File(name), "x");
        return Dir.File(name);
    }
    static std::vector<std::string> Captions(const TMRUList& list) {
        std::vector<std::string> captions;
        for (const auto& item : list.MenuItems())
            captions.push_back(item.Caption + (item.Enabled ? "" : " [off]"));
        return captions;
    }
};

TEST_F(MRUListTest, AddKeepsTheNewestFirstUpToTheLimitAndComparesPathsExactly) {
    struct Case {
        const char* Name;
        std::vector<std::string> Added;
        std::vector<std::string> Expected;
    };
    std::vector<std::string> eleven;
    for (int i = 0; i < 11; ++i)
        eleven.push_back("/p/" + std::to_string(i) + ".pl");
    const std::vector<std::string> newestTen(eleven.rbegin(), eleven.rbegin() + 10);
    const Case cases[] = {
        {"eleven keep the ten most recent", eleven, newestTen},
        {"a repeat moves to the front", {"/a.pl", "/b.pl", "/a.pl"}, {"/a.pl", "/b.pl"}},
        // On Linux a name in another case is another file: both stay.
        {"letter case makes another file", {"/a/X.pl", "/a/x.pl"}, {"/a/x.pl", "/a/X.pl"}},
        {"an empty path is ignored", {"/a.pl", ""}, {"/a.pl"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.Name);
        TMRUList list("Files MRU", "");
        list.Clear();
        for (const std::string& path : test.Added)
            list.Add(path);
        EXPECT_EQ(list.Entries(), test.Expected);
        // What another program (or the next start) reads back from the store.
        EXPECT_EQ(TMRUList("Files MRU", "").Entries(), test.Expected);
    }
    const std::string stored = ReadBytes(Dir.File("config/Brannoq/Korvane.conf"));
    EXPECT_NE(stored.find("[Files%20MRU]\nItem0=/a.pl\n"), std::string::npos) << stored;
    EXPECT_EQ(stored.find("Item1="), std::string::npos) << "old items are removed: " << stored;
}

TEST_F(MRUListTest, MenuNumbersNineEntriesEscapesAmpersandsAndOffersClearingMissingFiles) {
    TMRUList list("Projects MRU", "DefaultProject");
    EXPECT_TRUE(list.MenuItems().empty()) << "an empty list shows nothing";

    list.Add(Existing("one.kvp"));
    list.Add(Dir.File("gone.kvp"));
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"&1 " + Dir.File("gone.kvp") + " [off]",
                                                        "&2 " + Dir.File("one.kvp"),
                                                        "Clear &Deleted Files from List",
                                                        "&Clear Recent Files List"}));
    list.ClearInactive();
    EXPECT_EQ(list.Entries(), std::vector<std::string>{Dir.File("one.kvp")});

    // A lone missing entry is not offered for clearing inactive entries.
    list.Clear();
    list.Add(Dir.File("gone.kvp"));
    EXPECT_EQ(Captions(list).size(), 2u);

    list.Clear();
    for (int i = 10; i >= 1; --i)
        list.Add(Existing("p&" + std::to_string(i) + ".kvp"));
    // The default project carries the mark.
    WriteBytes(Dir.File("config/Brannoq/Korvane.conf"),
               ReadBytes(Dir.File("config/Brannoq/Korvane.conf")) +
                   "\n[Defaults]\nDefaultProject=" + Dir.File("p&2.kvp") + "\n");
    const std::vector<std::string> captions = Captions(list);
    EXPECT_EQ(captions[1], "&2 " + Dir.File("p&&2.kvp") + "  (AutoLoad)");
    EXPECT_EQ(captions[8], "&9 " + Dir.File("p&&9.kvp"));
    EXPECT_EQ(captions[9], Dir.File("p&&10.kvp")) << "the tenth has no accelerator";
    EXPECT_EQ(captions.back(), "&Clear Recent Files List");
}

} // namespace
