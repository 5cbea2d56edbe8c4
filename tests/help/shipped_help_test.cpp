// The help tree file this build ships: it decodes to its outline, every node's page is
// there, and every topic the program opens finds a page of its own.
#include "help/help_file.h"
#include "help/help_manager.h"
#include "help/help_outline.h"
#include "scripted_prompt.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <functional>

namespace korvane::test {
namespace {

#ifdef KORVANE_SHIPPED_HELP
std::string Describe(const THelpSection& node) {
    std::string text = node.Name + "|" + node.Filename + "|" + node.Title + "|" + node.RelPath;
    for (const auto& child : node.Children())
        text += "\n" + std::string(2 * child->Depth(), ' ') + Describe(*child);
    return text;
}

TEST(ShippedHelp, DecodesToItsOutlineAndEveryTopicHasItsPage) {
    TSectionList list;
    auto shipped = LoadHelpFile(list, KORVANE_SHIPPED_HELP, {});
    auto outline = ReadHelpOutline(ReadBytes(KORVANE_SOURCE_DIR "/data/help_tree.txt"));
    EXPECT_EQ(Describe(*shipped), Describe(*outline));

    shipped->RelPath = KORVANE_SOURCE_DIR "/data/help";
    std::vector<std::string> missing;
    const std::function<void(const THelpSection&)> walk = [&](const THelpSection& node) {
        if (!node.Exists()) missing.push_back(node.FullPath());
        const std::string anchor = node.Filename.find('#') == std::string::npos
                                       ? std::string()
                                       : node.Filename.substr(node.Filename.find('#') + 1);
        if (!anchor.empty() &&
            ReadBytes(TextBeforeHash(node.FullPath())).find("id=\"" + anchor + "\"") ==
                std::string::npos)
            missing.push_back(node.FullPath());
        for (const auto& child : node.Children())
            walk(*child);
    };
    walk(*shipped);
    EXPECT_EQ(missing, std::vector<std::string>{});
    EXPECT_GE(shipped->CountNodes(), 28);
}

TEST(ShippedHelp, EveryTopicTheProgramOpensIsANodeOfItsOwn) {
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("config"));
    TSectionList list;
    ScriptedPrompt prompts;
    THelpManager help(list, prompts, "contents", KORVANE_SHIPPED_HELP, nullptr);
    for (const char* topic : {"Contents/reference",
                              "Contents/reference/file_assoc",
                              "Contents/Reference/Help",
                              "Contents/reference/color_dlg",
                              "Contents/reference/code_template",
                              "Contents/reference/search",
                              "Contents/reference/replace",
                              "Contents/reference/var_watch",
                              "Contents/reference/env_vars",
                              "Contents/reference/form_fields",
                              "Contents/reference/install_mods",
                              "Contents/reference/new_version",
                              "Contents/reference/editor_colors",
                              "Contents/reference/editor_cust",
                              "Contents/reference/compiler",
                              "Contents/reference/upload",
                              "Contents/reference/mysql",
                              "Contents/reference/web_server",
                              "contents/install/activeperl",
                              "contents/install/php",
                              "contents/install/mysql",
                              "contents/tutorials/first steps",
                              "contents/tutorials/php start",
                              "contents/tutorials/debug",
                              "contents/tutorials/keyboard",
                              "contents/tutorials/web prog",
                              "contents/tutorials/mysql",
                              "contents/web site",
                              "contents/web site/support",
                              "contents/web site/forum",
                              "contents/web site/download",
                              "contents/web site/links"}) {
        const THelpSection* node = help.Find(topic);
        const std::string path = topic;
        EXPECT_TRUE(node && SameText(node->Name, path.substr(path.rfind('/') + 1))) << topic;
    }
    EXPECT_TRUE(prompts.TextsShown().empty());
}
#endif

} // namespace
} // namespace korvane::test
