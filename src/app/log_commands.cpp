#include "app/log_commands.h"

#include "project/kor_project.h"
#include "widgets/user_feedback.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace korvane {

TLogCommands::TLogCommands(QWidget& window, TKorProject& project,
                           std::function<void(const TLogWindowTimes&)> startWindow)
    : Window(window), Project(project), StartWindow(std::move(startWindow)) {}

void TLogCommands::AddToolsMenuItems(QMenu& tools) {
    tools.addSeparator();
    LoggingOnAction = tools.addAction(QStringLiteral("&Logging On"));
    LoggingOnAction->setCheckable(true);
    LoggingOnAction->setStatusTip(
        QStringLiteral("Write runs, the debugger and the web server to the project log"));
    connect(LoggingOnAction, &QAction::triggered, this, [this](bool on) {
        ReportingErrors([this, on] {
            const bool wasOn = Project.LoggingIsOn();
            Project.setLoggingIsOn(on);
            // A log switched on starts with the settings it was switched on with.
            if (on && !wasOn && Project.LoggingIsOn()) Project.OutputLogInformation();
        });
    });
    NewLogAction = tools.addAction(QStringLiteral("Start &New Log"));
    NewLogAction->setStatusTip(
        QStringLiteral("Clear the project log and write the settings report"));
    connect(NewLogAction, &QAction::triggered, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ReportingErrors([this] { Project.CreateNewLog(); });
        QApplication::restoreOverrideCursor();
    });
    InternalsAction = tools.addAction(QStringLiteral("&Internals Logging..."));
    connect(InternalsAction, &QAction::triggered, this, [this] {
        const TLogWindowTimes times = TLogTimeRange::Ask(&Window);
        if (times.End != 0) StartWindow(times);
    });
    connect(&tools, &QMenu::aboutToShow, this,
            [this] { LoggingOnAction->setChecked(Project.LoggingIsOn()); });
}

} // namespace korvane
