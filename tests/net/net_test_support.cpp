#include "net_test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

namespace korvane::test {

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer tick; // wakes the blocking wait below at least this often
    tick.start(10);
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

bool DrainEvents() {
    // A marker socket made ready now is seen by the same poll as every socket already ready,
    // and that poll's deliveries all run before processEvents returns.
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
    bool polled = false;
    {
        QSocketNotifier marker(ends[0], QSocketNotifier::Read);
        QObject::connect(&marker, &QSocketNotifier::activated, &marker, [&] {
            polled = true;
            marker.setEnabled(false);
        });
        const char byte = 0;
        if (::write(ends[1], &byte, 1) == 1) WaitFor([&] { return polled; });
    }
    ::close(ends[0]);
    ::close(ends[1]);
    if (!polled) return false;
    // Notices posted by those deliveries are queued ahead of this one.
    bool posted = false;
    QObject context;
    QMetaObject::invokeMethod(
        &context, [&] { posted = true; }, Qt::QueuedConnection);
    return WaitFor([&] { return posted; });
}

} // namespace korvane::test
