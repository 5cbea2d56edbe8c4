#include "publish/upload.h"

#include "editor/editor_page.h"
#include "exec/error_filter.h"
#include "net/ftp_client.h"
#include "project/kor_project.h"
#include "storage/date_text.h"
#include "storage/file_utils.h"
#include "storage/flag_scope.h"
#include "storage/paths.h"

#include <filesystem>

namespace korvane {
namespace {

std::string NowText() {
    return FormatDateTime("ddd d mmm yyyy \"at\" hh:nnam/pm", Now());
}

int64_t FileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<int64_t>(size);
}

} // namespace

TUploader::TUploader(TKorProject& project, PasswordQuestion askPassword)
    : Project(project), AskPassword(std::move(askPassword)) {}

void TUploader::Cancel() {
    if (!Busy) return;
    CancelRequested = true;
    // A login or a command waiting for its reply ends at once; a transfer ends at its next
    // progress report as well.
    Project.FtpClient().Abort();
}

bool TUploader::SameServerAndUser(const TLogin& login) const {
    return login.Host == LastLogin.Host && login.Port == LastLogin.Port &&
           login.User == LastLogin.User;
}

bool TUploader::LogIn(std::string& status) {
    TFtpClient& client = Project.FtpClient();
    const TLogin wanted{Project.FtpHost(), Project.FtpPort(), Project.FtpUserName(),
                        Project.FtpPassword()};
    if (client.Connected()) {
        // A kept session serves only the server, user and password it was opened with.
        if (SameServerAndUser(wanted) &&
            (wanted.Password.empty() || wanted.Password == LastLogin.Password)) {
            status = "Pre-Connected.";
            return true;
        }
        client.Quit();
    }
    TLogin login = wanted;
    if (login.Password.empty()) {
        if (SameServerAndUser(wanted) && !LastLogin.Password.empty()) {
            login.Password = LastLogin.Password; // typed at the previous login
        } else {
            std::string caption = "Login to " + wanted.Host;
            if (!wanted.User.empty()) caption += " using " + wanted.User;
            std::optional<std::string> typed = AskPassword ? AskPassword(caption) : std::nullopt;
            if (!typed) {
                status = "  Could not connect to remote server.";
                return false;
            }
            login.Password = *typed;
        }
    }
    client.HostName = login.Host;
    client.Port = login.Port;
    client.UserName = login.User;
    client.PassWord = login.Password;
    client.Passive = Project.FtpPassive();
    if (!client.Connect()) {
        // A wrong password is asked for again next time.
        LastLogin = {};
        status = "  Could not connect to remote server.";
        return false;
    }
    LastLogin = login;
    status = "Connected OK.";
    return true;
}

bool TUploader::Upload(bool testOnly, TUploadStatusBar* statusBar) {
    if (Busy) return false;
    const TFlagScope busy(Busy);
    StatusBar = statusBar;
    CancelRequested = false;
    Count = {};
    TFtpClient& client = Project.FtpClient();
    std::string status;
    bool failed = !LogIn(status);
    if (!failed && testOnly) {
        client.HostDirName = Project.FtpStartDir();
        if (client.Cwd()) {
            status += "  Found start directory.";
        } else {
            status += "  Start directory missing.";
            failed = true;
        }
    } else if (!failed) {
        for (int index = 0; index < Project.Count() && !CancelRequested; ++index) {
            auto* page = dynamic_cast<TEditorPage*>(&Project.Page(index));
            if (!page || !page->FtpUpload()) continue;
            ++Count.UploadAttempted;
            const TPageResult result = SendPage(*page, index + 1, status);
            if (result == TPageResult::Failed || result == TPageResult::Cancelled) {
                failed = true;
                ++Count.UploadFailed;
            }
            Project.Host().AddMessage(
                {"Upload " + page->TempFileName() + ": " + page->FtpStatus(), nullptr});
        }
    }
    if (CancelRequested) {
        status += " Cancelled.";
        failed = true;
    }
    if (client.Connected() && (failed || !Project.FtpKeepOpen())) client.Quit();
    Report(status, failed);
    Project.Host().AddMessage({"Upload: " + status, nullptr});
    StatusBar = nullptr;
    return !failed;
}

