#include "editor/sub_definition.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace korvane {
namespace {

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':';
}

std::string_view TrimColons(std::string_view text) {
    while (!text.empty() && text.front() == ':')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ':')
        text.remove_suffix(1);
    return text;
}

// The bareword that ends at end (blanks before end skipped), or empty.
std::string_view WordBefore(std::string_view line, size_t end) {
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t'))
        --end;
    size_t start = end;
    while (start > 0 && IsNameChar(line[start - 1]))
        --start;
    if (start > 0 && std::string_view("$@%&*").find(line[start - 1]) != std::string_view::npos)
        return {}; // $obj->name: the class is not known
    return TrimColons(line.substr(start, end - start));
}

std::string ShortName(const std::string& name) {
    const size_t colons = name.rfind("::");
    return colons == std::string::npos ? name : name.substr(colons + 2);
}

std::string PackageOf(const TOutlineItem& item) {
    const std::string full = item.FullName();
    return full.substr(0, full.rfind("::"));
}

bool IsPerlFile(const std::filesystem::path& path) {
    const std::string ext = path.extension().string();
    return ext == ".pm" || ext == ".pl" || ext == ".cgi";
}

} // namespace

std::optional<TSubReference> SubReferenceAt(std::string_view line, size_t at) {
    at = std::min(at, line.size());
    if ((at == line.size() || !IsNameChar(line[at])) && at > 0 && IsNameChar(line[at - 1])) --at;
    if (at >= line.size() || !IsNameChar(line[at])) return std::nullopt;
    size_t start = at, end = at;
    while (start > 0 && IsNameChar(line[start - 1]))
        --start;
    while (end < line.size() && IsNameChar(line[end]))
        ++end;
    if (start > 0 && std::string_view("$@%").find(line[start - 1]) != std::string_view::npos)
        return std::nullopt; // a variable
    const std::string_view word = TrimColons(line.substr(start, end - start));
    if (word.empty() || (word.front() >= '0' && word.front() <= '9')) return std::nullopt;
    TSubReference reference;
    if (const size_t colons = word.rfind("::"); colons != std::string_view::npos) {
        reference.Name = word.substr(colons + 2);
        reference.Qualifier = word.substr(0, colons);
        if (reference.Qualifier == "SUPER") reference.Qualifier.clear();
        return reference;
    }
    reference.Name = word;
    size_t before = start;
    while (before > 0 && (line[before - 1] == ' ' || line[before - 1] == '\t'))
        --before;
    if (before >= 2 && line.substr(before - 2, 2) == "->")
        reference.Qualifier = WordBefore(line, before - 2);
    return reference;
}

std::string PackageAtLine(const std::vector<TOutlineItem>& items, int line) {
    std::string package = "main";
    for (const TOutlineItem& item : items) {
        if (item.Line > line) break;
        package = item.IsPackage() ? item.Name : item.Package;
    }
    return package;
}

std::optional<TDefinitionHit>
FindDefinition(const TSubReference& reference, const std::string& callerPackage, size_t count,
               size_t openCount,
               const std::function<std::vector<TOutlineItem>(size_t source)>& itemsOf) {
    const std::string qualifier =
        reference.Qualifier == "__PACKAGE__" ? callerPackage : reference.Qualifier;
    std::optional<TDefinitionHit> fallback;
    for (size_t source = 0; source < count; ++source) {
        // The package that makes a definition the one meant; without a qualifier any package
        // is right away from the caller's page.
        const std::string* wanted = !qualifier.empty() ? &qualifier
                                    : source == 0      ? &callerPackage
                                                       : nullptr;
        int bestScore = -1, bestLine = 0;
        for (const TOutlineItem& item : itemsOf(source)) {
            if (item.IsPackage() || ShortName(item.Name) != reference.Name) continue;
            const bool inPackage = !wanted || PackageOf(item) == *wanted;
            const int score = (inPackage ? 2 : 0) + (item.Forward ? 0 : 1);
            if (score > bestScore) {
                bestScore = score;
                bestLine = item.Line;
            }
        }
        if (bestScore < 0) continue;
        const TDefinitionHit hit{source, bestLine};
        if (bestScore >= 2 || (qualifier.empty() && source == 0)) return hit;
        if (!fallback && source < openCount) fallback = hit;
    }
    return fallback;
}

std::vector<std::string> PerlFilesToSearch(const std::vector<std::string>& folders,
                                           const std::string& qualifier, size_t limit, int depth) {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    std::set<fs::path> seen;
    // Breadth first, so that a file beside the page comes before one deep in a tree.
    std::deque<std::pair<fs::path, int>> queue;
    for (const std::string& folder : folders)
        if (!folder.empty()) queue.emplace_back(fs::path(folder).lexically_normal(), 0);
    while (!queue.empty() && files.size() < limit) {
        auto [folder, level] = queue.front();
        queue.pop_front();
        std::error_code error;
        const fs::path canonical = fs::weakly_canonical(folder, error);
        if (error || !seen.insert(canonical).second) continue;
        std::vector<fs::directory_entry> entries;
        for (auto it = fs::directory_iterator(folder, error);
             !error && it != fs::directory_iterator(); it.increment(error))
            entries.push_back(*it);
        std::sort(entries.begin(), entries.end());
        for (const fs::directory_entry& entry : entries) {
            const std::string name = entry.path().filename().string();
            if (name.empty() || name[0] == '.') continue;
            if (entry.is_directory(error)) {
                if (level + 1 <= depth) queue.emplace_back(entry.path(), level + 1);
            } else if (IsPerlFile(entry.path()) && files.size() < limit) {
                files.push_back(entry.path().string());
            }
        }
    }
    if (!qualifier.empty()) {
        std::string tail = "/" + qualifier + ".pm";
        for (size_t at = tail.find("::"); at != std::string::npos; at = tail.find("::", at))
            tail.replace(at, 2, "/");
        std::stable_partition(files.begin(), files.end(),
                              [&tail](const std::string& file) { return file.ends_with(tail); });
    }
    return files;
}

std::vector<TOutlineItem> FileOutlineNaming(const std::string& file, const std::string& name,
                                            size_t maxBytes) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size > maxBytes) return {};
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.find(name) == std::string::npos) return {};
    return ScanPerlOutline(text);
}

} // namespace korvane
