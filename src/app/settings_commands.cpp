#include "app/settings_commands.h"

#include "app/command.h"
#include "app/help_commands.h"
#include "app/main_form.h"
#include "app/properties_dlg.h"
#include "app/publish_commands.h"
#include "exec/debug_form.h"
#include "help/help_manager.h"
#include "project/kor_project.h"

#include <QAction>

namespace korvane {

void AddSettingsCommands(TMainForm& window) {
    QAction* properties = MakeCommand(window, {"PropertyAction", "Project", "&Properties...",
                                               QKeySequence(Qt::Key_F11), "Project Properties"});
    QObject::connect(properties, &QAction::triggered, &window,
                     [&window] { ShowProjectProperties(window); });
}

void ShowProjectProperties(TMainForm& window) {
    TPropertiesServices services;
    services.Help = &window.Help().Manager();
    services.Console = &window.DebugForm().Console();
    services.DebuggerIdle = [&window] { return window.DebugForm().Status() == dsIdle; };
    services.TestConnection = [&window](TUploadStatusBar& status) {
        window.Publish().Uploader().Upload(true, &status);
    };
    services.StartInternalsLogging = [&window](const TLogWindowTimes& times) {
        window.StartLoggingWindow(times.Start, times.End);
    };
    {
        TPropertiesDlg dialog(window.Project(), std::move(services), &window);
        dialog.exec();
    }
    window.CommandUpdates().RunAll();
    TKorProject& project = window.Project();
    if (project.getModified() && window.LockAction() && window.LockAction()->isChecked() &&
        !project.FileName().empty())
        project.SaveToFile(project.FileName());
}

} // namespace korvane
