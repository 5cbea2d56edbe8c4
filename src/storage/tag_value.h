#pragma once
// Reads one value from XML-like text, such as the update descriptor.
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// tagPath names nested tags separated by "/" ("update/version"); occurrences gives, in the
// same way, which occurrence of each tag to take ("1/2"; missing or empty entries mean 1).
// Returns the text between the last opening tag and its closing tag, lines joined with line
// feeds; "" when a tag is not found.
std::string ReadTagValue(std::string_view tagPath, std::string_view occurrences,
                         const std::vector<std::string>& lines);

} // namespace korvane
