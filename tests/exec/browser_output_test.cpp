#include "exec/browser_output.h"

#include <gtest/gtest.h>

using korvane::BrowserPageFor;
using korvane::HttpFileName;
using korvane::TWebAddressBase;

namespace {

std::string Shown(std::string_view output) {
    return BrowserPageFor(output, false, 0).Bytes;
}

} // namespace

TEST(BrowserPageFor, TheCgiHeaderGoesUpToTheFirstEmptyLineWhateverItsCase) {
    EXPECT_EQ(Shown("CONTENT-TYPE: text/html\nX-Other: 1\n\n<p>a</p>\n\nb"), "<p>a</p>\n\nb");
    EXPECT_EQ(Shown("Content-type: text/html\r\n\r\n<p>a</p>\r\n"), "<p>a</p>\r\n");
    // Output that does not start with the header is the page as it stands.
    EXPECT_EQ(Shown("<p>a</p>\nContent-type: text/html\n\nb"),
              "<p>a</p>\nContent-type: text/html\n\nb");
    // A header that never ends leaves nothing to show.
    EXPECT_EQ(Shown("Content-type: text/plain\nstill header"), "");
    EXPECT_EQ(Shown(""), "");
}

TEST(BrowserPageFor, TheDeclaredTypeDecidesHowTheBodyShows) {
    using namespace std::string_literals;
    const std::string png = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\r\r\n"s;
    const struct {
        std::string Output;
        const char* Extension;
        std::string Bytes;
    } cases[] = {
        {"Content-Type: text/plain\n\n<b>not bold</b>\n", ".txt", "<b>not bold</b>\n"},
        {"Content-type: TEXT/PLAIN; charset=UTF-8\r\n\r\nGr\xC3\xBC\xC3\x9F"
         "e\r\n",
         ".txt",
         "Gr\xC3\xBC\xC3\x9F"
         "e\r\n"},
        {"Content-type:text/html\n\n<p>x</p>", ".html", "<p>x</p>"},
        {"Content-type: image/png\r\n\r\n" + png, ".png", png}, // binary bodies keep every byte
        {"Content-type: image/jpeg\n\n\xFF\xD8\r\xFF", ".jpg", "\xFF\xD8\r\xFF"},
        {"Content-type: image/gif\n\nGIF89a", ".gif", "GIF89a"},
        {"Content-type: application/json\n\n{\"a\": 1}", ".txt", "{\"a\": 1}"},
        {"Content-type: application/octet-stream\n\n\x01\x02", ".txt", "\x01\x02"},
        // Other header fields may come first; the type is still found.
        {"Status: 404 Not Found\r\nContent-Type: text/plain\r\n\r\nmissing\r\n", ".txt",
         "missing\r\n"},
        // Without a header, or with fields but no type, the output is a page as it stands.
        {"<h1>Hi</h1>\n", ".html", "<h1>Hi</h1>\n"},
        {"Note: just text\n\nmore", ".html", "Note: just text\n\nmore"},
        {"Status: 200\nno field\n\nx", ".html", "Status: 200\nno field\n\nx"},
    };
    for (const auto& c : cases) {
        const korvane::TBrowserPage page = BrowserPageFor(c.Output, false, 0);
        EXPECT_EQ(page.Extension, c.Extension) << c.Output;
        EXPECT_EQ(page.Bytes, c.Bytes) << c.Output;
    }
}

TEST(BrowserPageFor, SqlOutputIsWrappedAndItsTablesColoured) {
    // Colours are stored blue-green-red: 0x00C0FF is orange, "#FFC000" in a page.
    const korvane::TBrowserPage page =
        BrowserPageFor("<TABLE BORDER=1><tr><td>1</td></tr></Table>\r\n2 rows\n", true, 0x00C0FF);
    EXPECT_EQ(page.Extension, ".html");
    EXPECT_EQ(page.Bytes,
              "<html><head><title='MySQL output'></head>\n"
              "<body><p><h1>Output from MySQL...</h1><hr></p><pre>\n"
              "</pre><table bgcolor='#FFC000' BORDER=1><tr><td>1</td></tr></table><pre>\n"
              "2 rows\n</pre></body></html>\n");
}

TEST(HttpFileName, WithoutTheServerTheFileIsItsOwnAddress) {
    TWebAddressBase web;
    web.RootPath = "/srv/www";
    EXPECT_EQ(HttpFileName("/srv/www/a.html", web), "/srv/www/a.html");
}

TEST(HttpFileName, ScriptsUnderTheCgiFolderGetTheLogicalPathAndThePortWhenNot80) {
    TWebAddressBase web{true, "127.0.0.1", "8080", "/web", "/web/cgi-bin", "/cgi-bin/"};
    EXPECT_EQ(HttpFileName("/web/cgi-bin/a/t.pl", web), "http://127.0.0.1:8080/cgi-bin/a/t.pl");
    EXPECT_EQ(HttpFileName("/web/cgi-bin/t.php", web), "http://127.0.0.1:8080/cgi-bin/t.php");
    web.Port = "80";
    EXPECT_EQ(HttpFileName("/web/cgi-bin/a/t.cgi", web), "http://127.0.0.1/cgi-bin/a/t.cgi");
    web.Port = "";
    EXPECT_EQ(HttpFileName("/web/cgi-bin/t.pl", web), "http://127.0.0.1/cgi-bin/t.pl");
    // A folder whose name only begins like the CGI folder is not inside it, and extensions
    // compare exactly.
    EXPECT_EQ(HttpFileName("/web/cgi-binx/t.pl", web), "/web/cgi-binx/t.pl");
    EXPECT_EQ(HttpFileName("/web/cgi-bin/t.PL", web), "/web/cgi-bin/t.PL");
}

TEST(HttpFileName, DocumentsUnderTheRootAreServedAndOthersOpenedAsFiles) {
    const TWebAddressBase web{true, "127.0.0.1", "8080", "/web/", "/web/cgi-bin", "cgi-bin"};
    EXPECT_EQ(HttpFileName("/web/docs/index.html", web), "http://127.0.0.1:8080/docs/index.html");
    EXPECT_EQ(HttpFileName("/web/a.gif", web), "http://127.0.0.1:8080/a.gif");
    // Outside the root the server could not send it: the browser opens the file itself.
    EXPECT_EQ(HttpFileName("/home/me/index.html", web), "/home/me/index.html");
    EXPECT_EQ(HttpFileName("/webx/index.html", web), "/webx/index.html");
    // Other kinds of file are never served.
    EXPECT_EQ(HttpFileName("/web/notes.md", web), "/web/notes.md");
}
