// The project organizer and the permission dialog, offscreen.
#include "editor_fixture.h"

#include "publish/chmod_form.h"
#include "publish/proj_org.h"
#include "publish/proj_org_list.h"
#include "publish/protocol_row.h"
#include "publish/unix_permissions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <filesystem>
#include <fstream>

namespace korvane::test {
namespace {

TEST(UnixPermissionsTest, ValuesBitsAndText) {
    const struct {
        const char* typed;
        const char* value;
        const char* text;
    } cases[] = {
        {"755", "755", "Unix Attribs: -rwxr-xr-x"},  {"644", "644", "Unix Attribs: -rw-r--r--"},
        {"5", "005", "Unix Attribs: -------r-x"},    {"", "000", "Unix Attribs: ----------"},
        {"1777", "777", "Unix Attribs: -rwxrwxrwx"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PadPermissionValue(c.typed), c.value) << c.typed;
        EXPECT_EQ(UnixAttribsText(c.typed), c.text) << c.typed;
        EXPECT_EQ(PermissionValue(PermissionBits(c.value)), c.value) << c.typed;
    }
}

TEST(ChmodFormTest, TheBoxesAndTheValueFollowEachOther) {
    TchmodForm form(nullptr, "644");
    const bool expected[] = {true, true, false, true, false, false, true, false, false};
    for (size_t i = 0; i < 9; ++i)
        EXPECT_EQ(form.Boxes[i]->isChecked(), expected[i]) << i;
    EXPECT_EQ(form.UnixPermissions->text().toStdString(), "Unix Attribs: -rw-r--r--");
    form.Boxes[2]->click(); // owner execute
    EXPECT_EQ(form.Value(), "744");
    form.ChModValue->clear();
    QTest::keyClicks(form.ChModValue, "5891");
    EXPECT_EQ(form.ChModValue->text().toStdString(), "51") << "8 and 9 are not octal digits";
    EXPECT_TRUE(form.Boxes[5]->isChecked()) << "51 is 051: group execute";
    EXPECT_EQ(form.Value(), "051");
}

class OrganizerTest : public EditorTest {
protected:
    TEditorPage& Page(const std::string& name) {
        std::ofstream(Dir.File("site/" + name)) << name << "\n";
        TEditorPage& page = Open(Dir.File("site/" + name));
        page.setVisible(true);
        return page;
    }
    TUploader Uploader{*Project, nullptr};
    TProjOrg Organizer{nullptr, *Project, Uploader, {}};
};

TEST_F(OrganizerTest, AMixedUploadFlagShowsGreyAndOneClickSetsItOnEverySelectedFile) {
    TEditorPage& a = Page("a.txt");
    TEditorPage& b = Page("b.txt");
    TEditorPage& c = Page("c.txt");
    b.setFtpUpload(true);
    for (TEditorPage* page : {&a, &b, &c}) {
        page->setFtpLocalFileDate(1e6);
        page->setSelected(true);
    }
    Organizer.RebuildList();
    ASSERT_EQ(Organizer.Files->selectedItems().size(), 3);
    EXPECT_EQ(Organizer.Upload->checkState(), Qt::PartiallyChecked);
    Organizer.Upload->click();
    for (TEditorPage* page : {&a, &b, &c}) {
        EXPECT_TRUE(page->FtpUpload());
        EXPECT_EQ(page->FtpLocalFileDate(), 0) << "changed settings upload the file again";
    }
    EXPECT_EQ(Organizer.Upload->checkState(), Qt::Checked);

    // The permission box pads what was typed when it is left.
    a.setFtpChMod(true);
    Organizer.RebuildList();
    Organizer.ChModValue->setText("5");
    emit Organizer.ChModValue->editingFinished();
    EXPECT_EQ(a.FtpChModVal(), "005");
    EXPECT_EQ(b.FtpChModVal(), "755") << "only files that change permissions take the value";
    EXPECT_EQ(Organizer.UploadDate->text().toStdString(), "*** not yet uploaded ***");
}

TEST_F(OrganizerTest, SelectedNeighboursMoveTogether) {
    TEditorPage& a = Page("a.txt");
    TEditorPage& b = Page("b.txt");
    TEditorPage& c = Page("c.txt");
    TEditorPage& d = Page("d.txt");
    c.setSelected(true);
    d.setSelected(true);
    MoveSelectedUp(*Project);
    MoveSelectedUp(*Project);
    MoveSelectedUp(*Project); // the top one stays, and the other does not jump over it
    const std::vector<TProjectPage*> expected{&c, &d, &a, &b};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(&Project->Page(i), expected[static_cast<size_t>(i)]) << i;
    MoveSelectedDown(*Project);
    EXPECT_EQ(&Project->Page(1), &c);
    EXPECT_EQ(&Project->Page(2), &d);
}

TEST_F(OrganizerTest, RemovingSelectedFilesAsksForUnsavedOnesAndStopsAtCancel) {
    TEditorPage& a = Page("a.txt");
    TEditorPage& b = Page("b.txt");
    TEditorPage& c = Page("c.txt");
    Page("keep.txt");
    for (TEditorPage* page : {&a, &b, &c})
        page->setSelected(true);
    b.Editor()->SetCaret(1, 1);
    b.Editor()->ReplaceSelectionRaw("changed\n");
    ASSERT_TRUE(b.EditorModified());
    const int before = Project->Count();

    Prompt.QueueAnswer(pbCancel);
    EXPECT_EQ(RemoveSelectedPages(*Project), 1) << "a went, b's Cancel stopped the rest";
    EXPECT_EQ(Project->Count(), before - 1);
    Prompt.QueueAnswer(pbYes);
    EXPECT_EQ(RemoveSelectedPages(*Project), 2);
    EXPECT_EQ(Project->Count(), before - 3);
    std::ifstream saved(Dir.File("site/b.txt"));
    std::string line;
    std::getline(saved, line);
    EXPECT_EQ(line, "changed");
}

TEST_F(OrganizerTest, ChoosingSftpSwapsOnlyADefaultPortAndEnablesTheKeyFile) {
    const struct {
        TFtpProtocol Protocol;
        const char* Port;
        const char* Kept;
    } cases[] = {
        {TFtpProtocol::SFTP, "ftp", "22"},    {TFtpProtocol::SFTP, "21", "22"},
        {TFtpProtocol::SFTP, "2222", "2222"}, {TFtpProtocol::FTP, "22", "ftp"},
        {TFtpProtocol::FTP, "2121", "2121"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortForProtocol(c.Protocol, c.Port), c.Kept) << c.Port;

    auto* protocol = Organizer.findChild<QComboBox*>("Protocol");
    auto* keyFile = Organizer.findChild<QLineEdit*>("SftpKeyFile");
    ASSERT_TRUE(protocol && keyFile);
    EXPECT_FALSE(keyFile->isEnabled()) << "plain FTP has no key";
    protocol->setCurrentIndex(1);
    emit protocol->activated(1);
    EXPECT_EQ(Project->FtpProtocol(), TFtpProtocol::SFTP);
    EXPECT_EQ(Project->FtpPort(), "22");
    EXPECT_TRUE(keyFile->isEnabled());
}

} // namespace
} // namespace korvane::test
