#include "exec/browser_output.h"

#include "storage/paths.h"
#include "storage/text_utils.h"

#include <algorithm>

namespace korvane {
namespace {

// Replaces every occurrence of from (without regard to case) by to.
std::string ReplaceAllText(const std::string& text, std::string_view from, std::string_view to) {
    const std::string folded = LowerText(text);
    const std::string key = LowerText(from);
    std::string result;
    size_t done = 0;
    for (size_t at = folded.find(key); at != std::string::npos; at = folded.find(key, done)) {
        result.append(text, done, at - done);
        result += to;
        done = at + key.size();
    }
    result.append(text, done);
    return result;
}

void WrapSqlOutput(std::vector<std::string>& lines, TColor editorColour) {
    lines.insert(lines.begin(), {"<html><head><title='MySQL output'></head>",
                                 "<body><p><h1>Output from MySQL...</h1><hr></p><pre>"});
    lines.push_back("</pre></body></html>");
    const std::string table = "</pre><table bgcolor='" + ColorToHtml(editorColour, false) + "'";
    for (std::string& line : lines) {
        line = ReplaceAllText(line, "<table", table);
        line = ReplaceAllText(line, "</table>", "</table><pre>");
    }
}

bool OneOf(const std::string& ext, std::initializer_list<const char*> list) {
    return std::any_of(list.begin(), list.end(), [&](const char* e) { return ext == e; });
}

} // namespace

std::vector<std::string> BrowserPageLines(std::vector<std::string> output, bool sqlOutput,
                                          TColor sqlEditorColour) {
    if (!output.empty() && StartsText("Content-type:", output.front())) {
        const auto blank = std::find(output.begin(), output.end(), std::string());
        output.erase(output.begin(), blank == output.end() ? blank : blank + 1);
    }
    if (sqlOutput) WrapSqlOutput(output, sqlEditorColour);
    return output;
}

std::string HttpFileName(const std::string& file, const TWebAddressBase& web) {
    if (!web.Started) return file;
    std::string base = "http://" + web.Host;
    if (!web.Port.empty() && web.Port != "80") base += ":" + web.Port;
    base += "/";
    const std::string ext = FileExtension(file);
    std::string rest;
    if (OneOf(ext, {".htm", ".html", ".txt", ".jpg", ".gif"}) && PathBelowFolder(file, web.RootPath, &rest))
        return base + rest;
    if (OneOf(ext, {".cgi", ".pl", ".php"}) && PathBelowFolder(file, web.CgiBinPath, &rest)) {
        const std::string logical = RemoveLeadingSlash(RemoveTrailingSlash(web.LogicalCgiBin));
        return base + (logical.empty() ? "" : logical + "/") + ToForwardSlashes(rest);
    }
    return file;
}

} // namespace korvane
