#include "publish/remote_path.h"

#include "storage/paths.h"

#include <vector>

namespace korvane {

std::string NormalRemotePath(const std::string& path) {
    const std::string slashed = ToForwardSlashes(path);
    const bool absolute = !slashed.empty() && slashed.front() == '/';
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= slashed.size()) {
        size_t end = slashed.find('/', start);
        if (end == std::string::npos) end = slashed.size();
        const std::string part = slashed.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part); // a relative path may climb above its start
            continue;
        }
        parts.push_back(part);
    }
    std::string normal = absolute ? "/" : "";
    for (const std::string& part : parts) {
        if (!normal.empty() && normal.back() != '/') normal += '/';
        normal += part;
    }
    return normal.empty() ? "." : normal;
}

std::string RemoteFolder(const std::string& loginFolder, const std::string& startDir,
                         const std::string& offsetDir) {
    const auto isAbsolute = [](const std::string& path) {
        return !path.empty() && (path.front() == '/' || path.front() == '\\');
    };
    const auto join = [](const std::string& folder, const std::string& below) {
        if (folder.empty()) return below;
        return below.empty() ? folder : folder + "/" + below;
    };
    if (isAbsolute(offsetDir)) return NormalRemotePath(offsetDir);
    const std::string start = isAbsolute(startDir) ? startDir : join(loginFolder, startDir);
    return NormalRemotePath(join(start, offsetDir));
}

std::string RemoteFile(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder == ".") return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace korvane
