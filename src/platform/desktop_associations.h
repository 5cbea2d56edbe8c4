#pragma once
// File associations the freedesktop.org way: Korvane's desktop entry in
// $XDG_DATA_HOME/applications, a MIME package for project files in $XDG_DATA_HOME/mime, and
// default-application entries in $XDG_CONFIG_HOME/mimeapps.list.
#include <string>

namespace korvane {

inline constexpr const char* KorvaneDesktopId = "korvane.desktop";
inline constexpr const char* ProjectMimeType = "application/x-korvane-project";

// The MIME type files with this extension (without the dot) have, from the shared MIME
// database (a text type where the extension has several); project files have Korvane's own
// type.
std::string MimeTypeForExtension(const std::string& extension);

// The desktop id of the default application for a MIME type in mimeapps.list, or "".
std::string DefaultApplicationFor(const std::string& mimeType);
// Sets (desktopId non-empty) or removes (empty) the default application for a MIME type,
// keeping every other line of mimeapps.list. False when the file cannot be written.
bool SetDefaultApplication(const std::string& mimeType, const std::string& desktopId);

// Writes the desktop entry (Exec of programFile) and the project MIME package. False when
// either cannot be written.
bool WriteDesktopEntry(const std::string& programFile);

// The desktop entry that an installed package (or an install to a system prefix) provides:
// applications/korvane.desktop in a folder of $XDG_DATA_DIRS (default /usr/local/share and
// /usr/share) that also holds mime/packages/korvane.xml. "" when there is none. Where it
// exists, those files carry the associations and the user's own files are not Korvane's to
// write.
std::string InstalledDesktopEntry();

// Where the three files live (from the environment at each call).
std::string MimeAppsListPath();
std::string DesktopEntryPath();
std::string MimePackagePath();

} // namespace korvane
