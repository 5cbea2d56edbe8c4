#include "exec/console_controller.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>
#include <unistd.h>

#include "exec/interpreter_commands.h"
#include "exec/run_environment.h"
#include "platform/command_line.h"
#include "storage/program_log.h"
#include "temp_dir.h"

using korvane::TCommandLine;
using korvane::TConsoleController;
using korvane::TProgramStart;
using Words = std::vector<std::string>;

namespace {

size_t OpenDescriptors() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// Gone, or a zombie left to init: either way no longer running.
bool ProcessAlive(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidText, name, state;
    if (!(stat >> pidText >> name >> state)) return false;
    return state != "Z" && state != "X";
}

bool EventuallyDead(long pid) {
    for (int i = 0; i < 200 && ProcessAlive(pid); ++i)
        usleep(10000);
    return !ProcessAlive(pid);
}

class ConsoleControllerTest : public testing::Test {
protected:
    void SetUp() override {
        Perl = korvane::test::FindProgram("perl");
        if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
        Console.MaxSyncTime = std::chrono::milliseconds(50);
    }

    // A start running code as a Perl script file, with an empty environment unless given one.
    TProgramStart Script(const std::string& code, std::vector<std::string> environment = {}) {
        const std::string path = Dir.File("script" + std::to_string(++Scripts) + ".pl");
        korvane::test::WriteBytes(path, code);
        return {TCommandLine(Perl).AddQuoted(path), "", std::move(environment)};
    }
    static std::vector<std::string> OwnEnvironment() {
        std::vector<std::string> own;
        korvane::InitEnvVars(own, true);
        return own;
    }

    // Polls as the debugger window's timer does until done() holds (at most 20 s).
    bool PollUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            Console.Synchronize();
            usleep(1000);
        }
        return done();
    }

    // Output from OutputFrom on.
    std::string NewOutput() const { return std::string(Console.OutBytes().substr(OutputFrom)); }
    bool OutputHas(const std::string& text) const {
        return NewOutput().find(text) != std::string::npos;
    }

    korvane::test::TempDir Dir;
    std::string Perl;
    int Scripts = 0;
    size_t OutputFrom = 0; // output before this was looked at already
    TConsoleController Console;
};

TEST_F(ConsoleControllerTest, CollectsOutputAndTagsTheLinesOfTheRun) {
    int page = 0;
    Console.executeSessionObject(
        Script("$| = 1; print \"out 1\\n\"; select(undef, undef, undef, 0.3);"
               " print STDERR \"err 1\\n\"; select(undef, undef, undef, 0.3); print \"out 2\";",
               OwnEnvironment()),
        true, &page, 10, 30);
    EXPECT_TRUE(Console.sessionFinished());
    EXPECT_EQ(Console.OutputLines.Strings(), (Words{"out 1", "out 2"}));
    EXPECT_EQ(Console.ErrorLines.Strings(), Words{"err 1"});
    EXPECT_EQ(Console.OutBytes(), "out 1\nout 2");
    EXPECT_EQ(Console.ErrBytes(), "err 1\n");
    EXPECT_EQ(Console.AllBytes(), "out 1\nerr 1\nout 2");
    EXPECT_EQ(Console.AllLines().Strings(), (Words{"out 1", "err 1", "out 2"}));
    EXPECT_EQ(Console.ErrorLines.Object(0), &page);
    EXPECT_EQ(Console.OutputLines.Object(1), &page);

    // Without Clear the next run adds to what is there, with its own tag.
    Console.executeSession(Script("print STDERR \"err 2\\n\";"), false, 10, 30);
    EXPECT_EQ(Console.ErrorLines.Strings(), (Words{"err 1", "err 2"}));
    EXPECT_EQ(Console.ErrorLines.Object(0), &page);
    EXPECT_EQ(Console.ErrorLines.Object(1), nullptr);
    Console.executeSession(Script("print \"only\\n\";"), true, 10, 30);
    EXPECT_EQ(Console.OutputLines.Strings(), Words{"only"});
    EXPECT_TRUE(Console.ErrorLines.Empty());
    EXPECT_EQ(Console.AllBytes(), "only\n");
}

