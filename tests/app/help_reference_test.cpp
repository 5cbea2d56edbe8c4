// The help's reference keeps up with the window: every command of every menu has its row on
// the page of its menu, with the caption and the key it has today, every submenu is named
// there, and every page of the settings dialog leads to a help page that describes it.
#include "app/command.h"
#include "app/main_form.h"
#include "app/properties_pages.h"
#include "app_fixture.h"
#include "help/help_manager.h"
#include "storage/text_utils.h"
#include "temp_dir.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

using namespace korvane;

namespace {

using HelpReferenceTest = test::AppTest;

const std::string HelpPages = KORVANE_SOURCE_DIR "/data/help/";

std::string Page(const std::string& name) {
    return std::filesystem::exists(HelpPages + name) ? test::ReadBytes(HelpPages + name)
                                                     : std::string();
}

// Page text as a reader sees it: no tags, entities decoded, runs of white space as one space.
std::string Readable(std::string html) {
    html = std::regex_replace(html, std::regex("<[^>]*>"), "");
    for (const auto& [entity, text] : {std::pair{"&lt;", "<"},
                                       {"&gt;", ">"},
                                       {"&quot;", "\""},
                                       {"&nbsp;", " "},
                                       {"&raquo;", "\xC2\xBB"},
                                       {"&amp;", "&"}})
        for (size_t at = html.find(entity); at != std::string::npos; at = html.find(entity, at))
            html.replace(at, std::string(entity).size(), text);
    html = std::regex_replace(html, std::regex("\\s+"), " ");
    const size_t first = html.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : html.substr(first, html.find_last_not_of(' ') - first + 1);
}

// A menu caption as it shows: "&&" is one ampersand, a single "&" marks the access key, and
// the text after a tab is the key it shows.
std::string ShownCaption(const QString& text) {
    QString caption = text.section(QLatin1Char('\t'), 0, 0);
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return caption.toStdString();
}

std::string ShownKeys(const QAction& command) {
    QStringList keys;
    for (const QKeySequence& key : command.shortcuts())
        keys << key.toString(QKeySequence::PortableText);
    if (keys.isEmpty() && command.text().contains(QLatin1Char('\t')))
        keys << command.text().section(QLatin1Char('\t'), 1);
    return keys.join(QStringLiteral(", ")).toStdString();
}

// The cells of the row <tr id="cmd-NAME"> of a page, as read; empty when it has none.
std::vector<std::string> CommandRow(const std::string& page, const QString& name) {
    const size_t at = page.find("<tr id=\"cmd-" + name.toStdString() + "\">");
    if (at == std::string::npos) return {};
    const std::string row = page.substr(at, page.find("</tr>", at) - at);
    std::vector<std::string> cells;
    const std::regex cell("<td[^>]*>([\\s\\S]*?)</td>");
    for (std::sregex_iterator it(row.begin(), row.end(), cell), end; it != end; ++it)
        cells.push_back(Readable((*it)[1]));
    return cells;
}

// The rows of a page, each as its read cells.
std::vector<std::vector<std::string>> Rows(const std::string& page) {
    std::vector<std::vector<std::string>> rows;
    const std::regex row("<tr[^>]*>([\\s\\S]*?)</tr>");
    const std::regex cell("<td[^>]*>([\\s\\S]*?)</td>");
    for (std::sregex_iterator it(page.begin(), page.end(), row), end; it != end; ++it) {
        const std::string text = (*it)[1];
        std::vector<std::string> cells;
        for (std::sregex_iterator c(text.begin(), text.end(), cell); c != end; ++c)
            cells.push_back(Readable((*c)[1]));
        rows.push_back(cells);
    }
    return rows;
}

// The menus whose items are made from data: file names, backups, templates, bookmarks.
bool MadeFromData(const std::string& title) {
    return title == "Recent" || title == "Restore" || title == "Templates" || title == "Bookmarks";
}

struct TMenuCheck {
    std::string PageName;
    std::string Page;
    std::vector<std::string> Faults;
};

// A row says what a command does: three cells, the third a sentence of some length.
std::string RowText(const std::vector<std::string>& cells) {
    return cells.size() < 3 || cells[2].size() < 12 ? "<no row>" : cells[0] + " | " + cells[1];
}

void CheckMenu(const QMenu& menu, TMenuCheck& check, std::set<const QAction*>& seen, bool data) {
    for (const QAction* item : menu.actions()) {
        if (item->isSeparator()) continue;
        const std::string caption = ShownCaption(item->text());
        if (item->menu()) {
            if (!data && Readable(check.Page).find(caption) == std::string::npos)
                check.Faults.push_back(check.PageName + ": the submenu " + caption +
                                       " is not named");
            CheckMenu(*item->menu(), check, seen, data || MadeFromData(caption));
            continue;
        }
        const bool command = !CommandCategory(*item).isEmpty();
        if ((!command && data) || !seen.insert(item).second) continue;
        const std::string wanted = caption + " | " + ShownKeys(*item);
        std::string shown = "<no row>";
        if (command) {
            shown = RowText(CommandRow(check.Page, item->objectName()));
        } else {
            // An item that is no command of the window is found by its caption.
            for (const auto& cells : Rows(check.Page))
                if (!cells.empty() && cells[0] == caption) shown = RowText(cells);
        }
        if (shown != wanted)
            check.Faults.push_back(
                check.PageName + ": " + (command ? item->objectName().toStdString() : caption) +
                " wants \"" + wanted + "\" and what it does, has \"" + shown + "\"");
    }
}

TEST_F(HelpReferenceTest, EveryCommandOfEveryMenuHasItsRowWithItsCaptionAndKey) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    std::set<const QAction*> seen;
    std::vector<std::string> faults;
    int menus = 0;
    for (const QAction* top : form.menuBar()->actions()) {
        if (!top->menu()) continue;
        ++menus;
        TMenuCheck check;
        check.PageName = "menu_" + LowerText(ShownCaption(top->text())) + ".htm";
        check.Page = Page(check.PageName);
        if (check.Page.empty()) {
            faults.push_back(check.PageName + " is missing");
            continue;
        }
        CheckMenu(*top->menu(), check, seen, MadeFromData(ShownCaption(top->text())));
        faults.insert(faults.end(), check.Faults.begin(), check.Faults.end());
    }
    EXPECT_GE(menus, 10);
    // Commands that no menu shows (keys only, the tool bar, the page tabs) have a row on some page.
    std::string all;
    for (const auto& entry : std::filesystem::directory_iterator(HelpPages))
        all += test::ReadBytes(entry.path().string());
    int commands = 0;
    for (const QAction* command : form.findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
        if (CommandCategory(*command).isEmpty()) continue;
        ++commands;
        if (seen.count(command)) continue;
        const std::vector<std::string> cells = CommandRow(all, command->objectName());
        if (cells.size() < 3 || cells[0] != ShownCaption(command->text()) ||
            cells[1] != ShownKeys(*command))
            faults.push_back("no page: " + command->objectName().toStdString() + " \"" +
                             ShownCaption(command->text()) + " | " + ShownKeys(*command) + "\"");
    }
    EXPECT_GE(commands, 100);
    std::string list;
    for (const std::string& fault : faults)
        list += fault + "\n";
    EXPECT_EQ(list, "");
}

