#include "net_test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

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

void Settle(int ms) {
    WaitFor([] { return false; }, ms);
}

} // namespace korvane::test
