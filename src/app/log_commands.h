#pragma once
// The main window's logging commands in the Tools menu: "Logging On" switches the project's
// log, "Start New Log" begins it again with the settings report, and "Internals Logging..."
// sets the timed window of internals logging.
#include "app/log_time_range.h"

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace korvane {

class TKorProject;

class TLogCommands : public QObject {
public:
    // startWindow starts the timed window with the chosen times.
    TLogCommands(QWidget& window, TKorProject& project,
                 std::function<void(const TLogWindowTimes&)> startWindow);

    void AddToolsMenuItems(QMenu& tools);

    QAction* LoggingOnAction = nullptr;
    QAction* NewLogAction = nullptr;
    QAction* InternalsAction = nullptr;

private:
    QWidget& Window;
    TKorProject& Project;
    std::function<void(const TLogWindowTimes&)> StartWindow;
};

} // namespace korvane
