#pragma once
// Line-ending conversion. The editor keeps text with CR LF line ends and writes it back in
// the file's own format: 1 = CR LF, 2 = LF, 3 = CR (0 = use the fallback).
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

enum LineEndingFormat : int { leDefault = 0, leCrLf = 1, leLf = 2, leCr = 3 };

// Turns every line end of raw into CR LF; returns the kind of the last line end seen, 1 when
// there is none.
int ConvertToCrLf(std::string_view raw, std::string& converted);
// Writes each CR LF of text as the format's line end; a CR without LF is dropped.
std::string ConvertFromCrLf(std::string_view text, int format);

// Splits CR LF text into lines without their ends (a final line end adds no empty line),
// and joins lines back with a CR LF after each.
std::vector<std::string> SplitCrLfLines(std::string_view text);
std::string JoinCrLfLines(const std::vector<std::string>& lines);

// Loads path converted to CR LF, as one text (keeping whether it ended with a line end) or as
// lines. Returns the format found, or 0 with nothing loaded when the file cannot be read.
int LoadConvertedText(const std::string& path, std::string& text);
int LoadLines(const std::string& path, std::vector<std::string>& lines);

// Writes CR LF text (or lines) to path in format (0: fallback, whose 0 means CR LF). A
// read-only file is offered to be made writable first. Throws handledException when the file
// cannot be written.
void SaveConvertedText(const std::string& path, std::string_view text, int format, int fallback);
void SaveLines(const std::string& path, const std::vector<std::string>& lines, int format,
               int fallback);

std::string LineEndingName(int format);

} // namespace korvane
