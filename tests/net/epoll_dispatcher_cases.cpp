// The epoll event loop's own rules, beyond what the socket and server tests that share this
// binary show: timers, descriptors whose numbers come back, wake-ups from other threads.
#include "net/epoll_event_dispatcher.h"
#include "net_test_support.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace korvane::test {
namespace {

TEST(EpollEventLoop, IsTheLoopOfThisBinary) {
    EXPECT_NE(dynamic_cast<TEpollEventDispatcher*>(QAbstractEventDispatcher::instance()), nullptr);
}

// A zero timer before a short one, a repeating timer that stops itself, and a timer killed by
// another's handler before it was due.
TEST(EpollEventLoop, TimersFireInTheirOrderRepeatAndStop) {
    std::vector<std::string> fired;
    QTimer repeating;
    int repeats = 0;
    QObject::connect(&repeating, &QTimer::timeout, [&] {
        if (++repeats == 3) repeating.stop();
    });
    repeating.start(5);
    QTimer doomed;
    doomed.setSingleShot(true);
    QObject::connect(&doomed, &QTimer::timeout, [&] { fired.push_back("doomed"); });
    doomed.start(40);
    QTimer::singleShot(20, [&] {
        fired.push_back("20 ms");
        doomed.stop();
    });
    QTimer::singleShot(0, [&] { fired.push_back("at once"); });
    bool done = false;
    QTimer::singleShot(80, [&] { done = true; });
    ASSERT_TRUE(WaitFor([&] { return done; }));
    EXPECT_EQ(fired, (std::vector<std::string>{"at once", "20 ms"}));
    EXPECT_EQ(repeats, 3);
    EXPECT_EQ(QAbstractEventDispatcher::instance()->registeredTimers(&repeating).size(), 0);
}

// A socket closed before its notifier was switched off leaves the epoll set by itself; the
// next socket gets the same number and must still be heard.
TEST(EpollEventLoop, ADescriptorNumberThatComesBackIsHeardForItsNewSocket) {
    for (const bool closeFirst : {true, false}) {
        int first[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, first), 0);
        const int number = first[0];
        auto old = std::make_unique<QSocketNotifier>(first[0], QSocketNotifier::Read);
        if (closeFirst) ::close(first[0]);
        old.reset();
        if (!closeFirst) ::close(first[0]);
        ::close(first[1]);

        int second[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, second), 0);
        ASSERT_EQ(second[0], number) << "the number is not reused: nothing to show";
        int heard = 0;
        QSocketNotifier fresh(second[0], QSocketNotifier::Read);
        QObject::connect(&fresh, &QSocketNotifier::activated, [&] {
            char byte;
            if (::read(second[0], &byte, 1) == 1) ++heard;
        });
        ASSERT_EQ(::write(second[1], "x", 1), 1);
        EXPECT_TRUE(WaitFor([&] { return heard == 1; }, 2000)) << "closed first: " << closeFirst;
        // Switched off, the unread byte wakes nobody; switched on again, it is heard.
        ASSERT_EQ(::write(second[1], "y", 1), 1);
        fresh.setEnabled(false);
        EXPECT_TRUE(DrainEvents());
        EXPECT_EQ(heard, 1);
        fresh.setEnabled(true);
        EXPECT_TRUE(WaitFor([&] { return heard == 2; }, 2000));
        fresh.setEnabled(false);
        ::close(second[0]);
        ::close(second[1]);
    }
}

// A notifier handled first hears its news before any other descriptor of the same wake-up, and
// is asked anyway when the wait came back full, since the batch may have left it out.
TEST(EpollEventLoop, ANotifierHandledFirstComesBeforeTheRestAndAfterAFullBatch) {
    struct Pair {
        int Fd[2];
        std::unique_ptr<QSocketNotifier> Notifier;
    };
    std::vector<std::string> order;
    auto makePair = [&](const std::string& name) {
        auto pair = std::make_unique<Pair>();
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair->Fd),
                  0);
        pair->Notifier = std::make_unique<QSocketNotifier>(pair->Fd[0], QSocketNotifier::Read);
        QObject::connect(pair->Notifier.get(), &QSocketNotifier::activated,
                         [&order, name, fd = pair->Fd[0]] {
                             char bytes[16];
                             if (::read(fd, bytes, sizeof bytes) > 0)
                                 order.push_back(name);
                             else
                                 order.push_back(name + " (nothing)");
                         });
        return pair;
    };
    std::vector<std::unique_ptr<Pair>> others;
    others.push_back(makePair("other"));
    const auto first = makePair("first");
    auto* loop = dynamic_cast<TEpollEventDispatcher*>(QAbstractEventDispatcher::instance());
    ASSERT_NE(loop, nullptr);
    loop->HandleFirst(first->Notifier.get());
    ASSERT_EQ(::write(others[0]->Fd[1], "x", 1), 1);
    ASSERT_EQ(::write(first->Fd[1], "x", 1), 1);
    ASSERT_TRUE(WaitFor([&] { return order.size() == 2; }, 2000));
    EXPECT_EQ(order, (std::vector<std::string>{"first", "other"}));

    // More ready descriptors than one wait returns; the first one has nothing to say.
    while (others.size() < 300)
        others.push_back(makePair("other"));
    for (const auto& other : others)
        ASSERT_EQ(::write(other->Fd[1], "x", 1), 1);
    order.clear();
    ASSERT_TRUE(WaitFor([&] { return order.size() >= others.size(); }, 5000));
    EXPECT_EQ(order.front(), "first (nothing)");
    for (const auto& pair : others) {
        pair->Notifier.reset();
        ::close(pair->Fd[0]);
        ::close(pair->Fd[1]);
    }
    first->Notifier.reset();
    ::close(first->Fd[0]);
    ::close(first->Fd[1]);
}

// With no timer and no socket to wake it, the loop sleeps until another thread posts to it.
TEST(EpollEventLoop, APostFromAnotherThreadWakesAWaitingLoop) {
    QObject receiver;
    bool posted = false;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        QMetaObject::invokeMethod(
            &receiver, [&] { posted = true; }, Qt::QueuedConnection);
    });
    while (!posted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    poster.join();
    EXPECT_TRUE(posted);
}

} // namespace
} // namespace korvane::test
