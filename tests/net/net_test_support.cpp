#include "net_test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTimer>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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

uint16_t FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

std::vector<pid_t> DescendantProcesses(pid_t root) {
    std::vector<std::pair<pid_t, pid_t>> parents;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        const size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(text.substr(close + 2));
        char state = 0;
        pid_t parent = 0;
        fields >> state >> parent;
        parents.emplace_back(std::stoi(name), parent);
    }
    std::vector<pid_t> found{root};
    for (size_t i = 0; i < found.size(); ++i)
        for (const auto& [pid, parent] : parents)
            if (parent == found[i]) found.push_back(pid);
    found.erase(found.begin());
    return found;
}

void KillDescendants(pid_t root) {
    for (pid_t pid : DescendantProcesses(root))
        kill(pid, SIGKILL);
}

} // namespace korvane::test
