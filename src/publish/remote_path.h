#pragma once
// Folders on the web host as the upload names them. Servers start a login in a folder of
// their own and take relative paths from wherever the session stands, so every folder is
// made absolute once, from the folder the login started in, and used that way.
#include <string>

namespace korvane {

// path with "." and ".." resolved (never above the root), "\" taken as "/", doubled and
// trailing separators dropped: "/" for the root, "." for an empty relative path.
std::string NormalRemotePath(const std::string& path);

// The folder offsetDir names below startDir, itself taken from loginFolder when relative
// ("www" from "/home/me" is "/home/me/www"). An absolute offsetDir stands alone. With an empty
// loginFolder a relative result stays relative.
std::string RemoteFolder(const std::string& loginFolder, const std::string& startDir,
                         const std::string& offsetDir);

// name in folder.
std::string RemoteFile(const std::string& folder, const std::string& name);

} // namespace korvane
