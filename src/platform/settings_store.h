#pragma once
// The settings store that stands in for the registry: one INI file,
// $XDG_CONFIG_HOME/Brannoq/Korvane.conf (default ~/.config/Brannoq/Korvane.conf). Key paths
// of the registry become group paths, for example "Defaults/CodeTemplate".
#include <QSettings>
#include <memory>
#include <string>

namespace korvane {

// The file path, read from the environment on every call so tests can move it.
std::string SettingsFilePath();

std::unique_ptr<QSettings> OpenUserSettings();

} // namespace korvane
