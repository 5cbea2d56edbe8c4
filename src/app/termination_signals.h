#pragma once
// SIGINT and SIGTERM (a logout, `kill`, Ctrl+C in a terminal) close the main window the normal
// way, so the default project is saved and everything is freed in order.
#include <functional>

class QObject;

namespace korvane {

// Installs the handlers; onSignal then runs on the UI thread for each signal received.
void CloseOnTerminationSignals(QObject* context, std::function<void()> onSignal);

} // namespace korvane
