#pragma once
// File attributes, times and copies. A file is "read only" when its owner may not write it.
#include "storage/clock.h"

#include <string>

namespace korvane {

bool FileExists(const std::string& path); // an existing file or folder
bool IsFile(const std::string& path);     // an existing regular file (links followed)
bool IsFolder(const std::string& path);   // an existing folder (links followed)
bool IsReadOnly(const std::string& path);
// Gives the owner write permission back; false when that failed.
bool ClearReadOnly(const std::string& path);

// True when path may be written. For a read-only file the user is asked whether to make it
// writable; true only when they say Yes and that worked.
bool EnsureWritable(const std::string& path);

// The modification time as a local OLE date; false when the file cannot be read.
bool FileDateTime(const std::string& path, TDateTime& modified);
// Sets the modification time from a local OLE date; false when that failed.
bool SetFileDateTime(const std::string& path, TDateTime modified);
// The file exists and its modification time differs from date.
bool FileChangedSince(const std::string& path, TDateTime date);

// The set attributes ("Read Only / Hidden"), "None", or "Could not retrieve attributes".
std::string AttributesText(const std::string& path);

// The file's first few kilobytes hold no NUL byte (true for a file that cannot be read: there
// is nothing to say it is not text).
bool FileLooksLikeText(const std::string& path);

// Copies source over target, keeping the source's modification time; creates nothing else.
bool CopyFileOver(const std::string& source, const std::string& target);

} // namespace korvane
