// Runs and syntax checks of real Perl, PHP and shell scripts through the debugger window.
#include "project_fixture.h"
#include "run_support.h"

#include "exec/console_controller.h"
#include "exec/run_request.h"
#include "model/form_fields.h"
#include "platform/program_folder.h"

#include <algorithm>
#include <csignal>
#include <fstream>

namespace korvane::test {
namespace {

class ScriptRunTest : public ProjectTest {
protected:
    ScriptRunTest() {
        Perl = Interpreter("perl");
        Php = Interpreter("php");
        Project->setPerlCompilerPath(Perl);
        Project->setAutoSetupPhp(false);
        Project->setPhpCompilerPath(Php);
    }
    ~ScriptRunTest() override { Form().ProgramReset(); }

    TDebugForm& Form() { return *Debugger; }

    TRunPageInfo Page(TLanguage kind, const std::string& name, const std::string& text) {
        TRunPageInfo page;
        page.Kind = kind;
        page.ScriptFile = Dir.File(name);
        page.Tag = &Client;
        WriteBytes(page.ScriptFile, text);
        return page;
    }

    // Starts the page's plain run and waits until the program has ended.
    void RunToEnd(const TRunPageInfo& page) {
        Client.Finished = 0;
        Form().StartRunning(PlainRunRequest(Project->RunSettings(), page), &Client);
        ASSERT_TRUE(WaitUntil([&] { return Client.Finished > 0; })) << "the run did not end";
    }

    std::vector<std::string> Output() { return Form().Console().OutputLines.Strings(); }

    std::string Perl;
    std::string Php;
    RecordingPage Client;
};

TEST_F(ScriptRunTest, PerlSyntaxErrorBecomesAMessageThatJumpsToItsLine) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const TRunPageInfo page =
        Page(TLanguage::Perl, "broken.pl", "use strict;\nmy $x = 1;\nmy $y = ;\nprint $x;\n");
    const auto messages =
        SyntaxCheckScript(Form().Console(), Project->RunSettings(), page, FixedNow);
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages.front().Text, "Tue, 09 Dec 2025 12:00:00 - Program Started");
    EXPECT_EQ(messages.back().Text, "Tue, 09 Dec 2025 12:00:00 - Program Checkpoint (<1s)");
    bool jumps = false;
    for (const TMessageLine& line : messages) {
        EXPECT_EQ(line.Text.find(page.ScriptFile), std::string::npos) << line.Text;
        if (MessageLineNumber(line.Text) == 3) {
            jumps = true;
            EXPECT_NE(line.Text.find("syntax error at  line 3"), std::string::npos) << line.Text;
            EXPECT_EQ(line.Object, &Client);
        }
    }
    EXPECT_TRUE(jumps);

    // A clean file reports that alone.
    const TRunPageInfo clean = Page(TLanguage::Perl, "clean.pl", "print 1;\n");
    const auto ok = SyntaxCheckScript(Form().Console(), Project->RunSettings(), clean, FixedNow);
    ASSERT_EQ(ok.size(), 3u);
    EXPECT_EQ(ok[1].Text, "syntax OK");
}

TEST_F(ScriptRunTest, TheCheckFindsModulesAsTheRunDoesAndWarns) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    // One module through the page's PERL5LIB, one through a "use lib" relative to the script.
    std::filesystem::create_directories(Dir.File("elsewhere/Only"));
    std::filesystem::create_directories(Dir.File("site/lib"));
    WriteBytes(Dir.File("elsewhere/Only/Here.pm"), "package Only::Here;\n1;\n");
    WriteBytes(Dir.File("site/lib/Beside.pm"), "package Beside;\n1;\n");
    TRunPageInfo page = Page(TLanguage::Perl, "site/uses.pl",
                             "use lib 'lib';\nuse Only::Here;\nuse Beside;\n$main::once = 1;\n");
    page.EnvVars = {"YPERL5LIB=" + Dir.File("elsewhere")};
    const auto messages =
        SyntaxCheckScript(Form().Console(), Project->RunSettings(), page, FixedNow);
    const auto says = [&](const std::string& text) {
        return std::any_of(messages.begin(), messages.end(), [&](const TMessageLine& line) {
            return line.Text.find(text) != std::string::npos;
        });
    };
    EXPECT_FALSE(says("Can't locate"));
    EXPECT_TRUE(says("syntax OK"));
    EXPECT_TRUE(says("used only once")) << "the check warns";
    RunToEnd(page);
    for (const std::string& line : Form().Console().ErrorLines.Strings())
        EXPECT_EQ(line.find("Can't locate"), std::string::npos) << "the run finds them: " << line;
}

