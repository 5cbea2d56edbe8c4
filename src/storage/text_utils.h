#pragma once
// Small text helpers shared by the whole program: slicing, affixes, boolean words and letter
// case commands. Texts are bytes; comparisons "without regard to case" fold ASCII letters only.
#include <string>
#include <string_view>

namespace korvane {

// ASCII-only case folding, so bytes of other encodings pass through untouched.
char UpperAscii(char c);
char LowerAscii(char c);
std::string UpperText(std::string_view s);
std::string LowerText(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
bool IsAlphaNumeric(char c); // 0-9, A-Z, a-z

// Slicing; positions are 1-based.
std::string LeftText(std::string_view s, long n);  // negative n counts from the end
std::string RightText(std::string_view s, long n); // "" when n exceeds the length
std::string TextFrom(std::string_view s, long i);  // "" when i is past the end + 1

// Affixes; matching is without regard to case unless noted.
bool StartsText(std::string_view prefix, std::string_view s);
bool EndsText(std::string_view suffix, std::string_view s);
std::string RemoveSuffix(std::string_view s, std::string_view suffix);
std::string RemovePrefix(std::string_view s, std::string_view prefix);
// All trailing repeats of suffix (exact match) removed, then one appended.
std::string EnsureSuffix(std::string_view s, std::string_view suffix);
// Appends suffix to a non-empty s that does not already end with it.
std::string AppendIfMissing(std::string_view s, std::string_view suffix);
// Fill in front (or behind) until at least width long, then keep the last (first) width bytes.
std::string PadLeftWith(std::string_view s, std::string_view fill, size_t width);
std::string PadRightWith(std::string_view s, std::string_view fill, size_t width);

bool ContainsChar(char c, std::string_view s);
bool IsBlankText(std::string_view s);
std::string Plural(long n); // "s" unless n is 1
std::string TextBeforeHash(std::string_view s);

// Boolean words as stored in settings and check lists.
bool TextToBool(std::string_view s);
std::string BoolToYN(bool b);
std::string BoolToTrueFalse(bool b);
std::string BoolToOnOff(bool b);

// Letter case commands for a selection.
std::string SentenceCase(std::string_view s);
std::string TitleCase(std::string_view s);
std::string WordCase(std::string_view s);

// Appends text with & < > " written as entities: safe inside HTML text and quoted attributes.
void AppendHtmlEscaped(std::string& out, std::string_view text);
std::string HtmlEscaped(std::string_view text);

} // namespace korvane
