// The module installer against a private mirror with real cpanm: the lists it shows, the
// command lines it runs, and the message each outcome of the module manager gives.
#include "exec/debug_form.h"
#include "model/global_settings.h"
#include "module_mirror.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "scripted_prompt.h"
#include "services/module_installer.h"
#include "storage/name_value.h"
#include "storage/section_list.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace korvane {
namespace {

using test::ModuleMirror;

TEST(ModuleInstallerTexts, VersionsCompareAsNumbers) {
    struct Case {
        const char* A;
        const char* B;
        int Order;
    };
    const Case cases[] = {{"5.36.0", "5.8", 1},  {"5.8.0", "5.8", 0},   {"5.6.1", "5.8.0", -1},
                          {"5.10", "5.9.5", 1},  {"v5.36.0", "5.8", 1}, {"", "5.8", -1},
                          {"5.8.0_01", "5.8", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.A) + " vs " + c.B);
        EXPECT_EQ(CompareVersions(c.A, c.B), c.Order);
        EXPECT_EQ(CompareVersions(c.B, c.A), -c.Order);
    }
}

TEST(ModuleInstallerTexts, ResultLinesBecomeColumnsAndEntriesNameTheirModule) {
    EXPECT_EQ(ReformatResultLine("Tk [804.027] a toolkit"),
              "Tk" + std::string(23, ' ') + "[804.027] a toolkit");
    EXPECT_EQ(ReformatResultLine("  A::Very::Long::Module::Name::Here [1.2] x"),
              "A::Very::Long::Module::Na    [1.2] x");
    EXPECT_EQ(ReformatResultLine("X [2010.1234567]"), "X" + std::string(24, ' ') + ".1234567]");
    EXPECT_EQ(ModuleOfEntry("Foo::Bar                    [1.00] Foo-Bar-1.00"), "Foo::Bar");
    EXPECT_EQ(ModuleOfEntry("a line without a version"), "");
}

class ModuleInstallerTest : public ::testing::Test {
protected:
    ModuleInstallerTest()
        : KorvaneHome("KORVANE_HOME", Mirror.File("korvane")),
          Config("XDG_CONFIG_HOME", Mirror.File("config")) {}

    void SetUp() override {
        if (!ModuleMirror::ToolsInstalled()) GTEST_SKIP() << "perl and cpanm are not installed";
        std::filesystem::create_directories(Mirror.File("korvane/tools"));
        std::filesystem::copy_file(ModuleMirror::Adapter(), Mirror.File("korvane/tools/ppm"));
        CreateSectionList();
        Settings = std::make_unique<TGlobalSettings>();
        Debugger = std::make_unique<TDebugForm>();
        Project = std::make_unique<TKorProject>(*Settings, Debugger->Console());
        Project->setPerlCompilerPath(ModuleMirror::Perl());
        // The mirror and the local::lib reach the manager as project variables, as a user
        // would set them.
        std::vector<std::string> variables;
        for (const std::string& line : Mirror.Environment())
            if (NamePart(line) != "PATH") variables.push_back("Y" + line);
        Project->setProjectEnvVars(variables);
        Installer = std::make_unique<TModuleInstaller>(
            [this] { return Project->ModuleInstallerSettings(); }, Debugger->Console());
    }

    ~ModuleInstallerTest() override {
        Installer.reset();
        Project.reset();
        FreeSectionList();
    }

    std::vector<std::string> Shown() {
        std::vector<std::string> texts = Prompt.TextsShown();
        Prompt.ClearRecords();
        return texts;
    }
    std::string Entry(const std::string& module) {
        std::string pattern = module;
        std::vector<std::string> entries;
        EXPECT_TRUE(Installer->SearchCPAN(pattern, entries));
        for (const std::string& entry : entries)
            if (ModuleOfEntry(entry) == module) return entry;
        return {};
    }

    ModuleMirror Mirror;
    test::ScopedEnv KorvaneHome;
    test::ScopedEnv Config;
    test::ScriptedPrompt Prompt;
    std::unique_ptr<TGlobalSettings> Settings;
    std::unique_ptr<TDebugForm> Debugger;
    std::unique_ptr<TKorProject> Project;
    std::unique_ptr<TModuleInstaller> Installer;
};

TEST_F(ModuleInstallerTest, ManagerRunsWithTheProjectsPerlAndKeepsTheUsersLibraries) {
    EXPECT_EQ(Installer->ToolCommand({"search", "*"}).Text(),
              "\"/usr/bin/perl\" \"" + ProgramFolder() + "tools/ppm\" search *");
    const std::vector<std::string> env = Installer->ManagerEnvironment();
    EXPECT_EQ(GetValue(env, "PERL5LIB"),
              ProgramFolder() + "tools/:" + Mirror.LocalLib() + "/lib/perl5");
    EXPECT_EQ(GetValue(env, "KORVANE_CPAN_MIRROR"), Mirror.MirrorUrl());
}

