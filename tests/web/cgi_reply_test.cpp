// What a script prints becomes the reply: header lines merged into the server's own, the body
// rebuilt line by line for text and passed through untouched for anything else.
#include "web/cgi_reply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace korvane;

namespace {

const std::string Start = "HTTP/1.1 200 Ok\r\nContent-Type: text/html\r\nDate: D\r\n";

struct ReplyCase {
    const char* Name;
    std::string Output;
    std::string Header; // expected, whole
    std::string Body;
    std::string LocalRedirect;
};

} // namespace

// As RFC 3875 section 6: the script's lines join the reply or replace its own, "Status:" sets
// the status line for every method, a "Location:" elsewhere without a status is a 302, a local
// one is answered by the server in place.
TEST(CgiReply, ScriptHeadersMakeTheReplyAndBodiesKeepTheirBytes) {
    const std::string png("\x89PNG\r\n\x1a\n\0\n\r\n", 12);
    const std::vector<ReplyCase> cases{
        {"type replaced whatever its case; the body as it came",
         "content-type: text/plain\n\nhello\n",
         "HTTP/1.1 200 Ok\r\ncontent-type: text/plain\r\nDate: D\r\nContent-Length: 6\r\n\r\n",
         "hello\n", ""},
        {"new lines are added; a line without a name is dropped; the length stays ours",
         "X-One: 1\r\nbogus\r\nContent-Length: 999\r\n\r\na\nb",
         Start + "Content-Length: 3\r\nX-One: 1\r\n\r\n", "a\nb", ""},
        {"a status sets the status line", "Status: 404 Not Found\nContent-Type: text/plain\n\nx",
         "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nDate: D\r\nContent-Length: "
         "1\r\n\r\n",
         "x", ""},
        {"a bare code gets its reason", "Status: 303\nLocation: /next\n\n",
         "HTTP/1.1 303 See Other\r\nContent-Type: text/html\r\nDate: D\r\nContent-Length: "
         "0\r\nLocation: /next\r\n\r\n",
         "", ""},
        {"a status that is none is left out", "Status: soon\nContent-Type: text/plain\n\n",
         "HTTP/1.1 200 Ok\r\nContent-Type: text/plain\r\nDate: D\r\nContent-Length: "
         "0\r\n\r\n",
         "", ""},
        {"another site without a status: 302", "Location: http://example.test/x\n\n",
         "HTTP/1.1 302 Found\r\nContent-Type: text/html\r\nDate: D\r\nContent-Length: "
         "0\r\nLocation: http://example.test/x\r\n\r\n",
         "", ""},
        {"a local address without a status is the server's to answer",
         "Location: /cgi-bin/next.pl?a=1\n\n", "", "", "/cgi-bin/next.pl?a=1"},
        {"an address of another host on this scheme is no local one", "Location: //other/x\n\n",
         "HTTP/1.1 302 Found\r\nContent-Type: text/html\r\nDate: D\r\nContent-Length: "
         "0\r\nLocation: //other/x\r\n\r\n",
         "", ""},
        {"every cookie goes out", "Set-Cookie: a=1\nSet-Cookie: b=2\nContent-type:text/plain\n\n",
         "HTTP/1.1 200 Ok\r\nContent-type: text/plain\r\nDate: D\r\nContent-Length: "
         "0\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n",
         "", ""},
        {"without an empty line every line is header and body", "just text\n",
         Start + "Content-Length: 10\r\n\r\n", "just text\n", ""},
        {"a binary body goes out byte for byte", "Content-Type: image/png\n\n" + png,
         "HTTP/1.1 200 Ok\r\nContent-Type: image/png\r\nDate: D\r\nContent-Length: 12\r\n\r\n", png,
         ""},
    };
    for (const ReplyCase& c : cases) {
        const TCgiReply reply = BuildCgiReply(Start, c.Output, "Perl", "/s/t.pl");
        EXPECT_EQ(reply.Header, c.Header) << c.Name;
        EXPECT_EQ(reply.Body, c.Body) << c.Name;
        EXPECT_EQ(reply.LocalRedirect, c.LocalRedirect) << c.Name;
        EXPECT_FALSE(reply.NoHeader) << c.Name;
    }
}

TEST(CgiReply, HtmlBeforeTheHeaderGetsTheNoHeaderPage) {
    const TCgiReply reply = BuildCgiReply(Start, "<HTML><body>hi\n\nmore\n", "Perl", "/s/t.pl");
    EXPECT_TRUE(reply.NoHeader);
    EXPECT_EQ(reply.Body,
              "<html><head><title>Korvane Web Server Message</title></head><body><h2><p>Perl "
              "program has no header</p></h2><p>Problems executing Perl program: "
              "<em>/s/t.pl</em><br></p><hr><p><pre>CGI Program has no content header - try "
              "prefixing output with the following:-\r\n\r\n<b>print \"Content-Type: "
              "text/html\\n\\n\";</b></pre></p></body></html>");
    EXPECT_EQ(reply.Header,
              "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html\r\nDate: "
              "D\r\nContent-Length: " +
                  std::to_string(reply.Body.size()) + "\r\n\r\n");
}

TEST(CgiReply, MessagePagesAndTheHeaderStart) {
    EXPECT_EQ(CgiBusyPage("PHP", "/c/x.php"),
              "<html><head><title>Korvane Web Server Message</title></head><body><h2><p>Korvane "
              "console busy</p></h2><p>Cannot execute PHP program: <em>/c/x.php</em><br>Wait for "
              "debugging / module install to complete and press F5 on web browser to try "
              "again.</p></body></html>");
    EXPECT_EQ(CgiErroredPage("Perl", "/c/x.pl", "line 1\r\nline 2"),
              "<html><head><title>Korvane Web Server Message</title></head><body><h2><p>Perl "
              "program errored / timed out</p></h2><p>Problems executing Perl program: "
              "<em>/c/x.pl</em><br></p><hr><p><pre>line 1\r\nline 2</pre></p></body></html>");
    EXPECT_EQ(CgiInterpreterName("/c/x.php"), "PHP");
    EXPECT_EQ(CgiInterpreterName("/c/x.cgi"), "Perl");
    // 9 December 2025, 12:00 UTC; the expiry lies a week before.
    EXPECT_EQ(CgiReplyHeaderStart("HTTP/1.0", 1765281600),
              "HTTP/1.0 200 Ok\r\nContent-Type: text/html\r\nDate: Tue, 09 Dec 2025 12:00:00 "
              "GMT\r\nExpires: Tue, 02 Dec 2025 12:00:00 GMT\r\nCache-Control: no-store, "
              "no-cache, must-revalidate\r\n");
}
