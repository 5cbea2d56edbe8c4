#include "exec/browser_output.h"

#include "storage/paths.h"
#include "storage/text_utils.h"

#include <algorithm>
#include <vector>

namespace korvane {
namespace {

// A line of output and where the next one starts: CR, LF and CR LF each end a line, as on
// the console.
struct TOutputLine {
    std::string_view Text;
    size_t Next;
};

TOutputLine LineAt(std::string_view output, size_t start) {
    const size_t end = output.find_first_of("\r\n", start);
    if (end == std::string_view::npos) return {output.substr(start), output.size()};
    const size_t next = output.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
    return {output.substr(start, end - start), next};
}

// The value of a "Name: value" header line whose name is name, if it is one.
bool HeaderValue(std::string_view line, std::string_view name, std::string_view& value) {
    if (line.size() <= name.size() || line[name.size()] != ':' || !StartsText(name, line))
        return false;
    value = line.substr(name.size() + 1);
    return true;
}

bool IsHeaderField(std::string_view line) {
    const size_t colon = line.find(':');
    return colon != std::string_view::npos && colon > 0 &&
           std::all_of(line.begin(), line.begin() + static_cast<long>(colon),
                       [](char c) { return IsAlphaNumeric(c) || c == '-' || c == '_'; });
}

// The CGI header at the top of output: everything up to the first empty line when the first
// line is "Content-type:"; otherwise (a script may send "Status:" first) header fields up to an
// empty line, one of them "Content-type:". Gives the declared type, in lower case without its
// parameters, and where the body starts.
bool CgiHeader(std::string_view output, std::string& contentType, size_t& bodyStart) {
    std::string_view type;
    const bool firstIsType = HeaderValue(LineAt(output, 0).Text, "Content-type", type);
    bool typed = firstIsType;
    bool ended = false;
    size_t at = 0;
    while (at < output.size() && !ended) {
        const TOutputLine line = LineAt(output, at);
        at = line.Next;
        ended = line.Text.empty();
        if (ended || firstIsType) continue;
        if (!IsHeaderField(line.Text)) return false;
        if (!typed) typed = HeaderValue(line.Text, "Content-type", type);
    }
    if (!firstIsType && !(ended && typed)) return false;
    bodyStart = at;
    // "text/plain; charset=utf-8" declares the type text/plain.
    type = type.substr(0, type.find(';'));
    const size_t first = type.find_first_not_of(" \t");
    const size_t last = type.find_last_not_of(" \t");
    contentType = first == std::string_view::npos ? std::string()
                                                  : LowerText(type.substr(first, last + 1 - first));
    return true;
}

// The extension under which the browser view shows a declared type. Types it could not show
// (or would offer to download) show as text.
std::string ExtensionForType(const std::string& type) {
    static const struct {
        const char* Type;
        const char* Extension;
    } table[] = {
        {"text/html", ".html"},   {"application/xhtml+xml", ".xhtml"},
        {"image/png", ".png"},    {"image/gif", ".gif"},
        {"image/jpeg", ".jpg"},   {"image/svg+xml", ".svg"},
        {"image/webp", ".webp"},  {"image/bmp", ".bmp"},
        {"image/x-icon", ".ico"}, {"image/vnd.microsoft.icon", ".ico"},
        {"text/xml", ".xml"},     {"application/xml", ".xml"},
    };
    for (const auto& entry : table)
        if (type == entry.Type) return entry.Extension;
    return ".txt";
}

std::vector<std::string> OutputLines(std::string_view output) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < output.size();) {
        const TOutputLine line = LineAt(output, at);
        lines.emplace_back(line.Text);
        at = line.Next;
    }
    return lines;
}

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

TBrowserPage BrowserPageFor(std::string_view output, bool sqlOutput, TColor sqlEditorColour) {
    std::string type;
    size_t bodyStart = 0;
    const bool header = CgiHeader(output, type, bodyStart);
    const std::string_view body = output.substr(header ? bodyStart : 0);
    if (sqlOutput) {
        std::vector<std::string> lines = OutputLines(body);
        WrapSqlOutput(lines, sqlEditorColour);
        TBrowserPage page{".html", {}};
        for (const std::string& line : lines)
            page.Bytes += line + "\n";
        return page;
    }
    return {header ? ExtensionForType(type) : ".html", std::string(body)};
}

std::string HttpFileName(const std::string& file, const TWebAddressBase& web) {
    if (!web.Started) return file;
    std::string base = "http://" + web.Host;
    if (!web.Port.empty() && web.Port != "80") base += ":" + web.Port;
    base += "/";
    const std::string ext = FileExtension(file);
    std::string rest;
    if (OneOf(ext, {".htm", ".html", ".txt", ".jpg", ".gif"}) &&
        PathBelowFolder(file, web.RootPath, &rest))
        return base + rest;
    if (OneOf(ext, {".cgi", ".pl", ".php"}) && PathBelowFolder(file, web.CgiBinPath, &rest)) {
        const std::string logical = RemoveLeadingSlash(RemoveTrailingSlash(web.LogicalCgiBin));
        return base + (logical.empty() ? "" : logical + "/") + ToForwardSlashes(rest);
    }
    return file;
}

} // namespace korvane
