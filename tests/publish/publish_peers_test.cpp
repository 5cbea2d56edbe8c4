// What an upload does to the live site, against each real server: where files land from
// relative and absolute start folders, that missing folders are made, that a replaced file
// keeps its permissions and the user's other files, and that a cancelled, broken or refused
// upload leaves the live file exactly as it was with no temporary file beside it.
#include "publish_peers.h"
#include "upload_fixture.h"

#include "storage/file_utils.h"

#include <QTimer>

#include <filesystem>
#include <fstream>
#include <set>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

fs::perms Permissions(const std::string& path) {
    return fs::status(path).permissions() & fs::perms::all;
}

std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

void Write(const std::string& path, const std::string& bytes, int mode) {
    fs::create_directories(fs::path(path).parent_path());
    WriteBytes(path, bytes);
    fs::permissions(path, fs::perms(mode));
}

class PeerUploadTest : public UploadFixture, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        if (const std::string reason = PeerUnavailable(GetParam()); !reason.empty())
            GTEST_SKIP() << reason;
    }
    // The server of this run.
    bool Start(const PeerOptions& options = {}) {
        Peer = StartPeer(GetParam(), options, Dir.File("known_hosts"));
        return Peer != nullptr;
    }
    std::unique_ptr<PublishPeer> Peer;
    ScopedEnv NoAgent{"SSH_AUTH_SOCK", ""}; // the keys are the test's, not the user's agent's
};

