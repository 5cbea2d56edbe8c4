// Remote folders as the upload names them, from the folder a login starts in.
#include "publish/remote_path.h"

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

TEST(RemotePathTest, FoldersAreAbsoluteFromTheLoginFolderAndClimbNoHigherThanTheRoot) {
    const struct {
        const char* Login;
        const char* Start;
        const char* Offset;
        const char* Folder;
    } cases[] = {
        {"/home/me", "www", "", "/home/me/www"},
        {"/home/me", "www/", "lib", "/home/me/www/lib"},
        {"/home/me", "/srv/site", "cgi-bin/", "/srv/site/cgi-bin"},
        {"/home/me", "", "", "/home/me"},
        {"/home/me", "www", "../logs", "/home/me/logs"},
        {"/", "..", "../..", "/"},
        {"/home/me", "www", "/elsewhere", "/elsewhere"},
        {"/home/me", "www\\old", "a\\b", "/home/me/www/old/a/b"}, // typed the Windows way
        {"/home/me", "./www//", "./x/.", "/home/me/www/x"},
        {"", "www", "lib", "www/lib"}, // before a login: left relative
        {"", "", "", "."},
        {"", "..", "up", "../up"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoteFolder(c.Login, c.Start, c.Offset), c.Folder)
            << c.Login << " | " << c.Start << " | " << c.Offset;
    EXPECT_EQ(RemoteFile("/", "a.html"), "/a.html");
    EXPECT_EQ(RemoteFile("/www", "a.html"), "/www/a.html");
    EXPECT_EQ(RemoteFile(".", "a.html"), "a.html");
}

} // namespace
} // namespace korvane::test
