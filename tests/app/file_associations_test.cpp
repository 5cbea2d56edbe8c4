#include "app/file_associations.h"
#include "app/reg_file_dlg.h"
#include "model/global_settings.h"
#include "platform/desktop_associations.h"
#include "scripted_prompt.h"
#include "temp_dir.h"

#include <QCheckBox>
#include <QLabel>
#include <filesystem>
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
    TFileAssociations settings(stored, "");
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
    EXPECT_NE(entry.find("MimeType=application/x-korvane-project;application/x-perl;"),
              std::string::npos)
        << entry;
    EXPECT_EQ(entry.find("application/x-perl;", entry.find("application/x-perl;") + 1),
              std::string::npos)
        << "each type once: " << entry;
    EXPECT_NE(ReadBytes(MimePackagePath()).find("*.kvp"), std::string::npos);
}

TEST_F(FileAssociationsTest, CheckFileTypesAsksOnlyWhenSomethingChanged) {
    TGlobalSettings settings;
    TFileAssociations associations(settings, "");
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
    // Perl modules have the type of Perl programs: left unticked, "pm" must not undo "pl".
    EXPECT_TRUE(associations.getFileType("pm"));
    EXPECT_TRUE(settings.getFileAssoc("pm"));
    EXPECT_TRUE(settings.getFileAssoc("cgi"));
    EXPECT_FALSE(settings.getDetectFileAssoc());

    SetDefaultApplication(MimeTypeForExtension("sql"), KorvaneDesktopId);
    associations.CheckFileTypes(true, cancel);
    EXPECT_EQ(asked, 2) << "once the user said never, not even the menu command asks";
}

// Debian's MIME database gives "*.pm" to Perl modules and to PageMaker documents alike; the
// association used to go to PageMaker's type, so ticking .pm claimed PageMaker files for
// Korvane and left Perl modules alone.
TEST_F(FileAssociationsTest, EachExtensionMapsToItsTextType) {
    const struct {
        const char* Extension;
        const char* Type;
    } expected[] = {{"kvp", "application/x-korvane-project"},
                    {"pl", "application/x-perl"},
                    {"pm", "application/x-perl"},
                    {"php", "application/x-php"},
                    {"sql", "application/sql"},
                    {"html", "text/html"}};
    for (const auto& e : expected)
        EXPECT_EQ(MimeTypeForExtension(e.Extension), e.Type) << e.Extension;
    EXPECT_EQ(MimeTypeForExtension("korvanetest"), "application/x-extension-korvanetest");
}

TEST_F(FileAssociationsTest, AnInstalledPackageEntryIsFoundWithItsMimePackageOnly) {
    const std::string local = Dir.File("local"), system = Dir.File("system");
    test::ScopedEnv dataDirs("XDG_DATA_DIRS", local + ":" + system);
    EXPECT_EQ(InstalledDesktopEntry(), "");
    for (const std::string& root : {local, system}) {
        std::filesystem::create_directories(root + "/applications");
        std::filesystem::create_directories(root + "/mime/packages");
    }
    test::WriteBytes(local + "/applications/korvane.desktop", "[Desktop Entry]\n");
    EXPECT_EQ(InstalledDesktopEntry(), "") << "an entry without its MIME package";
    test::WriteBytes(system + "/applications/korvane.desktop", "[Desktop Entry]\n");
    test::WriteBytes(system + "/mime/packages/korvane.xml", "<mime-info/>\n");
    EXPECT_EQ(InstalledDesktopEntry(), system + "/applications/korvane.desktop");
    test::ScopedEnv defaults("XDG_DATA_DIRS", "");
    const std::string found = InstalledDesktopEntry();
    EXPECT_TRUE(found.empty() || found == "/usr/local/share/applications/korvane.desktop" ||
                found == "/usr/share/applications/korvane.desktop")
        << "unset, the folders of the XDG base directory rules: " << found;
}

// With the package's entry installed, the program used to write its own desktop entry and MIME
// package into the user's data folder (hiding the package's) and to edit mimeapps.list.
TEST_F(FileAssociationsTest, WithAPackageEntryTheCheckLeavesTheUsersFilesAlone) {
    TGlobalSettings settings;
    TFileAssociations associations(settings, "/usr/share/applications/korvane.desktop");
    SetDefaultApplication(MimeTypeForExtension("cgi"), KorvaneDesktopId);
    const std::string mimeApps = ReadBytes(MimeAppsListPath());
    int asked = 0;
    const auto tickEverything = [&](const TFileAssociations::FileAssocDialogState&) {
        ++asked;
        TFileAssociations::FileAssocChoice choice;
        choice.Accepted = true;
        for (bool& ticked : choice.Ticked)
            ticked = true;
        return choice;
    };
    test::ScriptedPrompt prompt;
    associations.CheckFileTypes(false, tickEverything);
    EXPECT_TRUE(prompt.Records().empty()) << "nothing is said at start-up";
    associations.CheckFileTypes(true, tickEverything);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ReadBytes(MimeAppsListPath()), mimeApps);
    EXPECT_FALSE(std::filesystem::exists(DesktopEntryPath()));
    EXPECT_FALSE(std::filesystem::exists(MimePackagePath()));
    EXPECT_FALSE(settings.getFileAssoc("pl"));
    EXPECT_TRUE(settings.getDetectFileAssoc());
    ASSERT_EQ(prompt.Records().size(), 1u) << "the menu command says where they come from";
    EXPECT_EQ(prompt.Records()[0].Kind, PromptKind::Information);
    EXPECT_NE(prompt.Records()[0].Text.find("/usr/share/applications/korvane.desktop"),
              std::string::npos);
    EXPECT_NE(prompt.Records()[0].Text.find("xdg-mime default korvane.desktop application/x-perl"),
              std::string::npos)
        << prompt.Records()[0].Text;
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
