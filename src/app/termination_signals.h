#pragma once
// SIGTERM, SIGHUP and SIGINT (a logout, `kill`, a closed terminal, Ctrl+C in one) end the
// program without a question: the handler runs on the UI thread, from whatever event loop is
// running (a dialog's as well).
#include <functional>

class QObject;

namespace korvane {

// Installs the handlers; onSignal then runs on the UI thread for each signal received.
void CloseOnTerminationSignals(QObject* context, std::function<void()> onSignal);

} // namespace korvane
