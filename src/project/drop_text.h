#pragma once
// The text inserted for files dropped on the template editor: per file a framed heading
// naming it, then the file's lines when it exists.
#include <string>
#include <vector>

namespace korvane {

std::string DroppedFilesText(const std::vector<std::string>& paths, const std::string& lineEnd);

} // namespace korvane
