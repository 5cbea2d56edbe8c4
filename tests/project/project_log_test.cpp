// The project log: a new log and the settings report written into it, the file it may use,
// and the console's log switches.
#include "exec/console_controller.h"
#include "platform/os_version.h"
#include "project_fixture.h"
#include "services/mysql_controller.h"
#include "storage/program_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

namespace korvane {
namespace {

using test::ReadBytes;
using test::WriteBytes;

// FixedNow as the log writes it.
constexpr const char* Stamp = "Tue, 09 Dec 2025 12:00:00 : ";

class ProjectLogTest : public test::ProjectTest {
protected:
    ProjectLogTest() {
        Project->setLogFileName(Dir.File("korvane.log"));
        Project->setPerlCompilerPath("/usr/bin/perl");
    }
    void AllInfoOff() {
        for (auto set : {&TKorProject::setLogInfoFullProject, &TKorProject::setLogInfoPerlVersion,
                         &TKorProject::setLogInfoAdvPerlInfo, &TKorProject::setLogInfoMySQL,
                         &TKorProject::setLogInfoWebServer, &TKorProject::setLogInfoEnvVars,
                         &TKorProject::setLogInfoWinVer, &TKorProject::setLogInfoKorvaneVer,
                         &TKorProject::setLogInfoTempDir})
            ((*Project).*set)(false);
    }
    std::string Log() const { return ReadBytes(Dir.File("korvane.log")); }
    bool LogHasLine(const std::string& text) const {
        return Log().find(Stamp + text + "\r\n") != std::string::npos;
    }
};

TEST_F(ProjectLogTest, NewLogWithEveryBlockOffHoldsOnlyItsFirstLineAndLaterLinesFollow) {
    AllInfoOff();
    WriteBytes(Dir.File("korvane.log"), std::string(Stamp) + "an old line\r\n");
    ASSERT_FALSE(Project->LoggingIsOn());
    Project->CreateNewLog();
    EXPECT_EQ(Log(), std::string(Stamp) + "**NEW LOG STARTED\r\n");
    // The log's file stays set although logging is off.
    WriteLogLine("after");
    EXPECT_EQ(Log(), std::string(Stamp) + "**NEW LOG STARTED\r\n" + Stamp + "after\r\n");
}

TEST_F(ProjectLogTest, PerlBlocksComeFromRealPerlWithoutTheirRunsBeingLogged) {
    if (!std::filesystem::exists("/usr/bin/perl")) GTEST_SKIP() << "perl is not installed";
    AllInfoOff();
    Project->setLogInfoPerlVersion(true);
    Project->setLogInfoAdvPerlInfo(true);
    Project->setLoggingIsOn(true); // with every console switch on
    Project->CreateNewLog();
    const std::string log = Log();
    const std::string perlInfo = std::string(Stamp) + "**PERL INFO: \r\n\r\nThis is perl 5";
    EXPECT_NE(log.find(perlInfo), std::string::npos) << log.substr(0, 300);
    EXPECT_NE(
        log.find("\r\n\r\n" + std::string(Stamp) + "**ADVANCED PERL INFO: \r\nSummary of my perl5"),
        std::string::npos);
    EXPECT_NE(log.find(std::string(Stamp) + "**PPM Path: "), std::string::npos);
    EXPECT_EQ(log.find("**PROGRAM START"), std::string::npos) << "the report's runs are quiet";
    EXPECT_EQ(log.find("**Output"), std::string::npos);
    // Every line break is CR LF.
    for (size_t at = log.find('\n'); at != std::string::npos; at = log.find('\n', at + 1))
        ASSERT_EQ(log[at - 1], '\r') << "at byte " << at;
    EXPECT_FALSE(Debugger->Console().Quiet);
}

TEST_F(ProjectLogTest, ConsoleLogsRunsOnceTheProjectHandsItsSwitchesOver) {
    if (!std::filesystem::exists("/usr/bin/perl")) GTEST_SKIP() << "perl is not installed";
    TConsoleController& console = Debugger->Console();
    Project->setLogConsoleIncludeStdErr(false);
    Project->setLoggingIsOn(true);
    EXPECT_TRUE(console.LoggingOn && console.LogStartStop && console.LogOutput && console.LogInput);
    EXPECT_FALSE(console.LogError);
    console.executeSession(
        {TCommandLine("/usr/bin/perl").Add("-e").AddQuoted("print qq{out\\n}; warn qq{err\\n}"),
         "",
         {}},
        true, 5, 5);
    console.endSession();
    EXPECT_TRUE(
        LogHasLine("**PROGRAM START: \"/usr/bin/perl\" -e \"print qq{out\\n}; warn qq{err\\n}\""));
    EXPECT_NE(Log().find(std::string(Stamp) + "**Output: out\n"), std::string::npos) << Log();
    EXPECT_EQ(Log().find("**Error"), std::string::npos);
    EXPECT_NE(Log().find("**PROGRAM TERMINATION: "), std::string::npos);

    Project->setLoggingIsOn(false);
    EXPECT_FALSE(console.LoggingOn);
    EXPECT_TRUE(LogFile.empty());
}

TEST_F(ProjectLogTest, ReportShowsSettingsPagesAndPasswordsOnlyAsYesOrNo) {
    AllInfoOff();
    Project->setLogInfoFullProject(true);
    Project->setLogInfoWinVer(true);
    Project->setLogInfoTempDir(true);
    Project->setLogInfoEnvVars(true);
    Project->setTempPath(Dir.File("emptytemp/"));
    std::filesystem::create_directories(Dir.File("emptytemp"));
    Project->setProjectEnvVars({"YAPP_MODE=test", "NOFF=1"});
    Project->setFtpPassword("ftp-s3cret");
    Project->MySql().setUserLogin("kuser");
    Project->MySql().setUserPassword("user-s3cret");
    Project->MySql().setRootPassword("");
    Project->setSearchHistory({"alpha", "beta"});
    WriteBytes(Dir.File("gone.pl"), "print 1;\n");
    TProjectPage& gone = Project->Add(Dir.File("gone.pl"), true);
    std::filesystem::remove(gone.FileName());
    WriteBytes(Dir.File("here.pl"), "print 2;\n");
    Project->Add(Dir.File("here.pl"), true);
    Project->CreateNewLog();

    const std::string log = Log();
    EXPECT_EQ(log.find("s3cret"), std::string::npos);
    for (const std::string& line :
         std::vector<std::string>{"  1 : Y : APP_MODE=test",
                                  "  2 : N : OFF=1",
                                  "   Use only key env vars: Y",
                                  "**Windows Version Info...",
                                  "**FULL PROJECT Settings Info...",
                                  "<Identification>",
                                  "         Creation Date: Tue, 09 Dec 2025 12:00:00",
                                  "         Perl Warnings: Selective",
                                  "             Password?: Y",
                                  "            User Logon: kuser",
                                  "        Root Password?: N",
                                  " *      Search History: alpha",
                                  " *      Search History: beta",
                                  "          Search Scope: From Cursor",
                                  "  Log Korvane Vsn Info: N",
                                  " Log Transient Updates: N",
                                  "#Editor Files in Project: 2",
                                  "              Filename: " + Dir.File("gone.pl"),
                                  "*** Warning - File not found ***",
                                  "              Filename: " + Dir.File("here.pl"),
                                  "          File Attribs: None",
                                  "   Temporary File Path: No Files Found"})
        EXPECT_TRUE(LogHasLine(line)) << line;
    // Both password lines of the MySQL block and the FTP one.
    size_t passwordLines = 0;
    for (size_t at = log.find("Password?: "); at != std::string::npos;
         at = log.find("Password?: ", at + 1))
        ++passwordLines;
    EXPECT_EQ(passwordLines, 3u);
    const TOsVersion os = OsVersion();
    EXPECT_TRUE(LogHasLine("     Major: " + std::to_string(os.Major)));
    EXPECT_TRUE(LogHasLine("  Platform: Linux [" + os.Machine + "]"));
    // The last page's block ends the report before the temporary folder's line.
    EXPECT_LT(log.find("Filename: " + Dir.File("here.pl")), log.find("No Files Found"));
}

TEST_F(ProjectLogTest, AFileThatIsNoLogIsNeitherDeletedNorWrittenTo) {
    AllInfoOff();
    const std::string precious = "[user]\n\tname = someone\n";
    WriteBytes(Dir.File("korvane.log"), precious);
    Project->CreateNewLog();
    Project->setLoggingIsOn(true);
    WriteLogLine("must not land");
    EXPECT_EQ(Log(), precious);
    EXPECT_TRUE(LogFile.empty());
    const std::vector<std::string> shown = Prompt.TextsShown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0].find("is not a Korvane log"), std::string::npos) << shown[0];
}

TEST(OsVersion, KernelReleaseGivesTheNumbers) {
    const std::pair<const char*, std::array<int, 3>> cases[] = {
        {"6.1.0-18-amd64", {6, 1, 0}},
        {"5.15.153.1-microsoft-standard-WSL2", {5, 15, 153}},
        {"6.8", {6, 8, 0}},
        {"", {0, 0, 0}},
    };
    for (const auto& [release, numbers] : cases) {
        TOsVersion version;
        ParseKernelRelease(release, version);
        EXPECT_EQ((std::array<int, 3>{version.Major, version.Minor, version.Build}), numbers)
            << release;
    }
}

} // namespace
} // namespace korvane
