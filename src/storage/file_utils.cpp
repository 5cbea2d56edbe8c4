#include "storage/file_utils.h"

#include "storage/paths.h"
#include "storage/prompt.h"

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace korvane {
namespace {

// Two modification times closer than this count as equal.
constexpr double SameTimeDays = 1e-10;

namespace fs = std::filesystem;

} // namespace

bool FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

bool IsReadOnly(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && !(info.st_mode & S_IWUSR);
}

bool ClearReadOnly(const std::string& path) {
    if (!IsReadOnly(path)) return true;
    std::error_code error;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    return !error && !IsReadOnly(path);
}

bool EnsureWritable(const std::string& path) {
    if (!IsReadOnly(path)) return true;
    const PromptButton answer = CurrentPrompt().Ask(
        PromptKind::Warning, "File " + path + " is read only. Save over as writable file?",
        pbYes | pbNo);
    return answer == pbYes && ClearReadOnly(path);
}

bool FileDateTime(const std::string& path, TDateTime& modified) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return false;
    modified = LocalDateTimeFromUnix(static_cast<double>(info.st_mtim.tv_sec) +
                                     static_cast<double>(info.st_mtim.tv_nsec) / 1e9);
    return true;
}

bool SetFileDateTime(const std::string& path, TDateTime modified) {
    const double unixSeconds = UnixFromLocalDateTime(modified);
    const double whole = std::floor(unixSeconds);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(whole);
    times[1].tv_nsec = static_cast<long>((unixSeconds - whole) * 1e9);
    return !path.empty() && ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool FileChangedSince(const std::string& path, TDateTime date) {
    TDateTime modified = 0;
    return FileDateTime(path, modified) && std::fabs(modified - date) > SameTimeDays;
}

std::string AttributesText(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0) return "Could not retrieve attributes";
    // This system has no archive bit; hidden means a dot name, "system" anything that is
    // neither a plain file, a folder nor a link (devices, sockets, pipes).
    std::string text;
    const auto add = [&text](const char* name) {
        text += text.empty() ? name : std::string(" / ") + name;
    };
    if (!(info.st_mode & S_IWUSR)) add("Read Only");
    if (FileNamePart(RemoveTrailingSlash(path)).starts_with(".")) add("Hidden");
    if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode) && !S_ISLNK(info.st_mode))
        add("System File");
    return text.empty() ? "None" : text;
}

bool FileLooksLikeText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char head[8192];
    file.read(head, sizeof head);
    return std::find(head, head + file.gcount(), '\0') == head + file.gcount();
}

bool CopyFileOver(const std::string& source, const std::string& target) {
    std::error_code error;
    if (!fs::is_regular_file(source, error)) return false;
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, error);
    if (error) return false;
    // Backups show when their content was saved, so the copy keeps the original's time.
    const auto modified = fs::last_write_time(source, error);
    if (!error) fs::last_write_time(target, modified, error);
    return true;
}

} // namespace korvane
