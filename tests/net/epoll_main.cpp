// main() for the socket and HTTP server tests run once more on the epoll event loop, the one
// the headless web server runs on.
#include "net/epoll_event_dispatcher.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication::setEventDispatcher(new korvane::TEpollEventDispatcher);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
