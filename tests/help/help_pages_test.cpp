// The help pages this build ships keep true to the program: no page says a window is missing,
// every link and picture inside the help leads somewhere, a picture the build could not take
// leaves a sentence in its place, and every topic the program opens has a page of its own.
#include "help/help_file.h"
#include "help/help_manager.h"
#include "help/help_pages.h"
#include "scripted_prompt.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

TEST(HelpPictures, APictureNotTakenGivesWayToItsAltTextAndTheRestStays) {
    const auto onlyRun = [](const std::string& src) { return src == "images/run.png"; };
    const struct {
        const char* Page;
        const char* Shipped;
    } cases[] = {
        {"<p>no pictures</p>", "<p>no pictures</p>"},
        {"<p><img src=\"images/run.png\" alt=\"Run.\"></p>",
         "<p><img src=\"images/run.png\" alt=\"Run.\"></p>"},
        {"<p><IMG width=\"640\" SRC=\"images/debug.png\"\nalt=\"A paused\nprogram.\"> after</p>",
         "<p><span class=\"picture\">A paused\nprogram.</span> after</p>"},
        {"a<img src=\"x.png\" alt=\"One.\">b<img src=\"images/run.png\" alt=\"Two.\">c"
         "<img data-src=\"images/run.png\" src=\"y.png\" alt=\"Three.\">",
         "a<span class=\"picture\">One.</span>b<img src=\"images/run.png\" alt=\"Two.\">c"
         "<span class=\"picture\">Three.</span>"},
        {"<img src=\"x.png\">", "<span class=\"picture\"></span>"},
        {"<p>cut <img src=\"x.png\"", "<p>cut <img src=\"x.png\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithPicturesTaken(c.Page, onlyRun), c.Shipped) << c.Page;
}

#ifdef KORVANE_SHIPPED_HELP
const std::string SourcePages = KORVANE_SOURCE_DIR "/data/help/";

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : list + ",")
        if (c == ',') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    return parts;
}

// Every page of a folder by its file name.
std::map<std::string, std::string> PagesIn(const std::string& folder) {
    std::map<std::string, std::string> pages;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".htm")
            pages[entry.path().filename().string()] = ReadBytes(entry.path().string());
    return pages;
}

std::vector<std::string> Tags(const std::string& page, const std::string& name) {
    std::vector<std::string> tags;
    const std::string lower = LowerText(page);
    for (size_t at = lower.find("<" + name); at != std::string::npos;
         at = lower.find("<" + name, at + 1)) {
        const size_t end = page.find('>', at);
        if (end == std::string::npos) break;
        tags.push_back(page.substr(at, end + 1 - at));
    }
    return tags;
}

bool HasAnchor(const std::string& page, const std::string& anchor) {
    return page.find("id=\"" + anchor + "\"") != std::string::npos;
}

// Alt text read on its own: a capital first, at least four words and a full stop at the end.
bool IsSentence(const std::string& text) {
    const std::string words = std::regex_replace(text, std::regex("\\s+"), " ");
    return !words.empty() && std::isupper(static_cast<unsigned char>(words.front())) &&
           words.back() == '.' && std::count(words.begin(), words.end(), ' ') >= 3;
}

TEST(ShippedHelpPages, NoPageSaysThatAWindowIsMissing) {
    for (const auto& [name, page] : PagesIn(SourcePages)) {
        EXPECT_EQ(LowerText(page).find("not part of this version"), std::string::npos) << name;
        EXPECT_EQ(LowerText(page).find("will hold"), std::string::npos) << name;
    }
}

