#pragma once
// Replaces a file's contents so that a failure part-way (a full disk, a lost mount) leaves the
// previous file untouched: the bytes go to a new file beside it, which takes the old one's
// place only once it is completely on disk, with the old one's owner, group and mode.
// The file keeps its identity: when it has other names (hard links), when the folder may not be
// written, or when the new file could not get the old one's owner and group, the bytes are
// written into the file itself, and should that fail part-way, its old bytes are put back.
#include <cstddef>
#include <string>

namespace korvane {

struct TReplaceOptions {
    // Through a symbolic link the file it points at is replaced; without, the link itself is
    // (a link planted in a shared folder then leads nowhere).
    bool FollowLink = true;
    // The new file's mode; -1 keeps the replaced file's mode (a new file gets the usual one).
    int Mode = -1;
};

// Throws handledException naming the file when anything fails.
void ReplaceFileContents(const std::string& path, const void* data, std::size_t size,
                         const TReplaceOptions& options = {});

} // namespace korvane
