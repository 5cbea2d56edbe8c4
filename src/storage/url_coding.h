#pragma once
// URL coding of query strings and form fields.
#include <string>
#include <string_view>

namespace korvane {

// Letters and digits stay; every other byte becomes "%" and two lower-case hex digits.
std::string UrlEncode(std::string_view s);
// Letters, digits and "." stay; every other byte becomes "%" and two upper-case hex digits:
// form fields, and names in links.
std::string FormEncode(std::string_view s);
// Letters, digits and the characters of keep stay; every other byte becomes "%" and two hex
// digits, upper-case with upperHex.
std::string PercentEncode(std::string_view s, std::string_view keep, bool upperHex);
// "%" and two hex digits give that byte (two non-hex characters give a space); "+" stays.
std::string UrlDecode(std::string_view s);

// The value of one hexadecimal digit, or -1.
int HexDigitValue(char c);

} // namespace korvane
