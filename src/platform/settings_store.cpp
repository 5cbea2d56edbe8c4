#include "platform/settings_store.h"

#include "platform/qt_strings.h"

#include <cstdlib>

namespace korvane {

std::string SettingsFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && *config) {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home && *home ? home : "/tmp") + "/.config";
    }
    return folder + "/Brannoq/Korvane.conf";
}

std::unique_ptr<QSettings> OpenUserSettings() {
    return std::make_unique<QSettings>(ToQString(SettingsFilePath()), QSettings::IniFormat);
}

} // namespace korvane
