#include "storage/recovery_store.h"

#include "storage/errors.h"
#include "storage/safe_file_write.h"
#include "storage/url_coding.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* Heading = "Korvane recovery copy";
constexpr const char* CopyExtension = ".kvr";
constexpr const char* LockExtension = ".lock";
constexpr int PrivateMode = 0600;

std::string Encoded(const std::string& value) {
    return PercentEncode(value, "/._-~", true);
}

// The session a copy belongs to: its name up to the last "-".
std::string SessionOf(const fs::path& copy) {
    const std::string name = copy.stem().string();
    const size_t dash = name.rfind('-');
    return dash == std::string::npos ? name : name.substr(0, dash);
}

// Whether a program still holds the session's lock.
bool SessionRunning(const std::string& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // also lets go of the lock just taken
    return locked;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

std::string RecoveryFileText(const TRecoveryRecord& record) {
    char written[64];
    std::snprintf(written, sizeof written, "%.10f", record.Written);
    return std::string(Heading) + "\nFile: " + Encoded(record.File) +
           "\nWorkingFile: " + Encoded(record.WorkingFile) +
           "\nProject: " + Encoded(record.Project) + "\nWritten: " + written +
           "\nLength: " + std::to_string(record.Text.size()) + "\n\n" + record.Text;
}

bool ParseRecoveryFile(const std::string& text, TRecoveryRecord& record) {
    size_t pos = 0;
    const auto nextLine = [&](std::string& line) {
        const size_t end = text.find('\n', pos);
        if (end == std::string::npos) return false;
        line = text.substr(pos, end - pos);
        pos = end + 1;
        return true;
    };
    std::string line;
    if (!nextLine(line) || line != Heading) return false;
    std::map<std::string, std::string> fields;
    while (nextLine(line) && !line.empty()) {
        const size_t colon = line.find(": ");
        if (colon == std::string::npos) return false;
        fields[line.substr(0, colon)] = line.substr(colon + 2);
    }
    if (!line.empty() || !fields.count("Length")) return false;
    size_t length = 0;
    try {
        length = std::stoull(fields["Length"]);
        record.Written = std::stod(fields["Written"]);
    } catch (const std::exception&) {
        return false;
    }
    // A copy is written whole or not at all; one of another length is not a copy.
    if (text.size() - pos != length) return false;
    record.File = UrlDecode(fields["File"]);
    record.WorkingFile = UrlDecode(fields["WorkingFile"]);
    record.Project = UrlDecode(fields["Project"]);
    record.Text = text.substr(pos);
    return true;
}

TRecoveryStore::TRecoveryStore(std::string folder) : FolderPath(std::move(folder)) {
    std::error_code error;
    fs::create_directories(FolderPath, error);
    // The copies hold whatever the user typed: nobody else may look into the folder.
    if (::chmod(FolderPath.c_str(), 0700) != 0)
        throw handledException("Cannot make the recovery folder " + FolderPath + ": " +
                               std::strerror(errno));
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    Session = std::to_string(::getpid()) + "_" +
              std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    const std::string lockFile = FolderPath + Session + LockExtension;
    // Closed when a program is started, so no child keeps the lock after this program ends.
    LockDescriptor = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, PrivateMode);
    if (LockDescriptor < 0 || ::flock(LockDescriptor, LOCK_EX | LOCK_NB) != 0) {
        const int failure = errno;
        if (LockDescriptor >= 0) ::close(LockDescriptor);
        throw handledException("Cannot lock " + lockFile + ": " + std::strerror(failure));
    }
}

TRecoveryStore::~TRecoveryStore() {
    // Copies still here are left behind on purpose (the program was told to end); they are
    // found without the lock file as well.
    ::unlink((FolderPath + Session + LockExtension).c_str());
    ::close(LockDescriptor);
}

std::string TRecoveryStore::CopyPath(int key) const {
    return FolderPath + Session + "-" + std::to_string(key) + CopyExtension;
}

void TRecoveryStore::Save(int key, const TRecoveryRecord& record) {
    const std::string bytes = RecoveryFileText(record);
    ReplaceFileContents(CopyPath(key), bytes.data(), bytes.size(), {false, PrivateMode});
}

void TRecoveryStore::Remove(int key) {
    ::unlink(CopyPath(key).c_str());
}

bool TRecoveryStore::Has(int key) const {
    return ::access(CopyPath(key).c_str(), F_OK) == 0;
}

std::vector<TRecoveryStore::TLeftBehind> TRecoveryStore::LeftBehind() const {
    std::vector<TLeftBehind> copies;
    std::map<std::string, bool> running;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(FolderPath, error)) {
        if (entry.path().extension() != CopyExtension) continue;
        const std::string session = SessionOf(entry.path());
        if (session == Session) continue;
        const auto known = running.find(session);
        const bool alive =
            known != running.end()
                ? known->second
                : (running[session] = SessionRunning(FolderPath + session + LockExtension));
        if (alive) continue;
        TLeftBehind copy{entry.path().string(), {}};
        if (ParseRecoveryFile(ReadWhole(copy.Path), copy.Record)) copies.push_back(copy);
    }
    std::sort(copies.begin(), copies.end(), [](const TLeftBehind& a, const TLeftBehind& b) {
        return a.Record.Written < b.Record.Written;
    });
    return copies;
}

void TRecoveryStore::Discard(const TLeftBehind& copy) const {
    ::unlink(copy.Path.c_str());
    const std::string session = SessionOf(copy.Path);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(FolderPath, error))
        if (entry.path().extension() == CopyExtension && SessionOf(entry.path()) == session) return;
    const std::string lockFile = FolderPath + session + LockExtension;
    if (!SessionRunning(lockFile)) ::unlink(lockFile.c_str());
}

} // namespace korvane
