#pragma once
// The settings dialog's category tree: its nodes in order, which page each shows, the help
// topic of that page, and for the colour pages the language whose scheme they edit.
#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace korvane {

enum class TPropertyPage {
    None,
    Notes,
    About,
    Author,
    Contact,
    Keywords,
    Visibility,
    Tabs,
    Cursor,
    EditorOther,
    FontColors,
    Highlighting,
    PerlTools,
    PhpTools,
    MySqlTools,
    MySqlLogin,
    Portability,
    FilePaths,
    Backups,
    FileTypes,
    EnvVariables,
    EnvOptions,
    WebGeneral,
    WebCgi,
    FtpLogin,
    FtpMisc,
    Logging,
    LogConsole,
    LogFlow,
    LogInfo,
    LogWeb,
    LogInternals,
    StatsProject,
    StatsTemplates,
    StatsHelp,
};

// The languages of the colour pages, in the order of the tree.
inline constexpr const char* SchemeLanguages[6] = {"Perl", "PHP",       "HTML",
                                                   "SQL",  "DOS Batch", "Other"};

struct TPageOfNode {
    TPropertyPage Page = TPropertyPage::None;
    int Language = -1; // index into SchemeLanguages for the two colour pages
    std::string Topic; // below "Contents/reference/"; empty for none
};

// The page a node path (texts joined with " » ") shows, compared without regard to case.
TPageOfNode PageOfPath(const std::string& path);
// Fills the tree with every node, in order, expanded.
void BuildCategoryTree(QTreeWidget& tree);

} // namespace korvane
