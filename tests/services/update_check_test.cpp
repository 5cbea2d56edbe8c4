// The update check against a private FTP server on loopback serving release descriptors.
#include "ftp_test_servers.h"
#include "scripted_prompt.h"

#include "app/new_version_dlg.h"
#include "services/update_check.h"
#include "storage/file_utils.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace korvane::test {
namespace {

std::string Descriptor(const std::string& version, const std::string& extra) {
    std::string text = "<XML_DOWNLOAD_INFO>\r\n<Version>\r\n";
    const char* names[] = {"Major", "Minor", "Build"};
    size_t at = 0;
    for (const char* name : names) {
        const size_t dot = version.find('.', at);
        text +=
            std::string("<") + name + ">" + version.substr(at, dot - at) + "</" + name + ">\r\n";
        at = dot == std::string::npos ? version.size() : dot + 1;
    }
    return text + extra + "</Version>\r\n</XML_DOWNLOAD_INFO>\r\n";
}

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
        Server.emplace();
    }
    void Serve(const std::string& descriptor, const std::string& file = "",
               const std::string& bytes = "") {
        std::ofstream(Server->HomeFile("autodown.xml"), std::ios::binary) << descriptor;
        if (!file.empty()) std::ofstream(Server->HomeFile(file), std::ios::binary) << bytes;
    }
    TUpdateServer Where() const {
        TUpdateServer server;
        server.Host = "127.0.0.1";
        server.Port = std::to_string(Server->Port());
        server.User = PyFtpServer::User;
        server.Password = PyFtpServer::Password;
        return server;
    }
    std::optional<PyFtpServer> Server;
    TempDir Downloads;
};

