#include "app/file_associations.h"
#include "app/reg_file_dlg.h"
#include "model/global_settings.h"
#include "platform/desktop_associations.h"
#include "temp_dir.h"

#include <QCheckBox>
#include <QLabel>
#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::ReadBytes;

namespace {

class FileAssociationsTest : public ::testing::Test {
protected:
    test::TempDir Dir;
    test::ScopedEnv Config{"XDG_CONFIG_HOME", Dir.File("config")};
    test::ScopedEnv Data{"XDG_DATA_HOME", Dir.File("data")};
};

} // namespace

TEST_F(FileAssociationsTest, AssociationsFollowMimeAppsList) {
    TGlobalSettings stored;
    TFileAssociations settings(stored);
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

TEST_F(FileAssociationsTest, CheckFileTypesAsksOnlyWhenSomethingChanged) {
    TGlobalSettings settings;
    TFileAssociations associations(settings);
    int asked = 0;
    TFileAssociations::FileAssocDialogState seen;
    auto cancel = [&](const TFileAssociations::FileAssocDialogState& state) {
        ++asked;
        seen = state;
        return TFileAssociations::FileAssocChoice{};
    };
    associations.CheckFileTypes(false, cancel);
    EXPECT_EQ(asked, 0) << "nothing associated, nothing chosen: no dialog";

    SetDefaultApplication(MimeTypeForExtension("cgi"), KorvaneDesktopId);
    associations.CheckFileTypes(false, cancel);
    ASSERT_EQ(asked, 1);
    EXPECT_TRUE(seen.Changed[3]) << "cgi is shown red";
    EXPECT_TRUE(seen.Ticked[3]);
    EXPECT_FALSE(seen.Changed[1]);

    // OK with "pl" ticked and "Do not check" ticked.
    associations.CheckFileTypes(true, [&](const TFileAssociations::FileAssocDialogState& state) {
        ++asked;
        TFileAssociations::FileAssocChoice choice;
        choice.Accepted = true;
        for (int i = 0; i < 7; ++i)
            choice.Ticked[i] = state.Ticked[i];
        choice.Ticked[1] = true;
        choice.DoNotCheck = true;
        return choice;
    });
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(associations.getFileType("pl"));
    EXPECT_TRUE(settings.getFileAssoc("pl"));
    EXPECT_TRUE(settings.getFileAssoc("cgi"));
    EXPECT_FALSE(settings.getDetectFileAssoc());

    SetDefaultApplication(MimeTypeForExtension("sql"), KorvaneDesktopId);
    associations.CheckFileTypes(true, cancel);
    EXPECT_EQ(asked, 2) << "once the user said never, not even the menu command asks";
}

TEST_F(FileAssociationsTest, DialogShowsChangedExtensionsInRed) {
    TFileAssociations::FileAssocDialogState state;
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
