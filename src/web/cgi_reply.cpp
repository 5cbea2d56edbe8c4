#include "web/cgi_reply.h"

#include "net/http_text.h"
#include "storage/paths.h"
#include "storage/text_utils.h"

#include <vector>

namespace korvane {
namespace {

constexpr const char* PageStart =
    "<html><head><title>Korvane Web Server Message</title></head><body><h2><p>";
constexpr std::time_t SevenDays = 7 * 24 * 60 * 60;

// One line of the script's output and where it lies in the bytes.
struct TOutputLine {
    std::string Text; // without its line end
    size_t End = 0;   // just after its line end
};

// Lines end at LF; a CR before it belongs to the line end. A last line without an end counts.
std::vector<TOutputLine> OutputLines(const std::string& output) {
    std::vector<TOutputLine> lines;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        const size_t next = end == std::string::npos ? output.size() : end + 1;
        if (end == std::string::npos) end = output.size();
        size_t textEnd = end;
        if (textEnd > start && output[textEnd - 1] == '\r') --textEnd;
        lines.push_back({output.substr(start, textEnd - start), next});
        start = next;
    }
    return lines;
}

std::string NameOf(const std::string& headerLine) {
    const size_t colon = headerLine.find(": ");
    return colon == std::string::npos ? std::string() : headerLine.substr(0, colon);
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

// A script's line replaces the reply's line of the same name, whatever its letter case, or
// joins the end. The length stays ours: it is the one that matches the body sent.
std::string MergeHeader(const std::string& replyHeader, const std::vector<std::string>& script) {
    std::vector<std::string> reply = SplitCrLf(replyHeader);
    for (const std::string& line : script) {
        const std::string name = NameOf(line);
        if (name.empty() || SameText(name, "Content-Length")) continue;
        bool replaced = false;
        for (std::string& existing : reply) {
            if (SameText(NameOf(existing), name)) {
                existing = line;
                replaced = true;
                break;
            }
        }
        if (!replaced) reply.push_back(line);
    }
    std::string merged;
    for (const std::string& line : reply)
        merged += line + "\r\n";
    return merged + "\r\n";
}

std::string DeclaredType(const std::vector<std::string>& headerLines) {
    for (const std::string& line : headerLines)
        if (SameText(NameOf(line), "Content-Type")) return line.substr(line.find(": ") + 2);
    return {};
}

bool IsTextType(const std::string& type) {
    return type.empty() || SameText(type.substr(0, 5), "text/");
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

std::string CgiPageHeader(const std::string& headerStart, size_t length) {
    return headerStart + "Content-Length: " + std::to_string(length) + "\r\n\r\n";
}

TCgiReply BuildCgiReply(const std::string& headerStart, const std::string& output, bool isPost,
                        const std::string& interp, const std::string& scriptFile) {
    TCgiReply reply;
    std::vector<TOutputLine> lines = OutputLines(output);
    // Browsers take a status header for a GET from the status line, which is always 200 here.
    if (!isPost && !lines.empty() && SameText(output.substr(0, 7), "Status:")) {
        reply.RemovedStatusLine = lines.front().Text;
        lines.erase(lines.begin());
    }
    size_t blank = 0;
    while (blank < lines.size() && !lines[blank].Text.empty())
        ++blank;
    const bool split = blank < lines.size();
    std::vector<std::string> headerLines;
    std::string joined;
    for (size_t i = 0; i < blank; ++i) {
        headerLines.push_back(lines[i].Text);
        joined += (i ? "\r\n" : "") + lines[i].Text;
    }
    if (UpperText(joined).find("<HTML>") != std::string::npos) {
        reply.NoHeader = true;
        reply.Body = CgiNoHeaderPage(interp, scriptFile);
        reply.Header = CgiPageHeader(headerStart, reply.Body.size());
        return reply;
    }
    if (split && !IsTextType(DeclaredType(headerLines))) {
        reply.Body = output.substr(lines[blank].End);
    } else {
        for (size_t i = split ? blank + 1 : 0; i < lines.size(); ++i)
            reply.Body += lines[i].Text + "\r\n";
    }
    reply.Header = MergeHeader(
        headerStart + "Content-Length: " + std::to_string(reply.Body.size()) + "\r\n", headerLines);
    return reply;
}

} // namespace korvane
