// The project organizer while an upload runs, against a real FTP server: what it locks, that
// Cancel stays, and that the window is usable again however the upload ended.
#include "ftp_test_servers.h"
#include "upload_fixture.h"

#include "net/ftp_client.h"
#include "publish/proj_org.h"
#include "storage/errors.h"
#include "widgets/kor_syn_edit.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <filesystem>

namespace korvane::test {
namespace {

class OrganizerUploadTest : public UploadFixture {
protected:
    void SetUp() override {
        if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
    }
    TUploader Uploader{*Project, nullptr};
    TProjOrg Organizer{nullptr, *Project, Uploader, {}};
};

TEST_F(OrganizerUploadTest, WhileFilesGoNoneCanBeClosedMovedOrRemovedButTheUploadCanBeCancelled) {
    PyFtpServerOptions slow;
    slow.ReadLimit = 256 * 1024;
    PyFtpServer server(slow);
    UseHost(server.Port(), PyFtpServer::User, PyFtpServer::Password);
    MarkedPage("big.bin", std::string(4 << 20, 'b')).setFtpTransferType(1);
    TEditorPage& other = MarkedPage("other.txt", "other");
    other.setFtpUpload(false);
    other.setSelected(true);
    Organizer.RebuildList();
    ASSERT_TRUE(Organizer.RemoveFileBtn->isEnabled());

    // Looked at from inside the upload, as a user's clicks would come.
    bool looked = false;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
        const bool sending = Organizer.StatusBar->currentMessage().startsWith("Sending");
        if (looked || !Uploader.Running() || !sending) return;
        looked = true;
        for (QPushButton* button :
             {Organizer.RemoveFileBtn, Organizer.MoveUpBtn, Organizer.MoveDownBtn,
              Organizer.SaveAsBtn, Organizer.UploadBtn, Organizer.ProjProps})
            EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
        EXPECT_TRUE(Organizer.CancelUploadBtn->isVisibleTo(&Organizer));
        // The main window's own commands meet the project's lock.
        EXPECT_THROW(Project->FreePage(&other), handledException);
        EXPECT_THROW(Project->SwapPages(0, 1), handledException);
        EXPECT_THROW(Project->Clear(), handledException);
        Organizer.CancelUploadBtn->click();
    });
    during.start(20);
    Organizer.UploadBtnClick();
    EXPECT_TRUE(looked);
    EXPECT_TRUE(Project->PageInProjec(&other));
    EXPECT_EQ(Project->Count(), 2);
    EXPECT_EQ(Organizer.StatusBar->currentMessage().toStdString(),
              "Connected OK. 1:Cancelled. Cancelled.");
    ASSERT_FALSE(Prompt.Records().empty());
    EXPECT_EQ(Prompt.Records().back().Text.rfind("Upload process completed with problems", 0), 0u);
    for (QPushButton* button :
         {Organizer.RemoveFileBtn, Organizer.MoveUpBtn, Organizer.MoveDownBtn, Organizer.UploadBtn})
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_FALSE(Organizer.CancelUploadBtn->isVisibleTo(&Organizer));
    Project->FreePage(&other); // and the lock has gone with the upload
    EXPECT_EQ(Project->Count(), 1);
}

TEST_F(OrganizerUploadTest, APageThatCannotBeSavedEndsTheUploadWithItsErrorAndClosesTheSession) {
    PyFtpServer server;
    UseHost(server.Port(), PyFtpServer::User, PyFtpServer::Password);
    Project->setFtpKeepOpen(true);
    std::filesystem::create_directories(Dir.File("site/sub"));
    WriteBytes(Dir.File("site/sub/page.txt"), "saved\n");
    TEditorPage& page = Open(Dir.File("site/sub/page.txt"));
    page.setFtpUpload(true);
    page.Editor()->SetCaret(1, 1);
    page.Editor()->ReplaceSelectionRaw("typed ");
    // Its folder is a file now: no save can go there, not even by root.
    std::filesystem::remove_all(Dir.File("site/sub"));
    WriteBytes(Dir.File("site/sub"), "in the way");

    Organizer.UploadBtnClick();
    ASSERT_EQ(Prompt.Records().size(), 1u) << "the save's error, and no summary after it";
    EXPECT_EQ(Prompt.Records()[0].Kind, PromptKind::Error);
    EXPECT_TRUE(Organizer.UploadBtn->isEnabled());
    EXPECT_FALSE(Organizer.CancelUploadBtn->isVisibleTo(&Organizer));
    EXPECT_FALSE(Project->FtpClient().Connected()) << "the session is not left open";
    EXPECT_FALSE(Uploader.Running());
    EXPECT_NO_THROW(Project->SwapPages(0, 0));
}

} // namespace
} // namespace korvane::test