TEST_F(ScriptRunTest, AnUntrustedFileIsCheckedWithoutRunningAnyOfItsCode) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    ASSERT_TRUE(SeedProgramFolder()) << "the reader comes with the program's files";
    const std::string marker = Dir.File("ran-begin");
    const std::string begin = "BEGIN { open my $f, '>', '" + marker + "'; }\n";
    TRunPageInfo page = Page(TLanguage::Perl, "from-elsewhere.pl",
                             begin + "use Not::Installed::Anywhere;\nprint 1;\n");
    page.TrustedCode = false;
    const auto says = [](const std::vector<TMessageLine>& messages, const std::string& text) {
        return std::any_of(messages.begin(), messages.end(), [&](const TMessageLine& line) {
            return line.Text.find(text) != std::string::npos;
        });
    };
    const auto read = SyntaxCheckScript(Form().Console(), Project->RunSettings(), page, FixedNow);
    EXPECT_FALSE(std::filesystem::exists(marker)) << "the BEGIN block ran";
    EXPECT_TRUE(says(read, "was read without running any of its code"));
    EXPECT_TRUE(says(read, "syntax OK")) << "a module that is not there is not looked for";

    // What the reader finds wrong goes to its line.
    TRunPageInfo broken = Page(TLanguage::Perl, "broken.pl", begin + "sub f {\n  print 1;\n");
    broken.TrustedCode = false;
    const auto errors =
        SyntaxCheckScript(Form().Console(), Project->RunSettings(), broken, FixedNow);
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_TRUE(std::any_of(errors.begin(), errors.end(), [](const TMessageLine& line) {
        return MessageLineNumber(line.Text) == 2 &&
               line.Text.find("Missing right curly") != std::string::npos;
    }));

    // Trusted, the same file gets perl -c, which runs it.
    page.TrustedCode = true;
    const auto full = SyntaxCheckScript(Form().Console(), Project->RunSettings(), page, FixedNow);
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_TRUE(says(full, "Can't locate Not/Installed/Anywhere.pm"));
}

TEST_F(ScriptRunTest, PhpSyntaxCheckReportsWhatPhpPrints) {
    if (Php.empty()) GTEST_SKIP() << "php is not installed";
    const TRunPageInfo page = Page(TLanguage::PHP, "broken.php", "<?php\n$a = 1;\n$b = ;\n");
    const auto linesNamingThree = [](const std::vector<TMessageLine>& messages) {
        return std::count_if(messages.begin(), messages.end(), [](const TMessageLine& line) {
            return MessageLineNumber(line.Text) == 3;
        });
    };
    // Without a php.ini PHP tells the error only on its error stream.
    const auto bare = SyntaxCheckScript(Form().Console(), Project->RunSettings(), page, FixedNow);
    ASSERT_GE(bare.size(), 3u);
    EXPECT_EQ(bare.front().Text, "Tue, 09 Dec 2025 12:00:00 - Syntax Check Started");
    EXPECT_EQ(bare.back().Text, "Tue, 09 Dec 2025 12:00:00 - Syntax Check Completed");
    EXPECT_EQ(linesNamingThree(bare), 1);

    // With the prepared php.ini it shows the error on its output, once.
    Project->setAutoSetupPhp(true);
    Project->SetupPhp();
    if (!std::filesystem::exists(PhpIniPath())) GTEST_SKIP() << "no php.ini template";
    const auto prepared =
        SyntaxCheckScript(Form().Console(), Project->RunSettings(), page, FixedNow);
    EXPECT_EQ(linesNamingThree(prepared), 1);
}

