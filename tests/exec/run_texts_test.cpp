// Form strings, message lines, HTML conversion and command states.
#include "exec/console_lines.h"
#include "exec/debug_actions.h"
#include "exec/error_filter.h"
#include "exec/interpreter_commands.h"
#include "model/form_fields.h"
#include "storage/html_convert.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(FormFields, SwitchedOnFieldsMakeTheFormAndParameterStrings) {
    const std::vector<std::string> fields{"Yname=John Smith", "Nage=3", "Ynote=a+b/c.d\xC3\xA9",
                                          "Yempty="};
    EXPECT_EQ(FormString(fields), "name=John%20Smith&note=a%2Bb%2Fc.d%C3%A9&empty=");
    using Words = std::vector<std::string>;
    EXPECT_EQ(ParamWords(fields), (Words{"John Smith", "a+b/c.d\xC3\xA9", ""}));
    EXPECT_EQ(FormString({"Yname=John Smith", "Nage=3"}), "name=John%20Smith");

    EXPECT_EQ(RunArguments(fstGet, {"Yname=John Smith"}), Words{"name=John%20Smith"});
    EXPECT_EQ(RunArguments(fstGetPost, {"Yx=1"}), Words{"x=1"});
    EXPECT_EQ(RunArguments(fstPost, {"Yx=1"}), Words{});
    EXPECT_EQ(RunArguments(fstNone, {"Yx=1"}), Words{});
    // Each value is one word, whatever blanks, quotes or backslashes it holds.
    EXPECT_EQ(RunArguments(fstParamsOnly, {"Yx=1", "Yy=two words", "Yq=say \"hi\" \\n"}),
              (Words{"1", "two words", "say \"hi\" \\n"}));
    EXPECT_EQ(RunArguments(fstGet, {"Nx=1"}), Words{}) << "no word without a form string";
}

TEST(ErrorFilter, LinesLoseTheScriptNameAndTimeStampsAndStopAtTheDebuggerEnd) {
    TConsoleLines errors;
    int page = 0;
    errors.AppendBytes(
        "syntax error at C:\\T\\TMP1.PL line 3, near x\n"
        "[Tue Dec  9 12:00:00 2025] : c:\\t\\tmp1.pl: died at c:\\t\\tmp1.pl line 7.\n"
        "\n"
        "  no line number here  \n"
        "Debugged program terminated.  Use q to quit\n"
        "after the end at line 9\n",
        &page);
    const auto messages =
        FilterErrorLines(errors, "c:\\t\\tmp1.pl", 46000.5, 46000.5 + 125.0 / 86400);
    ASSERT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages[0].Text, "Tue, 09 Dec 2025 12:00:00 - Program Started");
    EXPECT_EQ(messages[1].Text, "syntax error at  line 3, near x");
    EXPECT_EQ(messages[1].Object, &page);
    EXPECT_EQ(MessageLineNumber(messages[1].Text), 3);
    EXPECT_EQ(messages[2].Text, ": : died at  line 7.");
    EXPECT_EQ(MessageLineNumber(messages[2].Text), 7);
    EXPECT_EQ(messages[3].Text, "");
    EXPECT_EQ(messages[4].Text, "no line number here");
    EXPECT_EQ(MessageLineNumber(messages[4].Text), -1);
    EXPECT_EQ(messages[5].Text, "Tue, 09 Dec 2025 12:02:05 - Program Checkpoint (2m5s)");

    std::string line = "Default die handler restored.";
    EXPECT_FALSE(FilterErrorLine(line, "x"));
    line = "an empty script name removes nothing";
    EXPECT_TRUE(FilterErrorLine(line, ""));
    EXPECT_EQ(line, "an empty script name removes nothing");
}

// Error lines arriving in pieces of every size, a line split across pieces included: the
// list made by applying each update is what filtering all the lines at once makes, and each
// update keeps everything but the last line and the checkpoint.
TEST(RunMessages, UpdatesMakeWhatFilteringEverythingMakes) {
    const std::string stream = "warn 1 at /s/t.pl line 3.\n[Tue] : x at /s/t.pl line 4\n\n"
                               "a long warning that comes in many pieces\nshort\n"
                               "Debugged program terminated.  Use q to quit\nlost\n";
    for (const size_t piece : {1u, 2u, 7u, 1000u}) {
        TConsoleLines errors;
        TRunMessages messages;
        std::vector<TMessageLine> list;
        int tag = 0;
        for (size_t at = 0; at < stream.size(); at += piece) {
            errors.AppendBytes(std::string_view(stream).substr(at, piece), &tag);
            const size_t before = list.size();
            const TMessageUpdate update =
                messages.Update(errors, "/s/t.pl", 46000.5, 46000.6, list.size());
            if (at > 0) {
                EXPECT_GE(update.Keep + 2, before) << "piece " << piece << " at " << at;
            }
            list.resize(update.Keep);
            list.insert(list.end(), update.Added.begin(), update.Added.end());
            ASSERT_EQ(list, FilterErrorLines(errors, "/s/t.pl", 46000.5, 46000.6))
                << "piece " << piece << " at " << at;
        }
        EXPECT_EQ(list.size(), 7u)
            << "started, the five lines before the debugger's end, checkpoint";
    }

    // Lines emptied, or a list filled by something else, start the list again.
    TConsoleLines errors;
    TRunMessages messages;
    errors.AppendBytes("one\ntwo\n", nullptr);
    EXPECT_EQ(messages.Update(errors, "", 1, 1, 0).Keep, 0u);
    EXPECT_EQ(messages.Update(errors, "", 1, 1, 4).Keep, 3u) << "all but the checkpoint";
    errors.AppendBytes("three", nullptr);
    EXPECT_EQ(messages.Update(errors, "", 1, 1, 4).Keep, 3u) << "a new line";
    errors.AppendBytes(" more", nullptr);
    EXPECT_EQ(messages.Update(errors, "", 1, 1, 5).Keep, 3u) << "the last line again: it grew";
    EXPECT_EQ(messages.Update(errors, "", 1, 1, 9).Keep, 0u) << "the list was changed";
    errors.Clear();
    errors.AppendBytes("four\n", nullptr);
    const TMessageUpdate fresh = messages.Update(errors, "", 1, 1, messages.ShownCount());
    EXPECT_EQ(fresh.Keep, 0u);
    EXPECT_EQ(fresh.Added.size(), 3u);
}

