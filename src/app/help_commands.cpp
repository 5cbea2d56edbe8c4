#include "app/help_commands.h"

#include "app/about_form.h"
#include "app/command.h"
#include "app/help_window_owner.h"
#include "app/main_form.h"
#include "editor/editor_page.h"
#include "help/help_context.h"
#include "help/help_form.h"
#include "help/help_manager.h"
#include "help/help_window.h"
#include "help/perl_doc.h"
#include "platform/program_folder.h"
#include "platform/qt_strings.h"
#include "platform/shell.h"
#include "storage/file_utils.h"
#include "storage/paths.h"
#include "storage/prompt.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"
#include "widgets/background_job.h"
#include "widgets/kor_syn_edit.h"
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
            return ShellOpen(FolderPart(path), TextBeforeHash(path));
        });
    qApp->installEventFilter(new THelpContextFilter(*HelpManager, this));
    HelpOwner = new THelpWindowOwner(this);
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
    if (!HelpWindow) {
        HelpWindow = new THelpWindow;
        HelpOwner->Keep(HelpWindow);
    } else {
        HelpOwner->FollowModalDialog();
    }
    return *HelpWindow;
}

void THelpCommands::AddHelpMenu(QWidget& window, QMenuBar& bar, TDocumentPaths documents) {
    HelpOwner->SetMainWindow(&window);
    QMenu* help = bar.addMenu(QStringLiteral("&Help"));
    const auto add = [this, &window](QMenu* menu, const TCommandEntry& entry,
                                     std::function<void()> handler) {
        QAction* action = MakeCommand(window, entry);
        menu->addAction(action);
        connect(action, &QAction::triggered, this, std::move(handler));
        return action;
    };
    const auto topic = [this](const char* path) {
        return [this, path] { HelpManager->ShowTopic(path); };
    };
    const auto openDocument = [](const std::function<std::string()>& path) {
        return [path] {
            const std::string document = path ? path() : std::string();
            if (!document.empty() && !ShellOpen(FolderPart(document), document))
                CurrentPrompt().Inform(PromptKind::Error, "Cannot open " + document);
        };
    };
    add(help, {"ContextHelpAction", "Help", "Context Help", QKeySequence(Qt::CTRL | Qt::Key_F1)},
        [this] { ContextHelp(); });
    // F1 gives Perl's own documentation for the word at the caret, and the window's topic
    // where there is none; one key cannot also open the contents.
    add(help, {"HelpContentsAction", "Help", "Contents..."}, topic("contents"));
    add(help,
        {"HelpOnWordAction", "Help", "Help on Word", QKeySequence(Qt::Key_F1),
         "Perl's documentation for the word at the cursor"},
        [this] { HelpOnWord(); });
    help->addSeparator();
    add(help, {"HelpRefAction", "Help", "Reference"}, topic("contents/reference"));
    QMenu* tutorials = help->addMenu(QStringLiteral("Tutorials"));
    add(tutorials, {"StartTutorialAction", "Help", "Getting Started Perl Tutorial"},
        topic("contents/tutorials/first steps"));
    add(tutorials, {"GetStartPHPAction", "Help", "Getting Started PHP Tutorial"},
        topic("contents/tutorials/php start"));
    add(tutorials, {"DebugTutorialAction", "Help", "Debugging Tutorial"},
        topic("contents/tutorials/debug"));
    add(tutorials, {"KeyboardTutorialAction", "Help", "Keyboard Input Tutorial"},
        topic("contents/tutorials/keyboard"));
    add(tutorials, {"WebTutorialAction", "Help", "Web Forms Tutorial"},
        topic("contents/tutorials/web prog"));
    add(tutorials, {"MySqlTutorialAction", "Help", "MySQL Tutorial"},
        topic("contents/tutorials/mysql"));
    QMenu* site = help->addMenu(QStringLiteral("Korvane &Web Site"));
    add(site, {"HomePageAction", "Help", "Home Page"}, topic("contents/web site"));
    site->addSeparator();
    add(site, {"SupportPage", "Help", "Support"}, topic("contents/web site/support"));
    add(site, {"ForumPage", "Help", "On-Line Forum"}, topic("contents/web site/forum"));
    add(site, {"DownloadPage", "Help", "Download"}, topic("contents/web site/download"));
    add(site, {"LinksPage", "Help", "Related Sites (Links)"}, topic("contents/web site/links"));
    help->addSeparator();
    QAction* activePerl = add(help, {"ActivePerlDocAction", "Help", "ActivePerl Documentation"},
                              openDocument(documents.ActivePerlHelp));
    QAction* mySql = add(help, {"MySqlDocAction", "Help", "MySQL Documentation"},
                         openDocument(documents.MySqlManual));
    QAction* php =
        add(help, {"PhpHelpAction", "Help", "PHP Help"}, openDocument(documents.PhpHelp));
    help->addSeparator();
    add(help, {"HelpDesignAction", "Help", "Designer..."},
        [this, help] { THelpForm::Run(*HelpManager, help->window()); });
    help->addSeparator();
    add(help, {"AboutAction", "Help", "About..."}, [this, &window] {
        TAboutForm about(FolderPart(DefaultHelpFile()), &window);
        about.OnProductClick = [this] { HelpManager->ShowTopic("contents/web site"); };
        about.exec();
    });
    // These look for files: only when the menu opens, never in the idle update.
    connect(help, &QMenu::aboutToShow, this, [activePerl, mySql, php, documents] {
        const auto present = [](const std::function<std::string()>& path) {
            return path && !path().empty();
        };
        activePerl->setEnabled(present(documents.ActivePerlHelp));
        mySql->setEnabled(present(documents.MySqlManual));
        php->setEnabled(present(documents.PhpHelp));
    });
}

bool THelpCommands::ShowPerlDocumentation() {
    TEditorPage* page = CurrentPage ? CurrentPage() : nullptr;
    if (!page || !page->IsPerl() || !page->Editor()) return false;
    int line = 0;
    int index = 0;
    page->Editor()->getCursorPosition(&line, &index);
    const TPerlDocQuery query = PerlDocQueryAt(page->Editor()->text(line).toStdString(), index);
    if (query.Kind == TPerlDocQuery::TKind::None) return false;
    // One look-up at a time: a second F1 while perldoc runs waits for the first.
    if (DocLookUp && DocLookUp->Running()) return true;
    auto html = std::make_shared<std::string>();
    DocLookUp = std::make_unique<TBackgroundJob>(
        page->Editor()->window(),
        QStringLiteral("Looking up the Perl documentation of %1").arg(ToQString(query.Name)),
        [query, html](const std::atomic<bool>& cancelled) {
            *html = PerlDocumentationHtml(query, cancelled);
        },
        [this, query, html](bool cancelled) {
            if (cancelled) return;
            ReportingErrors([&] {
                if (html->empty())
                    ContextHelp();
                else
                    Window().ShowHtml(*html,
                                      ProgramFolder() + "temp/perldoc/" + DocFileName(query));
            });
        });
    return true;
}

bool THelpCommands::LookingUp() const {
    return DocLookUp && DocLookUp->Running();
}

void THelpCommands::HelpOnWord() {
    bool started = false;
    ReportingErrors([&] { started = ShowPerlDocumentation(); });
    if (!started) ContextHelp();
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
    return true;
}

void TMainForm::ShowHelpTopic(const std::string& topic) {
    if (HelpCommands) HelpCommands->Manager().ShowTopic(topic);
}

} // namespace korvane