// The merged lines are made when asked, from what came since they were last asked for: read
// between polls they grow as the run goes on (a line cut between two reads included) and end
// as the whole run's, tagged by the session that read each line.
TEST_F(ConsoleControllerTest, MergedLinesReadWhileTheRunGoesOnEndAsTheWholeRuns) {
    int first = 0;
    int second = 0;
    Console.executeSessionObject(Script("print \"before\\n\";"), true, &first, 10, 30);
    const uint64_t generation = Console.AllLines().Generation();
    Console.startSession(Script("$| = 1; my $pause = sub { select(undef, undef, undef, 0.2) };"
                                " print \"out 1\\n\"; $pause->(); print STDERR \"err 1\\n\";"
                                " $pause->(); print 'par'; $pause->(); print \"tial\\nlast\";"),
                         &second, false);
    std::vector<size_t> counts;
    EXPECT_TRUE(PollUntil([&] {
        counts.push_back(Console.AllLines().Count());
        return Console.sessionFinished();
    }));
    EXPECT_EQ(Console.AllLines().Strings(), (Words{"before", "out 1", "err 1", "partial", "last"}));
    EXPECT_EQ(Console.AllLines().Generation(), generation) << "made by adding, not again";
    EXPECT_EQ(Console.AllLines().Object(0), &first);
    EXPECT_EQ(Console.AllLines().Object(3), &second);
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
    EXPECT_LT(counts.front(), counts.back()) << "read while the run went on";
}

// A run the caller waits for tells the wait hooks of its start, of every poll and of its end;
// a poll that answers false stops the program at once, and the run says it was cancelled. A
// run started from inside a poll (the window's events) is not told again.
TEST_F(ConsoleControllerTest, WaitHooksHearOfEachBlockingRunAndMayCancelIt) {
    std::vector<std::string> begun;
    int polls = 0;
    int ends = 0;
    int stopAfter = -1; // polls before the hooks ask for a stop; -1: never
    bool nestedRun = false;
    Console.SetWaitHooks({[&](const std::string& command) { begun.push_back(command); },
                          [&] {
                              ++polls;
                              if (nestedRun) {
                                  nestedRun = false;
                                  Console.executeSession(Script("print \"inner\\n\";"), true, 10,
                                                         30);
                              }
                              return stopAfter < 0 || polls < stopAfter;
                          },
                          [&] { ++ends; }});
    Console.executeSession(Script("$| = 1; print \"done\\n\";"), true, 10, 30);
    ASSERT_EQ(begun.size(), 1u);
    EXPECT_NE(begun[0].find("script"), std::string::npos) << begun[0];
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(Console.WaitCancelled());
    EXPECT_EQ(Console.OutputLines.Strings(), Words{"done"});

    polls = 0;
    stopAfter = 3;
    const auto started = std::chrono::steady_clock::now();
    Console.executeSession(Script("sleep 20;"), true, 30, 30);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(polls, 3);
    EXPECT_TRUE(Console.WaitCancelled());
    EXPECT_TRUE(Console.sessionFinished()) << "the program was stopped";
    EXPECT_TRUE(Console.LastExit().Stopped);
    EXPECT_EQ(ends, 2);

    // The run started inside a poll replaces the waited one's program; the hooks hear of
    // neither twice.
    polls = 0;
    stopAfter = -1;
    nestedRun = true;
    Console.executeSession(Script("sleep 1;"), true, 10, 30);
    EXPECT_EQ(begun.size(), 3u);
    EXPECT_EQ(ends, 3);
}

