// Tool locations after a load, PHP's configuration and the values derived from the tools.
#include "project_fixture.h"

#include "exec/console_controller.h"
#include "model/check_list.h"
#include "platform/program_folder.h"
#include "project/ini_file.h"
#include "services/mysql_controller.h"

#include <cstdio>
#include <filesystem>

namespace korvane::test {
namespace {

class ToolLocationTest : public ProjectTest {
protected:
    ToolLocationTest() {
        std::filesystem::create_directories(Dir.File("sys"));
        ToolFolders = {Dir.File("sys")};
        Project->Tools().SystemToolFolders = ToolFolders;
    }

    // An executable stand-in for a tool.
    std::string Tool(const std::string& relative) {
        const std::string path = Dir.File(relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteBytes(path, "#!/bin/sh\nexit 0\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
};

TEST_F(ToolLocationTest, ALoadWelcomesTheFoundPerlOnceAndStoresIt) {
    const std::string perl = Tool("sys/perl");
    Project->SaveToFile(DefaultProjectFile());
    Prompt.ClearRecords();

    auto loaded = NewProject();
    loaded->LoadFromFile(DefaultProjectFile());
    ASSERT_EQ(Prompt.TextsShown(),
              std::vector<std::string>{"Welcome to Korvane.\nUsing default Perl compiler at \"" +
                                       perl + "\""});
    EXPECT_EQ(Prompt.Records()[0].Kind, PromptKind::Information);
    EXPECT_EQ(loaded->PerlCompilerPath(), perl);
    EXPECT_TRUE(Settings->getPerlCompilerDlgAgain()) << "a successful check turns the notice on";

    // The default project was saved with the path, so the next load is silent.
    Prompt.ClearRecords();
    auto again = NewProject();
    again->LoadFromFile(DefaultProjectFile());
    EXPECT_TRUE(Prompt.TextsShown().empty());
    EXPECT_EQ(again->PerlCompilerPath(), perl);
}

TEST_F(ToolLocationTest, AMissingPerlIsOfferedTheDefaultAndNoKeepsIt) {
    const std::string perl = Tool("sys/perl");
    const std::string gone = Dir.File("gone/bin/perl");
    Project->setPerlCompilerPath(gone);
    Prompt.QueueAnswer(pbNo);
    Project->CheckPerlPath();
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_EQ(Prompt.Records()[0].Text, "Perl Compiler at \"" + gone +
                                            "\" is missing.\nUse Default location at \"" + perl +
                                            "\"?");
    EXPECT_EQ(Prompt.Records()[0].Buttons, pbYes | pbNo);
    EXPECT_EQ(Project->PerlCompilerPath(), gone);

    Prompt.QueueAnswer(pbYes);
    Project->CheckPerlPath();
    EXPECT_EQ(Project->PerlCompilerPath(), perl);
    EXPECT_FALSE(std::filesystem::exists(DefaultProjectFile()))
        << "only the default project is saved";
}

TEST_F(ToolLocationTest, NoPerlAnywhereShowsTheInstallNoticeUntilSilenced) {
    Settings->setPerlCompilerDlgAgain(true);
    Prompt.QueueTick(false);
    Prompt.QueueAnswer(pbOK);
    Project->CheckPerlPath();
    EXPECT_EQ(Prompt.TextsShown(),
              std::vector<std::string>{"Perl Compiler missing. Do you wish to see download / "
                                       "installation instructions for ActivePerl?"});
    EXPECT_EQ(Host.HelpTopics, std::vector<std::string>{"contents/install/activeperl"});
    EXPECT_FALSE(Settings->getPerlCompilerDlgAgain());
    EXPECT_EQ(Project->PerlCompilerPath(), "");

    Prompt.ClearRecords();
    Project->CheckPerlPath();
    EXPECT_TRUE(Prompt.TextsShown().empty()) << "a silenced notice stays away";
    EXPECT_EQ(Host.HelpTopics.size(), 1u);
}

TEST_F(ToolLocationTest, PhpIsWelcomedAndItsIniPreparedFromTheTemplate) {
    const std::string php = Tool("sys/php");
    WriteBytes(Dir.File("sys/php.ini-development"),
               "; template\n[PHP]\nengine = On\nregister_argc_argv = Off\n\n[Date]\ndate.timezone "
               "= UTC\n");
    Project->SaveToFile(DefaultProjectFile()); // the first start's project welcomes
    Prompt.ClearRecords();
    Project->CheckPhpPath();
    EXPECT_EQ(Prompt.TextsShown(),
              std::vector<std::string>{"Welcome to Korvane.\nUsing default PHP tools at \"" + php +
                                       "\""});
    EXPECT_EQ(Project->PhpCompilerPath(), php);
    EXPECT_EQ(ReadBytes(PhpIniPath()),
              "; template\n[PHP]\nengine = On\nregister_argc_argv=On\ncgi.force_redirect=0\n"
              "\n[Date]\ndate.timezone = UTC\n")
        << "register_globals is never written: today's PHP would not start";

    // Values already right, in any case, are left as they are.
    WriteBytes(PhpIniPath(), "[PHP]\nregister_globals = on\ncgi.force_redirect=0\n"
                             "register_argc_argv=\"ON\"\n");
    Project->SetupPhp();
    EXPECT_EQ(ReadBytes(PhpIniPath()), "[PHP]\nregister_globals = on\ncgi.force_redirect=0\n"
                                       "register_argc_argv=\"ON\"\n");
}

TEST_F(ToolLocationTest, PhpIniIsNeverTouchedWithAutoSetupOffAndFailuresAreReported) {
    const std::string php = Tool("sys/php");
    Project->setAutoSetupPhp(false);
    Project->setPhpCompilerPath(php);
    Project->SetupPhp();
    EXPECT_FALSE(std::filesystem::exists(PhpIniPath()));

    Project->setAutoSetupPhp(true);
    std::filesystem::create_directories(PhpIniPath()); // cannot be written
    EXPECT_THROW(Project->SetupPhp(), handledException);
}

TEST_F(ToolLocationTest, MySqlNeedsTheClientAndTheAdminToolInItsFolder) {
    Tool("sys/mysql");
    Project->CheckMySqlPath();
    EXPECT_EQ(Project->MySql().BinPath(), "") << "a folder without mysqladmin is no MySQL folder";
    EXPECT_TRUE(Prompt.TextsShown().empty());

    Tool("sys/mysqladmin");
    Project->CheckMySqlPath();
    // A project of the user's own: the tools are taken with a notice; the welcome was the
    // default project's, at the first start.
    EXPECT_TRUE(Prompt.TextsShown().empty());
    EXPECT_EQ(Host.Notices,
              std::vector<std::string>{"Using default MySQL tools at \"" + Dir.File("sys") + "\""});
    EXPECT_EQ(Project->MySql().BinPath(), Dir.File("sys"));
}

TEST_F(ToolLocationTest, OnlyTheDefaultProjectWelcomesOtherProjectsTakeTheToolsQuietly) {
    const std::string perl = Tool("sys/perl");
    const std::string other = Dir.File("other.kvp");
    Project->SaveToFile(other); // names no interpreter
    Project->SaveToFile(DefaultProjectFile());
    Prompt.ClearRecords();

    auto first = NewProject();
    first->LoadFromFile(DefaultProjectFile());
    EXPECT_EQ(Prompt.TextsShown().size(), 1u) << "the first start's welcome";

    Prompt.ClearRecords();
    Host.Notices.clear();
    first->LoadFromFile(other);
    EXPECT_TRUE(Prompt.TextsShown().empty()) << "no welcome on opening a project";
    EXPECT_EQ(first->PerlCompilerPath(), perl);
    EXPECT_EQ(Host.Notices,
              std::vector<std::string>{"Using default Perl compiler at \"" + perl + "\""});
}

TEST_F(ToolLocationTest, ADeletedTempFolderFallsBackToTheProgramsOwn) {
    std::filesystem::create_directories(Dir.File("scratch"));
    Project->setTempPath(Dir.File("scratch"));
    std::filesystem::remove_all(Dir.File("scratch"));
    Project->CheckTempPath();
    EXPECT_EQ(Project->TempPath(), ProgramFolder() + "temp/");

    std::filesystem::remove_all(ProgramFolder() + "temp");
    Project->setTempPath(Dir.File("scratch"));
    Project->CheckTempPath();
    EXPECT_EQ(Project->TempPath(), Dir.File("scratch") + "/") << "nothing better exists";
}

TEST_F(ToolLocationTest, CompilerFlagsAndPathsDerivedFromTheInterpreters) {
    Project->setPerlWarnings(0);
    Project->setTaintMode(true);
    EXPECT_EQ(Project->AllCompilerFlags(), "-X -T");
    Project->setPerlWarnings(2);
    Project->setTaintMode(false);
    EXPECT_EQ(Project->AllCompilerFlags(), "-W");

    Project->setPerlCompilerPath(Tool("perl5/bin/perl"));
    EXPECT_EQ(Project->PPMpath(), "") << "no module manager anywhere";
    const std::string adapter = Tool("home/tools/ppm");
    EXPECT_EQ(Project->PPMpath(), adapter);
    EXPECT_EQ(Project->PPMpath(), ProgramFolder() + "tools/ppm");
    const std::string beside = Tool("perl5/bin/ppm");
    EXPECT_EQ(Project->PPMpath(), beside);

    std::filesystem::create_directories(Dir.File("perl5/html"));
    WriteBytes(Dir.File("perl5/html/index.html"), "<html/>");
    EXPECT_EQ(Project->ActivePerlHelp(), Dir.File("perl5/html/index.html"));

    Project->setAutoSetupPhp(false);
    Project->setPhpCompilerPath(Tool("php5/php"));
    EXPECT_EQ(Project->PhpHelpPath(), "");
    std::filesystem::create_directories(Dir.File("php5/docs"));
    WriteBytes(Dir.File("php5/docs/php_manual_en.chm"), "x");
    EXPECT_EQ(Project->PhpHelpPath(), Dir.File("php5/docs/php_manual_en.chm"));
}

TEST_F(ToolLocationTest, PerlVersionAsksTheRealInterpreter) {
    if (!std::filesystem::exists("/usr/bin/perl")) GTEST_SKIP() << "perl is not installed";
    Project->setPerlCompilerPath("/usr/bin/perl");
    const std::string version = Project->PerlVersion();
    // What the interpreter says of itself, as "5.x.y".
    std::string reported;
    if (FILE* pipe = ::popen("/usr/bin/perl -e 'printf \"%vd\", $^V'", "r")) {
        char chunk[64];
        while (std::fgets(chunk, sizeof chunk, pipe))
            reported += chunk;
        ::pclose(pipe);
    }
    ASSERT_TRUE(reported.starts_with("5.")) << reported;
    EXPECT_EQ(version, reported);

    Project->setPerlCompilerPath(Dir.File("nothing/perl"));
    EXPECT_EQ(Project->PerlVersion(), "");
}

TEST_F(ToolLocationTest, ClearingTheProjectEndsItsRunAndForgetsTheConsolesState) {
    TConsoleController& console = Debugger->Console();
    console.startSession({TCommandLine("/bin/sh").Add("-c").Add("echo started; exec sleep 30"),
                          Dir.Path().string(),
                          {"PATH=/usr/bin:/bin"}},
                         nullptr, true);
    while (console.OutputLines.Strings().empty() && !console.sessionFinished())
        console.Synchronize();
    ASSERT_FALSE(console.sessionFinished());
    console.InputQueue.push_back("left by the previous project");

    Project->Clear();
    EXPECT_TRUE(console.sessionFinished()) << "the previous project's program still runs";
    EXPECT_TRUE(console.OutputLines.Strings().empty());
    EXPECT_TRUE(console.InputQueue.empty());
}

TEST(CheckList, SwitchedOnLinesReplaceOrMergeByExactName) {
    const std::vector<std::string> source{"YPATH=/mine", "NHOME=/off", "Tpath=/lower", "1EMPTY="};
    std::vector<std::string> target{"PATH=/old", "KEEP=1"};
    CopyLiveCheckList(source, target, false);
    EXPECT_EQ(target, (std::vector<std::string>{"PATH=/mine", "KEEP=1", "path=/lower", "EMPTY="}));
    CopyLiveCheckList(source, target, true);
    EXPECT_EQ(target, (std::vector<std::string>{"PATH=/mine", "path=/lower", "EMPTY="}));
}

TEST(IniFile, KeysAreFoundInTheirSectionAndWrittenInPlace) {
    TempDir dir;
    const std::string ini = dir.File("a.ini");
    EXPECT_EQ(ReadIniString(ini, "PHP", "x", "dflt"), "dflt");
    WriteIniString(ini, "PHP", "x", "1");
    EXPECT_EQ(ReadBytes(ini), "[PHP]\nx=1\n");
    WriteBytes(ini,
               "[other]\nx = other\n; x = comment\n[php]\n;x=2\n X = \"quoted\" \r\n\n[last]\n");
    EXPECT_EQ(ReadIniString(ini, "PHP", "x", ""), "quoted");
    WriteIniString(ini, "PHP", "x", "3");
    WriteIniString(ini, "PHP", "y", "4");
    WriteIniString(ini, "New", "z", "5");
    EXPECT_EQ(ReadBytes(ini),
              "[other]\nx = other\n; x = comment\n[php]\n;x=2\nx=3\r\ny=4\n\n[last]\n"
              "\n[New]\nz=5\n");
}

} // namespace
} // namespace korvane::test
