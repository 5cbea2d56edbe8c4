#pragma once
// The file dialogs of the file and project commands: their titles, filters and default
// extensions, and the filter a saved file's extension selects.
#include "storage/prompt.h"

#include <string>

namespace korvane {

FileChoice OpenSourceChoice(const std::string& folder);
// Saving a page whose file has extension (with its dot; "" for none) under a new name.
FileChoice SaveSourceChoice(const std::string& folder, const std::string& fileName,
                            const std::string& extension);
FileChoice InsertFileChoice();
// title: "Open Project File...", "Save Project..." or "New Project...".
FileChoice ProjectChoice(const char* title, const std::string& folder, const std::string& fileName);
FileChoice ExportHtmlChoice();
FileChoice ExportRtfChoice();

// The filter of the save dialog that an extension selects, counted from 1.
int SaveFilterIndex(const std::string& extension);

// Asks "<what> <name> already exists. Overwrite?" when the file exists; true to go on.
bool MayOverwrite(const std::string& what, const std::string& fileName);

} // namespace korvane