TEST_F(UpdateCheckTest, TheDescriptorDecidesWhatIsOffered) {
    const struct {
        const char* version;
        std::string extra;
        int expected;
        const char* title;
    } cases[] = {
        {"2.1.0", "<Filename>k.deb</Filename>\r\n", 2100, "Downloading v2.1.0 of Korvane [1024K]"},
        {"2.1.1", "<Filename>k.deb</Filename><File_Size_Bytes>2097152</File_Size_Bytes>\r\n", 2101,
         "Downloading v2.1.1 of Korvane [2048K]"},
        {"3.0.x", "<File_Size_Bytes>0</File_Size_Bytes>\r\n", 3000,
         "Downloading v3.0.0 of Korvane"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        Serve(Descriptor(c.version, c.extra));
        TUpdateCheck check(Where());
        ASSERT_EQ(check.FetchDescriptor(), TUpdateCheck::TFetch::Fetched) << check.Error();
        EXPECT_EQ(check.Release().Version(), c.expected);
        EXPECT_EQ(check.Release().Title(), c.title);
    }
    // A descriptor is small; a server sending megabytes for one is not believed.
    Serve(Descriptor("9.0.0", std::string(70 * 1024, ' ')));
    TUpdateCheck check(Where());
    EXPECT_EQ(check.FetchDescriptor(), TUpdateCheck::TFetch::NoDescriptor);
}

TEST_F(UpdateCheckTest, ADownloadLandsUnderItsBareNameOnlyWhenWholeAndVerified) {
    const std::string bytes(300'000, 'k');
    const std::string good = FileSha256([&] {
        const std::string path = Downloads.File("reference");
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }());
    // A name with a folder in it lands in the chosen folder all the same.
    Serve(Descriptor("2.2.0", "<Filename>../../k.deb</Filename><SHA256>" + good + "</SHA256>"),
          "k.deb", bytes);
    TUpdateCheck check(Where());
    ASSERT_EQ(check.FetchDescriptor(), TUpdateCheck::TFetch::Fetched);
    EXPECT_EQ(check.TargetPath(Downloads.Path().string()), Downloads.File("k.deb"));
    int reports = 0;
    EXPECT_EQ(check.Download(Downloads.Path().string(), [&](int64_t) { return ++reports > 0; }),
              TUpdateCheck::TDownload::Done)
        << check.Error();
    EXPECT_EQ(FileSha256(Downloads.File("k.deb")), good);
    EXPECT_FALSE(FileExists(Downloads.File("k.deb.part")));

    // Stopped on the way: nothing is left, not even the part.
    std::filesystem::remove(Downloads.File("k.deb"));
    EXPECT_EQ(check.Download(Downloads.Path().string(), [](int64_t) { return false; }),
              TUpdateCheck::TDownload::Cancelled);
    EXPECT_FALSE(FileExists(Downloads.File("k.deb")));
    EXPECT_FALSE(FileExists(Downloads.File("k.deb.part")));
}

TEST_F(UpdateCheckTest, AWrongChecksumOrAServerThatGoesAwayLeavesNoFile) {
    Serve(Descriptor("2.2.0",
                     "<Filename>k.deb</Filename><SHA256>" + std::string(64, 'a') + "</SHA256>"),
          "k.deb", std::string(200'000, 'k'));
    {
        TUpdateCheck check(Where());
        ASSERT_EQ(check.FetchDescriptor(), TUpdateCheck::TFetch::Fetched);
        EXPECT_EQ(check.Download(Downloads.Path().string(), nullptr),
                  TUpdateCheck::TDownload::ChecksumMismatch);
        EXPECT_TRUE(std::filesystem::is_empty(Downloads.Path()));
    }
    Serve(Descriptor("2.2.0", "<Filename>big.deb</Filename>"), "big.deb",
          std::string(64 << 20, 'b'));
    TUpdateCheck check(Where());
    ASSERT_EQ(check.FetchDescriptor(), TUpdateCheck::TFetch::Fetched);
    EXPECT_EQ(check.Download(Downloads.Path().string(),
                             [&](int64_t) {
                                 Server.reset(); // the server ends mid-download
                                 return true;
                             }),
              TUpdateCheck::TDownload::Failed);
    EXPECT_TRUE(std::filesystem::is_empty(Downloads.Path()));
}

TEST_F(UpdateCheckTest, TheDialogAsksBeforeReplacingAFileAndSaysWhenAllIsCurrent) {
    ScriptedPrompt prompt;
    Serve(Descriptor("2.1.5", "<Filename>k.deb</Filename>"), "k.deb", "new");
    std::ofstream(Downloads.File("k.deb")) << "old";
    {
        TNewVersionDlg dialog(nullptr, Where(), Downloads.Path().string(), {});
        prompt.QueueAnswer(pbCancel);
        dialog.StartBtnClick();
    }
    EXPECT_EQ(prompt.TextsShown(), std::vector<std::string>{"File " + Downloads.File("k.deb") +
                                                            " already exists. Overwrite?"});
    std::ifstream kept(Downloads.File("k.deb"));
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "old");

    Serve(Descriptor("2.1.0", ""));
    TNewVersionDlg dialog(nullptr, Where(), Downloads.Path().string(), {});
    dialog.StartBtnClick();
    EXPECT_EQ(prompt.TextsShown().back(), "Your installation of Korvane is up to date.");
}

TEST_F(UpdateCheckTest, CancelWhileConnectingOrReadingTheDescriptorStopsTheCheckThere) {
    ScriptedPrompt prompt;
    Serve(Descriptor("2.2.0", "<Filename>k.deb</Filename>"), "k.deb", std::string(300'000, 'k'));
    const struct {
        const char* Name;
        const char* When; // the text the dialog shows at the moment of Cancel
    } cases[] = {
        {"while connecting", "Verify the Installation Directory and click on Start..."},
        {"while reading the descriptor", "Connected... Retrieving XML descriptor..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TNewVersionDlg dialog(nullptr, Where(), Downloads.Path().string(), {});
        bool cancelled = false;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            // Once the check runs (Start is off), at the step named.
            if (cancelled || dialog.StartBtn->isEnabled() ||
                dialog.msg->text() != QString::fromLatin1(c.When))
                return;
            cancelled = true;
            dialog.CancelBtn->click();
        });
        user.start(0);
        dialog.StartBtnClick();
        EXPECT_TRUE(cancelled);
        EXPECT_TRUE(std::filesystem::is_empty(Downloads.Path())) << "nothing was downloaded";
        EXPECT_TRUE(prompt.TextsShown().empty()) << "and nothing asked or said about it";
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(dialog.StartBtn->isEnabled());
    }
}

} // namespace
} // namespace korvane::test
