#include "web/cgi_reply.h"

#include "net/http_text.h"
#include "storage/paths.h"
#include "storage/text_utils.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace korvane {
namespace {

constexpr const char* PageStart =
    "<html><head><title>Korvane Web Server Message</title></head><body><h2><p>";
constexpr std::time_t SevenDays = 7 * 24 * 60 * 60;

// A header line of the script's output: its name and value, and where the next line starts.
struct THeaderLine {
    std::string_view Text; // without its line end
    size_t Next = 0;
};

// Lines end at LF; a CR before it belongs to the line end. A last line without an end counts.
THeaderLine LineAt(std::string_view output, size_t start) {
    size_t end = output.find('\n', start);
    const size_t next = end == std::string_view::npos ? output.size() : end + 1;
    if (end == std::string_view::npos) end = output.size();
    if (end > start && output[end - 1] == '\r') --end;
    return {output.substr(start, end - start), next};
}

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// The name of a "Name: value" line ("" when it is none): letters, digits and "-", "_".
std::string_view NameOf(std::string_view line) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return {};
    const std::string_view name = line.substr(0, colon);
    for (const char c : name)
        if (!IsAlphaNumeric(c) && c != '-' && c != '_') return {};
    return name;
}

std::string_view ValueOf(std::string_view line) {
    return Trimmed(line.substr(line.find(':') + 1));
}

// "404 Not Found" from a status value; a bare code gets its usual reason. "" for a value that
// is no status.
std::string StatusText(std::string_view value) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (value.size() < 3 || !std::all_of(value.begin(), value.begin() + 3, digit) ||
        value[0] < '1' || value[0] > '5' || (value.size() > 3 && value[3] != ' '))
        return {};
    if (value.size() > 4) return std::string(value);
    static const struct {
        const char* Code;
        const char* Reason;
    } reasons[] = {{"200", "OK"},
                   {"201", "Created"},
                   {"204", "No Content"},
                   {"301", "Moved Permanently"},
                   {"302", "Found"},
                   {"303", "See Other"},
                   {"304", "Not Modified"},
                   {"307", "Temporary Redirect"},
                   {"308", "Permanent Redirect"},
                   {"400", "Bad Request"},
                   {"401", "Unauthorized"},
                   {"403", "Forbidden"},
                   {"404", "Not Found"},
                   {"405", "Method Not Allowed"},
                   {"500", "Internal Server Error"},
                   {"503", "Service Unavailable"}};
    const std::string_view code = value.substr(0, 3);
    for (const auto& known : reasons)
        if (code == known.Code) return std::string(code) + " " + known.Reason;
    return std::string(code) + " Status";
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The reply's own status line with its status replaced.
std::string WithStatus(const std::string& statusLine, const std::string& status) {
    return statusLine.substr(0, statusLine.find(' ')) + " " + status;
}

// A script's line replaces the reply's own line of the same name, whatever its letter case;
// every other line joins the end, so repeated lines (several cookies) all go out. The length
// stays ours: it is the one that matches the body sent.
std::string MergeHeader(const std::string& replyHeader, const std::vector<std::string_view>& script,
                        const std::string& status) {
    std::vector<std::string> reply = SplitCrLf(replyHeader);
    const size_t ownLines = reply.size();
    std::vector<bool> replaced(ownLines, false);
    if (!status.empty() && !reply.empty()) reply[0] = WithStatus(reply[0], status);
    for (const std::string_view line : script) {
        const std::string_view name = NameOf(line);
        if (name.empty() || SameText(name, "Content-Length") || SameText(name, "Status")) continue;
        const std::string text = std::string(name) + ": " + std::string(ValueOf(line));
        bool done = false;
        for (size_t i = 1; i < ownLines && !done; ++i) {
            if (!replaced[i] && SameText(NameOf(reply[i]), name)) {
                reply[i] = text;
                replaced[i] = done = true;
            }
        }
        if (!done) reply.push_back(text);
    }
    std::string merged;
    for (const std::string& line : reply)
        merged += line + "\r\n";
    return merged + "\r\n";
}

