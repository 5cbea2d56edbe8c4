#pragma once
// Helpers for tests that run real interpreters through the debugger window.
#include "exec/debug_form.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>

namespace korvane::test {

// The installed interpreter, by absolute path (tests run with an empty PATH); "" when missing.
inline std::string Interpreter(const std::string& name) {
    for (const char* folder : {"/usr/local/bin/", "/usr/bin/"})
        if (std::filesystem::exists(folder + name)) return folder + name;
    return {};
}

// Runs the event loop until done() or the time is up; returns done().
inline bool WaitUntil(const std::function<bool()>& done, int milliseconds = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// A page as the debugger window sees it: counts what it is told.
class RecordingPage : public TRunClient {
public:
    int OutputChanges = 0;
    int ErrorChanges = 0;
    int Filters = 0;
    int Finished = 0;
    void RunOutputChanged() override { ++OutputChanges; }
    void RunErrorsChanged() override { ++ErrorChanges; }
    void FilterErrors() override { ++Filters; }
    void RunFinished() override { ++Finished; }
};

} // namespace korvane::test
