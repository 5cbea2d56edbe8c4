#include "web/cgi_target.h"

#include "net/http_text.h"
#include "storage/file_utils.h"
#include "storage/paths.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace korvane {
namespace {

// What a folder of scripts runs when it is asked for, in this order.
constexpr const char* IndexScripts[] = {"index.pl", "index.cgi", "index.php"};

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Where a path leads once links are followed; "" when it does not exist.
std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) return {};
    return resolved;
}

// The part of rel after "prefix/", compared exactly: the file system tells letter cases
// apart, and "cgi-binx/" is not below "cgi-bin".
bool AfterPrefix(std::string_view rel, const std::string& prefix, std::string& rest) {
    if (prefix.empty()) {
        rest = rel;
        return true;
    }
    if (rel.size() <= prefix.size() || rel.substr(0, prefix.size()) != prefix ||
        rel[prefix.size()] != '/')
        return false;
    rest = rel.substr(prefix.size() + 1);
    return true;
}

// The extension of a URL path's last segment, dot included ("" for none, or for a name that
// only starts with a dot). Only "/" separates segments there.
std::string_view UrlPathExtension(std::string_view path) {
    const std::string_view name = path.substr(path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot);
}

// The first script along rest (a path below the CGI folder): each segment that names a script
// file ends the walk, the rest of the path is its path information. Returns the length of rest
// that names the script, or 0.
size_t ScriptAlong(const std::string& dir, const std::string& rest) {
    std::string candidate = dir;
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find('/', start);
        if (end == std::string::npos) end = rest.size();
        candidate += '/';
        candidate.append(rest, start, end - start);
        if (IsCgiScriptExtension(UrlPathExtension(candidate)) && IsFile(candidate)) return end;
        if (end == rest.size() || !IsDirectory(candidate)) return 0;
        start = end + 1;
    }
    return 0;
}

// A script the target may run: inside the folder even when links are followed.
void Settle(TCgiTarget& target, const std::string& dir) {
    target.Kind = TCgiTargetKind::Missing;
    if (!IsInsideRoot(target.File, dir) || !IsFile(target.File)) return;
    // A link inside the folder may lead anywhere; what runs must really lie inside it.
    const std::string realDir = RealPath(dir);
    const std::string realFile = RealPath(target.File);
    if (realDir.empty() || realFile.empty() || !IsInsideRoot(realFile, realDir)) return;
    target.Kind = TCgiTargetKind::Script;
}

std::string IndexScriptIn(const std::string& folder) {
    for (const char* index : IndexScripts)
        if (IsFile(folder + "/" + index)) return index;
    return {};
}

} // namespace

bool IsCgiScriptExtension(std::string_view extension) {
    return extension == ".cgi" || extension == ".pl" || extension == ".php";
}

TCgiTarget MapCgiRequest(const std::string& requestPath, const TCgiFolders& folders) {
    TCgiTarget target;
    std::string rooted = DecodeRequestPath(requestPath);
    const bool hasNul = rooted.find('\0') != std::string::npos;
    if (rooted.empty() || rooted[0] != '/') rooted.insert(rooted.begin(), '/');
    target.Path = NormalizeLocalPath(std::move(rooted));
    if (target.Path.empty()) target.Path.push_back('/');
    // Most requests are for documents: they are told apart without a copy of anything.
    const std::string_view cgiDir = TrimRoot(folders.CgiDir);
    std::string rest;
    const bool underPrefix =
        !hasNul && !cgiDir.empty() && cgiDir != "/" &&
        AfterPrefix(std::string_view(target.Path).substr(1), folders.LogicalCgiPath, rest);
    if (!underPrefix) {
        if (target.Path.back() == '/') target.Path += folders.DefaultDoc;
        return target;
    }
    const std::string dir(cgiDir);
    const std::string base = target.Path.substr(0, target.Path.size() - rest.size());
    if (const size_t length = ScriptAlong(dir, rest); length > 0) {
        target.File = dir + "/" + rest.substr(0, length);
        target.ScriptName = base + rest.substr(0, length);
        target.PathInfo = rest.substr(length);
        target.Path = target.ScriptName;
        Settle(target, dir);
        return target;
    }
    const std::string folder = rest.empty() ? dir : dir + "/" + RemoveTrailingSlash(rest);
    const std::string index = IsDirectory(folder) ? IndexScriptIn(folder) : std::string();
    if (target.Path.back() != '/') {
        if (!index.empty()) {
            target.Kind = TCgiTargetKind::AddSlash;
        } else if (IsCgiScriptExtension(UrlPathExtension(target.Path))) {
            target.File = dir + "/" + rest;
            target.Kind = TCgiTargetKind::Missing;
        }
        return target;
    }
    target.Path += index.empty() ? folders.DefaultDoc : index;
    if (!IsCgiScriptExtension(UrlPathExtension(target.Path))) return target;
    target.File = folder + "/" + (index.empty() ? folders.DefaultDoc : index);
    target.ScriptName = target.Path;
    Settle(target, dir);
    return target;
}

} // namespace korvane