TUploader::TPageResult TUploader::SendPage(TEditorPage& page, int position, std::string& status) {
    const std::string at = " " + std::to_string(position);
    if (page.HasEditor()) page.SaveToFile("", false);
    const std::string localFile = page.TempFileName();
    if (!FileExists(localFile)) {
        status += at + ":Missing.";
        page.setFtpStatus("Source file missing on " + NowText());
        return TPageResult::Failed;
    }
    if (page.FtpDestFilename().empty()) {
        status += at + ":NoDest.";
        page.setFtpStatus("No destn name given on " + NowText());
        return TPageResult::Failed;
    }
    if (!page.NeedsUploading()) {
        status += at + ":Unchanged.";
        page.setFtpStatus("File ignored since unchanged - checked at " + NowText());
        ++Count.UploadIgnored;
        return TPageResult::Unchanged;
    }
    TFtpClient& client = Project.FtpClient();
    client.HostDirName = ToForwardSlashes(AbsolutePath(Project.FtpStartDir(), page.FtpOffsetDir()));
    client.HostFileName = page.FtpDestFilename();
    client.SetLocalFileName(localFile);
    if (!client.Cwd()) {
        status += at + (CancelRequested ? ":Cancelled." : ":PathFail.");
        page.setFtpStatus("Failed to find path \"" + client.HostDirName + "\" on " + NowText());
        return CancelRequested ? TPageResult::Cancelled : TPageResult::Failed;
    }
    bool binary = true;
    switch (page.FtpTransferType()) {
    case 0:
        binary = AutoBinary(page.FtpDestFilename());
        break;
    case 2:
        binary = false;
        break;
    default:
        binary = true;
    }
    const int64_t size = FileSize(localFile);
    client.OnProgress = [&](int64_t sent, bool& abort) {
        if (StatusBar) StatusBar->ShowUploadProgress(page.FtpDestFilename(), sent, size);
        abort = CancelRequested;
    };
    // A refused transfer type would send the file in the wrong form: that is a failure too.
    const bool sent = (binary ? client.TypeBinary() : client.TypeAscii()) && client.Put();
    client.OnProgress = nullptr;
    if (!sent) {
        status += at + (CancelRequested ? ":Cancelled." : ":Failed.");
        page.setFtpStatus("Transfer Failed on " + NowText());
        return CancelRequested ? TPageResult::Cancelled : TPageResult::Failed;
    }
    if (page.FtpChMod()) {
        client.SetLocalFileName("site chmod " + page.FtpChModVal() + " " + client.HostFileName);
        if (!client.Quote()) {
            status += at + ":ModFail.";
            page.setFtpStatus("Permissions (CHMOD) Failed on " + NowText());
            return TPageResult::Failed;
        }
    }
    UploadedOk(page, position, localFile, status);
    return TPageResult::Sent;
}

void TUploader::UploadedOk(TEditorPage& page, int position, const std::string& localFile,
                           std::string& status) {
    status += " " + std::to_string(position) + ":OK.";
    page.setFtpStatus(std::string("Transferred OK (") +
                      (Project.FtpClient().Binary ? "Binary)" : "ASCII)"));
    page.setFtpUploadDate(Now());
    TDateTime written = 0;
    if (FileDateTime(localFile, written)) page.setFtpLocalFileDate(written);
    ++Count.UploadCompleted;
}

void TUploader::Report(const std::string& text, bool failed) {
    if (StatusBar) StatusBar->ShowUploadStatus(text, failed);
}

std::string TUploader::SummaryText(bool failed) const {
    std::string text =
        std::string("Upload process completed ") + (failed ? "with problems" : "OK") + "\r\n";
    if (Count.UploadAttempted > 0)
        text += std::to_string(Count.UploadAttempted) + " attempted. " + "\r\n";
    if (Count.UploadCompleted > 0)
        text += std::to_string(Count.UploadCompleted) + " completed. " + "\r\n";
    if (Count.UploadIgnored > 0)
        text += std::to_string(Count.UploadIgnored) + " ignored. " + "\r\n";
    if (Count.UploadFailed > 0) text += std::to_string(Count.UploadFailed) + " failed.";
    return text;
}

bool TUploader::AutoBinary(const std::string& fileName) const {
    const TFileType* type = Project.FileTypes().Find(FileExtension(fileName));
    return !type || !type->AsciiTransfer;
}

bool TUploader::AnyFilesNeedUploading(const TKorProject& project) {
    for (int index = 0; index < project.Count(); ++index) {
        const auto* page = dynamic_cast<const TEditorPage*>(&project.Page(index));
        if (page && page->FtpUpload() && page->NeedsUploading()) return true;
    }
    return false;
}

bool TUploader::AnyFilesCheckedForUploading(const TKorProject& project) {
    for (int index = 0; index < project.Count(); ++index) {
        const auto* page = dynamic_cast<const TEditorPage*>(&project.Page(index));
        if (page && page->FtpUpload()) return true;
    }
    return false;
}

} // namespace korvane
