#include "app/termination_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace korvane {
namespace {

int signalPipe[2] = {-1, -1};

void WriteToPipe(int) {
    const char byte = 1;
    // Only async-signal-safe work here; the UI thread does the rest.
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

} // namespace

void CloseOnTerminationSignals(QObject* context, std::function<void()> onSignal) {
    if (signalPipe[0] < 0 && pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [onSignal] {
        char buffer[16];
        while (read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        onSignal();
    });
    struct sigaction action {};
    action.sa_handler = WriteToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

} // namespace korvane