TEST_F(ScriptRunTest, GetFieldsReachAPerlScriptAsQueryStringAndArgument) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    TRunPageInfo page =
        Page(TLanguage::Perl, "get.pl",
             "print \"Q=$ENV{QUERY_STRING}\\nA=@ARGV\\nM=$ENV{REQUEST_METHOD}\\n\";\n"
             "print \"L=\", (defined $ENV{CONTENT_LENGTH} ? 'set' : 'unset'), \"\\n\";\n"
             "warn \"done\\n\";\n");
    page.FormSendType = 2;
    page.FormFields = {"Yname=John Smith", "Nage=3"};
    const TRunRequest run = PlainRunRequest(Project->RunSettings(), page);
    EXPECT_EQ(run.Start.Command.Text(),
              "\"" + Perl + "\" -w \"" + page.ScriptFile + "\" name=John%20Smith");
    EXPECT_EQ(run.Start.WorkDir, Dir.Path().string());
    EXPECT_FALSE(run.Post);

    RunToEnd(page);
    EXPECT_EQ(Output(), (std::vector<std::string>{"Q=name=John%20Smith", "A=name=John%20Smith",
                                                  "M=GET", "L=unset"}));
    EXPECT_GT(Client.OutputChanges, 0);
    EXPECT_GT(Client.ErrorChanges, 0);
    EXPECT_GT(Client.Filters, 0) << "the end of the run filters the errors";
    EXPECT_EQ(Client.Finished, 1);
    EXPECT_EQ(Form().Status(), dsIdle);
    EXPECT_EQ(Form().RunPage(), nullptr);
    EXPECT_FALSE(Form().TimerActive());
    EXPECT_TRUE(Form().DebugActions().RunToText);
}

// A folder name that a command line written as text and split again would cut apart.
constexpr const char* AwkwardFolder = "my \"best\" site's cgi-bin";

TEST_F(ScriptRunTest, AScriptInAFolderWithQuotesAndBlanksRunsAndIsChecked) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    std::filesystem::create_directories(Dir.File(AwkwardFolder));
    const std::string name = std::string(AwkwardFolder) + "/it's \"here\".pl";
    TRunPageInfo page = Page(TLanguage::Perl, name, "print \"ran $0\\n\";\n");
    RunToEnd(page);
    EXPECT_EQ(Output(), std::vector<std::string>{"ran " + page.ScriptFile});

    WriteBytes(page.ScriptFile, "use strict;\nmy $x = 1;\nmy $y = ;\n");
    const auto messages =
        SyntaxCheckScript(Form().Console(), Project->RunSettings(), page, FixedNow);
    const bool namesLineThree = std::any_of(messages.begin(), messages.end(), [](const auto& m) {
        return m.Text.find(" line 3") != std::string::npos;
    });
    EXPECT_TRUE(namesLineThree) << "the check reached the script";
    for (const TMessageLine& line : messages)
        EXPECT_EQ(line.Text.find(page.ScriptFile), std::string::npos) << line.Text;
}

TEST_F(ScriptRunTest, ATaintScriptRunsAndIsCheckedWithTheSwitchOfItsFirstLine) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    // Without -T on its command line perl refuses the script ("-T" is on the #! line).
    TRunPageInfo page =
        Page(TLanguage::Perl, "taint.pl", "#!/usr/bin/perl -T\nprint ${^TAINT}, \"\\n\";\n");
    RunToEnd(page);
    EXPECT_EQ(Output(), std::vector<std::string>{"1"}) << Form().Console().ErrBytes();

    // The project's own -T is not given twice, and a check finds the script's errors.
    Project->setTaintMode(true);
    RunToEnd(page);
    EXPECT_EQ(Output(), std::vector<std::string>{"1"}) << Form().Console().ErrBytes();
    Project->setTaintMode(false);
    WriteBytes(page.ScriptFile, "#!/usr/bin/perl -wT\nmy $x = ;\n");
    const auto messages =
        SyntaxCheckScript(Form().Console(), Project->RunSettings(), page, FixedNow);
    ASSERT_FALSE(messages.empty());
    for (const TMessageLine& line : messages)
        EXPECT_EQ(line.Text.find("on the #! line"), std::string::npos) << line.Text;
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](const TMessageLine& m) {
        return m.Text.find("syntax error") != std::string::npos;
    }));
}

