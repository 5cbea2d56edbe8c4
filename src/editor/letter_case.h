#pragma once
// Letter case of a page's text: by Unicode's rules where the page is UTF-8 (é to É, ß to SS,
// Cyrillic and Greek alike), a-z and A-Z only where it is not. Bytes that are not UTF-8 stay as
// they are.
#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// Title: the first letter or digit after a sentence end (. : ; ?) upper case, letters after
// another one lower case; Word: each word's first letter upper case, its others lower case.
enum class TCaseChange : std::uint8_t { Upper, Lower, Title, Word };

std::string ChangeLetterCase(std::string_view text, TCaseChange change, bool utf8);
// Only the first character changed (Perl's \u and \l), to upper (title) or lower case.
std::string ChangeFirstLetter(std::string_view text, bool upper, bool utf8);

} // namespace korvane
