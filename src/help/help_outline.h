#pragma once
// The readable form of a help tree, kept in the sources and turned into the ".kvh" file at
// build time. One node a line, two spaces of indent per level below the root:
//
//   name | file name | title | folder
//
// The title defaults to the name and the folder to none; blank lines and lines starting
// with "#" are skipped.
#include "help/help_section.h"

#include <memory>
#include <string>

namespace korvane {

// Throws handledException naming the line when the outline is malformed.
std::unique_ptr<THelpSection> ReadHelpOutline(const std::string& text);

} // namespace korvane