TEST(ErrorFilter, MessagesNameTheFileBeforeTheirLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"syntax error at /w/lib/Bad.pm line 5, near \"sub {\"", "/w/lib/Bad.pm"},
        {"Compilation failed in require at  line 2.", ""}, // the script's own, cut out
        {"BEGIN failed--compilation aborted at lib/Bad.pm line 9.", "lib/Bad.pm"},
        {"Can't locate X.pm in @INC (@INC contains: /etc/perl) at /w/My Dir/a.pl line 3.",
         "/w/My Dir/a.pl"},
        {"PHP Parse error:  syntax error, unexpected end of file in /w/inc.php on line 7",
         "/w/inc.php"},
        {"died at (eval 3) line 1.", "(eval 3)"},
        {"no line number here", ""},
        {"line 4 alone", ""},
    };
    for (const auto& [text, file] : cases)
        EXPECT_EQ(MessageFileName(text), file) << text;
}

TEST(ErrorFilter, MissingModuleMessagesNameTheModuleToInstall) {
    const std::pair<const char*, const char*> cases[] = {
        {"Can't locate Foo/Bar.pm in @INC (you may need to install the Foo::Bar module) (@INC "
         "contains: /etc/perl) at  line 1.",
         "Foo::Bar"},
        {"Can't locate JSON.pm in @INC (@INC contains: .) at  line 2.", "JSON"},
        {"Can't locate Net/SSLeay2_x.pm in @INC", "Net::SSLeay2_x"},
        {"Can't locate config.pl in @INC (@INC contains: .) at  line 3.", ""},
        {"Can't locate ../evil.pm in @INC", ""},
        {"Can't locate Foo//Bar.pm in @INC", ""},
        {"Can't locate 9Lives.pm in @INC", ""},
        {"Can't locate object method \"new\" via package \"Foo\" at  line 4.", ""},
        {"BEGIN failed--compilation aborted at  line 1.", ""},
    };
    for (const auto& [line, module] : cases)
        EXPECT_EQ(MissingModuleOf(line), module) << line;
}

TEST(HtmlConversion, LineEndsBecomeBreaksAndEntitiesReplaceCharacters) {
    const TCharEntities entities{
        {"less [<]", " &lt; "}, {"amp [&] and [&]", "&amp;"}, {"blank [ ]", "&nbsp;"}};
    EXPECT_EQ(ConvertToHTML("a<b\r\nc&d", false, entities), "a&lt;b<br>\r\nc&amp;d");
    EXPECT_EQ(ConvertToHTML("x\ny", false, {}), "x<br>\ny") << "LF files keep their line ends";
    EXPECT_EQ(ConvertToHTML("a   b", false, entities), "a &nbsp;&nbsp;b");
    EXPECT_EQ(ConvertToHTML("a   b", false, {}), "a   b");
    EXPECT_EQ(ConvertToHTML("1\r2", true, entities), "<pre>1\r2</pre>");
}

TEST(DebugActions, CommandsFollowTheStatusAndThePages) {
    const auto perl = TLanguage::Perl;
    const TDebugActions idle = DebugActionsFor(dsIdle, false, std::nullopt, std::nullopt);
    EXPECT_TRUE(idle.Step && idle.CheckSyntax && idle.RunToText && idle.RunToBrowser &&
                idle.Continue && idle.ModInstall);
    EXPECT_FALSE(idle.ProgramReset || idle.Pause);

    const TDebugActions html = DebugActionsFor(dsIdle, false, TLanguage::HTML, std::nullopt);
    EXPECT_FALSE(html.Step || html.CheckSyntax || html.RunToText || html.Continue);
    EXPECT_TRUE(html.RunToBrowser);
    EXPECT_TRUE(DebugActionsFor(dsIdle, false, TLanguage::PHP, std::nullopt).CheckSyntax);
    EXPECT_TRUE(DebugActionsFor(dsIdle, false, TLanguage::SQL, std::nullopt).RunToText);

    const TDebugActions running = DebugActionsFor(dsRunning, false, perl, perl);
    EXPECT_TRUE(running.ProgramReset && running.Pause);
    EXPECT_FALSE(running.Step || running.CheckSyntax || running.RunToText || running.Continue ||
                 running.ModInstall);
    EXPECT_FALSE(DebugActionsFor(dsRunning, true, perl, perl).Pause) << "not for an output-tab run";

    const TDebugActions paused = DebugActionsFor(dsPaused, true, perl, perl);
    EXPECT_TRUE(paused.Step && paused.Continue && paused.ProgramReset);
    EXPECT_FALSE(paused.Pause || paused.RunToText);
}

TEST(InterpreterCommands, BatchFilesGoToComspecOrTheShell) {
    EXPECT_EQ(BatchRunCommand("", "/w/a.bat").Text(), "\"/bin/sh\" \"/w/a.bat\"");
    EXPECT_EQ(BatchRunCommand("/opt/cmd", "/w/a.bat").Text(), "\"/opt/cmd\" /C \"/w/a.bat\"");
}

} // namespace
} // namespace korvane