TEST_F(ScriptRunTest, FormFieldsSentAsArgumentsArriveAsExactlyTheWordsGiven) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    TRunPageInfo page = Page(TLanguage::Perl, "args.pl",
                             "print scalar(@ARGV), \"\\n\"; print \"[$_]\\n\" for @ARGV;\n");
    page.FormSendType = fstParamsOnly;
    page.FormFields = {"Yplain=one",
                       "Yblanks=two  words ",
                       "Yquotes=say \"hi\" it's",
                       "Yslashes=C:\\dir\\ \\\"x\\\"",
                       "Noff=not sent",
                       "Yempty="};
    RunToEnd(page);
    EXPECT_EQ(Output(),
              (std::vector<std::string>{"5", "[one]", "[two  words ]", "[say \"hi\" it's]",
                                        "[C:\\dir\\ \\\"x\\\"]", "[]"}));

    // Sent as a query, the form string is one argument.
    page.FormSendType = fstGet;
    Client.Finished = 0;
    RunToEnd(page);
    EXPECT_EQ(Output(), (std::vector<std::string>{"1", "[" + FormString(page.FormFields) + "]"}));
}

TEST_F(ScriptRunTest, PostedFieldsGiveAPhpScriptTheLengthAndTheBodyOnce) {
    if (Php.empty()) GTEST_SKIP() << "php is not installed";
    TRunPageInfo page = Page(
        TLanguage::PHP, "post.php",
        "<?php\n$n = (int)getenv('CONTENT_LENGTH');\n"
        "$body = $n > 0 ? fread(STDIN, $n) : '';\n"
        "stream_set_blocking(STDIN, false);\nusleep(400000);\n"
        "$rest = stream_get_contents(STDIN);\n"
        "echo 'LEN=', $n, \"\\n\", 'BODY=', $body, \"\\n\", 'REST=', json_encode($rest), \"\\n\";\n"
        "echo 'M=', getenv('REQUEST_METHOD'), ' T=', getenv('CONTENT_TYPE'), \"\\n\";\n"
        "echo 'Q=', var_export(getenv('QUERY_STRING'), true), \"\\n\";\n");
    page.FormSendType = 3;
    page.FormFields = {"Yname=Ann & Bob", "Ysize=3.5"};
    RunToEnd(page);
    EXPECT_EQ(Output(), (std::vector<std::string>{
                            "LEN=29", "BODY=name=Ann%20%26%20Bob&size=3.5", "REST=\"\\n\"",
                            "M=POST T=application/x-www-form-urlencoded", "Q=''"}));
    EXPECT_EQ(Form().PostData(), "name=Ann%20%26%20Bob&size=3.5");
    EXPECT_TRUE(Form().PostDataSent());
}

TEST_F(ScriptRunTest, BatchFilesRunInTheSystemShell) {
    ScopedEnv noComspec("COMSPEC", "");
    TRunPageInfo page = Page(TLanguage::Batch, "job.bat", "echo \"args:$1\"\n");
    page.FormSendType = 4;
    page.FormFields = {"Yfirst=one", "Nsecond=two"};
    RunToEnd(page);
    EXPECT_EQ(Output(), std::vector<std::string>{"args:one"});
}

TEST_F(ScriptRunTest, AShellScriptRunsInTheShellItsFirstLineNames) {
    if (!std::filesystem::exists("/bin/bash")) GTEST_SKIP() << "bash is not installed";
    ScopedEnv noComspec("COMSPEC", "");
    // [[ ]] and arrays are bash's own: the system's sh (dash) stops at them.
    const TRunPageInfo page = Page(TLanguage::Batch, "job.sh",
                                   "#!/bin/bash\nwords=(a b)\n[[ ${#words[@]} == 2 ]] && "
                                   "echo \"bash:${words[1]}\"\n");
    RunToEnd(page);
    EXPECT_EQ(Output(), std::vector<std::string>{"bash:b"});
}

