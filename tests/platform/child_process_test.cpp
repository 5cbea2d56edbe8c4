#include "platform/child_process.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "temp_dir.h"

using korvane::ChildProcess;
using korvane::ChildStream;
using korvane::TCommandLine;
using korvane::TProgramStart;

namespace {

// A start of the program words[0] with the rest as its arguments.
TProgramStart Program(const std::vector<std::string>& words,
                      const std::vector<std::string>& environment, const std::string& workDir) {
    TProgramStart start{words.empty() ? TCommandLine() : TCommandLine(words.front()), workDir,
                        environment};
    if (!words.empty())
        start.Command.AddWords(std::vector<std::string>(words.begin() + 1, words.end()));
    return start;
}

size_t OpenDescriptors() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// Reads both streams until the child has closed them.
void ReadToEnd(ChildProcess& child, std::string& out, std::string& err) {
    char buffer[4096];
    while (child.StreamOpen(ChildStream::Output) || child.StreamOpen(ChildStream::Error)) {
        child.WaitForActivity(100, false);
        if (size_t n = child.Read(ChildStream::Output, buffer, sizeof buffer))
            out.append(buffer, n);
        if (size_t n = child.Read(ChildStream::Error, buffer, sizeof buffer)) err.append(buffer, n);
    }
}

// Fails the test instead of hanging it when the child does not end within 20 s. Unread output
// or a closed pipe makes every wait return at once, and a child's pipes close a moment before
// it can be waited for, so the limit is a time, not a number of waits.
void WaitForExit(ChildProcess& child) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!child.HasExited() && std::chrono::steady_clock::now() < deadline) {
        child.WaitForActivity(100, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(child.HasExited()) << "the child did not end";
}

// A process that is gone, or a zombie nobody has reaped yet, is dead.
bool ProcessAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidText, name, state;
    if (!(stat >> pidText >> name >> state)) return false;
    return state != "Z" && state != "X";
}

} // namespace

TEST(ChildProcess, PassesStreamsEnvironmentFolderAndExitCode) {
    korvane::test::TempDir dir;
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(
        child.Start(Program({"/bin/sh", "-c",
                             "printf '%s|%s|%s' \"$A\" \"$B\" \"$PWD\"; printf oops >&2; exit 3"},
                            {"A=one two", "B=2"}, dir.Path().string()),
                    error))
        << error;
    std::string out, err;
    ReadToEnd(child, out, err);
    WaitForExit(child);
    EXPECT_EQ(out, "one two|2|" + std::filesystem::canonical(dir.Path()).string());
    EXPECT_EQ(err, "oops");
    EXPECT_EQ(child.Finish(1000), 3);
    EXPECT_FALSE(child.Started());
}

TEST(ChildProcess, EmptyEnvironmentReachesTheChildEmpty) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.Start(Program({"/usr/bin/env"}, {}, ""), error)) << error;
    std::string out, err;
    ReadToEnd(child, out, err);
    EXPECT_EQ(out, "");
    WaitForExit(child);
    EXPECT_EQ(child.Finish(1000), 0);
}

