// The main window's commands that join its parts: the rest of the Do, Tools and Help menus,
// the page tab menu, the tool bar, the status bar's double clicks, and when commands refresh.
#include "app/main_form.h"

#include "app/command_refresh.h"
#include "app/do_commands.h"
#include "app/help_commands.h"
#include "app/log_commands.h"
#include "app/main_tool_bar.h"
#include "app/page_tab_menu.h"
#include "app/publish_commands.h"
#include "editor/editor_page.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "publish/proj_org.h"
#include "services/mysql_controller.h"
#include "storage/method_trace.h"
#include "widgets/kor_syn_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace korvane {

void TMainForm::BuildWindowCommands() {
    const auto currentPage = [this] { return CurrentEditorPage(); };
    AddBrowserCommands(*this, *DoMenu, Updates, *Publishing, currentPage);

    QAction* fileAssoc = MakeCommand(*this, {"FileAssocAction", "Tools", "File Associations..."});
    connect(fileAssoc, &QAction::triggered, this, &TMainForm::FileAssocActionExecute);
    ToolsMenu->insertAction(Logging->LoggingOnAction, fileAssoc);
    ToolsMenu->insertSeparator(Logging->LoggingOnAction);

    TKorProject& project = *KorProject;
    HelpCommands->AddHelpMenu(*this, *menuBar(),
                              {[&project] { return project.ActivePerlHelp(); },
                               [&project] { return project.MySql().ManualPath(); },
                               [&project] { return project.PhpHelpPath(); }});

    TabMenu = new TPageTabMenu(*this, *PageTabs, currentPage, [this](TEditorPage& page) {
        TProjOrg& organizer = Publishing->Organizer();
        organizer.show();
        organizer.raise();
        organizer.SelectPage(page);
    });
    TabMenu->RefreshCommands = [this] { Refresh->RunNow(); };
    if (TEditorPage* page = CurrentEditorPage(); page && page->Editor())
        TabMenu->WatchEditor(page->Editor()->viewport());
    connect(PageTabs, &QTabWidget::currentChanged, this, [this] {
        if (TEditorPage* page = CurrentEditorPage(); page && page->Editor())
            TabMenu->WatchEditor(page->Editor()->viewport());
    });

    BuildMainToolBar(*this);

    // A menu shows what its commands can do now, not at the last idle moment.
    for (QAction* item : menuBar()->actions())
        if (QMenu* menu = item->menu())
            connect(menu, &QMenu::aboutToShow, Refresh, [this] { Refresh->RunNow(); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, Refresh,
            [this] { Refresh->Schedule(); });
    Refresh->RunNow();
}

void TMainForm::StatusBarDoubleClick(TStatusPanelHit panel) {
    TraceScope trace(this, "TMainForm", "StatusBarDoubleClick");
    TEditorPage* page = CurrentEditorPage();
    if (!page || !page->Editor()) return;
    if (page->InnerTabs()) page->InnerTabs()->setCurrentIndex(0);
    switch (panel) {
    case TStatusPanelHit::Position:
        if (QAction* go = FindCommand(*this, "GotoAction")) go->trigger();
        break;
    case TStatusPanelHit::FileName: {
        const std::string path = page->TempFileName();
        QApplication::clipboard()->setText(ToQString(path));
        SetStatusPanelText(5, path + " >> Clipboard");
        break;
    }
    case TStatusPanelHit::Overstrike:
        page->Editor()->setOverwriteMode(!page->Editor()->overwriteMode());
        page->UpdateStatusBar();
        break;
    }
}

} // namespace korvane
