#pragma once
#include <functional>
#include <string>

class QMenu;

namespace korvane {

// Fills menu with the existing backups of file (see BackupMenuItems), each action named
// namePrefix + its number and calling handler with that number; an empty list disables menu.
void BackupMenu(QMenu* menu, const std::string& file, const std::string& ext,
                const std::string& folder, int count, const std::function<void(int)>& handler,
                const std::string& namePrefix);

} // namespace korvane
