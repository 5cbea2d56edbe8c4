#pragma once
// Line-ending conversion. The editor keeps text with CR LF line ends and writes it back in
// the file's own format: 1 = CR LF, 2 = LF, 3 = CR (0 = use the fallback). A file that mixes
// kinds of line end is kept as its bytes instead, since no single format gives them back.
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

enum LineEndingFormat : int { leDefault = 0, leCrLf = 1, leLf = 2, leCr = 3 };

// The format of new files, and of files without any line end: scripts with CR LF ends fail
// to start on Linux ("cannot execute") and as CGI scripts on a web host.
constexpr int NewFileLineEndingFormat = leLf;

// format, or fallback when format is 0, or the new-file format when both are 0.
int EffectiveLineEndingFormat(int format, int fallback);

// Turns every line end of raw into CR LF; returns the kind of the last line end seen, the
// new-file format when there is none.
int ConvertToCrLf(std::string_view raw, std::string& converted);
// Writes each CR LF of text as the format's line end; a CR without LF is dropped.
std::string ConvertFromCrLf(std::string_view text, int format);

// Splits CR LF text into lines without their ends (a final line end adds no empty line),
// and joins lines back with a CR LF after each.
std::vector<std::string> SplitCrLfLines(std::string_view text);
std::string JoinCrLfLines(const std::vector<std::string>& lines);

// A file's bytes as an editor holds them.
struct TEditorText {
    std::string Text;
    int Format = leDefault; // kind of the last line end (as ConvertToCrLf)
    // The bytes mix kinds of line end (CR LF, LF, lone CR): converting them to CR LF and back
    // would change them, so Text holds them unchanged and they are written back as they are.
    bool MixedLineEnds = false;
    bool HasNulBytes = false; // most likely a binary file
};
TEditorText ToEditorText(std::string_view raw);
// The same for the file at path; false (and nothing loaded) when it cannot be read.
bool LoadEditorText(const std::string& path, TEditorText& loaded);

// Loads path converted to CR LF, as one text (keeping whether it ended with a line end) or as
// lines. Returns the format found, or 0 with nothing loaded when the file cannot be read.
int LoadConvertedText(const std::string& path, std::string& text);
int LoadLines(const std::string& path, std::vector<std::string>& lines);

// Writes CR LF text (or lines) to path in format (0: fallback, whose 0 means the new-file
// format). A
// read-only file is offered to be made writable first. Throws handledException when the file
// cannot be written.
void SaveConvertedText(const std::string& path, std::string_view text, int format, int fallback);
void SaveLines(const std::string& path, const std::vector<std::string>& lines, int format,
               int fallback);

std::string LineEndingName(int format);

} // namespace korvane