TEST_P(PeerUploadTest, RelativeAndAbsoluteStartFoldersAndNewNestedFoldersLandWhereExpected) {
    ASSERT_TRUE(Start());
    fs::create_directories(Peer->File("www"));
    Peer->UseIn(*Project, "www");
    Project->setFtpUploadChangedFiles(false);
    MarkedPage("a.txt", "a");
    MarkedPage("b.txt", "b");
    MarkedPage("c.txt", "c", "lib/deep/er");
    MarkedPage("d.txt", "d", "lib/deep");
    TUploader uploader = MakeUploader();

    // Relative: every file, not only the first, and the folders asked for once each.
    Prompt.QueueAnswer(pbYes);
    EXPECT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:OK. 2:OK. 3:OK. 4:OK.");
    ASSERT_EQ(Prompt.Records().size(), 1u) << "lib/deep is made on the way to lib/deep/er";
    EXPECT_NE(Prompt.Records()[0].Text.find("/www/lib/deep/er\""), std::string::npos)
        << Prompt.Records()[0].Text;
    for (const char* file :
         {"www/a.txt", "www/b.txt", "www/lib/deep/er/c.txt", "www/lib/deep/d.txt"})
        EXPECT_TRUE(FileExists(Peer->File(file))) << file;

    // Absolute, into the same place, with nothing to ask; and the test of the connection
    // agrees with the upload about both.
    Prompt.ClearRecords();
    for (const std::string& start : {Peer->AbsoluteHome() + "/www", std::string("www")}) {
        SCOPED_TRACE(start);
        fs::remove_all(Peer->File("www"));
        fs::create_directories(Peer->File("www/lib/deep/er"));
        Peer->UseIn(*Project, start);
        EXPECT_TRUE(uploader.Upload(true, &Bar));
        EXPECT_EQ(Bar.Text, "Connected OK.  Found start directory.");
        EXPECT_TRUE(uploader.Upload(false, &Bar));
        EXPECT_EQ(Bar.Text, "Connected OK. 1:OK. 2:OK. 3:OK. 4:OK.");
        EXPECT_EQ(ReadAll(Peer->File("www/lib/deep/er/c.txt")), "c");
    }
    EXPECT_TRUE(Prompt.Records().empty());
    Peer->UseIn(*Project, "nowhere");
    EXPECT_FALSE(uploader.Upload(true, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK.  Start directory missing.");
}

TEST_P(PeerUploadTest, AReplacedFileKeepsItsPermissionsAndEveryOtherFileOfTheUser) {
    ASSERT_TRUE(Start());
    Peer->UseIn(*Project, Peer->AbsoluteHome() + "/cgi-bin");
    const bool changesModes = std::string(GetParam()) != "vsftpd";
    // vsftpd lets anonymous users change no permissions: there the old file has the mode a
    // new one gets anyway.
    const int mode = changesModes ? 0750 : 0644;
    Write(Peer->File("cgi-bin/run.pl"), "print 'old';\n", mode);
    Write(Peer->File("cgi-bin/run.pl.old"), "the user's own copy\n", 0600);
    MarkedPage("run.pl", "print 'new';\r\nprint 2;\r\n").setFtpTransferType(2);
    MarkedPage("new.txt", "fresh\n");
    TUploader uploader = MakeUploader();

    EXPECT_TRUE(uploader.Upload(false, &Bar)) << Bar.Text;
    EXPECT_EQ(Bar.Text, "Connected OK. 1:OK. 2:OK.");
    EXPECT_EQ(ReadAll(Peer->File("cgi-bin/run.pl")), "print 'new';\nprint 2;\n")
        << "text arrives with LF line ends";
    EXPECT_EQ(Permissions(Peer->File("cgi-bin/run.pl")), fs::perms(mode));
    EXPECT_EQ(Permissions(Peer->File("cgi-bin/new.txt")), fs::perms(0644));
    EXPECT_EQ(ReadAll(Peer->File("cgi-bin/run.pl.old")), "the user's own copy\n");
    EXPECT_EQ(Listing(Peer->File("cgi-bin")),
              (std::set<std::string>{"new.txt", "run.pl", "run.pl.old"}))
        << "no temporary file is left";
}

TEST_P(PeerUploadTest, ACancelledOrBrokenUploadLeavesTheLiveFileAsItWas) {
    ASSERT_TRUE(Start());
    Peer->UseIn(*Project, Peer->AbsoluteHome());
    Project->setFtpUploadChangedFiles(false);
    const std::string live = PatternBytes(300 << 10, 7);
    Write(Peer->File("big.bin"), live, 0644);
    TEditorPage& page = MarkedPage("big.bin", PatternBytes(24 << 20, 8));
    page.setFtpTransferType(1);
    MarkedPage("after.txt", "after");
    TUploader uploader = MakeUploader();

    struct Case {
        const char* Name;
        std::function<void()> OnFirstProgress;
        const char* Status;
    };
    const Case cases[] = {
        {"cancelled", [&] { uploader.Cancel(); }, "Connected OK. 1:Cancelled. Cancelled."},
        // The files after it still go, over a new connection.
        {"session killed", [&] { Peer->KillSessions(); }, "Connected OK. 1:Failed. 2:OK."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        bool struck = false;
        Bar.OnProgress = [&] {
            if (std::exchange(struck, true)) return;
            c.OnFirstProgress();
        };
        fs::remove(Peer->File("after.txt"));
        EXPECT_FALSE(uploader.Upload(false, &Bar));
        EXPECT_TRUE(struck);
        EXPECT_EQ(Bar.Text, c.Status);
        EXPECT_TRUE(ReadAll(Peer->File("big.bin")) == live) << "the live file is byte for byte "
                                                               "what it was";
        std::set<std::string> expected{"big.bin"};
        if (std::string(c.Name) != "cancelled") expected.insert("after.txt");
        EXPECT_EQ(Listing(Peer->Home()), expected) << "no temporary file is left";
    }
    Bar.OnProgress = nullptr;
    EXPECT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_TRUE(ReadAll(Peer->File("big.bin")) == PatternBytes(24 << 20, 8));
}

TEST_P(PeerUploadTest, ARefusedPermissionChangeFailsTheFileAndKeepsTheOldOne) {
    ASSERT_TRUE(Start({true}));
    Peer->UseIn(*Project, Peer->AbsoluteHome());
    Write(Peer->File("asked.pl"), "old asked\n", 0644);
    Write(Peer->File("kept.pl"), "old kept\n", 0755);
    TEditorPage& asked = MarkedPage("asked.pl", "new asked\n");
    asked.setFtpChMod(true);
    asked.setFtpChModVal("755");
    // Without a permission change of its own, a replaced file must keep the old one's.
    MarkedPage("kept.pl", "new kept\n");
    MarkedPage("plain.txt", "plain\n");
    TUploader uploader = MakeUploader();

    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:ModFail. 2:Failed. 3:OK.");
    EXPECT_TRUE(Bar.Failed);
    EXPECT_EQ(asked.FtpStatus().rfind("Permissions (CHMOD) Failed on ", 0), 0u);
    EXPECT_EQ(ReadAll(Peer->File("asked.pl")), "old asked\n");
    EXPECT_EQ(ReadAll(Peer->File("kept.pl")), "old kept\n");
    EXPECT_EQ(Permissions(Peer->File("kept.pl")), fs::perms(0755));
    EXPECT_EQ(ReadAll(Peer->File("plain.txt")), "plain\n");
    EXPECT_EQ(Listing(Peer->Home()), (std::set<std::string>{"asked.pl", "kept.pl", "plain.txt"}));
    EXPECT_EQ(uploader.SummaryText(true), "Upload process completed with problems\r\n"
                                          "3 attempted. \r\n1 completed. \r\n2 failed.");
}

INSTANTIATE_TEST_SUITE_P(Servers, PeerUploadTest, ::testing::Values("pyftpdlib", "vsftpd", "sshd"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
} // namespace korvane::test
