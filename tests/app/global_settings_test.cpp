#include "app/global_settings.h"
#include "app/reg_file_dlg.h"
#include "platform/desktop_associations.h"
#include "temp_dir.h"

#include <QCheckBox>
#include <QLabel>
#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::ReadBytes;

namespace {

class GlobalSettingsTest : public ::testing::Test {
protected:
    test::TempDir Dir;
    test::ScopedEnv Config{"XDG_CONFIG_HOME", Dir.File("config")};
    test::ScopedEnv Data{"XDG_DATA_HOME", Dir.File("data")};
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

    TGlobalSettings reopened; // a second object reads what the first wrote
    EXPECT_TRUE(reopened.getUseProjects());
    EXPECT_EQ(reopened.getLastFilePath(), "/home/u/Scripts");
}

TEST_F(GlobalSettingsTest, AssociationsFollowMimeAppsList) {
    TGlobalSettings settings;
    EXPECT_FALSE(settings.getFileType("pl"));
    EXPECT_FALSE(settings.getFileType(""));
    settings.setFileType(".pl", true);
    EXPECT_TRUE(settings.getFileType("pl"));
    EXPECT_TRUE(settings.getFileType(".pl"));

    // Another program takes the type over; unticking then removes its default too.
    SetDefaultApplication(MimeTypeForExtension("php"), "other-editor.desktop");
    EXPECT_FALSE(settings.getFileType("php"));
    settings.setFileType("php", false);
    EXPECT_EQ(DefaultApplicationFor(MimeTypeForExtension("php")), "");
    EXPECT_TRUE(settings.getFileType("pl")) << "other entries are kept";

    settings.CheckMainKeys();
    const std::string entry = ReadBytes(DesktopEntryPath());
    EXPECT_NE(entry.find("Name=Korvane IDE"), std::string::npos);
    EXPECT_NE(entry.find(ProjectMimeType), std::string::npos);
    EXPECT_NE(ReadBytes(MimePackagePath()).find("*.kvp"), std::string::npos);
}

TEST_F(GlobalSettingsTest, CheckFileTypesAsksOnlyWhenSomethingChanged) {
    TGlobalSettings settings;
    int asked = 0;
    TGlobalSettings::FileAssocDialogState seen;
    auto cancel = [&](const TGlobalSettings::FileAssocDialogState& state) {
        ++asked;
        seen = state;
        return TGlobalSettings::FileAssocChoice{};
    };
    settings.CheckFileTypes(false, cancel);
    EXPECT_EQ(asked, 0) << "nothing associated, nothing chosen: no dialog";

    SetDefaultApplication(MimeTypeForExtension("cgi"), KorvaneDesktopId);
    settings.CheckFileTypes(false, cancel);
    ASSERT_EQ(asked, 1);
    EXPECT_TRUE(seen.Changed[3]) << "cgi is shown red";
    EXPECT_TRUE(seen.Ticked[3]);
    EXPECT_FALSE(seen.Changed[1]);

    // OK with "pl" ticked and "Do not check" ticked.
    settings.CheckFileTypes(true, [&](const TGlobalSettings::FileAssocDialogState& state) {
        ++asked;
        TGlobalSettings::FileAssocChoice choice;
        choice.Accepted = true;
        for (int i = 0; i < 7; ++i) choice.Ticked[i] = state.Ticked[i];
        choice.Ticked[1] = true;
        choice.DoNotCheck = true;
        return choice;
    });
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(settings.getFileType("pl"));
    EXPECT_TRUE(settings.getFileAssoc("pl"));
    EXPECT_TRUE(settings.getFileAssoc("cgi"));
    EXPECT_FALSE(settings.getDetectFileAssoc());

    SetDefaultApplication(MimeTypeForExtension("sql"), KorvaneDesktopId);
    settings.CheckFileTypes(true, cancel);
    EXPECT_EQ(asked, 2) << "once the user said never, not even the menu command asks";
}

TEST_F(GlobalSettingsTest, DialogShowsChangedExtensionsInRed) {
    TGlobalSettings::FileAssocDialogState state;
    state.Ticked[0] = true;
    state.Changed[4] = true;
    TRegFileDlg dialog(state);
    EXPECT_EQ(dialog.windowTitle(), "Korvane File Associations");
    EXPECT_TRUE(dialog.ExtensionBox(0)->isChecked());
    EXPECT_EQ(dialog.ExtensionBox(4)->text(), "MySQL script files (.sql)");
    EXPECT_TRUE(dialog.ExtensionBox(4)->styleSheet().contains("255, 0, 0"));
    EXPECT_TRUE(dialog.ExtensionBox(3)->styleSheet().isEmpty());
    EXPECT_TRUE(dialog.Explanation()->text().startsWith("Korvane has detected"));
    state.Forced = true;
    TRegFileDlg forced(state);
    EXPECT_EQ(forced.Explanation()->text(), "Check any associations you wish to change...");
}

TEST_F(GlobalSettingsTest, ActivePerlPathFindsPerlOnPath) {
    TGlobalSettings settings;
    const std::string perl = settings.ActivePerlPath();
    EXPECT_EQ(perl, test::FindProgram("perl"));
    test::ScopedEnv noPath("PATH", Dir.File("nothing-here"));
    EXPECT_TRUE(settings.ActivePerlPath() == "/usr/local/bin/perl" ||
                settings.ActivePerlPath() == "/usr/bin/perl");
}
