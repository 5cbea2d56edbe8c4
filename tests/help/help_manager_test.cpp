// The help tree: lookup by path, the context stack, the tree file with its refusals, and
// where the manager finds the file.
#include "help/help_manager.h"
#include "platform/settings_store.h"
#include "scripted_prompt.h"
#include "storage/byte_stream.h"
#include "storage/section_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QSettings>

namespace korvane::test {
namespace {

// contents (help/) > reference (ref/) > help, search; tutorials > first steps (tut/page.htm#intro)
std::unique_ptr<THelpSection> SampleTree() {
    auto root = std::make_unique<THelpSection>("contents");
    root->Filename = "index.htm";
    THelpSection& reference = root->AppendChild(std::make_unique<THelpSection>("reference"));
    reference.RelPath = "ref";
    reference.Filename = "reference.htm";
    reference.AppendChild(std::make_unique<THelpSection>("help")).Filename = "help.htm";
    reference.AppendChild(std::make_unique<THelpSection>("search")).Filename = "search.htm";
    THelpSection& tutorials = root->AppendChild(std::make_unique<THelpSection>("tutorials"));
    THelpSection& first = tutorials.AppendChild(std::make_unique<THelpSection>("first steps"));
    first.RelPath = "tut";
    first.Filename = "page.htm#intro";
    return root;
}

class HelpManagerTest : public ::testing::Test {
protected:
    HelpManagerTest() : Config("XDG_CONFIG_HOME", Dir.File("config")) {
        std::filesystem::create_directories(Dir.File("help/ref"));
        std::filesystem::create_directories(Dir.File("help/tut"));
        for (const char* page : {"help/index.htm", "help/ref/help.htm", "help/tut/page.htm"})
            WriteBytes(Dir.File(page), "<p>x</p>");
        SaveHelpFile(List, Dir.File("help/kv2_1_0.kvh"), *SampleTree(), {});
    }

    std::unique_ptr<THelpManager> Make() {
        return std::make_unique<THelpManager>(List, Prompts, "contents",
                                              Dir.File("help/kv2_1_0.kvh"),
                                              [this](const std::string& path, char verb) {
                                                  Shown.push_back(std::string(1, verb) + path);
                                                  return true;
                                              });
    }

