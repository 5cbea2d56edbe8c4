// korvane-publish from end to end: a project saved by the IDE's own code, the program run as a
// script would run it against a real FTP server, and the project file read back.
#include "ftp_test_servers.h"
#include "sshd_test_server.h"
#include "upload_fixture.h"

#include "project/kor_project.h"
#include "storage/file_utils.h"
#include "storage/section_dump.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <filesystem>
#include <regex>
#include <sstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int Exit = -1;
    std::string Out, Err;
};

// The stored file as its section listing, without what changes on every save (the sizes and
// places of sections, the time of the save) or on every upload (each page's upload record).
std::string StableListing(const std::string& path) {
    const std::string bytes = ReadAll(path);
    std::ostringstream listing;
    DumpStoredFile({bytes.begin(), bytes.end()}, listing, {true});
    const std::regex where(R"( @\d+: stored \d+ bytes(, \w+, \d+ bytes decompressed)?)");
    const std::regex size(R"(values: \d+ bytes)");
    std::istringstream lines(listing.str());
    std::string stable;
    size_t skipDeeperThan = std::string::npos;
    for (std::string line; std::getline(lines, line);) {
        const size_t indent = line.find_first_not_of(' ');
        if (indent != std::string::npos && indent > skipDeeperThan) continue;
        skipDeeperThan = std::string::npos;
        if (line.find("\"Statistics\"") != std::string::npos ||
            line.find("\"FTP Details\"") != std::string::npos)
            skipDeeperThan = indent;
        if (line.rfind("file of ", 0) == 0) continue; // the whole size
        stable += std::regex_replace(std::regex_replace(line, where, ""), size, "values") + "\n";
    }
    return stable;
}

class PublishToolTest : public UploadFixture {
protected:
    void SetUp() override {
        if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
        Server.emplace();
        // The project's temporary folder is there, as it is for a project in use (a load
        // repairs a vanished one, which would change the file).
        fs::create_directories(Dir.File("temp"));
        // Stored without a password: the run gets it from its environment.
        UseHost(Server->Port(), PyFtpServer::User, "");
    }
    ToolRun Run(const QStringList& arguments, const std::string& password) {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (password.empty())
            environment.remove("KORVANE_FTP_PASSWORD");
        else
            environment.insert("KORVANE_FTP_PASSWORD", QString::fromStdString(password));
        tool.setProcessEnvironment(environment);
        tool.start(KORVANE_PUBLISH_TOOL, arguments);
        EXPECT_TRUE(tool.waitForFinished(60000));
        return {tool.exitCode(), tool.readAllStandardOutput().toStdString(),
                tool.readAllStandardError().toStdString()};
    }
    ToolRun Publish(const std::string& password, const QStringList& options = {}) {
        return Run(QStringList{QString::fromStdString(ProjectFile)} + options, password);
    }
    // The project as the IDE would open it next.
    std::unique_ptr<TKorProject> Reload() {
        auto project = NewProject();
        project->LoadFromFile(ProjectFile);
        return project;
    }
    static TEditorPage& PageOf(TKorProject& project, int index) {
        return AsEditorPage(project.Page(index));
    }

    std::optional<PyFtpServer> Server;
    const std::string ProjectFile = Dir.File("site/site.kvp");
};

