#pragma once
// Reading UTF-8 one character at a time, where the text may hold bytes that are not UTF-8
// (a Latin-1 line pasted into a UTF-8 file): such a byte is a character of its own.
#include <cstddef>
#include <string>
#include <string_view>

namespace korvane {

// The length of the well-formed UTF-8 sequence that starts at `at` (1 to 4), or 0 when the
// byte there starts none: a stray continuation byte, an overlong form, a surrogate, a value past
// U+10FFFF, or a sequence cut short.
size_t Utf8SequenceLength(std::string_view text, size_t at);
// Where the first byte that is not UTF-8 lies at or after `from`, or npos when there is none.
size_t FirstInvalidUtf8(std::string_view text, size_t from = 0);
// The code point of the sequence of `length` bytes at `at` (as Utf8SequenceLength gave it).
char32_t DecodeUtf8(std::string_view text, size_t at, size_t length);
void AppendUtf8(std::string& out, char32_t codePoint);

} // namespace korvane
