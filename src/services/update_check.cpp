#include "services/update_check.h"

#include "model/global_settings.h"
#include "net/ftp_client.h"
#include "storage/paths.h"
#include "storage/scramble.h"
#include "storage/tag_value.h"
#include "storage/text_utils.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>

#include <cmath>
#include <filesystem>
#include <sstream>

namespace korvane {
namespace {

constexpr int64_t DescriptorLimit = 64 * 1024;

std::string TrimText(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

int64_t NumberOr(const std::string& text, int64_t fallback) {
    const std::string trimmed = TrimText(text);
    if (trimmed.empty()) return fallback;
    size_t used = 0;
    try {
        const long long value = std::stoll(trimmed, &used);
        return used == trimmed.size() ? value : fallback;
    } catch (const std::exception&) {
        return fallback;
    }
}

} // namespace

TUpdateServer TUpdateServer::FromSettings(TGlobalSettings& settings) {
    TUpdateServer server;
    server.Host = settings.getValueDefaultTrue("UpdateHost", server.Host);
    server.Port = settings.getValueDefaultTrue("UpdatePort", server.Port);
    server.User = settings.getValueDefaultTrue("UpdateUser", server.User);
    const std::string password = settings.getValueDefaultTrue("UpdatePassword", "");
    if (!password.empty()) server.Password = UnscrambleText(password);
    server.Folder = settings.getValueDefaultTrue("UpdateFolder", server.Folder);
    server.Descriptor = settings.getValueDefaultTrue("UpdateDescriptor", server.Descriptor);
    return server;
}

std::string TReleaseInfo::Title() const {
    std::string title = "Downloading v" + std::to_string(Major) + "." + std::to_string(Minor) +
                        "." + std::to_string(Build) + " of Korvane";
    if (Size > 0) title += " [" + std::to_string(std::llround(Size / 1024.0)) + "K]";
    return title;
}

TReleaseInfo ParseReleaseDescriptor(const std::vector<std::string>& lines) {
    const auto tag = [&](const char* name) {
        return ReadTagValue(std::string("XML_DOWNLOAD_INFO/Version/") + name, "", lines);
    };
    TReleaseInfo info;
    info.Major = static_cast<int>(NumberOr(tag("Major"), 0));
    info.Minor = static_cast<int>(NumberOr(tag("Minor"), 0));
    info.Build = static_cast<int>(NumberOr(tag("Build"), 0));
    // A name with a folder in it must not reach outside the chosen folder.
    info.FileName = FileNamePart(ToForwardSlashes(TrimText(tag("Filename"))));
    if (info.FileName == "." || info.FileName == "..") info.FileName.clear();
    info.Size = NumberOr(tag("File_Size_Bytes"), 1048576);
    info.Sha256 = LowerText(TrimText(tag("SHA256")));
    return info;
}

TUpdateCheck::TUpdateCheck(TUpdateServer server)
    : Server(std::move(server)), Client(std::make_unique<TFtpClient>()) {
    Client->Timeout = 30;
    Client->Passive = true;
}

TUpdateCheck::~TUpdateCheck() {
    Close();
}

void TUpdateCheck::DropSession() {
    // After a broken transfer the server's replies may lag behind the commands; a fresh
    // client closes the connection at once instead of waiting on a polite QUIT.
    const int timeout = Client->Timeout;
    Client = std::make_unique<TFtpClient>();
    Client->Timeout = timeout;
    Client->Passive = true;
}

void TUpdateCheck::Close() {
    if (Client->Connected()) Client->Quit();
}

void TUpdateCheck::Cancel() {
    CancelledFlag = true;
    Client->Abort();
}

TUpdateCheck::TFetch TUpdateCheck::FetchDescriptor() {
    if (CancelledFlag) return TFetch::Cancelled;
    Client->HostName = Server.Host;
    Client->Port = Server.Port;
    Client->UserName = Server.User;
    Client->PassWord = Server.Password;
    if (!Client->Connect()) {
        ErrorText = Client->ErrorMessage();
        return CancelledFlag ? TFetch::Cancelled : TFetch::NoConnection;
    }
    if (OnConnected) OnConnected();
    if (CancelledFlag) return TFetch::Cancelled;
    QBuffer descriptor;
    descriptor.open(QIODevice::WriteOnly);
    Client->TypeAscii();
    Client->HostDirName = Server.Folder;
    Client->HostFileName = Server.Descriptor;
    Client->SetLocalStream(&descriptor);
    bool tooLarge = false;
    // Ended at once, connection and all: a server that overruns gets no further hearing.
    Client->OnProgress = [&](int64_t count, bool&) {
        if (tooLarge || count <= DescriptorLimit) return;
        tooLarge = true;
        Client->Abort();
    };
    const bool fetched = Client->Cwd() && Client->Get();
    Client->OnProgress = nullptr;
    Client->SetLocalStream(nullptr);
    if (CancelledFlag) {
        DropSession();
        return TFetch::Cancelled;
    }
    if (!fetched || tooLarge || descriptor.size() > DescriptorLimit) {
        ErrorText =
            tooLarge ? "the release descriptor is larger than 64 KiB" : Client->ErrorMessage();
        DropSession();
        return TFetch::NoDescriptor;
    }
    std::vector<std::string> lines;
    std::istringstream text(descriptor.data().toStdString());
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    Info = ParseReleaseDescriptor(lines);
    return TFetch::Fetched;
}

std::string TUpdateCheck::TargetPath(const std::string& folder) const {
    return RemoveTrailingSlash(folder) + "/" + Info.FileName;
}

TUpdateCheck::TDownload TUpdateCheck::Download(const std::string& folder,
                                               const Progress& progress) {
    if (CancelledFlag) return TDownload::Cancelled;
    if (Info.FileName.empty()) {
        ErrorText = "the release descriptor names no file";
        return TDownload::Failed;
    }
    const std::string target = TargetPath(folder);
    const std::string partial = target + ".part";
    bool stopped = false;
    Client->TypeBinary();
    Client->HostFileName = Info.FileName;
    Client->SetLocalFileName(partial);
    Client->OnProgress = [&](int64_t count, bool&) {
        if (stopped || !progress || progress(count)) return;
        stopped = true;
        Client->Abort();
    };
    const bool fetched = Client->Get();
    Client->OnProgress = nullptr;
    std::error_code ignored;
    stopped = stopped || CancelledFlag;
    if (!fetched || stopped) {
        std::filesystem::remove(partial, ignored);
        ErrorText = Client->ErrorMessage();
        DropSession();
        return stopped ? TDownload::Cancelled : TDownload::Failed;
    }
    if (!Info.Sha256.empty() && FileSha256(partial) != Info.Sha256) {
        std::filesystem::remove(partial, ignored);
        ErrorText = "the file does not match the checksum of the release descriptor";
        return TDownload::ChecksumMismatch;
    }
    std::error_code error;
    std::filesystem::rename(partial, target, error);
    if (error) {
        std::filesystem::remove(partial, ignored);
        ErrorText = error.message();
        return TDownload::Failed;
    }
    return TDownload::Done;
}

std::string FileSha256(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return {};
    return hash.result().toHex().toStdString();
}

} // namespace korvane
