#pragma once
// A project with pages marked for upload, a status bar that records what it is shown, and a
// password question answered by the test: shared by the FTP and SFTP upload tests.
#include "editor_fixture.h"

#include "publish/upload.h"

#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace korvane::test {

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct RecordingStatusBar : TUploadStatusBar {
    std::string Text;
    bool Failed = false;
    int ProgressReports = 0;
    std::function<void()> OnProgress;
    void ShowUploadStatus(const std::string& text, bool failed) override {
        Text = text;
        Failed = failed;
    }
    void ShowUploadProgress(const std::string&, int64_t, int64_t) override {
        ++ProgressReports;
        if (OnProgress) OnProgress();
    }
};

class UploadFixture : public EditorTest {
protected:
    // A page for a new file in the site folder, marked for upload under its own name.
    TEditorPage& MarkedPage(const std::string& name, const std::string& text,
                            const std::string& offsetDir = "") {
        std::ofstream(Dir.File("site/" + name), std::ios::binary) << text;
        TEditorPage& page = Open(Dir.File("site/" + name));
        page.setFtpUpload(true);
        page.setFtpDestFilename(name);
        page.setFtpOffsetDir(offsetDir);
        return page;
    }
    void UseHost(uint16_t port, const std::string& user, const std::string& password,
                 const std::string& startDir = "/") {
        Project->setFtpHost("127.0.0.1");
        Project->setFtpPort(std::to_string(port));
        Project->setFtpUserName(user);
        Project->setFtpPassword(password);
        Project->setFtpStartDir(startDir);
    }
    // Counts the password questions and answers them from Answers (nothing: Cancel).
    TUploader MakeUploader() {
        return TUploader(*Project, [this](const std::string& caption) {
            Questions.push_back(caption);
            return Answer;
        });
    }

    std::vector<std::string> Questions;
    std::optional<std::string> Answer;
    RecordingStatusBar Bar;
};

} // namespace korvane::test
