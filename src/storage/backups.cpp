#include "storage/backups.h"

#include "storage/date_text.h"
#include "storage/file_utils.h"
#include "storage/line_endings.h"
#include "storage/paths.h"

#include <cmath>
#include <filesystem>

namespace korvane {
namespace {

// Slack added to the pause so a save and its own backup made in the same instant match.
constexpr double SameSaveDays = 1e-6;

bool WrittenWithin(const std::string& path, TDateTime when, double days) {
    TDateTime modified = 0;
    return FileDateTime(path, modified) && std::fabs(modified - when) <= days;
}

bool CopyIntoPlace(const std::string& source, const std::string& target) {
    std::error_code ignored;
    const std::string folder = FolderPart(target);
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    return CopyFileOver(source, target);
}

std::string ItemLabel(int number) {
    if (number == 0) return "Last saved original";
    if (number == 1) return "Most recent backup";
    return std::to_string(number + 1) + (number == 2 ? "rd" : "th") + " most recent";
}

} // namespace

std::string BackupBase(const std::string& file, const std::string& folder) {
    if (folder.find_first_not_of("\\/") == std::string::npos) return file;
    return RemoveTrailingSlash(folder) + "/" + FileNamePart(file);
}

std::string BackupFileName(const std::string& file, const std::string& ext,
                           const std::string& folder, int k) {
    const std::string base = BackupBase(file, folder);
    if (k <= 0) return base;
    if (k == 1) return base + ext;
    return base + ext + "." + std::to_string(k - 1);
}

bool MakeBackups(const std::string& file, const std::string& ext, const std::string& folder,
                 double pauseSeconds, TDateTime saveTime, int count) {
    if (count <= 0 || !FileExists(file)) return true;
    const double pause = pauseSeconds / SecondsPerDay + SameSaveDays;
    const std::string latest = BackupFileName(file, ext, folder, 1);
    if (WrittenWithin(file, saveTime, pause) &&
        (!FileExists(latest) || WrittenWithin(latest, saveTime, pause)))
        return true;

    bool copied = true;
    for (int n = count - 2; n >= 1; --n) {
        const std::string older = BackupFileName(file, ext, folder, n + 1);
        if (FileExists(older))
            copied = CopyIntoPlace(older, BackupFileName(file, ext, folder, n + 2)) && copied;
    }
    if (count > 1 && FileExists(latest))
        copied = CopyIntoPlace(latest, BackupFileName(file, ext, folder, 2)) && copied;
    return CopyIntoPlace(file, latest) && copied;
}

std::vector<BackupMenuItem> BackupMenuItems(const std::string& file, const std::string& ext,
                                            const std::string& folder, int count) {
    std::vector<BackupMenuItem> items;
    for (int number = 0; number <= std::max(count - 1, 1); ++number) {
        const std::string path = BackupFileName(file, ext, folder, number);
        TDateTime modified = 0;
        if (!FileDateTime(path, modified)) continue;
        items.push_back({path,
                         ItemLabel(number) + " [" +
                             FormatDateTime("d-mmm-yyyy \"at\" hh:nn:ss", modified) + "]",
                         number});
    }
    return items;
}

int LoadBackup(const std::string& file, const std::string& ext, const std::string& folder,
               std::vector<std::string>& lines, int number) {
    const std::string path = BackupFileName(file, ext, folder, number);
    if (!FileExists(path)) return leDefault;
    return LoadLines(path, lines);
}

} // namespace korvane
