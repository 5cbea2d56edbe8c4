#include "exec/browser_output.h"

#include <gtest/gtest.h>

using korvane::BrowserPageLines;
using korvane::HttpFileName;
using korvane::TWebAddressBase;
using Lines = std::vector<std::string>;

TEST(BrowserPageLines, TheCgiHeaderGoesUpToTheFirstEmptyLineWhateverItsCase) {
    EXPECT_EQ(BrowserPageLines({"CONTENT-TYPE: text/html", "X-Other: 1", "", "<p>a</p>", "", "b"}, false, 0),
              (Lines{"<p>a</p>", "", "b"}));
    // Output that does not start with the header is the page as it stands.
    EXPECT_EQ(BrowserPageLines({"<p>a</p>", "Content-type: text/html", "", "b"}, false, 0),
              (Lines{"<p>a</p>", "Content-type: text/html", "", "b"}));
    // A header that never ends leaves nothing to show.
    EXPECT_EQ(BrowserPageLines({"Content-type: text/plain", "still header"}, false, 0), Lines{});
    EXPECT_EQ(BrowserPageLines({}, false, 0), Lines{});
}

TEST(BrowserPageLines, SqlOutputIsWrappedAndItsTablesColoured) {
    // Colours are stored blue-green-red: 0x00C0FF is orange, "#FFC000" in a page.
    const Lines page = BrowserPageLines({"<TABLE BORDER=1><tr><td>1</td></tr></Table>", "2 rows"}, true, 0x00C0FF);
    EXPECT_EQ(page, (Lines{"<html><head><title='MySQL output'></head>",
                           "<body><p><h1>Output from MySQL...</h1><hr></p><pre>",
                           "</pre><table bgcolor='#FFC000' BORDER=1><tr><td>1</td></tr></table><pre>",
                           "2 rows", "</pre></body></html>"}));
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
