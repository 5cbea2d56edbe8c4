// korvane-publish: the IDE's upload without the IDE, for scripts and CI. It loads a project,
// sends its marked, changed files with the project's own server settings, prints one line per
// file as the IDE's message list does, and writes the new upload dates and statuses back
// through the project's own save.
#include "headless_host.h"
#include "publish_options.h"

#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "model/global_settings.h"
#include "project/kor_project.h"
#include "publish/remote_path.h"
#include "publish/upload.h"
#include "storage/byte_stream.h"
#include "storage/section_list.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace korvane {
namespace {

// As the IDE opens a project, without what belongs to an interactive start (the checks of
// the tools, a database server brought up): the file is written back, and nothing but the
// uploads may change it.
void LoadProject(TKorProject& project, const std::string& path) {
    project.Clear();
    project.SetFileName(std::filesystem::absolute(path).lexically_normal().string());
    TFileStream file(project.FileName(), TFileStream::TMode::OpenRead);
    TSectionListUse use(SectionList(), file, true);
    project.LoadFromStream(SectionList());
}

void PrintLines(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        if (c != '\n') {
            line += c;
            continue;
        }
        std::printf("%s\n", line.c_str());
        line.clear();
    }
    if (!line.empty()) std::printf("%s\n", line.c_str());
}

std::string Sending(const TUploader& uploader, const TEditorPage& page) {
    std::string how = uploader.SendsBinary(page) ? "Binary" : "ASCII";
    if (page.FtpChMod()) how += ", permissions " + page.FtpChModVal();
    return how;
}

int DryRun(const TKorProject& project, const TUploader& uploader) {
    int sent = 0, skipped = 0, failing = 0;
    for (int index = 0; index < project.Count(); ++index) {
        const auto* page = dynamic_cast<const TEditorPage*>(&project.Page(index));
        if (!page || !page->FtpUpload()) continue;
        const TPageDecision decision = uploader.Decide(*page);
        std::string what;
        switch (decision.Kind) {
        case TPageDecision::TKind::Send:
            ++sent;
            what = "would be sent to " +
                   RemoteFile(uploader.RemoteFolderOf(*page, ""), page->FtpDestFilename()) + " (" +
                   decision.Why + "; " + Sending(uploader, *page) + ")";
            break;
        case TPageDecision::TKind::Unchanged:
            ++skipped;
            what = "would be skipped (" + decision.Why + ")";
            break;
        case TPageDecision::TKind::Missing:
        case TPageDecision::TKind::NoDest:
            ++failing;
            what = "would fail (" + decision.Why + ")";
            break;
        }
        std::printf("Upload %s: %s\n", page->TempFileName().c_str(), what.c_str());
    }
    std::printf("Dry run: %d to send, %d to skip, %d failing; nothing was sent.\n", sent, skipped,
                failing);
    return failing > 0 ? 1 : 0;
}

int Publish(TKorProject& project, TUploader& uploader) {
    bool ok = false;
    try {
        ok = uploader.Upload(false, nullptr);
        PrintLines(uploader.SummaryText(!ok));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "korvane-publish: %s\n", error.what());
    }
    try {
        // What the upload recorded on the pages, in the project's own format.
        if (project.getModified()) project.SaveToFile(project.FileName());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "korvane-publish: the project file could not be written: %s\n",
                     error.what());
        return 1;
    }
    return ok ? 0 : 1;
}

int Run(const TPublishOptions& options, THeadlessPrompt& prompt) {
    TGlobalSettings settings;
    TDebugForm debugger;
    THeadlessHost host;
    TKorProject project(settings, debugger.Console(), &host);
    host.Attach(project);
    InstallEditorPages(project, debugger);
    try {
        LoadProject(project, options.Project);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "korvane-publish: %s: %s\n", options.Project.c_str(), error.what());
        return 1;
    }
    // Such a question drops what it was about (a file the project lists that is not there):
    // written back, the project would lose it.
    if (prompt.TakeDeclined() > 0) {
        std::fprintf(stderr,
                     "korvane-publish: %s did not open as it was saved (see above); "
                     "nothing was sent and the project file was left as it is\n",
                     options.Project.c_str());
        return 1;
    }
    // Nobody is there to type a password: it comes from the environment or not at all.
    TUploader uploader(project, [](const std::string& login) {
        std::fprintf(stderr, "korvane-publish: %s needs a password: set KORVANE_FTP_PASSWORD\n",
                     login.c_str());
        return std::optional<std::string>();
    });
    uploader.SendUnchanged = options.All;
    if (const char* password = std::getenv("KORVANE_FTP_PASSWORD"); password && *password)
        uploader.Password = password;
    return options.DryRun ? DryRun(project, uploader) : Publish(project, uploader);
}

} // namespace
} // namespace korvane

int main(int argc, char** argv) {
    using namespace korvane;
    TPublishOptions options;
    if (const auto status =
            ParsePublishOptions({argv + 1, argv + argc}, options, std::cout, std::cerr))
        return *status;
    // No window is ever shown; the pages' editors need widgets, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    THeadlessPrompt prompt;
    InstallPrompt(&prompt);
    CreateSectionList();
    const int status = Run(options, prompt);
    FreeSectionList();
    InstallPrompt(nullptr);
    return status;
}
