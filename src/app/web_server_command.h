#pragma once
// The main window's "Web Server On/Off" command: switches the project's web server and shows
// its state with a tick. Scripts the server runs go through the debugger window's console.
class QAction;

namespace korvane {

class TCommandUpdates;
class TDebugForm;
class TKorProject;

// Its update handler ticks it and tells the port in its hint.
void ConnectWebServerCommand(QAction& action, TKorProject& project, TDebugForm& debug,
                             TCommandUpdates& updates);

} // namespace korvane