TEST_F(ConsoleControllerTest, AProgramThatPrintsWithoutEndKeepsRunningInBoundedMemory) {
    // 96 MB of numbered lines, more than the 64 MB kept by default.
    constexpr int Lines = 6 * 1024 * 1024;
    Console.executeSession(
        Script("for my $i (1 .. " + std::to_string(Lines) + ") { printf \"%015d\\n\", $i }"), true,
        30, 120);
    ASSERT_TRUE(Console.sessionFinished());
    EXPECT_EQ(Console.LastExit().Code, 0) << "the program ran to its end";
    EXPECT_LE(Console.OutBytes().size(), TConsoleController::DefaultOutputLimit);
    const size_t printed = size_t{Lines} * 16;
    EXPECT_EQ(Console.DroppedBytes() + Console.OutBytes().size(), printed);
    ASSERT_GT(Console.OutputLines.Count(), 2u);
    EXPECT_EQ(Console.OutputLines[0], "[... " + std::to_string(Console.DroppedBytes()) +
                                          " bytes of earlier output dropped ...]");
    // What stays is the end of the output, in whole lines.
    EXPECT_EQ(Console.OutputLines[1].size(), 15u);
    EXPECT_EQ(std::stoll(std::string(Console.OutputLines[1])),
              Lines - static_cast<long long>(Console.OutputLines.Count()) + 2);
    EXPECT_EQ(Console.OutputLines[Console.OutputLines.Count() - 1],
              std::string(8, '0') + std::to_string(Lines));
}

TEST_F(ConsoleControllerTest, DroppingKeepsBothStreamsInStepAndWholeLines) {
    Console.SetOutputLimit(100000);
    Console.executeSession(
        Script("$| = 1; for my $i (1 .. 20000) {"
               " print \"out $i\\n\"; print STDERR \"err $i\\n\" if $i % 100 == 0 }"),
        true, 10, 60);
    ASSERT_TRUE(Console.sessionFinished());
    const size_t kept = Console.OutBytes().size() + Console.ErrBytes().size();
    EXPECT_LE(kept, 100000u);
    EXPECT_GT(Console.DroppedBytes(), 0u);
    const std::string note =
        "[... " + std::to_string(Console.DroppedBytes()) + " bytes of earlier output dropped ...]";
    EXPECT_EQ(Console.OutputLines[0], note);
    EXPECT_EQ(Console.AllLines()[0], note);
    EXPECT_EQ(Console.OutputLines[Console.OutputLines.Count() - 1], "out 20000");
    EXPECT_EQ(Console.ErrorLines[Console.ErrorLines.Count() - 1], "err 20000");
    const std::string lastMerged(Console.AllLines()[Console.AllLines().Count() - 1]);
    EXPECT_TRUE(lastMerged == "out 20000" || lastMerged == "err 20000") << lastMerged;
    // Each stream keeps whole lines that follow on from one another.
    const auto numbered = [](const korvane::TConsoleLines& lines, size_t first, const char* word) {
        long previous = 0;
        for (size_t i = first; i < lines.Count(); ++i) {
            const std::string line(lines[i]);
            EXPECT_TRUE(line.starts_with(word)) << i << ": " << line;
            const long number = std::stol(line.substr(4));
            if (previous != 0) {
                EXPECT_EQ(number, previous + (word[0] == 'o' ? 1 : 100)) << line;
            }
            previous = number;
        }
    };
    numbered(Console.OutputLines, 1, "out ");
    numbered(Console.ErrorLines, 0, "err ");
    // The merged bytes hold both streams once, in the order they came.
    EXPECT_EQ(Console.AllBytes().size(), kept);
    EXPECT_TRUE(Console.AllBytes().ends_with("err 20000\n") ||
                Console.AllBytes().ends_with("out 20000\n"));
}

TEST_F(ConsoleControllerTest, APartialLineShowsAndCompletesWhenTheRestArrives) {
    Console.startSession(Script("$| = 1; print \"Name? \"; my $n = <STDIN>; chomp $n;"
                                " print \"Hello, $n!\\n\";"),
                         nullptr, true);
    ASSERT_TRUE(PollUntil([&] { return OutputHas("Name? "); }));
    EXPECT_EQ(Console.OutputLines.Strings(), Words{"Name? "});
    EXPECT_FALSE(Console.sessionFinished());
    Console.TextToStdIn("bob\n");
    ASSERT_TRUE(PollUntil([&] { return Console.sessionFinished(); }));
    EXPECT_EQ(Console.OutputLines.Strings(), Words{"Name? Hello, bob!"});
}