TEST_F(PublishToolTest, SendsTheChangedFilesWritesTheirDatesBackAndChangesNothingElse) {
    MarkedPage("index.html", "<p>new</p>\r\n").setFtpTransferType(2);
    TEditorPage& style = MarkedPage("style.css", "p {}\n");
    TDateTime written = 0;
    ASSERT_TRUE(FileDateTime(style.TempFileName(), written));
    style.setFtpLocalFileDate(written);
    style.setFtpStatus("Transferred OK (Binary)");
    Project->setCurrentPage(&Project->Page(0)); // the page the IDE shows
    Project->SaveToFile(ProjectFile);
    const std::string before = ReadAll(ProjectFile);

    // A dry run says what would go and why, and touches nothing.
    ToolRun dry = Publish(PyFtpServer::Password, {"--dry-run"});
    EXPECT_EQ(dry.Exit, 0) << dry.Err;
    EXPECT_EQ(dry.Out, "Upload " + Dir.File("site/index.html") +
                           ": would be sent to /index.html (not uploaded yet; ASCII)\n"
                           "Upload " +
                           Dir.File("site/style.css") +
                           ": would be skipped (unchanged since its last upload)\n"
                           "Dry run: 1 to send, 1 to skip, 0 failing; nothing was sent.\n");
    EXPECT_EQ(ReadAll(ProjectFile), before);
    EXPECT_FALSE(FileExists(Server->HomeFile("index.html")));

    // Without the password nothing can go, and the run says why.
    ToolRun refused = Publish("");
    EXPECT_EQ(refused.Exit, 1);
    EXPECT_NE(refused.Err.find("set KORVANE_FTP_PASSWORD"), std::string::npos) << refused.Err;
    EXPECT_FALSE(FileExists(Server->HomeFile("index.html")));

    ToolRun run = Publish(PyFtpServer::Password);
    EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
    EXPECT_EQ(ReadAll(Server->HomeFile("index.html")), "<p>new</p>\n");
    EXPECT_FALSE(FileExists(Server->HomeFile("style.css")));
    std::istringstream lines(run.Out);
    std::vector<std::string> out;
    for (std::string line; std::getline(lines, line);)
        out.push_back(line);
    ASSERT_GE(out.size(), 3u) << run.Out;
    EXPECT_EQ(out[0], "Upload " + Dir.File("site/index.html") + ": Transferred OK (ASCII)");
    EXPECT_EQ(out[1].rfind("Upload " + Dir.File("site/style.css") +
                               ": File ignored since unchanged - checked at ",
                           0),
              0u)
        << out[1];
    EXPECT_EQ(out[2], "Upload: Connected OK. 1:OK. 2:Unchanged.");

    std::unique_ptr<TKorProject> after = Reload();
    ASSERT_EQ(after->Count(), 2);
    EXPECT_EQ(PageOf(*after, 0).FtpStatus(), "Transferred OK (ASCII)");
    EXPECT_NE(PageOf(*after, 0).FtpUploadDate(), 0);
    EXPECT_FALSE(PageOf(*after, 0).NeedsUploading());
    EXPECT_EQ(StableListing(ProjectFile), [&] {
        WriteBytes(Dir.File("before.kvp"), before);
        return StableListing(Dir.File("before.kvp"));
    }()) << "the file differs from the one saved only in what the upload recorded";

    // --all sends the unchanged file too; the project's own setting stays.
    ToolRun all = Publish(PyFtpServer::Password, {"--all"});
    EXPECT_EQ(all.Exit, 0) << all.Out << all.Err;
    EXPECT_EQ(ReadAll(Server->HomeFile("style.css")), "p {}\n");
    EXPECT_TRUE(Reload()->FtpUploadChangedFiles());
}

