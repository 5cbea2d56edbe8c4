#include "app/do_commands.h"

#include "app/command.h"
#include "app/publish_commands.h"
#include "editor/browser_tab.h"
#include "editor/editor_page.h"
#include "platform/shell.h"
#include "project/kor_project.h"
#include "publish/proj_org.h"
#include "storage/prompt.h"
#include "web/web_server.h"
#include "widgets/user_feedback.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>

#include <array>

namespace korvane {

bool ExecutesLocally(std::string_view fileName, bool webServerOn) {
    const size_t slash = fileName.find_last_of("/\\");
    const std::string_view name =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view ext = name.substr(dot);
    constexpr std::array<std::string_view, 5> plain = {".htm", ".html", ".txt", ".jpg", ".gif"};
    constexpr std::array<std::string_view, 3> scripts = {".cgi", ".pl", ".php"};
    const auto among = [ext](const auto& list) {
        return std::find(list.begin(), list.end(), ext) != list.end();
    };
    return among(plain) || (webServerOn && among(scripts));
}

void AddBrowserCommands(QWidget& window, QMenu& menu, TCommandUpdates& updates,
                        TPublishCommands& publish, std::function<TEditorPage*()> currentPage) {
    QAction* webSite = MakeCommand(window, {"BrowserWebSiteAction",
                                            "Do",
                                            "Test in Browser on Web Site",
                                            {},
                                            "Upload and view page from web site"});
    menu.addAction(webSite);
    QObject::connect(webSite, &QAction::triggered, &window, [&publish, currentPage] {
        TEditorPage* page = currentPage();
        if (!page) return;
        ReportingErrors([&] {
            publish.Organizer().OpenForUpload(TUploader::AnyFilesNeedUploading(page->Project()),
                                              true);
            // The upload may have closed the page's project entry.
            if (currentPage() != page || !page->BrowserTab() || !page->InnerTabs()) return;
            page->BrowserTab()->Open(page->WebURL(), "");
            page->InnerTabs()->setCurrentWidget(page->BrowserTab());
        });
    });
    updates.Add(*webSite,
                [currentPage](QAction& item) { item.setEnabled(currentPage() != nullptr); });

    QAction* local =
        MakeCommand(window, {"BrowserLocalAction", "Do", "Execute locally in browser window",
                             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F9)});
    menu.addAction(local);
    QObject::connect(local, &QAction::triggered, &window, [currentPage] {
        TEditorPage* page = currentPage();
        if (!page) return;
        const std::string address = page->HTTPfileName();
        if (!ShellOpen("", address))
            CurrentPrompt().Inform(PromptKind::Error, "Cannot open " + address);
    });
    updates.Add(*local, [currentPage](QAction& item) {
        const TEditorPage* page = currentPage();
        item.setEnabled(
            page && ExecutesLocally(page->TempFileName(), page->Project().WebServer().Started()));
    });
}

} // namespace korvane
