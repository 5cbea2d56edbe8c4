#pragma once
// Rolling backups of a saved file: base + ext is the most recent backup, base + ext + ".1"
// the one before, and so on. The base is the file itself, or the file's name inside a
// backup folder.
#include "storage/clock.h"

#include <string>
#include <vector>

namespace korvane {

std::string BackupBase(const std::string& file, const std::string& folder);
// Backup number k: 0 the base, 1 base + ext, k >= 2 base + ext + "." + (k - 1).
std::string BackupFileName(const std::string& file, const std::string& ext,
                           const std::string& folder, int k);

// Shifts the backups down by one and copies file over base + ext, keeping count files in all.
// Nothing happens when count < 1, when file is missing, or when both file and base + ext were
// written within pauseSeconds of saveTime (so quick saves do not push out older backups).
// Returns false when a copy failed.
bool MakeBackups(const std::string& file, const std::string& ext, const std::string& folder,
                 double pauseSeconds, TDateTime saveTime, int count);

// One entry of the backup menu: the file it restores, its caption and its number.
struct BackupMenuItem {
    std::string File;
    std::string Caption;
    int Number;
};
// The existing backups of file, most recent first; empty when there is none.
std::vector<BackupMenuItem> BackupMenuItems(const std::string& file, const std::string& ext,
                                            const std::string& folder, int count);

// Loads backup item number into lines (CR LF text converted, see LoadLines) and returns its
// format; 0 when that backup does not exist.
int LoadBackup(const std::string& file, const std::string& ext, const std::string& folder,
               std::vector<std::string>& lines, int number);

} // namespace korvane
