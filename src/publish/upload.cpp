#include "publish/upload.h"

#include "editor/editor_page.h"
#include "net/ftp_client.h"
#include "net/sftp_session.h"
#include "project/kor_project.h"
#include "publish/ftp_transfer_client.h"
#include "publish/remote_path.h"
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

// The organizer keeps three octal digits; -1 for anything that is not one to four of them.
int OctalMode(const std::string& text) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("01234567") != std::string::npos)
        return -1;
    return static_cast<int>(std::stoul(text, nullptr, 8));
}

} // namespace

TUploader::TUploader(TKorProject& project, PasswordQuestion askPassword)
    : Project(project), AskPassword(std::move(askPassword)) {}

TUploader::~TUploader() = default;

void TUploader::Cancel() {
    if (!Busy || !Client) return;
    CancelRequested = true;
    // A login or a command waiting for its reply ends at once; a transfer stops and takes
    // its temporary file away.
    Client->Cancel();
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
                        Password.value_or(Project.FtpPassword()),
                        static_cast<int>(Project.FtpProtocol())};
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
        const std::string reason = Client->ErrorMessage();
        if (Client->LoginRefused()) {
            LoginProblemText = "Login refused by the server: " + reason;
            status = "  " + LoginProblemText;
        } else {
            LoginProblemText = "Could not connect to remote server" +
                               (reason.empty() ? std::string(".") : ": " + reason);
            status = "  Could not connect to remote server.";
        }
        return false;
    }
    LastLogin = login;
    status = "Connected OK.";
    return true;
}

bool TUploader::EnsureSession() {
    if (Client->Connected()) return true;
    if (Reconnected) return false;
    Reconnected = true;
    const TTransferLogin login{LastLogin.Host, LastLogin.Port, LastLogin.User, LastLogin.Password};
    // Nobody is asked again: the password is the one that worked a moment ago.
    return Client->Connect(login, [&]() -> std::optional<std::string> {
        if (LastLogin.Password.empty()) return std::nullopt;
        return LastLogin.Password;
    });
}

bool TUploader::Upload(bool testOnly, TUploadStatusBar* statusBar) {
    if (Busy) return false;
    const TFlagScope busy(Busy);
    const TKorProject::TPageListLock locked(
        Project, "An upload is running: wait for it to end, or cancel it, before closing or "
                 "moving files.");
    StatusBar = statusBar;
    CancelRequested = false;
    Reconnected = false;
    Count = {};
    DeclinedFolders.clear();
    LoginProblemText.clear();
    Client = MakeClient();
    std::string status;
    bool failed = false;
    try {
        failed = !LogIn(status);
        if (!failed && testOnly) {
            if (Client->ChangeFolder(
                    RemoteFolder(Client->LoginFolder(), Project.FtpStartDir(), ""))) {
                status += "  Found start directory.";
            } else {
                status += "  Start directory missing.";
                failed = true;
            }
        } else if (!failed) {
            SendPages(status, failed);
        }
    } catch (...) {
        // Not the server's failure (a page that could not be saved): the session ends with it.
        EndSession(true);
        StatusBar = nullptr;
        throw;
    }
    if (CancelRequested) {
        status += " Cancelled.";
        failed = true;
    }
    EndSession(failed);
    Report(status, failed);
    Project.Host().AddMessage(
        {"Upload: " + (LoginProblemText.empty() ? status : LoginProblemText), nullptr});
    StatusBar = nullptr;
    return !failed;
}

void TUploader::EndSession(bool failed) {
    if (Client && Client->Connected() && (failed || !Project.FtpKeepOpen())) Client->Quit();
    Client.reset();
}

void TUploader::SendPages(std::string& status, bool& failed) {
    for (int index = 0; index < Project.Count() && !CancelRequested; ++index) {
        auto* page = dynamic_cast<TEditorPage*>(&Project.Page(index));
        if (!page || !page->FtpUpload()) continue;
        ++Count.UploadAttempted;
        PageError.clear();
        const TPageResult result = SendPage(*page, index + 1, status);
        if (result == TPageResult::Failed || result == TPageResult::Cancelled) {
            failed = true;
            ++Count.UploadFailed;
        }
        std::string message = "Upload " + page->TempFileName() + ": " + page->FtpStatus();
        if (result == TPageResult::Failed && !PageError.empty()) message += " (" + PageError + ")";
        Project.Host().AddMessage({message, nullptr});
        if (!Client->Leftover().empty()) RemoveLeftover();
    }
}

void TUploader::RemoveLeftover() {
    const std::string leftover = Client->Leftover();
    if (EnsureSession() && Client->RemoveLeftover()) return;
    Project.Host().AddMessage({"Upload: the temporary file " + leftover +
                                   " could not be removed from the server (" +
                                   Client->ErrorMessage() + ")",
                               nullptr});
}

