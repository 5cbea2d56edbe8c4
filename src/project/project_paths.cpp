// Paths relative to the project file, the project-folder scope, and the keyword list.
#include "project/kor_project.h"

#include "storage/method_trace.h"

#include "storage/paths.h"
#include "storage/text_utils.h"

#include <algorithm>
#include <sstream>

namespace korvane {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

std::string TKorProject::ProjectFolder() const {
    return FolderPart(FileNameValue);
}

std::string TKorProject::RelativePath(const std::string& path) const {
    return ::korvane::RelativePath(ProjectFolder(), path);
}

std::string TKorProject::AbsolutePath(const std::string& path) const {
    return ::korvane::AbsolutePath(ProjectFolder(), path);
}

// The file system is case-sensitive, so the folder test is exact, and it stops at a folder
// boundary: /site is not inside /si.
bool TKorProject::CheckInScope(const TProjectPage& page) const {
    if (page.IsTempFile()) return true;
    return PathBelowFolder(page.FileName(), ProjectFolder());
}

bool TKorProject::FilesInProjectScope() const {
    if (FileNameValue.empty()) return false;
    for (const auto& page : Pages)
        if (!CheckInScope(*page)) return false;
    return true;
}

void TKorProject::ValidateFilesInScope() {
    TraceScope trace(this, "TKorProject", "ValidateFilesInScope");
    if (!FilesInProjectValue || FilesInProjectScope()) return;
    setFilesInProject(false);
    CurrentPrompt().Inform(
        PromptKind::Warning,
        "Not all files in project (sub)directory.\n\"Save with Project\" switched off.");
}

std::string TKorProject::SepKeyWords() const {
    std::string text = KeywordsValue;
    if (text.find(',') != std::string::npos) std::replace(text.begin(), text.end(), ',', '\n');
    if (text.find('\n') != std::string::npos) {
        std::istringstream lines(text);
        std::string line;
        std::string result;
        while (std::getline(lines, line)) {
            line = Trimmed(line);
            if (line.empty()) continue;
            if (!result.empty()) result += ", ";
            result += line;
        }
        return result;
    }
    std::string result;
    for (char c : Trimmed(text))
        result += c == ' ' ? std::string(", ") : std::string(1, c);
    return result;
}

} // namespace korvane
