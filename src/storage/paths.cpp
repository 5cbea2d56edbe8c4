#include "storage/paths.h"

#include "storage/text_utils.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fnmatch.h>

namespace korvane {

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

namespace {

bool IsDriveLetterPath(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool IsNetworkPath(std::string_view path) {
    return path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
}

// "C:", "\\server\share", "/" for absolute paths of this system, "" for relative ones.
std::string DriveOf(std::string_view path) {
    if (IsDriveLetterPath(path)) return std::string(path.substr(0, 2));
    if (IsNetworkPath(path)) {
        size_t end = path.find_first_of("\\/", 2);
        if (end != std::string_view::npos) end = path.find_first_of("\\/", end + 1);
        return ToForwardSlashes(path.substr(0, end));
    }
    if (!path.empty() && path[0] == '/') return "/";
    return {};
}

char ResultSeparator(std::string_view a, std::string_view b) {
    return a.find('/') != std::string_view::npos || b.find('/') != std::string_view::npos ? '/'
                                                                                          : '\\';
}

// Windows-style paths compare without regard to case; paths of this system's case-sensitive
// file system compare exactly, or a relative path could point at the wrong folder.
bool FoldsCase(std::string_view path) {
    return IsDriveLetterPath(path) || (IsNetworkPath(path) && path[0] == '\\');
}

bool SamePathChar(char a, char b, bool foldCase) {
    if (IsPathSeparator(a) && IsPathSeparator(b)) return true;
    return foldCase ? LowerAscii(a) == LowerAscii(b) : a == b;
}

bool SamePathText(std::string_view a, std::string_view b, bool foldCase) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [foldCase](char x, char y) { return SamePathChar(x, y, foldCase); });
}

size_t LastSeparator(std::string_view path) {
    return path.find_last_of("\\/");
}

bool StartsWithParent(std::string_view rel) {
    return rel.starts_with("..") && (rel.size() == 2 || IsPathSeparator(rel[2]));
}

} // namespace

bool HasDrive(std::string_view path) {
    return !DriveOf(path).empty();
}

std::string RemoveTrailingSlash(std::string_view s) {
    if (!s.empty() && IsPathSeparator(s.back())) s.remove_suffix(1);
    return std::string(s);
}

std::string RemoveLeadingSlash(std::string_view s) {
    if (!s.empty() && IsPathSeparator(s.front())) s.remove_prefix(1);
    return std::string(s);
}

std::string ToForwardSlashes(std::string_view s) {
    std::string result(s);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

std::string ToBackSlashes(std::string_view s) {
    std::string result(s);
    std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

std::string FileNamePart(std::string_view path) {
    const size_t separator = LastSeparator(path);
    if (separator != std::string_view::npos) return std::string(path.substr(separator + 1));
    return std::string(IsDriveLetterPath(path) ? path.substr(2) : path);
}

std::string FolderPart(std::string_view path) {
    return std::string(path.substr(0, path.size() - FileNamePart(path).size()));
}

std::string FileExtension(std::string_view path) {
    const std::string name = FileNamePart(path);
    const size_t dot = name.rfind('.');
    // A leading dot names a hidden file; it does not start an extension.
    if (dot == std::string::npos || dot == 0) return {};
    return name.substr(dot);
}

std::string BaseNameNoExt(std::string_view path) {
    const std::string name = FileNamePart(path);
    return name.substr(0, name.size() - FileExtension(name).size());
}

std::string ChangeExt(std::string_view path, std::string_view ext) {
    return std::string(path.substr(0, path.size() - FileExtension(path).size())) + std::string(ext);
}

bool PathBelowFolder(std::string_view path, std::string_view folder, std::string* rest) {
    if (folder.empty()) return false;
    // Without its trailing separator; the root folder "/" becomes "", which every absolute
    // path continues.
    if (IsPathSeparator(folder.back())) folder.remove_suffix(1);
    if (path.size() <= folder.size() + 1 || path.substr(0, folder.size()) != folder ||
        !IsPathSeparator(path[folder.size()]))
        return false;
    if (rest) *rest = RemoveLeadingSlash(path.substr(folder.size()));
    return true;
}

std::string RelativePath(std::string_view baseText, std::string_view target) {
    const char separator = ResultSeparator(baseText, target);
    std::string_view base = baseText;
    if (!base.empty() && IsPathSeparator(base.back())) base.remove_suffix(1);
    if (!SameText(ToForwardSlashes(DriveOf(base)), ToForwardSlashes(DriveOf(target))))
        return std::string(target);

    const bool foldCase = FoldsCase(base) || FoldsCase(target);
    int cuts = 0;
    std::string_view rest;
    for (;;) {
        if (base.size() <= target.size() &&
            SamePathText(base, target.substr(0, base.size()), foldCase)) {
            if (base.size() == target.size()) break;
            if (IsPathSeparator(target[base.size()])) {
                rest = target.substr(base.size() + 1);
                break;
            }
            if (base.empty()) { // a relative base climbed out of entirely
                rest = target;
                break;
            }
        }
        const size_t cut = LastSeparator(base);
        base = cut == std::string_view::npos ? std::string_view() : base.substr(0, cut);
        ++cuts;
    }
    std::string result;
    for (int i = 0; i < cuts; ++i)
        result += std::string("..") + separator;
    return result + std::string(rest);
}

std::string AbsolutePath(std::string_view baseText, std::string_view relText) {
    if (HasDrive(relText)) return std::string(relText);
    const char separator = ResultSeparator(baseText, relText);
    std::string base = baseText == "/" ? std::string(baseText) : RemoveTrailingSlash(baseText);
    std::string_view rel = relText;
    while (StartsWithParent(rel)) {
        const size_t cut = LastSeparator(base);
        const std::string lastFolder = cut == std::string::npos ? base : base.substr(cut + 1);
        if (base.empty() || lastFolder == "..") {
            base = std::string("..") + separator + base;
        } else if (base == "/" || (IsDriveLetterPath(base) && base.size() == 2)) {
            // Above the root there is nothing; stay on it.
        } else if (cut == std::string::npos) {
            base.clear(); // a relative base of one folder: its parent is the current folder
        } else if (cut == 0) {
            base = "/";
        } else {
            base.resize(cut);
        }
        rel.remove_prefix(std::min<size_t>(3, rel.size()));
    }
    if (!base.empty() && !IsPathSeparator(base.back())) base += separator;
    return base + std::string(rel);
}

std::string FirstExistingFolder(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates) {
        std::error_code error;
        if (!candidate.empty() && std::filesystem::is_directory(candidate, error)) return candidate;
    }
    return {};
}

std::string FindFile(std::string_view pattern, unsigned attributes) {
    const std::string folder = FolderPart(pattern);
    const std::string mask = FileNamePart(pattern);
    std::error_code error;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error);
    std::string last;
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (fnmatch(mask.c_str(), name.c_str(), 0) != 0) continue;
        if (name.front() == '.' && !(attributes & faHidden)) continue;
        std::error_code statError;
        if (it->is_directory(statError) && !(attributes & faDirectory)) continue;
        if (name > last) last = name;
    }
    return last.empty() ? std::string() : folder + last;
}

std::string ComSpec() {
    const char* value = std::getenv("COMSPEC");
    return value && *value ? std::string(value) : std::string("/bin/sh");
}

} // namespace korvane
