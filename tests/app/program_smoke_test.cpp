// Starts the real program, headless, and stops it the way a desktop session does.
#include "temp_dir.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace korvane;

namespace {

// Waits up to `seconds` for the child; returns its wait status or -1 when it is still running.
int WaitFor(pid_t child, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
}

} // namespace

TEST(Program, StartsHeadlessSeedsItsFolderAndStopsCleanlyOnSigterm) {
    test::TempDir dir;
    // A first start welcomes the interpreters it finds with a dialog nobody answers here: the
    // signal must end the program from inside that dialog as well.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("KORVANE_HOME", dir.File("home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
        setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(KORVANE_EXECUTABLE, KORVANE_EXECUTABLE, static_cast<char*>(nullptr));
        _exit(127);
    }
    // Start-up stores the default project's name in the settings.
    const std::string settings = dir.File("config/Brannoq/Korvane.conf");
    for (int i = 0; i < 200 && test::ReadBytes(settings).find("DefaultProject") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_NE(test::ReadBytes(settings).find("DefaultProject"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("home/temp")));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    kill(child, SIGTERM);
    int status = WaitFor(child, 20);
    if (status == -1) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the program did not stop on SIGTERM";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
