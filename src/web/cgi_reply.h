#pragma once
// Turning what a CGI script printed into an HTTP reply, and the server's own message pages.
// Plain text work, no sockets.
#include <ctime>
#include <string>

namespace korvane {

// The start of every script reply: status line, type, date, an expiry in the past and no
// caching, each line ended by CR LF.
std::string CgiReplyHeaderStart(const std::string& version, std::time_t now);

// "Perl" or "PHP", as the pages name the interpreter of scriptFile.
std::string CgiInterpreterName(const std::string& scriptFile);

std::string CgiBusyPage(const std::string& interp, const std::string& scriptFile);
std::string CgiErroredPage(const std::string& interp, const std::string& scriptFile,
                           const std::string& errorText);
std::string CgiNoHeaderPage(const std::string& interp, const std::string& scriptFile);

struct TCgiReply {
    std::string Header; // ends with the empty line
    std::string Body;
    std::string RemovedStatusLine; // a GET script's "Status:" line, taken out of the reply
    bool NoHeader = false;         // the script printed HTML before any header: Body is the page
};

// The reply to output, a script's standard output bytes. Text bodies are rebuilt line by
// line with CR LF; a body of another declared type goes out byte for byte.
TCgiReply BuildCgiReply(const std::string& headerStart, const std::string& output, bool isPost,
                        const std::string& interp, const std::string& scriptFile);

// headerStart with "Content-Length: " + length and the empty line: the reply to a page of
// the server's own.
std::string CgiPageHeader(const std::string& headerStart, size_t length);

} // namespace korvane