TEST(ShippedHelpPages, EveryLinkLeadsToAPageAndPlaceThatExist) {
    const auto pages = PagesIn(SourcePages);
    std::vector<std::string> broken;
    for (const auto& [name, page] : pages)
        for (const char* tag : {"a", "link"})
            for (const std::string& link : Tags(page, tag)) {
                const std::string href = TagAttribute(link, "href");
                if (href.empty() || std::regex_search(href, std::regex("^[a-z]+:"))) continue;
                const std::string file = href.substr(0, href.find('#'));
                const std::string anchor =
                    href.find('#') == std::string::npos ? "" : href.substr(href.find('#') + 1);
                const std::string target = file.empty() ? name : file;
                const bool found = fs::exists(SourcePages + target) &&
                                   (anchor.empty() ||
                                    (pages.count(target) && HasAnchor(pages.at(target), anchor)));
                if (!found) broken.push_back(name + ": " + href);
            }
    EXPECT_EQ(broken, std::vector<std::string>{});
}

TEST(ShippedHelpPages, EveryPictureIsOneTheBuildTakesAndSaysInASentenceWhatItShows) {
    const std::vector<std::string> known = Split(KORVANE_HELP_PICTURES_KNOWN);
    int pictures = 0;
    for (const auto& [name, page] : PagesIn(SourcePages))
        for (const std::string& img : Tags(page, "img")) {
            ++pictures;
            const std::string src = TagAttribute(img, "src");
            EXPECT_NE(std::find(known.begin(), known.end(), src), known.end())
                << name << ": " << src;
            EXPECT_TRUE(IsSentence(TagAttribute(img, "alt"))) << name << ": " << img;
        }
    EXPECT_GT(pictures, 0);
}

// The pages this build ships keep only the pictures it took; each of those is there.
TEST(ShippedHelpPages, BuiltPagesShowOnlyPicturesTheBuildTook) {
    const std::vector<std::string> taken = Split(KORVANE_HELP_PICTURES_TAKEN);
    const auto built = PagesIn(KORVANE_BUILT_HELP_PAGES);
    EXPECT_EQ(built.size(), PagesIn(SourcePages).size());
    for (const auto& [name, page] : built)
        for (const std::string& img : Tags(page, "img")) {
            const std::string src = TagAttribute(img, "src");
            EXPECT_NE(std::find(taken.begin(), taken.end(), src), taken.end())
                << name << ": " << src;
        }
}

// Every help topic written in the program's sources: the path names a node of its own (not a
// parent it falls back to), and that node's page and place exist.
TEST(ShippedHelpPages, EveryTopicInTheProgramLeadsToItsOwnPage) {
    std::set<std::string> topics;
    const std::regex literal("\"([Cc]ontents(/[^\"]*)?)\"");
    for (const auto& entry : fs::recursive_directory_iterator(KORVANE_SOURCE_DIR "/src")) {
        const std::string source = ReadBytes(entry.path().string());
        for (std::sregex_iterator it(source.begin(), source.end(), literal), end; it != end; ++it)
            topics.insert((*it)[1]);
    }
    EXPECT_GE(topics.size(), 30u);

    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("config"));
    TSectionList list;
    ScriptedPrompt prompts;
    THelpManager help(list, prompts, "contents", KORVANE_SHIPPED_HELP, nullptr);
    ASSERT_NE(help.Root(), nullptr);
    help.Root()->RelPath = SourcePages;
    for (const std::string& topic : topics) {
        std::string path = topic;
        while (!path.empty() && path.back() == '/')
            path.pop_back();
        const THelpSection* node = help.Find(path);
        ASSERT_NE(node, nullptr) << topic;
        EXPECT_TRUE(SameText(node->Name, path.substr(path.rfind('/') + 1))) << topic;
        EXPECT_TRUE(node->Exists()) << topic << ": " << node->FullPath();
        const std::string file = node->FullPath();
        if (file.find('#') != std::string::npos) {
            EXPECT_TRUE(HasAnchor(ReadBytes(TextBeforeHash(file)), file.substr(file.find('#') + 1)))
                << topic << ": " << file;
        }
    }
    EXPECT_TRUE(prompts.TextsShown().empty());
}
#endif

} // namespace
} // namespace korvane::test
