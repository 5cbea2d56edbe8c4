#pragma once
// Help pages as a build ships them. A picture is taken of the running program when the build
// can start it under a virtual X server; a build that cannot keeps each picture's alt text in
// its place, so a page reads as a whole either way and never shows a broken image.
#include <functional>
#include <string>

namespace korvane {

// The page with every <img> whose src `taken` refuses replaced by its alt text, in a
// <span class="picture">; other pictures and all other text stay as they are.
std::string WithPicturesTaken(const std::string& page,
                              const std::function<bool(const std::string& src)>& taken);

// The value of attribute `name` in one HTML tag ("" when it has none); entities stay encoded.
std::string TagAttribute(const std::string& tag, const std::string& name);

} // namespace korvane
