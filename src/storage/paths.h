#pragma once
// Path texts. Both "\" and "/" separate folders, so paths typed in either style (or stored by
// an older build) keep working. A path "has a drive" when it starts with a drive letter
// ("C:"), a network share ("\\server" or "//server") or is absolute on this system ("/...").
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

bool IsPathSeparator(char c);
bool HasDrive(std::string_view path);

std::string RemoveTrailingSlash(std::string_view s);
std::string RemoveLeadingSlash(std::string_view s);
std::string ToForwardSlashes(std::string_view s);
std::string ToBackSlashes(std::string_view s);

std::string FileNamePart(std::string_view path);  // after the last separator
std::string FolderPart(std::string_view path);    // up to and with the last separator
std::string FileExtension(std::string_view path); // from the last "." of the name, or ""
std::string BaseNameNoExt(std::string_view path);
std::string ChangeExt(std::string_view path, std::string_view ext);

// target relative to the folder base, for example "../other/b.pl"; target itself when the
// two lie on different drives.
std::string RelativePath(std::string_view base, std::string_view target);
// rel resolved against the folder base; rel itself when it has a drive.
std::string AbsolutePath(std::string_view base, std::string_view rel);
// Whether path lies inside folder, compared exactly and at a folder boundary (/site2 is not
// inside /site); rest, when given, receives the part below folder without a leading separator.
bool PathBelowFolder(std::string_view path, std::string_view folder, std::string* rest = nullptr);

// The first non-empty candidate that is an existing folder, or "".
std::string FirstExistingFolder(const std::vector<std::string>& candidates);

// File attribute bits, as the file search and the attributes text use them.
enum FileAttribute : unsigned {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faDirectory = 0x10,
    faArchive = 0x20,
    faAnyFile = 0x3F,
};

// Folder of pattern + the name of the last (in name order) entry matching its wildcards.
// Plain files always qualify; hidden ones (".name") need faHidden, folders faDirectory.
std::string FindFile(std::string_view pattern, unsigned attributes);

// The command interpreter for batch runs: $COMSPEC, or /bin/sh when it is not set.
std::string ComSpec();

} // namespace korvane
