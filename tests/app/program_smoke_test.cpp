// Starts the real program, headless, and stops it the way a desktop session does.
#include "temp_dir.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
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

// Starts the program offscreen with its folders in dir; returns once start-up has stored the
// default project's name in the settings.
pid_t StartProgram(const std::string& program, const test::TempDir& dir,
                   const std::string& argument = "") {
    const pid_t child = fork();
    if (child == 0) {
        setenv("KORVANE_HOME", dir.File("home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
        setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (argument.empty())
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        else
            execl(program.c_str(), program.c_str(), argument.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const std::string settings = dir.File("config/Brannoq/Korvane.conf");
    for (int i = 0;
         i < 200 && test::ReadBytes(settings).find("DefaultProject") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_NE(test::ReadBytes(settings).find("DefaultProject"), std::string::npos)
        << program << " did not start";
    return child;
}

void StopWithSigterm(pid_t child, int signal = SIGTERM) {
    kill(child, signal);
    int status = WaitFor(child, 20);
    if (status == -1) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the program did not stop on signal " << signal;
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace

TEST(Program, StartsHeadlessSeedsItsFolderAndStopsCleanlyOnSigterm) {
    test::TempDir dir;
    // A first start welcomes the interpreters it finds with a dialog nobody answers here: the
    // signal must end the program from inside that dialog as well.
    const pid_t child = StartProgram(KORVANE_EXECUTABLE, dir);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("home/temp")));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    StopWithSigterm(child);
}

TEST(Program, ASignalEndsTheProgramWhileAMessageIsShownOverTheWindow) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        test::TempDir dir;
        // A project that is none: its error is shown once the window is up.
        test::WriteBytes(dir.File("notes.kvp"), "my notes\n");
        const pid_t child = StartProgram(KORVANE_EXECUTABLE, dir, dir.File("notes.kvp"));
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        StopWithSigterm(child, signal);
        EXPECT_EQ(test::ReadBytes(dir.File("notes.kvp")), "my notes\n");
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("home/projects/default.kvp")));
    }
}

TEST(Program, InstalledToAPrefixStartsAndSeedsItsFolderFromThere) {
    test::TempDir dir;
    const std::string prefix = dir.File("prefix");
    const std::string install = std::string("'") + KORVANE_CMAKE_COMMAND + "' --install '" +
                                KORVANE_BUILD_TREE + "' --prefix '" + prefix + "' >'" +
                                dir.File("install.log") + "' 2>&1";
    ASSERT_EQ(std::system(install.c_str()), 0) << test::ReadBytes(dir.File("install.log"));
    const std::string data = prefix + "/share/korvane/";
    // Only the installed data has this file, so finding it shows where the seed came from.
    test::WriteBytes(data + "installed-only.txt", "from the prefix");

    const pid_t child = StartProgram(prefix + "/bin/korvane", dir);
    ASSERT_GT(child, 0);
    EXPECT_EQ(test::ReadBytes(dir.File("home/installed-only.txt")), "from the prefix");
    EXPECT_EQ(test::ReadBytes(dir.File("home/README.txt")), test::ReadBytes(data + "README.txt"));
    const std::string factory = test::ReadBytes(data + "projects/default_original.kvp");
    EXPECT_FALSE(factory.empty()) << "the factory project is installed";
    EXPECT_EQ(test::ReadBytes(dir.File("home/projects/default_original.kvp")), factory);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("home/projects/default.kvp")));
    StopWithSigterm(child);
    for (const char* tool : {"korvane-dump", "korvane-httpd"})
        EXPECT_TRUE(std::filesystem::is_regular_file(prefix + "/bin/" + tool)) << tool;
}
