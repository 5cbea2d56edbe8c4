#include "model/global_settings.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::ReadBytes;

namespace {

class GlobalSettingsTest : public ::testing::Test {
protected:
    test::TempDir Dir;
    test::ScopedEnv Config{"XDG_CONFIG_HOME", Dir.File("config")};
    std::string SettingsText() { return ReadBytes(Dir.File("config/Brannoq/Korvane.conf")); }
};

} // namespace

TEST_F(GlobalSettingsTest, AbsentValuesReadAsTheirDefaults) {
    TGlobalSettings settings;
    EXPECT_EQ(settings.getDefaultProject(), "");
    EXPECT_TRUE(settings.getPerlCompilerDlgAgain());
    EXPECT_TRUE(settings.getDetectFileAssoc());
    EXPECT_FALSE(settings.getUseProjects());
    EXPECT_FALSE(settings.getFileAssoc("pl"));
    EXPECT_TRUE(settings.getRunInTerminal());
}

TEST_F(GlobalSettingsTest, WritesOnlyRealChangesAndStoresBooleansAsMinusOneAndZero) {
    TGlobalSettings settings;
    settings.setLastFilePath("/home/u/Scripts");
    settings.setLastFilePath("/HOME/U/scripts"); // same ignoring case: not written
    EXPECT_EQ(settings.getLastFilePath(), "/home/u/Scripts");

    settings.setSqlDlgAgain(true); // absent default "T" equals true: stays absent
    EXPECT_EQ(SettingsText().find("SqlDlgAgain"), std::string::npos);
    settings.setSqlDlgAgain(false);
    EXPECT_NE(SettingsText().find("SqlDlgAgain=0"), std::string::npos);
    EXPECT_FALSE(settings.getSqlDlgAgain());
    settings.setUseProjects(true);
    EXPECT_NE(SettingsText().find("UseProjects=-1"), std::string::npos);
    settings.setRunInTerminal(false);
    EXPECT_NE(SettingsText().find("RunInTerminal=0"), std::string::npos);

    TGlobalSettings reopened; // a second object reads what the first wrote
    EXPECT_TRUE(reopened.getUseProjects());
    EXPECT_FALSE(reopened.getRunInTerminal());
    EXPECT_EQ(reopened.getLastFilePath(), "/home/u/Scripts");
}

TEST(GlobalSettings, AStoreThatCannotBeWrittenKeepsTheValuesForTheSession) {
    test::TempDir dir;
    // The settings' folder cannot be made: a plain file stands where it would go.
    test::WriteBytes(dir.File("config"), "");
    test::ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
    TGlobalSettings settings;
    EXPECT_TRUE(settings.AllSaved());
    EXPECT_EQ(settings.getDefaultProject(), "");
    settings.setDefaultProject("/home/u/projects/default.kvp");
    EXPECT_EQ(settings.getDefaultProject(), "/home/u/projects/default.kvp");
    settings.setUseProjects(true);
    EXPECT_TRUE(settings.getUseProjects());
    settings.setDetectFileAssoc(false);
    EXPECT_FALSE(settings.getDetectFileAssoc());
    EXPECT_FALSE(settings.AllSaved());
    EXPECT_EQ(test::ReadBytes(dir.File("config")), "") << "nothing written anywhere";
}

TEST_F(GlobalSettingsTest, TheRunOutputLimitIsAPositiveNumberOfMegabytes) {
    TGlobalSettings settings;
    EXPECT_EQ(settings.getRunOutputLimit(), 64);
    settings.setRunOutputLimit(256);
    EXPECT_EQ(settings.getRunOutputLimit(), 256);
    EXPECT_NE(SettingsText().find("RunOutputLimit=256"), std::string::npos);
    for (const char* stored : {"0", "-5", "lots", "12MB"}) {
        settings.setValue("RunOutputLimit", "", stored);
        EXPECT_EQ(settings.getRunOutputLimit(), 64) << stored;
    }
}
