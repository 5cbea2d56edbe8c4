#include "template_menus/template_commands.h"

#include "editor/editor_page.h"
#include "model/global_settings.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "storage/section_list.h"
#include "template_menus/code_templ_dlg.h"
#include "template_menus/template_menu.h"
#include "templates/code_template.h"
#include "templates/template_expansion.h"
#include "widgets/kor_syn_edit.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <algorithm>

namespace korvane {
namespace {

constexpr const char* InsertCaption = "&Insert Selected Code Template";
// Ctrl+J is the insert's own key; F6 reaches it too while no replacement is under way.
constexpr const char* InsertKeys = "\tCtrl+J, F6";
constexpr size_t ShownWordLength = 7;
constexpr size_t LongTemplateLines = 10;

std::string TrimmedBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

TTemplateCommands::TTemplateCommands(QMenu& menu, QWidget& window)
    : QObject(&menu), Menu(menu), Window(window) {
    Insert = menu.addAction(QString::fromLatin1(InsertCaption) + QLatin1String(InsertKeys));
    Insert->setObjectName(QStringLiteral("InsertCodeTemplateAction"));
    Insert->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    // F6 reaches it through "Replace Next", which owns the key (two actions on one key would
    // leave it to neither); the item shows both keys.
    connect(Insert, &QAction::triggered, this, [this] { InsertCodeTemplate(); });
    Organize = menu.addAction(QStringLiteral("&Organize Code Templates..."));
    Organize->setObjectName(QStringLiteral("OrganizeCodeTemplateAction"));
    Organize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6));
    connect(Organize, &QAction::triggered, this, [this] { OrganizeCodeTemplates(); });
    Anchor = menu.addSeparator();
    // The caption follows the word under the caret whenever the menu opens; the shortcut
    // works whatever the menu last showed, so the item is enabled again once it closes.
    connect(&menu, &QMenu::aboutToShow, this, [this] { UpdateInsertAction(); });
    connect(&menu, &QMenu::aboutToHide, this, [this] { Insert->setEnabled(true); });
}

void TTemplateCommands::Attach(TKorProject& project, CurrentPage currentPage) {
    Project = &project;
    Current = std::move(currentPage);
    project.CodeTemplates().SetClickHandler(
        [this](TCodeTemplate& node, const std::vector<std::string>& lines) {
            CodeTemplateMenuClick(node, lines);
        });
    RebuildMenu();
}

void TTemplateCommands::RebuildMenu() {
    if (!Project) return;
    BuildTemplateMenu(Menu, *Anchor, Project->CodeTemplates().FirstChild());
}

bool TTemplateCommands::AliasAtCaret() const {
    TEditorPage* page = Current ? Current() : nullptr;
    const std::string word = page ? TrimmedBlanks(page->EditorSelOrWord(false)) : std::string();
    return !word.empty() && Project && Project->CodeTemplates().FindByAlias(word, nullptr, true);
}

void TTemplateCommands::UpdateInsertAction() {
    TEditorPage* page = Current ? Current() : nullptr;
    const std::string word = page ? TrimmedBlanks(page->EditorSelOrWord(false)) : std::string();
    if (!AliasAtCaret()) {
        Insert->setText(QString::fromLatin1(InsertCaption) + QLatin1String(InsertKeys));
        Insert->setEnabled(false);
        return;
    }
    const std::string shown =
        word.size() > ShownWordLength ? word.substr(0, ShownWordLength) + "..." : word;
    // "&&" shows an ampersand of the word instead of making it a mnemonic.
    Insert->setText(QString::fromLatin1(InsertCaption) + QStringLiteral(" [") +
                    ToQString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")) +
                    QLatin1Char(']') + QLatin1String(InsertKeys));
    Insert->setEnabled(true);
}

void TTemplateCommands::InsertCodeTemplate() {
    TEditorPage* page = Current ? Current() : nullptr;
    if (!page || !page->Editor() || !Project) return;
    const std::string word = TrimmedBlanks(page->EditorSelOrWord(true));
    if (word.empty()) {
        QApplication::beep();
        return;
    }
    if (TCodeTemplate* node = Project->CodeTemplates().FindByAlias(word, nullptr, true))
        Expand(*page, *node);
}

void TTemplateCommands::CodeTemplateMenuClick(TCodeTemplate& node,
                                              const std::vector<std::string>&) {
    TEditorPage* page = Current ? Current() : nullptr;
    if (!page || !page->Editor() || node.FirstChild()) return;
    // A menu click is no lookup: answers an earlier lookup left are not this click's.
    node.SetPresetAnswers("");
    Expand(*page, node);
}

void TTemplateCommands::Expand(TEditorPage& page, TCodeTemplate& node) {
    TKorSynEdit& editor = *page.Editor();
    // A cancelled question inserts nothing, so there is nothing to scroll to.
    if (!ExpandInto(node, editor)) return;
    if (node.Lines().size() > LongTemplateLines)
        editor.SetTopLine(std::max(1, editor.CaretLine() - 5));
}

bool TTemplateCommands::OrganizeCodeTemplates() {
    if (!Project) return false;
    TKorProject& project = *Project;
    // The organizer may replace every node the menu points at, whatever its outcome.
    struct RebuildOnExit {
        TTemplateCommands& Commands;
        ~RebuildOnExit() { Commands.RebuildMenu(); }
    } rebuild{*this};
    return ShowCodeTemplateExplore(
        project.CodeTemplates(), SectionList(), project.GlobalSettings().getCodeTemplateFileName(),
        [&project](TKorSynEdit& editor, const std::vector<std::string>& paths) {
            project.EditorDropFiles(editor, paths);
        },
        &Window);
}

} // namespace korvane