TEST_F(HelpReferenceTest, EverySettingsPageLeadsToAHelpPageThatDescribesIt) {
    QTreeWidget tree;
    BuildCategoryTree(tree);
    TSectionList list;
    THelpManager help(list, Prompt, "contents", KORVANE_BUILD_TREE "/data/help/kv2_1_0.kvh",
                      nullptr);
    ASSERT_NE(help.Root(), nullptr);
    help.Root()->RelPath = HelpPages;
    std::vector<std::string> faults;
    int pages = 0;
    std::vector<std::pair<QTreeWidgetItem*, std::string>> stack;
    for (int i = tree.topLevelItemCount() - 1; i >= 0; --i)
        stack.emplace_back(tree.topLevelItem(i), tree.topLevelItem(i)->text(0).toStdString());
    while (!stack.empty()) {
        auto [item, path] = stack.back();
        stack.pop_back();
        for (int i = item->childCount() - 1; i >= 0; --i)
            stack.emplace_back(item->child(i),
                               path + " \xC2\xBB " + item->child(i)->text(0).toStdString());
        const TPageOfNode page = PageOfPath(path);
        if (page.Page == TPropertyPage::None) continue;
        ++pages;
        const THelpSection* node =
            page.Topic.empty() ? nullptr : help.Find("Contents/reference/" + page.Topic);
        if (!node || !SameText(node->Name, page.Topic) || !node->Exists()) {
            faults.push_back(path + ": topic \"" + page.Topic + "\" has no page");
            continue;
        }
        const std::string text = Readable(test::ReadBytes(TextBeforeHash(node->FullPath())));
        if (text.find(item->text(0).toStdString()) == std::string::npos)
            faults.push_back(path + ": " + node->Filename + " does not name the page");
    }
    EXPECT_GE(pages, 30);
    EXPECT_EQ(faults, std::vector<std::string>{});
}

} // namespace