TPageDecision TUploader::Decide(const TEditorPage& page) const {
    using TKind = TPageDecision::TKind;
    if (!FileExists(page.TempFileName()) && !page.EditorModified())
        return {TKind::Missing, "source file missing"};
    if (page.FtpDestFilename().empty()) return {TKind::NoDest, "no destination name given"};
    if (SendUnchanged) return {TKind::Send, "every marked file is sent"};
    if (!Project.FtpUploadChangedFiles())
        return {TKind::Send, "the project sends every marked file"};
    if (!page.NeedsUploading()) return {TKind::Unchanged, "unchanged since its last upload"};
    if (page.EditorModified()) return {TKind::Send, "changed in the editor"};
    if (page.FtpLocalFileDate() == 0)
        return {TKind::Send,
                page.FtpUploadDate() == 0 ? "not uploaded yet" : "its upload settings changed"};
    return {TKind::Send, "changed since its last upload"};
}

std::string TUploader::RemoteFolderOf(const TEditorPage& page,
                                      const std::string& loginFolder) const {
    return RemoteFolder(loginFolder, Project.FtpStartDir(), page.FtpOffsetDir());
}

TUploader::TPageResult TUploader::SendPage(TEditorPage& page, int position, std::string& status) {
    const std::string at = " " + std::to_string(position);
    if (page.HasEditor()) page.SaveToFile("", false);
    const std::string localFile = page.TempFileName();
    const TPageDecision decision = Decide(page);
    switch (decision.Kind) {
    case TPageDecision::TKind::Missing:
        status += at + ":Missing.";
        page.setFtpStatus("Source file missing on " + NowText());
        return TPageResult::Failed;
    case TPageDecision::TKind::NoDest:
        status += at + ":NoDest.";
        page.setFtpStatus("No destn name given on " + NowText());
        return TPageResult::Failed;
    case TPageDecision::TKind::Unchanged:
        status += at + ":Unchanged.";
        page.setFtpStatus("File ignored since unchanged - checked at " + NowText());
        ++Count.UploadIgnored;
        return TPageResult::Unchanged;
    case TPageDecision::TKind::Send:
        break;
    }
    const auto transferFailed = [&](const std::string& why) {
        PageError = why;
        status += at + ":Failed.";
        page.setFtpStatus("Transfer Failed on " + NowText());
        return TPageResult::Failed;
    };
    if (!EnsureSession()) return transferFailed("the connection to the server was lost");
    const std::string folder = RemoteFolderOf(page, Client->LoginFolder());
    if (!Client->ChangeFolder(folder) && !MadeMissingFolder(folder)) {
        PageError = Client->ErrorMessage();
        status += at + (CancelRequested ? ":Cancelled." : ":PathFail.");
        page.setFtpStatus("Failed to find path \"" + folder + "\" on " + NowText());
        return CancelRequested ? TPageResult::Cancelled : TPageResult::Failed;
    }
    const int mode = page.FtpChMod() ? OctalMode(page.FtpChModVal()) : -1;
    if (page.FtpChMod() && mode < 0) {
        PageError = "invalid permissions \"" + page.FtpChModVal() + "\"";
        status += at + ":ModFail.";
        page.setFtpStatus("Permissions (CHMOD) Failed on " + NowText());
        return TPageResult::Failed;
    }
    const bool binary = SendsBinary(page);
    const int64_t size = FileSize(localFile);
    const std::string& name = page.FtpDestFilename();
    const TTransferClient::TPutResult result =
        Client->Put({localFile, name, binary, mode}, [&](int64_t sent) {
            if (StatusBar) StatusBar->ShowUploadProgress(name, sent, size);
        });
    switch (result) {
    case TTransferClient::TPutResult::Sent:
        UploadedOk(page, position, localFile, binary, status);
        return TPageResult::Sent;
    case TTransferClient::TPutResult::PermissionsRefused:
        PageError = Client->ErrorMessage();
        status += at + ":ModFail.";
        page.setFtpStatus("Permissions (CHMOD) Failed on " + NowText());
        return TPageResult::Failed;
    case TTransferClient::TPutResult::Cancelled:
        status += at + ":Cancelled.";
        page.setFtpStatus("Transfer Failed on " + NowText());
        return TPageResult::Cancelled;
    case TTransferClient::TPutResult::Failed:
        break;
    }
    if (CancelRequested) {
        status += at + ":Cancelled.";
        page.setFtpStatus("Transfer Failed on " + NowText());
        return TPageResult::Cancelled;
    }
    return transferFailed(Client->ErrorMessage());
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
    if (!LoginProblemText.empty()) text += LoginProblemText + "\r\n";
    if (Count.UploadAttempted > 0)
        text += std::to_string(Count.UploadAttempted) + " attempted. " + "\r\n";
    if (Count.UploadCompleted > 0)
        text += std::to_string(Count.UploadCompleted) + " completed. " + "\r\n";
    if (Count.UploadIgnored > 0)
        text += std::to_string(Count.UploadIgnored) + " ignored. " + "\r\n";
    if (Count.UploadFailed > 0) text += std::to_string(Count.UploadFailed) + " failed.";
    return text;
}

bool TUploader::SendsBinary(const TEditorPage& page) const {
    switch (page.FtpTransferType()) {
    case 0:
        return AutoBinary(page.FtpDestFilename());
    case 2:
        return false;
    default:
        return true;
    }
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