TEST(ChildProcess, ProgramsThatCannotStartFailWithoutLeaks) {
    korvane::test::TempDir dir;
    const std::string plain = dir.File("not-executable");
    korvane::test::WriteBytes(plain, "#!/bin/sh\necho hi\n");
    chmod(plain.c_str(), 0644);
    const size_t before = OpenDescriptors();

    ChildProcess child;
    std::string error;
    EXPECT_FALSE(child.Start(Program({dir.File("missing")}, {}, ""), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(child.Start(Program({plain}, {}, ""), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(child.Start(Program({"no-such-program-on-path-kv"}, {}, ""), error));
    EXPECT_FALSE(
        child.Start(Program({"/bin/sh", "-c", "true"}, {}, dir.File("no-such-folder")), error));
    EXPECT_FALSE(child.Start(Program({}, {}, ""), error));
    EXPECT_FALSE(child.Started());
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(ChildProcess, FindsProgramsOnThisProgramsPathEvenWithEmptyEnvironment) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.Start(Program({"sh", "-c", "echo found"}, {}, ""), error)) << error;
    std::string out, err;
    ReadToEnd(child, out, err);
    EXPECT_EQ(out, "found\n");
    child.Finish(1000);
}

TEST(ChildProcess, FinishKillsTheWholeGroupAndLeavesNothingOpen) {
    const size_t before = OpenDescriptors();
    pid_t childPid = 0;
    long grandchild = 0;
    {
        ChildProcess child;
        std::string error;
        // The grandchild holds the pipes too; the child waits for it forever.
        ASSERT_TRUE(
            child.Start(Program({"/bin/sh", "-c", "sleep 1000 & echo $!; wait"}, {}, ""), error));
        childPid = child.ProcessId();
        std::string out;
        char buffer[64];
        while (out.find('\n') == std::string::npos) {
            child.WaitForActivity(100, false);
            out.append(buffer, child.Read(ChildStream::Output, buffer, sizeof buffer));
        }
        grandchild = std::stol(out);
        ASSERT_TRUE(ProcessAlive(static_cast<pid_t>(grandchild)));
        EXPECT_FALSE(child.HasExited());
        EXPECT_EQ(child.Finish(10000), 128 + SIGKILL);
    }
    EXPECT_FALSE(ProcessAlive(childPid));
    // The orphaned grandchild is reaped by init, which may take a moment.
    for (int i = 0; i < 100 && ProcessAlive(static_cast<pid_t>(grandchild)); ++i)
        usleep(10000);
    EXPECT_FALSE(ProcessAlive(static_cast<pid_t>(grandchild)));
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(ChildProcess, AChildThatExitedKeepsItsExitCodeWhenFinished) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.Start(Program({"/bin/sh", "-c", "exit 7"}, {}, ""), error));
    WaitForExit(child);
    EXPECT_EQ(child.Finish(1000), 7);
}

TEST(ChildProcess, WritesNeverBlockAndAClosedInputIsNoSignal) {
    ChildProcess child;
    std::string error;
    // Reads nothing: the pipe fills and further writes take nothing, without blocking.
    ASSERT_TRUE(child.Start(Program({"/bin/sh", "-c", "sleep 1000"}, {}, ""), error));
    const std::string megabyte(1 << 20, 'x');
    const size_t taken = child.Write(megabyte);
    EXPECT_LT(taken, megabyte.size());
    EXPECT_EQ(child.Write(megabyte), 0u);
    child.Finish(1000);

    // Closes its input at once: the write is dropped instead of killing us with SIGPIPE.
    ASSERT_TRUE(child.Start(
        Program({"/bin/sh", "-c", "exec 0<&-; echo closed; sleep 1000"}, {}, ""), error));
    std::string out;
    char buffer[64];
    while (out.empty()) {
        child.WaitForActivity(100, false);
        out.append(buffer, child.Read(ChildStream::Output, buffer, sizeof buffer));
    }
    EXPECT_EQ(child.Write("data\n"), 5u);
    EXPECT_FALSE(child.InputOpen());
    child.Finish(1000);
}

TEST(ChildProcess, InputReachesTheChildAndInterruptReachesItsHandler) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.Start(Program({"perl", "-e",
                                     "$| = 1; $SIG{INT} = sub { print \"paused\\n\"; exit 5 };"
                                     " my $l = <STDIN>; print \"got $l\"; sleep 1 while 1"},
                                    {}, ""),
                            error))
        << error;
    EXPECT_EQ(child.Write("hello\n"), 6u);
    std::string out;
    char buffer[64];
    for (int i = 0; i < 200 && out.find("got hello\n") == std::string::npos; ++i) {
        child.WaitForActivity(100, false);
        out.append(buffer, child.Read(ChildStream::Output, buffer, sizeof buffer));
    }
    ASSERT_NE(out.find("got hello\n"), std::string::npos);
    child.Interrupt();
    WaitForExit(child);
    std::string rest, err;
    ReadToEnd(child, rest, err);
    EXPECT_EQ(rest, "paused\n");
    EXPECT_EQ(child.Finish(1000), 5);
}

