#include "net/http_request.h"
#include "net/http_text.h"
#include "storage/url_coding.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(HttpText, HtmlEscapingNamesLatin1AndNumbersTheRest) {
    EXPECT_EQ(TextToHtmlText("a<b>&'\"c\nd"), "a&lt;b&gt;&amp;&#39;&#34;c\n<BR>d");
    EXPECT_EQ(TextToHtmlText("caf\xC3\xA9 \xC2\xA0"), "caf&eacute; &nbsp;"); // UTF-8
    EXPECT_EQ(TextToHtmlText("\xFF\xE9"), "&yuml;&eacute;");                 // stray Latin-1 bytes
    EXPECT_EQ(TextToHtmlText("\xE2\x82\xAC"), "&#8364;");                    // euro sign
    EXPECT_EQ(TextToHtmlText("\x80\x9F"), "\x80\x9F") << "bytes below 160 are copied";
}

TEST(HttpText, UrlCoding) {
    EXPECT_EQ(FormEncode("a b&c.TXT-_/~\xC3\xA9"), "a%20b%26c.TXT%2D%5F%2F%7E%C3%A9");
    EXPECT_EQ(DecodeRequestPath("/a%20b%2fc+d"), "/a b/c+d");
    EXPECT_EQ(DecodeRequestPath("%4g"), std::string(1, '\x04'))
        << "a non-hex digit ends the number";
    EXPECT_EQ(DecodeRequestPath("ab%"), "ab%");
    EXPECT_EQ(DecodeRequestPath("ab%4"), "ab%4") << "a % among the last two characters stays";
    EXPECT_EQ(DecodeRequestPath("%2e%2E"), "..");
}

TEST(HttpText, DatesContentTypesAndNormalisation) {
    // Monday 5 January 2004, 09:03:07 UTC.
    EXPECT_EQ(RFC1123DateText(1073293387), "Mon, 05 Jan 2004 09:03:07");
    EXPECT_EQ(DocumentToContentType("/x/Page.HTM"), "text/html");
    EXPECT_EQ(DocumentToContentType("/x/a.wmlscriptc"), "application/vnd.wap.wmlscriptc");
    EXPECT_EQ(DocumentToContentType("/x.d/readme"), "application/octet-stream");
    EXPECT_EQ(DocumentToContentType("/x/p.jpeg"), "image/jpeg");

    EXPECT_EQ(NormalizeLocalPath(""), "");
    EXPECT_EQ(NormalizeLocalPath(".."), "");
    EXPECT_EQ(NormalizeLocalPath("/"), "/");
    EXPECT_EQ(NormalizeLocalPath("/."), "/");
    EXPECT_EQ(NormalizeLocalPath("/srv/www/a/../../../secret.txt"), "/secret.txt");
    EXPECT_EQ(NormalizeLocalPath("/../../etc"), "/etc") << "never above the root";
    EXPECT_EQ(NormalizeLocalPath("/a/./b/."), "/a/b");
    EXPECT_EQ(NormalizeLocalPath("/a//b/"), "/a/b/");
    EXPECT_EQ(NormalizeLocalPath("/a/b/.."), "/a");
    EXPECT_EQ(NormalizeLocalPath("/a/..b/c"), "/a/..b/c") << "only whole segments are special";
}

TEST(HttpText, InsideRootComparesExactly) {
    EXPECT_TRUE(IsInsideRoot("/srv/www", "/srv/www/"));
    EXPECT_TRUE(IsInsideRoot("/srv/www/a", "/srv/www"));
    EXPECT_FALSE(IsInsideRoot("/srv/wwwx/a", "/srv/www")) << "a sibling sharing the prefix";
    EXPECT_FALSE(IsInsideRoot("/srv/WWW/a", "/srv/www")) << "case decides on Linux";
    EXPECT_FALSE(IsInsideRoot("/srv", "/srv/www"));
    EXPECT_FALSE(IsInsideRoot(std::string("/srv/www/a\0b", 12), "/srv/www"));
    EXPECT_TRUE(IsInsideRoot("/etc", "/"));
}

