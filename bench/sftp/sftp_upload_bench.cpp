// Times one upload of one file through the project's uploader over SFTP: login, host-key
// check, transfer and rename, as the user waits for them. bench/sftp.sh compares it with
// OpenSSH's sftp against the same server.
//
//   bench_sftp_upload PORT USER KEY_FILE KNOWN_HOSTS LOCAL_FILE REMOTE_FOLDER
#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "model/global_settings.h"
#include "net/sftp_session.h"
#include "project/kor_project.h"
#include "publish/upload.h"
#include "storage/paths.h"
#include "storage/section_list.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

using namespace korvane;

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s PORT USER KEY KNOWN_HOSTS LOCAL REMOTE_FOLDER\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    CreateSectionList();
    int result = 1;
    {
        TGlobalSettings settings;
        TDebugForm debugger;
        TKorProject project(settings, debugger.Console());
        InstallEditorPages(project, debugger);
        project.FileTypes().MakeDefault();
        project.setFtpProtocol(TFtpProtocol::SFTP);
        project.setFtpHost("127.0.0.1");
        project.setFtpPort(argv[1]);
        project.setFtpUserName(argv[2]);
        project.setSftpKeyFile(argv[3]);
        project.SftpSession().KnownHostsFile = argv[4];
        project.setFtpStartDir(argv[6]);
        const std::string local = argv[5];
        TProjectPage& page = project.Add(local, false);
        auto& editorPage = dynamic_cast<TEditorPage&>(page);
        editorPage.setFtpUpload(true);
        editorPage.setFtpDestFilename(std::filesystem::path(local).filename().string());
        editorPage.setFtpTransferType(1);
        TUploader uploader(project, [](const std::string&) { return std::nullopt; });
        const auto start = std::chrono::steady_clock::now();
        const bool ok = uploader.Upload(false, nullptr);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (ok) {
            std::printf("%.4f\n", seconds);
            result = 0;
        } else {
            std::fprintf(stderr, "upload failed: %s\n", editorPage.FtpStatus().c_str());
        }
    }
    FreeSectionList();
    return result;
}
