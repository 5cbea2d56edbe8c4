#pragma once
// The light scrambling of secrets stored in project files: a substitution between two alphabets
// that turn as the text advances. It hides a password from a casual look, nothing more.
#include <string>

namespace korvane {

// Characters outside the 98-character alphabet come back as spaces; the length never changes.
std::string ScrambleText(const std::string& text);
std::string UnscrambleText(const std::string& text);

} // namespace korvane