TEST_F(PublishToolTest, AFailedFileOrAWrongCommandLineEndsWithAnExitStatusThatSaysSo) {
    MarkedPage("a.txt", "a");
    // A file without an editor is listed whether it is there or not.
    TEditorPage& gone = MarkedPage("gone.bin", "gone");
    fs::remove(gone.TempFileName());
    Project->setCurrentPage(&Project->Page(0));
    Project->SaveToFile(ProjectFile);

    ToolRun dry = Publish(PyFtpServer::Password, {"--dry-run"});
    EXPECT_EQ(dry.Exit, 1);
    EXPECT_NE(dry.Out.find("gone.bin: would fail (source file missing)"), std::string::npos)
        << dry.Out;
    ToolRun run = Publish(PyFtpServer::Password);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_NE(run.Out.find("Upload: Connected OK. 1:OK. 2:Missing."), std::string::npos) << run.Out;
    EXPECT_EQ(ReadAll(Server->HomeFile("a.txt")), "a") << "the others still go";
    EXPECT_EQ(PageOf(*Reload(), 1).FtpStatus().rfind("Source file missing on ", 0), 0u);

    // A page with an editor whose file is gone would not open: the project is left alone
    // rather than written back without it.
    fs::remove(Dir.File("site/a.txt"));
    const std::string before = ReadAll(ProjectFile);
    ToolRun lost = Publish(PyFtpServer::Password);
    EXPECT_EQ(lost.Exit, 1);
    EXPECT_NE(lost.Err.find("did not open as it was saved"), std::string::npos) << lost.Err;
    EXPECT_EQ(ReadAll(ProjectFile), before);

    const struct {
        QStringList Arguments;
        const char* Says;
    } wrong[] = {
        {{QString::fromStdString(ProjectFile), "--password=secret"}, "KORVANE_FTP_PASSWORD"},
        {{QString::fromStdString(ProjectFile), "--everything"}, "unknown option '--everything'"},
        {{}, "missing PROJECT.kvp"},
    };
    for (const auto& c : wrong) {
        ToolRun bad = Run(c.Arguments, PyFtpServer::Password);
        EXPECT_EQ(bad.Exit, 2) << c.Says;
        EXPECT_NE(bad.Err.find(c.Says), std::string::npos) << bad.Err;
    }
    ToolRun help = Run({"--help"}, "");
    EXPECT_EQ(help.Exit, 0);
    EXPECT_EQ(help.Out.rfind("Usage: korvane-publish PROJECT.kvp [--dry-run] [--all]", 0), 0u);
    ToolRun version = Run({"--version"}, "");
    EXPECT_EQ(version.Exit, 0);
    EXPECT_EQ(version.Out.rfind("korvane-publish (Korvane) ", 0), 0u) << version.Out;
    ToolRun missing = Run({QString::fromStdString(Dir.File("none.kvp"))}, "");
    EXPECT_EQ(missing.Exit, 1);
}

TEST_F(PublishToolTest, OverSftpItLogsInByKeyAndTrustsOnlyAServerAlreadyKnown) {
    if (!SshdServer::Unavailable().empty()) GTEST_SKIP() << SshdServer::Unavailable();
    SshdServer sshd;
    UseHost(sshd.Port(), SshdServer::User(), "", sshd.Home());
    Project->setFtpProtocol(TFtpProtocol::SFTP);
    Project->setSftpKeyFile(sshd.ClientKeyFile());
    MarkedPage("run.pl", "print 1;\r\n").setFtpTransferType(2);
    Project->setCurrentPage(&Project->Page(0));
    Project->SaveToFile(ProjectFile);
    const ScopedEnv noAgent("SSH_AUTH_SOCK", "");

    // The run's known hosts are the user's own (HOME is the test's folder).
    fs::create_directories(Dir.File(".ssh"));
    ToolRun unknown = Publish("");
    EXPECT_EQ(unknown.Exit, 1);
    EXPECT_NE(unknown.Err.find("is not known yet"), std::string::npos) << unknown.Err;
    EXPECT_FALSE(FileExists(sshd.HomeFile("run.pl")));
    EXPECT_FALSE(FileExists(Dir.File(".ssh/known_hosts"))) << "nobody said yes to it";

    WriteBytes(Dir.File(".ssh/known_hosts"), sshd.KnownHostsLine() + "\n");
    ToolRun run = Publish("");
    EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
    EXPECT_EQ(ReadAll(sshd.HomeFile("run.pl")), "print 1;\n");
    EXPECT_EQ(PageOf(*Reload(), 0).FtpStatus(), "Transferred OK (ASCII)");
}

} // namespace
} // namespace korvane::test