TEST_F(ConsoleControllerTest, ALineFromBothStreamsOrWithTypedInputLeavesTheStreamsAsRead) {
    Console.startSession(Script("$| = 1; print 'Name? '; select(undef, undef, undef, 0.3);"
                                " print STDERR \"careful\\r\"; my $n = <STDIN>;"
                                " print \"\\nHello $n\";"),
                         nullptr, true);
    ASSERT_TRUE(PollUntil([&] { return !Console.ErrBytes().empty(); }));
    Console.TextToStdIn("bob\n");
    Console.OutputLines.EchoInput("bob");
    ASSERT_TRUE(PollUntil([&] { return Console.sessionFinished(); }));
    // The echo ended the output line; in the combined list the error's CR and the output's
    // LF that came after it are one line end.
    EXPECT_EQ(Console.OutputLines.Strings(), (Words{"Name? bob", "", "Hello bob"}));
    EXPECT_EQ(Console.AllLines().Strings(), (Words{"Name? careful", "Hello bob"}));
    EXPECT_EQ(Console.ErrorLines.Strings(), Words{"careful"});
    EXPECT_EQ(Console.OutBytes(), "Name? \nHello bob\n");
    EXPECT_EQ(Console.AllBytes(), "Name? careful\r\nHello bob\n");
}

TEST_F(ConsoleControllerTest, ARunWithoutClearContinuesTheOpenLineWithItsOwnTag) {
    int first = 0, second = 0;
    Console.executeSessionObject(Script("print 'partial';"), true, &first, 10, 30);
    EXPECT_EQ(Console.OutputLines.Object(0), &first);
    Console.executeSessionObject(Script("print \" rest\\nnext\\n\"; print STDERR \"e\\n\";"), false,
                                 &second, 10, 30);
    EXPECT_EQ(Console.OutputLines.Strings(), (Words{"partial rest", "next"}));
    EXPECT_EQ(Console.OutputLines.Object(0), &second);
    EXPECT_EQ(Console.AllLines().Object(0), &second);
    EXPECT_EQ(Console.ErrorLines.Object(0), &second);
    // A run with Clear starts afresh in the memory the last one used.
    Console.executeSessionObject(Script("print \"new\\n\";"), true, &first, 10, 30);
    EXPECT_EQ(Console.AllLines().Strings(), Words{"new"});
    EXPECT_EQ(Console.AllLines().Object(0), &first);
    EXPECT_EQ(Console.AllBytes(), "new\n");
}

