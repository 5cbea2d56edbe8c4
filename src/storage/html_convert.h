#pragma once
// Selected text turned into HTML for a page: line breaks become <br> (or stay as they are in
// a <pre> block) and characters are replaced by their entities.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane {

// The character entities: for each entry, a name listing the characters it stands for, each
// in square brackets ("amp [&]"), and the replacement text. They come from the children of
// the code template with the alias "char_ents"; without them characters stay as they are.
using TCharEntities = std::vector<std::pair<std::string, std::string>>;

std::string ConvertToHTML(std::string_view text, bool preBlock, const TCharEntities& entities);

} // namespace korvane