TEST_F(ScriptRunTest, MissingOrUnusableInterpretersAreReportedNotRun) {
    Project->setPerlCompilerPath(Dir.File("no/perl"));
    const TRunPageInfo page = Page(TLanguage::Perl, "a.pl", "print 1;\n");
    EXPECT_FALSE(ToolPathsPresent(TLanguage::Perl, Project->RunSettings(), ""));
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_EQ(Prompt.Records()[0].Text,
              "Compiler / Tools Executable Path missing. Check in Project Settings.");
    EXPECT_EQ(Prompt.Records()[0].Kind, PromptKind::Error);
    EXPECT_TRUE(
        SyntaxCheckScript(Form().Console(), Project->RunSettings(), page, FixedNow).empty());
    EXPECT_TRUE(ToolPathsPresent(TLanguage::Batch, Project->RunSettings(), ""));

    // A file that is there but cannot be started: the start fails with the command line, and
    // the window is idle again.
    const std::string notExecutable = Dir.File("perl-copy");
    WriteBytes(notExecutable, "not a program");
    Project->setPerlCompilerPath(notExecutable);
    const TRunRequest run = PlainRunRequest(Project->RunSettings(), page);
    try {
        Form().StartRunning(run, &Client);
        FAIL() << "the start should fail";
    } catch (const handledException& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to execute " + run.Start.Command.Text());
    }
    EXPECT_EQ(Form().Status(), dsIdle);
    EXPECT_EQ(Form().RunPage(), nullptr);
    EXPECT_FALSE(Form().TimerActive());
    EXPECT_TRUE(Form().DebugActions().RunToText);
    EXPECT_TRUE(Form().Console().sessionFinished());

    EXPECT_THROW(PlainRunRequest(Project->RunSettings(), Page(TLanguage::HTML, "a.html", "<p>")),
                 handledException);
}

// True once the process is gone or only a zombie waiting to be reaped.
bool ProcessEnded(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return true;
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

TEST_F(ScriptRunTest, ProgramResetEndsAScriptThatNeverEndsWithItsChildren) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const TRunPageInfo page = Page(TLanguage::Perl, "forever.pl",
                                   "$| = 1;\nmy $child = fork();\n"
                                   "if ($child == 0) { exec('sleep', '1000'); }\n"
                                   "print \"$$ $child\\n\";\nsleep 1000;\n");
    Form().StartRunning(PlainRunRequest(Project->RunSettings(), page), &Client);
    EXPECT_EQ(Form().Status(), dsRunning);
    EXPECT_EQ(Form().DebugCaption(), " [Running]");
    EXPECT_TRUE(Form().TimerActive());
    EXPECT_TRUE(Form().DebugActions().ProgramReset);
    EXPECT_FALSE(Form().DebugActions().RunToText);
    ASSERT_TRUE(WaitUntil([&] { return !Output().empty(); }));

    pid_t script = 0;
    pid_t child = 0;
    ASSERT_EQ(std::sscanf(Output()[0].c_str(), "%d %d", &script, &child), 2) << Output()[0];
    WaitUntil([] { return false; }, 1200); // a few ticks: the program keeps running
    EXPECT_EQ(Client.Finished, 0);
    EXPECT_FALSE(ProcessEnded(child));

    Form().ProgramReset();
    EXPECT_EQ(Client.Finished, 1);
    EXPECT_EQ(Form().Status(), dsIdle);
    EXPECT_TRUE(Form().Console().sessionFinished());
    EXPECT_TRUE(ProcessEnded(script));
    EXPECT_TRUE(WaitUntil([&] { return ProcessEnded(child); }, 5000))
        << "the script's child lives on";
}

} // namespace
} // namespace korvane::test
