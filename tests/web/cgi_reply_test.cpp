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
    bool IsPost;
    std::string Header; // expected, whole
    std::string Body;
    std::string RemovedStatus;
};

} // namespace

TEST(CgiReply, ScriptHeadersMergeIntoTheReplyAndBodiesKeepTheirBytes) {
    const std::string png("\x89PNG\r\n\x1a\n\0\n\r\n", 12);
    const std::vector<ReplyCase> cases{
        {"type replaced whatever its case; body lines end in CR LF",
         "content-type: text/plain\n\nhello\n", false,
         "HTTP/1.1 200 Ok\r\ncontent-type: text/plain\r\nDate: D\r\nContent-Length: 7\r\n\r\n",
         "hello\r\n", ""},
        {"new lines are added; a line without \": \" is dropped; the length stays ours",
         "Location: /x\r\nbogus\r\nContent-Length: 999\r\n\r\na\nb", false,
         Start + "Content-Length: 6\r\nLocation: /x\r\n\r\n", "a\r\nb\r\n", ""},
        {"a GET loses its status line", "Status: 302 Found\nLocation: /y\n\n", false,
         Start + "Content-Length: 0\r\nLocation: /y\r\n\r\n", "", "Status: 302 Found"},
        {"a POST keeps it as a header", "Status: 302 Found\nLocation: /y\n\n", true,
         Start + "Content-Length: 0\r\nStatus: 302 Found\r\nLocation: /y\r\n\r\n", "", ""},
        {"without an empty line every line is header and body", "just text\n", false,
         Start + "Content-Length: 11\r\n\r\n", "just text\r\n", ""},
        {"a declared binary body goes out byte for byte", "Content-Type: image/png\n\n" + png,
         false,
         "HTTP/1.1 200 Ok\r\nContent-Type: image/png\r\nDate: D\r\nContent-Length: 12\r\n\r\n", png,
         ""},
    };
    for (const ReplyCase& c : cases) {
        const TCgiReply reply = BuildCgiReply(Start, c.Output, c.IsPost, "Perl", "/s/t.pl");
        EXPECT_EQ(reply.Header, c.Header) << c.Name;
        EXPECT_EQ(reply.Body, c.Body) << c.Name;
        EXPECT_EQ(reply.RemovedStatusLine, c.RemovedStatus) << c.Name;
        EXPECT_FALSE(reply.NoHeader) << c.Name;
    }
}

TEST(CgiReply, HtmlBeforeTheHeaderGetsTheNoHeaderPage) {
    const TCgiReply reply =
        BuildCgiReply(Start, "<HTML><body>hi\n\nmore\n", false, "Perl", "/s/t.pl");
    EXPECT_TRUE(reply.NoHeader);
    EXPECT_EQ(reply.Body,
              "<html><head><title>Korvane Web Server Message</title></head><body><h2><p>Perl "
              "program has no header</p></h2><p>Problems executing Perl program: "
              "<em>/s/t.pl</em><br></p><hr><p><pre>CGI Program has no content header - try "
              "prefixing output with the following:-\r\n\r\n<b>print \"Content-Type: "
              "text/html\\n\\n\";</b></pre></p></body></html>");
    EXPECT_EQ(reply.Header,
              Start + "Content-Length: " + std::to_string(reply.Body.size()) + "\r\n\r\n");
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
