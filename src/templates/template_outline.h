#pragma once
// The template tree as readable text, the form the shipped templates are kept in:
//
//   * Perl              a node: one "*" per level, a blank, the description
//   = fe                its alias (optional, right after the node's line)
//   | foreach ...       one line of its text each ("|" alone for an empty line)
//
// Nothing else may appear, so the text read back from a tree is the text it was made from.
#include <string>
#include <string_view>

namespace korvane {

class TCodeTemplate;

// Appends the outline's nodes below root. Throws handledException naming the line at fault.
void ReadOutline(std::string_view text, TCodeTemplate& root);

// The outline of everything below root.
std::string WriteOutline(const TCodeTemplate& root);

} // namespace korvane
