#include "app/web_server_command.h"

#include "app/command.h"
#include "exec/console_controller.h"
#include "exec/debug_form.h"
#include "project/kor_project.h"
#include "services/mysql_controller.h"
#include "web/web_server.h"
#include "widgets/user_feedback.h"

#include <QAction>

namespace korvane {

void ConnectWebServerCommand(QAction& action, TKorProject& project, TDebugForm& debug,
                             TCommandUpdates& updates) {
    TWebServer& web = project.WebServer();
    web.ExecuteFileName = [&web, &debug, &project](const TCgiRequest& request) {
        const bool userRun = debug.BrowserRequest;
        TCgiOutput output = debug.ExecuteFileName(request, project.RunSettings(), web.CgiTimeout());
        // A page the user ran in the browser may have found the database down: offer to bring
        // it up. Requests nobody here started never ask.
        TMySqlController& sql = project.MySql();
        if (userRun && sql.CheckForDownServer() && !sql.isServerUp(false)) sql.BringServerUp(true);
        return output;
    };
    // A page's run holds the console until the debugger window lets it go, even after its
    // program has ended.
    web.ConsoleBusy = [&debug] {
        return debug.RunPage() != nullptr || !debug.Console().sessionFinished();
    };
    web.OnStateChanged = [&action, &web] { action.setChecked(web.Started()); };
    action.setCheckable(true);
    action.setChecked(web.Started());
    QObject::connect(&action, &QAction::triggered, &action, [&action, &web] {
        ReportingErrors([&web] { web.setStarted(!web.Started()); });
        // The tick shows what happened, not what was asked: a declined port leaves it off.
        action.setChecked(web.Started());
    });
    updates.Add(action, [&web](QAction& item) {
        item.setChecked(web.Started());
        const QString port = web.Started() ? QString::number(web.ListeningPort())
                                           : QString::fromStdString(web.getPort());
        const QString hint =
            web.Started() ? QStringLiteral("Web Server ENABLED (on Port %1). Click to disable")
                          : QStringLiteral("Web Server DISABLED (on Port %1). Click to enable");
        item.setStatusTip(hint.arg(port));
        item.setToolTip(hint.arg(port));
    });
}

} // namespace korvane
