#pragma once
// Text helpers of the HTTP server: escaping for pages, URL coding, dates, content types and the
// mapping of URL paths onto local paths.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace korvane {

// Escapes text for an HTML page. Characters from 160 on become entities: Latin-1 ones by their
// HTML 4 names, others by number, so names show right whatever charset the browser assumes.
// Text is read as UTF-8; a byte that is not part of a valid sequence is taken as Latin-1.
std::string TextToHtmlText(const std::string& text);
// The path of a request with "%xx" replaced by the byte it names; "+" is left alone. Blanks
// after the "%" are skipped and a non-hex character ends the number, as browsers of old sent.
std::string DecodeRequestPath(const std::string& text);
// "Mon, 05 Jan 2004 09:03:07" for a UTC time; the caller appends " GMT".
std::string RFC1123DateText(std::time_t utc);
// Content type for a file name, by its extension, from the system's table.
std::string_view DocumentToContentType(const std::string& fileName);
// Removes "." and ".." segments and doubled separators from a "/" path; ".." never climbs
// above the root. "", "." and ".." give "".
std::string NormalizeLocalPath(std::string path);
// True when document is root itself or lies below it. Compared exactly: the file system is
// case-sensitive, so a case-folded test would let a request out of its root.
bool IsInsideRoot(std::string_view document, std::string_view root);
// Root folder without trailing separators ("/" stays "/").
std::string_view TrimRoot(std::string_view root);

} // namespace korvane
