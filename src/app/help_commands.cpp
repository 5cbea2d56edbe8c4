#include "app/help_commands.h"

#include "app/main_form.h"
#include "editor/editor_page.h"
#include "editor/kor_syn_edit.h"
#include "help/help_context.h"
#include "help/help_form.h"
#include "help/help_manager.h"
#include "help/help_window.h"
#include "help/perl_doc.h"
#include "platform/program_folder.h"
#include "platform/shell.h"
#include "storage/file_utils.h"
#include "storage/paths.h"
#include "storage/prompt.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"
#include "widgets/user_feedback.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <cstdio>

namespace korvane {
namespace {

constexpr const char* HelpFileName = "kv2_1_0.kvh";

// A file name for a documented name: "$_" and "@_" must not meet in one file.
std::string DocFileName(const TPerlDocQuery& query) {
    std::string name = query.Kind == TPerlDocQuery::TKind::Variable ? "v_" : "f_";
    for (char c : query.Name) {
        if (IsAlphaNumeric(c)) {
            name += c;
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "-%02x", static_cast<unsigned char>(c));
            name += code;
        }
    }
    return name + ".html";
}

} // namespace

THelpCommands::THelpCommands(std::function<TEditorPage*()> currentPage)
    : CurrentPage(std::move(currentPage)) {
    HelpManager = std::make_unique<THelpManager>(
        SectionList(), CurrentPrompt(), "contents", DefaultHelpFile(),
        [this](const std::string& path, char verb) {
            if (verb == 'O') return Window().ShowDocument(path);
            return ShellOpen(FolderPart(path), TextBeforeHash(path), "");
        });
    qApp->installEventFilter(new THelpContextFilter(*HelpManager, this));
}

THelpCommands::~THelpCommands() {
    delete HelpWindow;
}

std::string THelpCommands::DefaultHelpFile() {
    const std::string first = ProgramFolder() + "help/" + HelpFileName;
    const std::string second = ProgramFolder() + "web/help/" + HelpFileName;
    return IsFile(first) || !IsFile(second) ? first : second;
}

THelpWindow& THelpCommands::Window() {
    // A window of its own, not a child of the main window, so it can stay beside it.
    if (!HelpWindow) HelpWindow = new THelpWindow;
    return *HelpWindow;
}

void THelpCommands::AddHelpMenu(QMenuBar& bar) {
    QMenu* help = bar.addMenu(QStringLiteral("&Help"));
    const auto add = [this](QMenu* menu, const char* text, std::function<void()> handler,
                            QKeySequence key = {}) {
        QAction* action = menu->addAction(QString::fromUtf8(text));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, std::move(handler));
        return action;
    };
    const auto topic = [this](const char* path) {
        return [this, path] { HelpManager->ShowTopic(path); };
    };
    add(
        help, "Context Help", [this] { ContextHelp(); }, QKeySequence(Qt::CTRL | Qt::Key_F1));
    add(
        help, "Help on Word", [this] { HelpOnWord(); }, QKeySequence(Qt::Key_F1))
        ->setStatusTip(QStringLiteral("Perl's documentation for the word at the cursor"));
    add(help, "Contents...", topic("contents"));
    help->addSeparator();
    add(help, "Reference", topic("contents/reference"));
    QMenu* tutorials = help->addMenu(QStringLiteral("Tutorials"));
    add(tutorials, "Getting Started Perl Tutorial", topic("contents/tutorials/first steps"));
    add(tutorials, "Getting Started PHP Tutorial", topic("contents/tutorials/php start"));
    add(tutorials, "Debugging Tutorial", topic("contents/tutorials/debug"));
    add(tutorials, "Keyboard Input Tutorial", topic("contents/tutorials/keyboard"));
    add(tutorials, "Web Forms Tutorial", topic("contents/tutorials/web prog"));
    add(tutorials, "MySQL Tutorial", topic("contents/tutorials/mysql"));
    QMenu* site = help->addMenu(QStringLiteral("Korvane &Web Site"));
    add(site, "Home Page", topic("contents/web site"));
    site->addSeparator();
    add(site, "Support", topic("contents/web site/support"));
    add(site, "On-Line Forum", topic("contents/web site/forum"));
    add(site, "Download", topic("contents/web site/download"));
    add(site, "Related Sites (Links)", topic("contents/web site/links"));
    help->addSeparator();
    add(help, "Designer...", [this, help] { THelpForm::Run(*HelpManager, help->window()); });
}

bool THelpCommands::ShowPerlDocumentation() {
    TEditorPage* page = CurrentPage ? CurrentPage() : nullptr;
    if (!page || !page->IsPerl() || !page->Editor()) return false;
    int line = 0;
    int index = 0;
    page->Editor()->getCursorPosition(&line, &index);
    const TPerlDocQuery query = PerlDocQueryAt(page->Editor()->text(line).toStdString(), index);
    if (query.Kind == TPerlDocQuery::TKind::None) return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string html = PerlDocumentationHtml(query);
    QApplication::restoreOverrideCursor();
    if (html.empty()) return false;
    Window().ShowHtml(html, ProgramFolder() + "temp/perldoc/" + DocFileName(query));
    return true;
}

void THelpCommands::HelpOnWord() {
    bool shown = false;
    ReportingErrors([&] { shown = ShowPerlDocumentation(); });
    if (!shown) ContextHelp();
}

void THelpCommands::ContextHelp() {
    ShowHelpFor(*HelpManager, QApplication::focusWidget());
}

bool TMainForm::CreateHelp() {
    try {
        HelpCommands = std::make_unique<THelpCommands>([this] { return CurrentEditorPage(); });
    } catch (const std::exception&) {
        // Always the first place looked, whichever was tried.
        CurrentPrompt().Inform(PromptKind::Plain, "Serious Error - Help Manager missing from " +
                                                      ProgramFolder() + "help/" + HelpFileName);
        close();
        return false;
    }
    HelpCommands->AddHelpMenu(*menuBar());
    return true;
}

void TMainForm::ShowHelpTopic(const std::string& topic) {
    if (HelpCommands) HelpCommands->Manager().ShowTopic(topic);
}

} // namespace korvane