TEST(HttpRequest, RequestLineAndHeaderTable) {
    THttpRequestHeader request;
    request.ParseRequestLine("get  /a/b.html?x=1?y  http/1.1 ");
    EXPECT_EQ(request.Method, "GET");
    EXPECT_EQ(request.Path, "/a/b.html");
    EXPECT_EQ(request.Params, "x=1?y");
    EXPECT_EQ(request.Version, "HTTP/1.1");
    EXPECT_FALSE(request.ClosesAfterReply());

    request.ParseRequestLine("GET /");
    EXPECT_EQ(request.Version, "HTTP/1.0");
    EXPECT_TRUE(request.ClosesAfterReply());

    request.ParseRequestLine("POST /cgi HTTP/1.1");
    request.ParseHeaderLine("Host: example.test:8080", "80");
    request.ParseHeaderLine("CONTENT-LENGTH:   12", "80");
    request.ParseHeaderLine("Content-Typex: nope", "80");
    request.ParseHeaderLine("content-type:text/plain", "80");
    request.ParseHeaderLine("Connection: Close", "80");
    request.ParseHeaderLine("X-Unknown: kept", "80");
    request.ParseHeaderLine("no colon here", "80");
    EXPECT_EQ(request.RequestHostName, "example.test");
    EXPECT_EQ(request.RequestHostPort, "8080");
    EXPECT_EQ(request.RequestContentLength, 12);
    EXPECT_EQ(request.RequestContentType, "text/plain");
    EXPECT_TRUE(request.ClosesAfterReply());
    EXPECT_EQ(request.RequestHeader.size(), 7u);
    EXPECT_EQ(request.RequestHeader[2], "Content-Typex: nope");

    request.ParseHeaderLine("Host: plain", "81");
    EXPECT_EQ(request.RequestHostPort, "81");
    for (const char* bad :
         {"Content-Length: 12x", "Content-Length: -5", "Content-Length: 99999999999"}) {
        THttpRequestHeader fresh;
        fresh.ParseHeaderLine(bad, "80");
        EXPECT_EQ(fresh.RequestContentLength, 0) << bad;
    }
}

TEST(HttpRequest, RangesThatFitAndThoseThatDoNot) {
    auto resolve = [](const std::string& header, int64_t size) {
        THttpRequestHeader request;
        request.ParseHeaderLine("Range: " + header, "80");
        return ResolveRange(request, size);
    };
    using Kind = TByteRange::Kind;
    TByteRange r = resolve("bytes=2-5", 10);
    EXPECT_EQ(r.Result, Kind::Part);
    EXPECT_EQ(r.Offset, 2);
    EXPECT_EQ(r.Count, 4);
    r = resolve("bytes=4-", 10);
    EXPECT_EQ(r.Count, 6);
    r = resolve("bytes=-3", 10);
    EXPECT_EQ(r.Offset, 7);
    EXPECT_EQ(r.Count, 3);
    r = resolve("bytes=-30", 10);
    EXPECT_EQ(r.Offset, 0);
    EXPECT_EQ(r.Count, 10);
    r = resolve("bytes=5-100", 10);
    EXPECT_EQ(r.Count, 5) << "a last offset past the end is cut to the file";
    EXPECT_EQ(resolve("bytes=10-", 10).Result, Kind::Unsatisfiable);
    EXPECT_EQ(resolve("bytes=-0", 10).Result, Kind::Unsatisfiable);
    EXPECT_EQ(resolve("bytes=0-", 0).Result, Kind::Unsatisfiable);
    for (const char* ignored :
         {"bytes=5-2", "bytes=a-b", "items=0-1", "bytes=0-1,3-4", "bytes=-", "bytes=1-2-3"})
        EXPECT_EQ(resolve(ignored, 10).Result, Kind::Whole) << ignored;
}

} // namespace
} // namespace korvane