    TempDir Dir;
    ScopedEnv Config;
    TSectionList List;
    ScriptedPrompt Prompts;
    std::vector<std::string> Shown;
};

TEST_F(HelpManagerTest, FindsTopicsByPathIgnoringCase) {
    auto help = Make();
    const struct {
        const char* Path;
        const char* Found; // name, or nullptr for none
    } cases[] = {
        {"contents", "contents"},
        {"Contents/Reference/HELP", "help"},
        {"contents\\reference\\search", "search"},
        {"Contents/reference/", "reference"},
        {"contents/tutorials/first steps/deeper/still", "first steps"},
        {"contents/reference/missing", nullptr},
        {"index", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const THelpSection* node = help->Find(c.Path);
        EXPECT_EQ(node ? node->Name : "(none)", c.Found ? c.Found : "(none)") << c.Path;
    }
}

TEST_F(HelpManagerTest, ContextStackShowsTopOpensWithAnchorAndFallsBackToRoot) {
    auto help = Make();
    const std::string folder = Dir.File("help");
    help->PushContext("Contents/reference");             // the main window
    help->PushContext("contents/tutorials/first steps"); // a dialog shown over it
    help->ShowContext();
    help->PopContext(); // the dialog closes
    // reference's page is missing: the error names it, then the root topic is shown.
    help->ShowContext();
    help->PopContext();
    help->PopContext(); // more pops than pushes are harmless
    help->ShowContext();
    help->ShowTopic("contents/reference/missing");
    EXPECT_EQ(Shown, (std::vector<std::string>{"O" + folder + "/tut/page.htm#intro",
                                               "O" + folder + "/index.htm"}));
    EXPECT_EQ(Prompts.TextsShown(),
              std::vector<std::string>{"Help for reference  (reference)\nFile not found: " +
                                       folder + "/ref/reference.htm"});
    EXPECT_EQ(help->StatisticsText(), "6 nodes on help tree, of which 3 are leaves");
}

TEST_F(HelpManagerTest, RefusedAndDamagedFilesLeaveNoTree) {
    TMemoryStream good;
    WriteHelpTree(List, good, *SampleTree(), {});
    const std::string bytes(reinterpret_cast<const char*>(good.Bytes().data()),
                            good.Bytes().size());
    const auto withString = [&](int index, const std::string& text) {
        TMemoryStream out;
        TSectionListUse use(List, out, false);
        const char* strings[] = {"Brannoq", "Korvane", "2.1", "0", "Help Manager"};
        for (int i = 0; i < 5; ++i)
            List.WriteStr(i == index ? text : strings[i]);
        return std::string(reinterpret_cast<const char*>(out.Bytes().data()), out.Bytes().size());
    };
    const struct {
        std::string Bytes;
        std::string Error;
    } cases[] = {
        {"", "File was generated by a program not created by Brannoq"},
        {bytes.substr(0, 5), "File was generated by a program not created by Brannoq"},
        {withString(1, "Other"), "File was generated by a different program to Korvane"},
        {withString(4, "Code Template"), "This is not a help management file"},
        {withString(9, ""), "This help management file holds no help tree"},
    };
    for (const auto& c : cases) {
        WriteBytes(Dir.File("help/kv2_1_0.kvh"), c.Bytes);
        Prompts.ClearRecords();
        auto help = Make();
        EXPECT_EQ(Prompts.TextsShown(), std::vector<std::string>{c.Error});
        EXPECT_EQ(help->Root(), nullptr);
        EXPECT_EQ(help->Find("contents"), nullptr);
        EXPECT_EQ(help->StatisticsText(), "Help tree inaccesible");
        help->ShowTopic("contents");
        EXPECT_TRUE(Shown.empty());
    }
    // Every cut of a good file is read without a crash and never claims more than it holds.
    for (size_t size = 0; size < bytes.size(); ++size) {
        TMemoryStream cut(reinterpret_cast<const uint8_t*>(bytes.data()), size);
        try {
            EXPECT_LE(ReadHelpTree(List, cut, {})->CountNodes(), 6);
        } catch (const std::exception&) {
        }
    }
}

TEST_F(HelpManagerTest, StoredLocationWinsWhileItExistsAndLoadRemembersANewOne) {
    std::filesystem::create_directories(Dir.File("other"));
    SaveHelpFile(List, Dir.File("other/mine.kvh"), THelpSection("mine"), {});
    auto help = Make();
    help->Load(Dir.File("other/mine.kvh"));
    EXPECT_EQ(help->Root()->Name, "mine");
    EXPECT_EQ(Make()->Root()->Name, "mine");
    {
        auto settings = OpenUserSettings();
        EXPECT_EQ(settings->value("Help/Path").toString().toStdString(), Dir.File("other/"));
        EXPECT_EQ(settings->value("Help/Filename").toString().toStdString(), "mine.kvh");
    }
    std::filesystem::remove(Dir.File("other/mine.kvh"));
    EXPECT_EQ(Make()->Root()->Name, "contents");
    // No file at all: a one-node tree that finds no "contents" topics.
    std::filesystem::remove(Dir.File("help/kv2_1_0.kvh"));
    auto bare = Make();
    EXPECT_EQ(bare->Root()->Filename, "index.htm");
    EXPECT_EQ(bare->Find("contents/reference"), nullptr);
    EXPECT_EQ(bare->StatisticsText(), "1 node on help tree, of which 1 is a leaf");
}

TEST_F(HelpManagerTest, SavedTreeReadsBackAndAddedNodesComeInOrder) {
    auto help = Make();
    THelpSection& reference = *help->Find("contents/reference");
    for (const char* name : {"beta", "alpha", "Gamma"})
        reference.AddChildInOrder(name);
    help->Modified = true;
    help->Save();
    EXPECT_FALSE(help->Modified);
    auto again = Make();
    std::vector<std::string> names;
    for (const auto& child : again->Find("contents/reference")->Children())
        names.push_back(child->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "beta", "Gamma", "help", "search"}));
    EXPECT_EQ(again->Root()->RelPath, Dir.File("help"));
    EXPECT_EQ(again->Find("contents/tutorials/first steps")->FullPath(),
              Dir.File("help/tut/page.htm#intro"));
}

} // namespace
} // namespace korvane::test
