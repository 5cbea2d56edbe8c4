#include "publish/upload.h"

#include "editor/editor_page.h"
#include "exec/error_filter.h"
#include "net/ftp_client.h"
#include "net/sftp_session.h"
#include "project/kor_project.h"
#include "publish/ftp_transfer_client.h"
#include "publish/sftp_transfer_client.h"
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

TUploader::~TUploader() = default;

void TUploader::Cancel() {
    if (!Busy || !Client) return;
    CancelRequested = true;
    // A login or a command waiting for its reply ends at once, and so does a transfer.
    Client->Abort();
}

std::unique_ptr<TTransferClient> TUploader::MakeClient() {
    TFtpClient& ftp = Project.FtpClient();
    TSftpSession& sftp = Project.SftpSession();
    if (Project.FtpProtocol() == TFtpProtocol::SFTP) {
        if (ftp.Connected()) ftp.Quit();
        return std::make_unique<TSftpTransferClient>(sftp, CurrentPrompt(), Project.SftpKeyFile());
    }
    sftp.Close();
    return std::make_unique<TFtpTransferClient>(ftp, Project.FtpPassive());
}

bool TUploader::SameServerAndUser(const TLogin& login) const {
    return login.Host == LastLogin.Host && login.Port == LastLogin.Port &&
           login.User == LastLogin.User && login.Protocol == LastLogin.Protocol;
}

bool TUploader::LogIn(std::string& status) {
    const TLogin wanted{Project.FtpHost(), Project.FtpPort(), Project.FtpUserName(),
                        Project.FtpPassword(), static_cast<int>(Project.FtpProtocol())};
    if (Client->Connected()) {
        // A kept session serves only the server, user and password it was opened with.
        if (SameServerAndUser(wanted) &&
            (wanted.Password.empty() || wanted.Password == LastLogin.Password)) {
            status = "Pre-Connected.";
            return true;
        }
        Client->Quit();
    }
    TLogin login = wanted;
    // Asked for only when the protocol needs it: SFTP may log in by key.
    const auto password = [&]() -> std::optional<std::string> {
        if (!login.Password.empty()) return login.Password;
        if (SameServerAndUser(wanted) && !LastLogin.Password.empty())
            return login.Password = LastLogin.Password; // typed at the previous login
        std::string caption = "Login to " + wanted.Host;
        if (!wanted.User.empty()) caption += " using " + wanted.User;
        std::optional<std::string> typed = AskPassword ? AskPassword(caption) : std::nullopt;
        if (typed) login.Password = *typed;
        return typed;
    };
    if (!Client->Connect({login.Host, login.Port, login.User, login.Password}, password)) {
        // A wrong password is asked for again next time.
        LastLogin = {};
        status = "  Could not connect to remote server.";
        if (!Client->ErrorMessage().empty())
            Project.Host().AddMessage({"Upload: " + Client->ErrorMessage(), nullptr});
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
    DeclinedFolders.clear();
    Client = MakeClient();
    std::string status;
    bool failed = !LogIn(status);
    if (!failed && testOnly) {
        if (Client->ChangeFolder(Project.FtpStartDir())) {
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
            std::string message = "Upload " + page->TempFileName() + ": " + page->FtpStatus();
            if (result == TPageResult::Failed && !Client->ErrorMessage().empty())
                message += " (" + Client->ErrorMessage() + ")";
            Project.Host().AddMessage({message, nullptr});
        }
    }
    if (CancelRequested) {
        status += " Cancelled.";
        failed = true;
    }
    if (Client->Connected() && (failed || !Project.FtpKeepOpen())) Client->Quit();
    Client.reset();
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
    const std::string folder =
        ToForwardSlashes(AbsolutePath(Project.FtpStartDir(), page.FtpOffsetDir()));
    if (!Client->ChangeFolder(folder) && !MadeMissingFolder(folder)) {
        status += at + (CancelRequested ? ":Cancelled." : ":PathFail.");
        page.setFtpStatus("Failed to find path \"" + folder + "\" on " + NowText());
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
    const std::string& name = page.FtpDestFilename();
    if (!Client->Put(localFile, name, binary, [&](int64_t sent) {
            if (StatusBar) StatusBar->ShowUploadProgress(name, sent, size);
        })) {
        status += at + (CancelRequested ? ":Cancelled." : ":Failed.");
        page.setFtpStatus("Transfer Failed on " + NowText());
        return CancelRequested ? TPageResult::Cancelled : TPageResult::Failed;
    }
    if (page.FtpChMod()) {
        if (!Client->SetPermissions(name, page.FtpChModVal())) {
            status += at + ":ModFail.";
            page.setFtpStatus("Permissions (CHMOD) Failed on " + NowText());
            return TPageResult::Failed;
        }
    }
    UploadedOk(page, position, localFile, binary, status);
    return TPageResult::Sent;
}

bool TUploader::MadeMissingFolder(const std::string& folder) {
    if (CancelRequested || !Client->FolderCanBeMade() || DeclinedFolders.count(folder))
        return false;
    if (CurrentPrompt().Ask(PromptKind::Confirmation,
                            "The folder \"" + folder +
                                "\" does not exist on the server.\n\nCreate it?",
                            pbYes | pbNo, "Upload", pbYes) != pbYes) {
        DeclinedFolders.insert(folder);
        return false;
    }
    return Client->MakeFolder(folder);
}

void TUploader::UploadedOk(TEditorPage& page, int position, const std::string& localFile,
                           bool binary, std::string& status) {
    status += " " + std::to_string(position) + ":OK.";
    page.setFtpStatus(std::string("Transferred OK (") + (binary ? "Binary)" : "ASCII)"));
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