TEST_F(ConsoleControllerTest, InputQueueSendsRawEntriesAndLineGroups) {
    // Echoes each chunk it receives in brackets, so the exact bytes show.
    const TProgramStart echo =
        Script("$| = 1; while (sysread(STDIN, my $b, 100)) { $b =~ s/\\n/<LF>/g; print \"[$b]\" }");
    Console.InputQueue.push_back("x"); // queued before the start: goes in at once
    Console.startSession(echo, nullptr, true);
    ASSERT_TRUE(PollUntil([&] { return OutputHas("]"); }));
    EXPECT_EQ(Console.OutBytes(), "[x]");

    const auto send = [&](const std::function<void()>& queue) {
        OutputFrom = Console.OutBytes().size();
        queue();
        EXPECT_TRUE(Console.ParseInput());
        EXPECT_TRUE(Console.InputQueue.empty());
        PollUntil([&] { return OutputHas("]"); });
        return NewOutput();
    };
    EXPECT_EQ(send([&] { Console.TextToStdIn("x"); }), "[x<LF>]");
    EXPECT_EQ(send([&] { Console.TextToStdIn("a\r\nb\n"); }), "[a<LF>b<LF>]");
    // An empty line still ends with a line end: a program waiting for Enter gets it.
    EXPECT_EQ(send([&] { Console.TextToStdIn("\n"); }), "[<LF>]");
    // A first entry that is no count is sent as a line itself; the one left is then raw.
    OutputFrom = Console.OutBytes().size();
    Console.InputQueue = {"abc", "def"};
    EXPECT_TRUE(Console.ParseInput());
    EXPECT_EQ(Console.InputQueue, (std::deque<std::string>{"def"}));
    PollUntil([&] { return OutputHas("def]"); });
    std::string received = NewOutput();
    std::erase_if(received, [](char c) { return c == '[' || c == ']'; });
    EXPECT_EQ(received, "abc<LF>def");
    // A count of 0 is dropped and sends nothing.
    Console.InputQueue = {"0", "x"};
    EXPECT_TRUE(Console.ParseInput());
    EXPECT_EQ(Console.InputQueue, (std::deque<std::string>{"x"}));
    EXPECT_EQ(send([] {}), "[x]");
    // Nothing queued: not moved.
    EXPECT_FALSE(Console.ParseInput());
    // Typing no text at all queues nothing (not a stray "0").
    Console.TextToStdIn("");
    EXPECT_TRUE(Console.InputQueue.empty());
    Console.endSession();
}

TEST_F(ConsoleControllerTest, LargeRequestBodiesReachAChildThatReadsSlowly) {
    std::string body;
    for (int i = 0; body.size() < 600000; ++i)
        body += "line " + std::to_string(i) + "\n";
    Console.StdInData = body;
    // Takes well over the idle limit to read it all and says nothing until then: the input
    // it keeps taking must count as activity.
    Console.executeSession(Script("my $n = 0; my $s = 0; while (sysread(STDIN, my $b, 8192)) {"
                                  " $n += length $b; $s += unpack('%32C*', $b); last if $n >= " +
                                  std::to_string(body.size()) +
                                  "; select(undef, undef, undef, 0.02) }"
                                  " print \"$n $s\";"),
                           true, 0.5, 60);
    unsigned long sum = 0;
    for (unsigned char c : body)
        sum += c;
    EXPECT_EQ(Console.OutBytes(), std::to_string(body.size()) + " " + std::to_string(sum));
    EXPECT_TRUE(Console.StdInData.empty());
}

TEST_F(ConsoleControllerTest, TheChildGetsExactlyTheSortedEnvironmentAndFolder) {
    TProgramStart show =
        Script("use Cwd; print join(',', map { \"$_=$ENV{$_}\" } sort keys %ENV), '|', getcwd();",
               {"b_last=2", "A_FIRST=1", "Middle=x y"});
    show.WorkDir = Dir.Path().string();
    Console.executeSession(show, true, 10, 30);
    EXPECT_EQ(Console.OutBytes(),
              "A_FIRST=1,Middle=x y,b_last=2|" + std::filesystem::canonical(Dir.Path()).string());
    // The child receives the lines in order of their names, whatever their letter case.
    Console.executeSession({TCommandLine("env"), "", show.Environment}, true, 10, 30);
    EXPECT_EQ(Console.OutBytes(), "A_FIRST=1\nb_last=2\nMiddle=x y\n");

    show.Environment.clear();
    show.WorkDir.clear();
    Console.executeSession(show, true, 10, 30);
    EXPECT_EQ(Console.OutBytes().substr(0, 1), "|");
}

TEST_F(ConsoleControllerTest, EnvironmentBlockLimitIsExact) {
    TProgramStart show = Script("print length $ENV{X};");
    // "X=" + value, its NUL and the closing NUL make the block.
    const size_t fits = TConsoleController::MaxEnvironmentBlock - 4;
    show.Environment = {"X=" + std::string(fits, 'v')};
    EXPECT_EQ(TConsoleController::EnvironmentBlockSize(show.Environment), 24576u);
    Console.executeSession(show, true, 10, 30);
    EXPECT_EQ(Console.OutBytes(), std::to_string(fits));

    show.Environment = {"X=" + std::string(fits + 1, 'v')};
    try {
        Console.startSession(show, nullptr, true);
        FAIL() << "an environment one byte too large started";
    } catch (const korvane::EConsoleException& e) {
        EXPECT_STREQ(e.what(), "Too many environment variables to use");
    }
    EXPECT_TRUE(Console.sessionFinished());
    EXPECT_EQ(TConsoleController::EnvironmentBlockSize({}), 1u);
}

