// The main window's upload commands against a real FTP server: Ctrl+U sends at once and shows
// the organizer with the upload and then its summary, whether the organizer was open or not;
// the window does not close under a running upload.
#include "app/command.h"
#include "app/main_form.h"
#include "app/publish_commands.h"
#include "app_fixture.h"
#include "editor/editor_page.h"
#include "ftp_test_servers.h"
#include "net_test_support.h"
#include "project/kor_project.h"
#include "publish/proj_org.h"

#include <QAction>
#include <QStatusBar>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvane::test {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class UploadCommandsTest : public AppTest {
protected:
    void SetUp() override {
        if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
        AppTest::SetUp();
    }
    // The form with one page marked for upload to server.
    TEditorPage& MarkedPage(TMainForm& form, const PyFtpServer& server, const std::string& bytes) {
        const std::string path = Dir.File("site/page.bin");
        std::filesystem::create_directories(Dir.File("site"));
        WriteBytes(path, bytes);
        TKorProject& project = form.Project();
        project.setFtpHost("127.0.0.1");
        project.setFtpPort(std::to_string(server.Port()));
        project.setFtpUserName(PyFtpServer::User);
        project.setFtpPassword(PyFtpServer::Password);
        project.setFtpStartDir("/");
        auto& page = dynamic_cast<TEditorPage&>(project.Add(path, true));
        page.setFtpUpload(true);
        return page;
    }
};

TEST_F(UploadCommandsTest, CtrlUSendsAtOnceWithTheOrganizerShowingWhetherItWasOpenOrNot) {
    PyFtpServer server;
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    TEditorPage& page = MarkedPage(form, server, "first");
    QAction* upload = FindCommand(form, "UploadAction");
    ASSERT_NE(upload, nullptr);
    EXPECT_EQ(upload->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
    TProjOrg& organizer = form.Publish().Organizer();
    EXPECT_FALSE(organizer.isVisible());

    for (const char* bytes : {"first", "second"}) {
        SCOPED_TRACE(bytes);
        WriteBytes(page.TempFileName(), bytes);
        page.InvalidateUpload();
        bool shownWhileSending = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (form.Publish().Uploader().Running()) shownWhileSending = organizer.isVisible();
        });
        watch.start(1);
        Prompt.ClearRecords();
        upload->trigger();
        EXPECT_EQ(ReadAll(server.HomeFile("page.bin")), bytes);
        EXPECT_TRUE(shownWhileSending) << "the upload's progress and Cancel are on show";
        EXPECT_TRUE(organizer.isVisible());
        ASSERT_EQ(Prompt.Records().size(), 1u);
        EXPECT_EQ(Prompt.Records()[0].Text.rfind("Upload process completed OK", 0), 0u);
    }
    // Nothing to send: the organizer says so rather than doing nothing visible.
    upload->trigger();
    EXPECT_EQ(organizer.StatusBar->currentMessage().toStdString(), "No files need uploading.");
}

TEST_F(UploadCommandsTest, TheWindowDoesNotCloseUnderARunningUploadButAfterItWhenAskedTo) {
    PyFtpServerOptions slow;
    slow.ReadLimit = 256 * 1024;
    PyFtpServer server(slow);
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    form.show();
    TEditorPage& page = MarkedPage(form, server, std::string(4 << 20, 'x'));
    bool closedWhileRunning = true;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
        if (!form.Publish().Uploader().Running()) return;
        during.stop();
        Prompt.QueueAnswer(pbNo);
        closedWhileRunning = form.close();
        EXPECT_TRUE(form.Publish().Uploader().Running()) << "No: the upload goes on";
        Prompt.QueueAnswer(pbYes);
        closedWhileRunning = closedWhileRunning || form.close();
    });
    during.start(50);
    Prompt.ClearRecords();
    FindCommand(form, "UploadAction")->trigger();
    EXPECT_FALSE(closedWhileRunning);
    ASSERT_GE(Prompt.Records().size(), 2u);
    EXPECT_EQ(Prompt.Records()[0].Text, "An upload is running. Stop it and close Korvane?");
    EXPECT_EQ(form.Publish().Uploader().Counters().UploadCompleted, 0u) << "stopped by the Yes";
    EXPECT_FALSE(std::filesystem::exists(server.HomeFile("page.bin")));
    EXPECT_FALSE(page.FtpStatus().starts_with("Transferred OK"));
    EXPECT_TRUE(WaitFor([&] { return !form.isVisible(); })) << "closed once the upload ended";
}

} // namespace
} // namespace korvane::test