// Libraries of this program open descriptors without close-on-exec (a browser engine's
// sockets, file watches): the child must get none of them, only its streams and, when asked
// for, the command channel.
TEST(ChildProcess, AChildGetsOnlyTheDescriptorsMeantForIt) {
    int leaky[2];
    ASSERT_EQ(::pipe(leaky), 0) << "opened as libraries do, inheritable";
    const int high = ::dup2(leaky[0], 57);
    ASSERT_EQ(high, 57);
    // The shell's own descriptors, listed by the shell itself; the one its listing read the
    // folder with is closed again by the time it is looked at.
    const std::string list =
        "for f in /proc/$$/fd/*; do [ -e \"$f\" ] && printf '%s ' \"${f##*/}\"; done";
    for (const bool commandChannel : {false, true}) {
        ChildProcess child;
        std::string error;
        ASSERT_TRUE(child.Start(Program({"/bin/sh", "-c", list}, {}, ""), error, commandChannel));
        std::string out, err;
        ReadToEnd(child, out, err);
        child.Finish(1000);
        EXPECT_EQ(out, commandChannel ? "0 1 2 3 " : "0 1 2 ") << err;
    }
    ::close(high);
    ::close(leaky[0]);
    ::close(leaky[1]);
}

// A program reading its input to the end stops there once the input is closed.
TEST(ChildProcess, AClosedInputEndsTheChildsReading) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.Start(Program({"/bin/sh", "-c", "wc -c"}, {}, ""), error));
    EXPECT_EQ(child.Write("12345"), 5u);
    child.CloseInput();
    EXPECT_FALSE(child.InputOpen());
    std::string out, err;
    ReadToEnd(child, out, err);
    EXPECT_EQ(out.substr(out.find_first_not_of(' ')), "5\n");
    child.Finish(1000);
}

// A terminal child has its input and output on the terminal and its errors on their pipe, and
// its output comes as written: a line end without a CR before it.
TEST(ChildProcess, ATerminalChildTalksThroughTheTerminalAndKeepsItsErrorsApart) {
    TProgramStart start =
        Program({"/bin/sh", "-c",
                 "[ -t 0 ] && [ -t 1 ] && [ ! -t 2 ] && echo terminal; echo oops >&2; read l; "
                 "echo \"got $l\""},
                {}, "");
    start.Terminal = true;
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.Start(start, error)) << error;
    ASSERT_TRUE(child.Terminal());
    std::string out, err;
    char buffer[64];
    // What is sent is echoed at once: it goes once the child has said where it is.
    for (int i = 0; i < 200 && out.find("terminal\n") == std::string::npos; ++i) {
        child.WaitForActivity(100, false);
        out.append(buffer, child.Read(ChildStream::Output, buffer, sizeof buffer));
    }
    EXPECT_EQ(child.Write("hi\n"), 3u);
    ReadToEnd(child, out, err);
    EXPECT_EQ(out, "terminal\nhi\ngot hi\n") << "the terminal echoes what it is sent";
    EXPECT_EQ(err, "oops\n");
    EXPECT_EQ(child.Finish(1000), 0);
    EXPECT_FALSE(child.Terminal());
}

// Whether the child waits for its input is asked of the system: a child asleep otherwise, or
// reading another pipe (a debugger's commands), does not; one that reads its input under
// another descriptor, or waits for a program of its own that reads it, does.
TEST(ChildProcess, WaitsForInputWhileItOrAProgramItWaitsForReadsTheInput) {
    struct Case {
        const char* Script;
        bool CommandChannel;
        bool Waits;
    };
    const Case cases[] = {
        {"read line", false, true},
        {"exec 5<&0; read line <&5", false, true},
        {"sh -c 'read line'; echo done", false, true},
        {"sleep 30; echo done", false, false},
        {"read line <&3", true, false},
    };
    for (const bool terminal : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.Script) + (terminal ? " at a terminal" : " on pipes"));
            TProgramStart start = Program({"/bin/sh", "-c", c.Script}, {}, "");
            start.Terminal = terminal;
            ChildProcess child;
            std::string error;
            ASSERT_TRUE(child.Start(start, error, c.CommandChannel)) << error;
            bool waits = false;
            // Long enough for the shell to be asleep in whatever it does.
            for (int i = 0; i < 50 && !waits; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                waits = child.WaitsForInput();
            }
            EXPECT_EQ(waits, c.Waits);
            child.Finish(1000);
            EXPECT_FALSE(child.WaitsForInput()) << "no child, nothing waits";
        }
    }
}
