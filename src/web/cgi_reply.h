#pragma once
// Turning what a CGI script printed into an HTTP reply (RFC 3875 section 6), and the server's
// own message pages. Plain text work, no sockets.
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
    std::string Header; // status line and header lines, ending with the empty line
    std::string Body;
    // A "Location: /path?query" without a status: the server answers with what that address
    // gives instead (RFC 3875 6.2.2); Header and Body are then empty.
    std::string LocalRedirect;
    bool NoHeader = false; // the script printed HTML before any header: Body is the page
};

// The reply to output, a script's standard output bytes. headerStart is the reply's own start
// (CgiReplyHeaderStart); the script's header lines replace its lines of the same name or join
// them, a "Status:" line sets the status line, a "Location:" to another site without one
// makes it "302 Found". The body goes out byte for byte.
TCgiReply BuildCgiReply(const std::string& headerStart, const std::string& output,
                        const std::string& interp, const std::string& scriptFile);

// headerStart with "Content-Length: " + length and the empty line: the reply to a page of
// the server's own. With a status ("503 Service Unavailable") its status line says that.
std::string CgiPageHeader(const std::string& headerStart, size_t length,
                          const std::string& status = {});

} // namespace korvane