TEST_F(ConsoleControllerTest, ProgramsThatCannotStartRaiseTheMessageAndLeakNothing) {
    const std::string plain = Dir.File("plain.pl");
    korvane::test::WriteBytes(plain, "print 1;\n");
    const size_t before = OpenDescriptors();
    for (const TCommandLine& command :
         {TCommandLine(Dir.File("missing")).Add("-w"), TCommandLine(plain), TCommandLine()}) {
        try {
            Console.startSession({command, "", {}}, nullptr, true);
            FAIL() << command.Text() << " started";
        } catch (const korvane::handledException& e) {
            EXPECT_EQ(std::string(e.what()), "Unable to execute " + command.Text());
        }
        EXPECT_TRUE(Console.sessionFinished());
    }
    try {
        TProgramStart elsewhere = Script("print 1;");
        elsewhere.WorkDir = Dir.File("no folder");
        Console.executeSession(elsewhere, true, 10, 30);
        FAIL() << "started in a missing folder";
    } catch (const korvane::handledException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Unable to execute ", 0), 0u);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(ConsoleControllerTest, MisbehavingProgramsAreEndedWithEverythingTheyStarted) {
    const size_t before = OpenDescriptors();
    struct Case {
        const char* What;
        std::string Code;
    };
    const Case cases[] = {
        {"never ends", "$| = 1; print \"$$\\n\"; sleep 1 while 1;"},
        {"floods stderr", "$| = 1; print \"$$\\n\"; print STDERR 'e' x 79, \"\\n\" while 1;"},
        {"closes stdout early", "$| = 1; print \"$$\\n\"; close STDOUT; sleep 1 while 1;"},
        {"reads stdin forever", "$| = 1; print \"$$\\n\"; print \"got $_\" while <STDIN>;"},
        {"forks children", "$| = 1; for (1..3) { my $p = fork; if (!$p) { sleep 1000; exit }"
                           " print \"$p\\n\" } print \"$$\\n\"; wait;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        // Time limits hand control back while the program goes on.
        Console.executeSession(Script(c.Code, OwnEnvironment()), true, 1, 2);
        ASSERT_FALSE(Console.sessionFinished());
        ASSERT_TRUE(PollUntil([&] { return Console.OutputLines.Count() >= 1; }));
        std::vector<long> pids;
        for (const std::string& line : Console.OutputLines.Strings())
            if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos)
                pids.push_back(std::stol(line));
        Console.TextToStdIn("ping\n");
        Console.Synchronize();
        Console.endSession();
        EXPECT_TRUE(Console.sessionFinished());
        for (long pid : pids)
            EXPECT_TRUE(EventuallyDead(pid)) << "process " << pid;
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(ConsoleControllerTest, EndingAFinishedChildKeepsItsOutputAndInterruptReachesIt) {
    Console.startSession(Script("$| = 1; $SIG{INT} = sub { print \"paused\\n\"; exit 0 };"
                                " print \"ready\\n\"; sleep 1 while 1;",
                                OwnEnvironment()),
                         nullptr, true);
    ASSERT_TRUE(PollUntil([&] { return OutputHas("ready\n"); }));
    Console.InterruptProgram();
    ASSERT_TRUE(PollUntil([&] { return Console.sessionFinished(); }));
    EXPECT_EQ(Console.OutputLines.Strings(), (Words{"ready", "paused"}));
    Console.endSession(); // nothing left to end
    EXPECT_EQ(Console.OutputLines.Strings(), (Words{"ready", "paused"}));
}

// A program run at a terminal writes its output line by line and flushes it when it reads, so
// a prompt without a line end is there before the program waits; on pipes perl holds it back.
// The terminal echoes what it is sent, right after the prompt, and adds no CR to line ends.
TEST_F(ConsoleControllerTest, AtATerminalAPromptShowsBeforeTheProgramReadsAndInputFollowsIt) {
    for (const bool terminal : {true, false}) {
        SCOPED_TRACE(terminal ? "terminal" : "pipes");
        TProgramStart start = Script("print -t STDOUT ? 'terminal' : 'pipe', \"\\n\";\n"
                                     "print 'Name: ';\nmy $n = <STDIN>;\nprint \"hello $n\";\n");
        start.Terminal = terminal;
        Console.startSession(start, nullptr, true);
        EXPECT_EQ(Console.Terminal(), terminal);
        // As the debugger window's timer asks: after a poll that found nothing to move.
        const bool prompted =
            PollUntil([&] { return !Console.Synchronize() && Console.WaitingForInput(); });
        EXPECT_TRUE(prompted) << "the program sleeps reading its input";
        EXPECT_EQ(Console.OutBytes(), terminal ? "terminal\nName: " : "");
        Console.TextToStdIn("bob\n");
        EXPECT_FALSE(Console.WaitingForInput()) << "its input is on the way";
        ASSERT_TRUE(PollUntil([&] { return Console.sessionFinished(); }));
        EXPECT_EQ(Console.OutBytes(),
                  terminal ? "terminal\nName: bob\nhello bob\n" : "pipe\nName: hello bob\n");
        EXPECT_FALSE(Console.WaitingForInput());
    }
}

// The end of the input (Ctrl+D): a pipe is closed, a terminal is sent its end-of-file
// character. Either way a program reading to the end gets what was typed before, the text
// still open on its line too, and goes on.
TEST_F(ConsoleControllerTest, TheEndOfInputEndsReadingToTheEndOnPipesAndTerminals) {
    for (const bool terminal : {false, true}) {
        SCOPED_TRACE(terminal ? "terminal" : "pipes");
        TProgramStart start = Script("$| = 1; my @got; while (my $l = <STDIN>) { push @got, $l }\n"
                                     "print '[', join('|', @got), \"]\\n\";\n");
        start.Terminal = terminal;
        Console.startSession(start, nullptr, true);
        ASSERT_TRUE(PollUntil([&] { return Console.WaitingForInput(); }));
        OutputFrom = Console.OutBytes().size();
        Console.TextToStdIn("a\n");
        Console.TextToStdIn("\n");
        Console.EndInput("open");
        ASSERT_TRUE(PollUntil([&] { return Console.sessionFinished(); })) << Console.OutBytes();
        EXPECT_EQ(NewOutput(), terminal ? "a\n\nopen[a\n|\n|open]\n" : "[a\n|\n|open]\n");
    }
    // A program that reads on after the end of a terminal's input waits for more, as at a
    // terminal, and takes it (perl's own line reading keeps to the end once it saw it).
    TProgramStart start = Script("$| = 1; my @a = <STDIN>; print scalar(@a), \"\\n\";\n"
                                 "sysread(STDIN, my $more, 100); print \"more $more\";\n");
    start.Terminal = true;
    Console.startSession(start, nullptr, true);
    Console.TextToStdIn("x\n");
    Console.EndInput();
    ASSERT_TRUE(PollUntil([&] { return Console.OutBytes().find("1\n") != std::string::npos; }));
    ASSERT_TRUE(PollUntil([&] { return Console.WaitingForInput(); }));
    Console.TextToStdIn("y\n");
    ASSERT_TRUE(PollUntil([&] { return Console.sessionFinished(); }));
    EXPECT_EQ(Console.OutBytes(), "x\n1\ny\nmore y\n");
}

TEST_F(ConsoleControllerTest, LogsTrafficUnlessQuiet) {
    const std::string log = Dir.File("session.log");
    const std::string savedLogFile = korvane::LogFile;
    korvane::LogFile = log;
    Console.LoggingOn = Console.LogStartStop = Console.LogInput = Console.LogOutput =
        Console.LogError = true;
    const TProgramStart command =
        Script("$| = 1; my $l = <STDIN>; print \"echo $l\"; print STDERR \"bad\\n\";");
    const std::string shown = command.Command.Text();
    Console.TextToStdIn("hi\n");
    Console.executeSession(command, true, 10, 30);
    std::string text = korvane::test::ReadBytes(log);
    for (const std::string& expected :
         {"**PROGRAM START: " + shown + "\r\n", std::string("**Input: hi\n\r\n"),
          std::string("**Output: echo hi\n\r\n"), std::string("**Error: bad\n\r\n"),
          "**PROGRAM TERMINATION: " + shown + "\r\n"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " not in\n" << text;
    EXPECT_LT(text.find("**PROGRAM START"), text.find("**PROGRAM TERMINATION"));

    // The caller's filter decides how the command shows, at the start and at the end.
    Console.TextToStdIn("hi\n");
    Console.executeSession(command, true, 10, 30, [](const std::string&) { return "hidden"; });
    const std::string filtered = korvane::test::ReadBytes(log).substr(text.size());
    EXPECT_NE(filtered.find("**PROGRAM START: hidden\r\n"), std::string::npos) << filtered;
    EXPECT_NE(filtered.find("**PROGRAM TERMINATION: hidden\r\n"), std::string::npos);
    EXPECT_EQ(filtered.find(shown), std::string::npos);
    text = korvane::test::ReadBytes(log);

    Console.Quiet = true;
    Console.executeSession(command, true, 1, 30);
    EXPECT_EQ(korvane::test::ReadBytes(log), text);
    korvane::LogFile = savedLogFile;
}

TEST_F(ConsoleControllerTest, ListsKeepTheirHandlersAndEnvironmentHelpersWork) {
    int outChanges = 0, errChanges = 0;
    Console.OutputLines.OnChange = [&] { ++outChanges; };
    Console.ErrorLines.OnChange = [&] { ++errChanges; };
    Console.setupConsole();
    Console.executeSession(Script("print \"x\\n\"; print STDERR \"y\\n\";"), true, 10, 30);
    EXPECT_GT(outChanges, 0);
    EXPECT_GT(errChanges, 0);
    const int before = errChanges;
    Console.CopyToErrOut({"filtered"});
    EXPECT_EQ(errChanges, before);
    EXPECT_EQ(Console.ErrorLines.Strings(), Words{"filtered"});

    korvane::test::ScopedEnv outside("KV_CONSOLE_TEST", "from outside");
    std::vector<std::string> env{"KV_CONSOLE_TEST=mine", "kv_console_test=lower", "=C:=C:\\x",
                                 "KEEP=1"};
    korvane::InitEnvVars(env, false);
    EXPECT_NE(std::find(env.begin(), env.end(), "KV_CONSOLE_TEST=from outside"), env.end());
    EXPECT_NE(std::find(env.begin(), env.end(), "kv_console_test=lower"), env.end());
    korvane::RemoveEqualsPrefixes(env);
    EXPECT_EQ(
        std::count_if(env.begin(), env.end(), [](const std::string& l) { return l[0] == '='; }), 0);
    korvane::InitEnvVars(env, true);
    EXPECT_EQ(std::find(env.begin(), env.end(), "KEEP=1"), env.end());
}

} // namespace

namespace {

TEST_F(ConsoleControllerTest, ReadsTheVersionOfTheInstalledPerl) {
    Console.executeSession({korvane::PerlVersionCommand(Perl), "", {}}, true, 10, 30);
    const std::string version = korvane::PerlVersionFromOutput(Console.OutputLines.Strings());
    Console.executeSession(Script("printf '%vd', $^V;"), true, 10, 30);
    EXPECT_EQ(version, Console.OutBytes());
}

} // namespace
