#include "platform/program_folder.h"
#include "platform/shell.h"
#include "storage/errors.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <filesystem>

using namespace korvane;

TEST(Shell, RunAndWaitRunsInTheFolderWithQuotedArguments) {
    test::TempDir dir;
    RunAndWait(TCommandLine("/bin/sh").Add("-c").Add("echo made > 'two words.txt'"),
               dir.Path().string(), 10);
    EXPECT_EQ(test::ReadBytes(dir.File("two words.txt")), "made\n");
}

TEST(Shell, RunAndWaitFailsForMissingProgramsAndTimeouts) {
    test::TempDir dir;
    try {
        RunAndWait(TCommandLine(dir.File("no-such-program")), "", 5);
        FAIL() << "started a missing program";
    } catch (const handledException& e) {
        EXPECT_STREQ(e.what(), "Process Failed");
    }
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(RunAndWait(TCommandLine("/bin/sleep").Add("30"), "", 1), handledException);
    EXPECT_LT(timer.elapsed(), 20000); // the sleeper was stopped, not waited for
    EXPECT_THROW(RunAndWait(TCommandLine(dir.File("no-such-program")), "", 0), handledException);
}

TEST(Shell, RunWithoutWaitingReturnsAtOnce) {
    test::TempDir dir;
    RunAndWait(TCommandLine("/bin/sh").Add("-c").Add("sleep 1; echo late > done"),
               dir.Path().string(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("done")));
    for (int i = 0; i < 100 && !std::filesystem::exists(dir.File("done")); ++i)
        RunAndWait(TCommandLine("/bin/sleep").Add("0.1"), "", 5);
    EXPECT_TRUE(std::filesystem::exists(dir.File("done")));
}

TEST(Shell, ShellOpenStartsProgramsWithParameters) {
    test::TempDir dir;
    EXPECT_FALSE(ShellOpen("", ""));
    ASSERT_TRUE(ShellOpen(dir.Path().string(), "/bin/sh", {"-c", "echo x > opened"}));
    // The shell makes the file before it writes to it: wait for what it writes.
    for (int i = 0; i < 100 && test::ReadBytes(dir.File("opened")) != "x\n"; ++i)
        RunAndWait(TCommandLine("/bin/sleep").Add("0.1"), "", 5);
    EXPECT_EQ(test::ReadBytes(dir.File("opened")), "x\n");
}

TEST(Shell, WindowsFolderIsTheProgramFolder) {
    test::TempDir dir;
    test::ScopedEnv home("KORVANE_HOME", dir.Path().string());
    EXPECT_EQ(WindowsFolder(), ProgramFolder());
}
