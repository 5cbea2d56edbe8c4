// Content types by file name: the system's table as Debian ships it (media-types), the
// server's own entries where they differ, a built-in table without the system's.
#include "net/http_content_types.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace korvane;

namespace {

struct Case {
    const char* File;
    const char* Type;
};

void ExpectTypes(const THttpContentTypes& table, const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(table.TypeOf(c.File), c.Type) << c.File;
}

} // namespace

TEST(HttpContentTypes, TheTableReadsTheMimeTypesFormatAndSettlesConflicts) {
    const THttpContentTypes table = THttpContentTypes::FromMimeTypes(
        "# comment line\n"
        "text/css\t\t\t\tcss   # a trailing comment\n"
        "application/x-thing\t\tthing\n"
        "application/thing\t\tthing\n" // without x- wins, whatever the order
        "application/vnd.other\t\tother\n"
        "application/other\t\tother\n" // without vnd. wins
        "application/csv\t\t\tcsv\n"
        "text/csv\t\t\tcsv\n" // text/ over application/ of the same subtype
        "image/one\t\t\ttwice\n"
        "image/two\t\t\ttwice\n" // two equal claims: nothing sure
        "application/gzip\t\tgz\n"
        "application/x-gtar-compressed\ttar.gz tgz\n"
        "Text/X-Shout\t\t\tSHOUT\n"
        "no-slash\t\t\tbroken\n"
        "text/plain\t\t\ttxt\n" // the server's own entry stays
        "image/vnd.microsoft.icon\tico\n"
        "application/javascript\t\tjs\n");
    ExpectTypes(table, {
                           {"a.css", "text/css; charset=utf-8"},
                           {"a.thing", "application/thing"},
                           {"a.other", "application/other"},
                           {"a.csv", "text/csv; charset=utf-8"},
                           {"a.twice", "application/octet-stream"},
                           {"backup.tar.gz", "application/x-gtar-compressed"},
                           {"notes.gz", "application/gzip"},
                           {"LOUD.shout", "Text/X-Shout; charset=utf-8"},
                           {"a.broken", "application/octet-stream"},
                           {"a.txt", "text/plain"},
                           {"favicon.ico", "image/x-icon"},
                           {"app.js", "text/javascript; charset=utf-8"},
                           {"page.html", "text/html"},
                           {"/dir.d/readme", "application/octet-stream"},
                           {".hidden", "application/octet-stream"},
                           {"trailing.", "application/octet-stream"},
                       });
}

TEST(HttpContentTypes, WithoutTheSystemTableTheCommonWebTypesAreKnown) {
    ExpectTypes(THttpContentTypes::BuiltIn(), {
                                                  {"s.css", "text/css; charset=utf-8"},
                                                  {"s.js", "text/javascript; charset=utf-8"},
                                                  {"s.png", "image/png"},
                                                  {"s.svg", "image/svg+xml"},
                                                  {"s.json", "application/json"},
                                                  {"s.woff2", "font/woff2"},
                                                  {"s.htm", "text/html"},
                                                  {"s.unknownext", "application/octet-stream"},
                                              });
}

// The system's table gives every extension the type lighttpd's Debian package makes of the
// same file (its create-mime.conf.pl), apart from the charset, which this server adds to all
// text types, the server's own entries, and the RealAudio names, where the Debian script's
// replacement of one type spills over to the other names on its line.
TEST(HttpContentTypes, TheSystemTableAgreesWithLighttpdOnDebian) {
    const char* generator = "/usr/share/lighttpd/create-mime.conf.pl";
    if (!std::filesystem::exists(generator)) GTEST_SKIP() << "lighttpd is not installed";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> pipe(
        ::popen((std::string("perl ") + generator).c_str(), "r"), ::pclose);
    ASSERT_TRUE(pipe);
    std::string conf;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get()))
        conf.append(buffer, n);
    const std::regex entry("\"\\.([^\"]+)\" => \"([^\";]+)(;[^\"]*)?\"");
    const THttpContentTypes& system = THttpContentTypes::System();
    const std::map<std::string, std::string> own{{"ico", "image/x-icon"},
                                                 {"wav", "audio/x-wav"},
                                                 {"wml", "text/vnd.wap.wml"},
                                                 {"wmlscript", "text/vnd.wap.wmlscript"}};
    size_t compared = 0;
    for (std::sregex_iterator it(conf.begin(), conf.end(), entry), end; it != end; ++it) {
        const std::string extension = (*it)[1];
        if (extension == "ra" || extension == "ram" || extension == "rm") continue;
        std::string type(system.TypeOf("f." + extension));
        type = type.substr(0, type.find(';'));
        const auto mine = own.find(extension);
        EXPECT_EQ(type, mine != own.end() ? mine->second : std::string((*it)[2]))
            << "." << extension;
        ++compared;
    }
    EXPECT_GT(compared, 1000u) << "the table lighttpd made is far too short:\n"
                               << conf.substr(0, 500);
}
