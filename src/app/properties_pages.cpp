#include "app/properties_pages.h"

#include "platform/qt_strings.h"
#include "storage/text_utils.h"

#include <QTreeWidget>

namespace korvane {

namespace {

struct TNode {
    int Level;
    const char* Text;
    TPropertyPage Page;
    const char* Topic;
};

using P = TPropertyPage;

// The tree without the six language branches, which repeat one pattern.
const std::vector<TNode>& HeadNodes() {
    static const std::vector<TNode> nodes = {
        {0, "Notes", P::Notes, "identification"},
        {0, "Identification", P::None, ""},
        {1, "About", P::About, "identification"},
        {1, "Author", P::Author, "identification"},
        {1, "Contact", P::Contact, "identification"},
        {1, "Keywords", P::Keywords, "identification"},
        {0, "Editor", P::None, ""},
        {1, "Visibility Options", P::Visibility, "editor_cust"},
        {1, "Tabs & Indentation", P::Tabs, "editor_cust"},
        {1, "Cursor Settings", P::Cursor, "editor_cust"},
        {1, "Other", P::EditorOther, "editor_cust"},
        {0, "Language", P::None, ""},
    };
    return nodes;
}

const std::vector<TNode>& TailNodes() {
    static const std::vector<TNode> nodes = {
        {0, "Files", P::None, ""},
        {1, "Portability", P::Portability, "files"},
        {1, "File Paths", P::FilePaths, "files"},
        {1, "Backups & Versions", P::Backups, "files"},
        {1, "File Types", P::FileTypes, "files"},
        {0, "Environment", P::None, ""},
        {1, "Variables", P::EnvVariables, "environment"},
        {1, "Options", P::EnvOptions, "environment"},
        {0, "Web Server", P::None, ""},
        {1, "General", P::WebGeneral, "web_server"},
        {1, "CGI (eg. Perl)", P::WebCgi, "web_cgi"},
        {0, "FTP / Upload", P::None, ""},
        {1, "Server / Login", P::FtpLogin, "upload"},
        {1, "Miscellaneous", P::FtpMisc, "upload"},
        {0, "Logging", P::Logging, "logging"},
        {1, "Console I/O", P::LogConsole, "logging"},
        {1, "Program Flow", P::LogFlow, "logging"},
        {1, "Information", P::LogInfo, "logging"},
        {1, "Web Server", P::LogWeb, "logging"},
        {1, "Korvane Internals", P::LogInternals, "logging"},
        {0, "Statistics", P::None, ""},
        {1, "Project", P::StatsProject, "statistics"},
        {1, "Code Templates", P::StatsTemplates, "code_template"},
        {1, "Help Manager", P::StatsHelp, "statistics"},
    };
    return nodes;
}

// One language branch: the colour pages for all, the tools page for Perl, PHP and SQL.
std::vector<TNode> LanguageNodes(int language) {
    std::vector<TNode> nodes = {{1, SchemeLanguages[language], P::None, ""},
                                {2, "Font & Colors", P::FontColors, "editor_fonts"},
                                {3, "Syntax Highlighting", P::Highlighting, "editor_colors"}};
    if (language == 0) nodes.push_back({2, "Compiler / Tools", P::PerlTools, "compiler"});
    if (language == 1) nodes.push_back({2, "Compiler / Tools", P::PhpTools, "compiler"});
    if (language == 3) {
        nodes.push_back({2, "MySQL Tools", P::MySqlTools, "mysql"});
        nodes.push_back({3, "Login Details", P::MySqlLogin, "mysql"});
    }
    return nodes;
}

// Every node with its full path, in tree order.
struct TPathNode {
    TNode Node;
    std::string Path;
    int Language;
};

const std::vector<TPathNode>& AllNodes() {
    static const std::vector<TPathNode> all = [] {
        std::vector<TPathNode> result;
        std::vector<std::string> stack;
        int language = -1;
        const auto add = [&](const TNode& node) {
            stack.resize(static_cast<size_t>(node.Level));
            stack.emplace_back(node.Text);
            std::string path;
            for (const std::string& text : stack)
                path += (path.empty() ? "" : " \xC2\xBB ") + text;
            result.push_back({node, path, language});
        };
        for (const TNode& node : HeadNodes())
            add(node);
        for (language = 0; language < 6; ++language)
            for (const TNode& node : LanguageNodes(language))
                add(node);
        language = -1;
        for (const TNode& node : TailNodes())
            add(node);
        return result;
    }();
    return all;
}

} // namespace

TPageOfNode PageOfPath(const std::string& path) {
    for (const TPathNode& node : AllNodes())
        if (SameText(node.Path, path)) {
            const bool colours =
                node.Node.Page == P::FontColors || node.Node.Page == P::Highlighting;
            return {node.Node.Page, colours ? node.Language : -1, node.Node.Topic};
        }
    return {};
}

void BuildCategoryTree(QTreeWidget& tree) {
    tree.clear();
    std::vector<QTreeWidgetItem*> parents;
    for (const TPathNode& node : AllNodes()) {
        parents.resize(static_cast<size_t>(node.Node.Level));
        auto* item =
            parents.empty() ? new QTreeWidgetItem(&tree) : new QTreeWidgetItem(parents.back());
        item->setText(0, ToQString(node.Node.Text));
        parents.push_back(item);
    }
    tree.expandAll();
}

} // namespace korvane