TEST_F(ModuleInstallerTest, SearchInstallUpgradeAndRemoveReportEachOutcome) {
    Mirror.Publish({"Foo::Bar=1.00", "Foo::Baz=2.5", "Korvane::Broken=0.01:broken"});
    std::string module;
    std::vector<std::string> entries;
    ASSERT_TRUE(Installer->SearchCPAN(module, entries));
    EXPECT_EQ(module, "*");
    EXPECT_EQ(entries,
              (std::vector<std::string>{
                  "Foo::Bar" + std::string(17, ' ') + "   [1.00] Foo-Bar-1.00",
                  "Foo::Baz" + std::string(17, ' ') + "    [2.5] Foo-Baz-2.5",
                  "Korvane::Broken" + std::string(10, ' ') + "   [0.01] Korvane-Broken-0.01"}));
    module = "No::Such";
    EXPECT_FALSE(Installer->SearchCPAN(module, entries));
    EXPECT_EQ(Shown(), std::vector<std::string>{"Nothing found."});

    // Only a selected entry is installed; a typed name is not enough.
    Installer->Install("");
    EXPECT_EQ(Shown(), std::vector<std::string>{"Select an item from the list first."});
    const std::string fooBar = Entry("Foo::Bar");
    Installer->Install(fooBar);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Finished."});
    Installer->Install(fooBar);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Module already installed."});
    Installer->Install("Not::There  [1.0]");
    EXPECT_EQ(Shown(), std::vector<std::string>{"Module not found on CPAN."});

    // A failed build is a failure, not "Finished.".
    Installer->Install(Entry("Korvane::Broken"));
    std::vector<std::string> shown = Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("Failed to install Korvane::Broken: Configure failed", 0), 0u)
        << shown[0];

    module = "foo::b";
    ASSERT_TRUE(Installer->SearchLocal(module, entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].substr(0, 34), "Foo::Bar" + std::string(17, ' ') + "   [1.00]");
    module = "No::Such";
    EXPECT_FALSE(Installer->SearchLocal(module, entries));
    EXPECT_EQ(Shown(), std::vector<std::string>{"No matches searching for \"No::Such\""});

    Mirror.Publish({"Foo::Bar=1.10"});
    Installer->Upgrade("Foo::Bar", "", false);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Select an item from the list first."});
    Installer->Upgrade("", fooBar, false);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Upgrade completed."});
    Installer->Upgrade("", fooBar, false);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Module is already up-to-date"});
    EXPECT_TRUE(Installer->SearchLocal(module = "Foo::Bar", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].find("[1.10]"), std::string::npos) << entries[0];

    Installer->Remove(fooBar);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Finished."});
    EXPECT_FALSE(std::filesystem::exists(Mirror.LocalLib() + "/lib/perl5/Foo/Bar.pm"));
    Installer->Remove(fooBar);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Module has already been removed."});
    Installer->Upgrade("", fooBar, false);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Module has not yet been installed."});
}

TEST_F(ModuleInstallerTest, UpgradeOfEverythingAsksFirstAndAMirrorOutOfReachIsReported) {
    Mirror.Publish({"Foo::Bar=1.00"});
    Prompt.QueueAnswer(pbCancel);
    Installer->Upgrade("", "", false);
    Prompt.QueueAnswer(pbOK);
    Installer->Upgrade("", "", true);
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "No modules specified. Upgrade all out-of-date modules?",
                           "No modules specified. Upgrade all modules?", "No action taken."}));

    std::vector<std::string> variables = Project->ProjectEnvVars();
    variables.push_back("YKORVANE_CPAN_MIRROR=file://" + Mirror.File("gone/"));
    Project->setProjectEnvVars(variables);
    std::string module = "Foo";
    std::vector<std::string> entries{"kept"};
    EXPECT_FALSE(Installer->SearchCPAN(module, entries));
    Installer->Install("Foo::Bar [1.00]");
    Installer->Upgrade("", "Foo::Bar [1.00]", false);
    EXPECT_EQ(Shown(), std::vector<std::string>(
                           3, "Could not locate server - Internet available? Proxy settings?"));
    EXPECT_EQ(entries, std::vector<std::string>{"kept"});
}

TEST_F(ModuleInstallerTest, WithoutAModuleManagerOrWithABusyConsoleNothingRuns) {
    std::filesystem::remove(Mirror.File("korvane/tools/ppm"));
    std::string module;
    std::vector<std::string> entries;
    EXPECT_FALSE(Installer->SearchCPAN(module, entries));
    EXPECT_FALSE(Installer->SearchLocal(module, entries));
    Installer->Install("");
    Installer->Remove("Foo [1]");
    Installer->Upgrade("", "", false);
    EXPECT_TRUE(Shown().empty());

    std::filesystem::copy_file(ModuleMirror::Adapter(), Mirror.File("korvane/tools/ppm"));
    TConsoleController& console = Debugger->Console();
    console.startSession({TCommandLine("/usr/bin/perl").Add("-e").Add("sleep 30"), "", {}}, nullptr,
                         true);
    EXPECT_FALSE(Installer->SearchCPAN(module, entries));
    Installer->Install("Foo [1]");
    ASSERT_EQ(Shown().size(), 2u);
    EXPECT_FALSE(console.sessionFinished()); // the user's program was left alone
    console.endSession();
}

} // namespace
} // namespace korvane
