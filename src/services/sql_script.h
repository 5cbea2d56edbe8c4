#pragma once
// The script an SQL run hands to the client: the page's header block, the text to run (the
// selection, or the whole text) and its footer block. The blocks are the lines between the
// marker lines "#KORVANE-HEADER-START" and "#KORVANE-HEADER-END", and between
// "/*KORVANE-FOOTER-START/*" and "/*KORVANE-FOOTER-END/*".
#include <string>

namespace korvane {

// What a run takes from the SQL page it runs.
struct TSqlScript {
    bool HasEditor = false;
    std::string OwnFile;   // the page's file: run as it is when the page has no editor
    std::string Text;      // the editor's whole text
    std::string Selection; // the selected text, "" when nothing is selected
};

// The header lines, the body, then the footer lines, each line ended by LF (the body as it
// is, given a line end when it lacks one).
std::string SqlScriptText(const std::string& editorText, const std::string& body);

// Writes bytes as the file name in folder for this user alone (0600): a new file beside it
// takes its place, so a link planted under that name is replaced, never followed. Returns
// the file's path; throws handledException when it cannot be written.
std::string WritePrivateTempFile(const std::string& folder, const std::string& name,
                                 const std::string& bytes);

} // namespace korvane