std::string PageHead(const std::string& interp, const std::string& title,
                     const std::string& scriptFile) {
    return PageStart + interp + title + "</p></h2><p>" + "Problems executing " + interp +
           " program: <em>" + scriptFile + "</em><br></p><hr>";
}

} // namespace

std::string CgiReplyHeaderStart(const std::string& version, std::time_t now) {
    return version + " 200 Ok\r\nContent-Type: text/html\r\nDate: " + RFC1123DateText(now) +
           " GMT\r\nExpires: " + RFC1123DateText(now - SevenDays) +
           " GMT\r\nCache-Control: no-store, no-cache, must-revalidate\r\n";
}

std::string CgiInterpreterName(const std::string& scriptFile) {
    return FileExtension(scriptFile) == ".php" ? "PHP" : "Perl";
}

std::string CgiBusyPage(const std::string& interp, const std::string& scriptFile) {
    return std::string(PageStart) + "Korvane console busy</p></h2><p>Cannot execute " + interp +
           " program: <em>" + scriptFile + "</em><br>Wait for debugging / module " +
           "install to complete and press F5 on web browser to try again." + "</p></body></html>";
}

std::string CgiErroredPage(const std::string& interp, const std::string& scriptFile,
                           const std::string& errorText) {
    return PageHead(interp, " program errored / timed out", scriptFile) + "<p><pre>" + errorText +
           "</pre></p></body></html>";
}

std::string CgiNoHeaderPage(const std::string& interp, const std::string& scriptFile) {
    return PageHead(interp, " program has no header", scriptFile) +
           "<p><pre>CGI Program has no content header - try prefixing output with the "
           "following:-\r\n\r\n<b>print \"Content-Type: text/html\\n\\n\";</b></pre></p></body>"
           "</html>";
}

std::string CgiPageHeader(const std::string& headerStart, size_t length,
                          const std::string& status) {
    std::string header = headerStart;
    if (!status.empty()) {
        const size_t lineEnd = header.find("\r\n");
        header.replace(0, lineEnd, WithStatus(header.substr(0, lineEnd), status));
    }
    return header + "Content-Length: " + std::to_string(length) + "\r\n\r\n";
}

TCgiReply BuildCgiReply(const std::string& headerStart, const std::string& output,
                        const std::string& interp, const std::string& scriptFile) {
    TCgiReply reply;
    // The header ends at the first empty line; without one, every line is header and body.
    std::vector<std::string_view> headerLines;
    std::string joined;
    size_t at = 0;
    bool split = false;
    while (at < output.size()) {
        const THeaderLine line = LineAt(output, at);
        at = line.Next;
        if (line.Text.empty()) {
            split = true;
            break;
        }
        headerLines.push_back(line.Text);
        joined += line.Text;
        joined += "\r\n";
    }
    if (UpperText(joined).find("<HTML>") != std::string::npos) {
        reply.NoHeader = true;
        reply.Body = CgiNoHeaderPage(interp, scriptFile);
        reply.Header = CgiPageHeader(headerStart, reply.Body.size(), "500 Internal Server Error");
        return reply;
    }
    std::string status;
    std::string_view location;
    for (const std::string_view line : headerLines) {
        const std::string_view name = NameOf(line);
        if (SameText(name, "Status"))
            status = StatusText(ValueOf(line));
        else if (SameText(name, "Location"))
            location = ValueOf(line);
    }
    if (status.empty() && !location.empty()) {
        if (location[0] == '/' && (location.size() == 1 || location[1] != '/')) {
            reply.LocalRedirect = location;
            return reply;
        }
        status = "302 Found";
    }
    reply.Body = split ? output.substr(at) : output;
    reply.Header =
        MergeHeader(headerStart + "Content-Length: " + std::to_string(reply.Body.size()) + "\r\n",
                    headerLines, status);
    return reply;
}

} // namespace korvane
