#include "web/cgi_target.h"

#include "net/http_text.h"
#include "storage/file_utils.h"
#include "storage/paths.h"

#include <climits>
#include <cstdlib>

namespace korvane {
namespace {

// Where a path leads once links are followed; "" when it does not exist.
std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) return {};
    return resolved;
}

// The part of rel after "prefix/", compared exactly: the file system tells letter cases
// apart, and "cgi-binx/" is not below "cgi-bin".
bool AfterPrefix(const std::string& rel, const std::string& prefix, std::string& rest) {
    if (prefix.empty()) {
        rest = rel;
        return true;
    }
    if (rel.size() <= prefix.size() || rel.compare(0, prefix.size(), prefix) != 0 ||
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
    if (target.Path.back() == '/') target.Path += folders.DefaultDoc;
    if (hasNul) return target;
    if (!IsCgiScriptExtension(UrlPathExtension(target.Path))) return target;
    std::string rest;
    if (!AfterPrefix(RemoveLeadingSlash(target.Path), folders.LogicalCgiPath, rest)) return target;

    const std::string dir(TrimRoot(folders.CgiDir));
    target.File = dir == "/" ? std::string() : dir;
    target.File += '/';
    target.File += rest;
    target.Kind = TCgiTargetKind::Missing;
    if (dir.empty() || !IsInsideRoot(target.File, dir) || !IsFile(target.File)) return target;
    // A link inside the folder may lead anywhere; what runs must really lie inside it.
    const std::string realDir = RealPath(dir);
    const std::string realFile = RealPath(target.File);
    if (realDir.empty() || realFile.empty() || !IsInsideRoot(realFile, realDir)) return target;
    target.Kind = TCgiTargetKind::Script;
    return target;
}

} // namespace korvane
