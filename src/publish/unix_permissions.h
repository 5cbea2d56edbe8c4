#pragma once
// Unix permissions as the upload sets them: three octal digits (owner, group, public), each
// 4 for read + 2 for write + 1 for execute.
#include <array>
#include <string>

namespace korvane {

// Read, write and execute for owner, then group, then public.
using TPermissionBits = std::array<bool, 9>;

// Left-padded with "0" to three characters; a longer text keeps its last three.
std::string PadPermissionValue(std::string value);
// The bits of a value; a character that is not an octal digit counts as 0.
TPermissionBits PermissionBits(const std::string& value);
std::string PermissionValue(const TPermissionBits& bits);
// "Unix Attribs: -rwxr-xr-x" for 755.
std::string UnixAttribsText(const std::string& value);

} // namespace korvane
