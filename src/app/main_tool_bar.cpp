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
    {"StepOverAction", "", "step_over"},
    {"StepOutAction", "", "step_out"},
    {"RunToCursorAction", "", "run_to_cursor"},
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

QIcon IconOf(const TButton& button) {
    const QIcon own(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(button.OwnIcon)));
    return *button.ThemeIcon ? QIcon::fromTheme(QLatin1String(button.ThemeIcon), own) : own;
}

// The drop-down of a button: the file commands' menu of that name, when they made one.
void AddDropDown(QMainWindow& window, QToolButton& tool, const char* menuName) {
    if (auto* menu = window.findChild<QMenu*>(QLatin1String(menuName))) {
        tool.setMenu(menu);
        tool.setPopupMode(QToolButton::MenuButtonPopup);
    }
}

} // namespace

void SetCommandIcons(QMainWindow& window) {
    for (const TButton& button : Buttons)
        if (QAction* command = FindCommand(window, button.Command); command && *button.OwnIcon)
            command->setIcon(IconOf(button));
}

QToolBar* BuildMainToolBar(QMainWindow& window) {
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
        if (qstrcmp(button.Command, "NewFileAction") == 0) AddDropDown(window, *tool, "NewMenu");
        if (qstrcmp(button.Command, "OpenAction") == 0) AddDropDown(window, *tool, "OpenMenu");
    }
    window.addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

} // namespace korvane
