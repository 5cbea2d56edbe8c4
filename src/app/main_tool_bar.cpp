#include "app/main_tool_bar.h"

#include "app/command.h"

#include <QAction>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace korvane {
namespace {

struct TButton {
    const char* Command; // "-" divides
    const char* ThemeIcon;
    const char* OwnIcon; // file in data/icons, without ".svg"
};

constexpr TButton Buttons[] = {
    {"NewFileAction", "document-new", "new"},
    {"OpenAction", "document-open", "open"},
    {"SaveAll", "document-save-all", "save_all"},
    {"-", "", ""},
    {"UploadNowAction", "go-up", "upload"},
    {"-", "", ""},
    {"CheckSyntaxAction", "tools-check-spelling", "check_syntax"},
    {"RunToTextAction", "media-playback-start", "run_text"},
    {"RunToBrowserAction", "web-browser", "run_browser"},
    {"BrowserWebSiteAction", "applications-internet", "web_site"},
    {"-", "", ""},
    {"ContinueAction", "media-skip-forward", "continue"},
    {"StepAction", "go-jump", "step"},
    {"ProgramResetAction", "process-stop", "reset"},
    {"-", "", ""},
    {"UndoAction", "edit-undo", "undo"},
    {"RedoAction", "edit-redo", "redo"},
    {"-", "", ""},
    {"CutAction", "edit-cut", "cut"},
    {"CopyAction", "edit-copy", "copy"},
    {"PasteAction", "edit-paste", "paste"},
    {"-", "", ""},
    {"IndentAction", "format-indent-more", "indent"},
    {"UnIndentAction", "format-indent-less", "unindent"},
    {"-", "", ""},
    {"CommentStackAction", "", "comment"},
    {"UnCommentAction", "", "uncomment"},
    {"-", "", ""},
    {"ToggleBookmarkAction", "bookmark-new", "bookmark"},
    {"PriorBookmarkAction", "", "bookmark_prior"},
    {"NextBookmarkAction", "", "bookmark_next"},
    {"-", "", ""},
    {"ProjOrgAction", "", "organizer"},
    {"PropertyAction", "document-properties", "properties"},
    {"WebServerAction", "network-server", "web_server"},
};

struct TNewKind {
    const char* Caption;
    const char* Extension;
};

constexpr TNewKind NewKinds[] = {
    {"New Perl Program", ".pl"}, {"New PHP Script", ".php"},     {"New HTML Document", ".html"},
    {"New SQL Script", ".sql"},  {"New DOS Batch File", ".bat"}, {"New Text Scratchpad", ".txt"},
};

QIcon IconOf(const TButton& button) {
    const QIcon own(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(button.OwnIcon)));
    return *button.ThemeIcon ? QIcon::fromTheme(QLatin1String(button.ThemeIcon), own) : own;
}

QMenu* MakeNewMenu(QMainWindow& window, QAction& newFile,
                   const std::function<void(const std::string&)>& setNewExtension) {
    auto* menu = new QMenu(&window);
    menu->setObjectName(QStringLiteral("NewMenu"));
    for (const TNewKind& kind : NewKinds) {
        QAction* item = menu->addAction(QString::fromLatin1(kind.Caption));
        const std::string extension = kind.Extension;
        QObject::connect(item, &QAction::triggered, &newFile,
                         [&newFile, setNewExtension, extension] {
                             setNewExtension(extension);
                             newFile.trigger();
                         });
    }
    return menu;
}

// Mirrors the file recent list, whichever menu holds it, when it opens.
QMenu* MakeOpenMenu(QMainWindow& window) {
    auto* menu = new QMenu(&window);
    menu->setObjectName(QStringLiteral("OpenMenu"));
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, &window] {
        menu->clear();
        if (const auto* recent = window.findChild<QMenu*>(QStringLiteral("RecentFilesMenu")))
            menu->addActions(recent->actions());
        if (menu->isEmpty())
            menu->addAction(QStringLiteral("(no recent files)"))->setEnabled(false);
    });
    return menu;
}

} // namespace

void SetCommandIcons(QMainWindow& window) {
    for (const TButton& button : Buttons)
        if (QAction* command = FindCommand(window, button.Command); command && *button.OwnIcon)
            command->setIcon(IconOf(button));
}

QToolBar* BuildMainToolBar(QMainWindow& window,
                           std::function<void(const std::string&)> setNewExtension) {
    SetCommandIcons(window);
    auto* bar = new QToolBar(QStringLiteral("Tools"), &window);
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setMovable(false);
    bool divide = false;
    for (const TButton& button : Buttons) {
        if (qstrcmp(button.Command, "-") == 0) {
            divide = !bar->actions().isEmpty();
            continue;
        }
        QAction* command = FindCommand(window, button.Command);
        if (!command) continue;
        if (divide) bar->addSeparator();
        divide = false;
        bar->addAction(command);
        auto* tool = qobject_cast<QToolButton*>(bar->widgetForAction(command));
        if (!tool) continue;
        if (qstrcmp(button.Command, "NewFileAction") == 0) {
            tool->setMenu(MakeNewMenu(window, *command, setNewExtension));
            tool->setPopupMode(QToolButton::MenuButtonPopup);
        } else if (qstrcmp(button.Command, "OpenAction") == 0) {
            tool->setMenu(MakeOpenMenu(window));
            tool->setPopupMode(QToolButton::MenuButtonPopup);
        }
    }
    window.addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

} // namespace korvane
