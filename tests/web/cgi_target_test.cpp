// Which request paths run which scripts: decoded, normalised and kept inside the CGI folder.
#include "web/cgi_target.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace korvane;

TEST(CgiTarget, OnlyScriptsInsideTheCgiFolderRun) {
    test::TempDir dir;
    const std::string cgi = dir.File("site/cgi-bin");
    std::filesystem::create_directories(cgi + "/sub");
    for (const char* name : {"t.pl", "my script.pl", "a\\b.pl", "sub/index.php", "T.PL"})
        test::WriteBytes(cgi + "/" + name, "1;\n");
    test::WriteBytes(dir.File("evil.pl"), "1;\n");
    test::WriteBytes(dir.File("site/cgi-binx.pl"), "1;\n");
    std::filesystem::create_symlink(dir.File("evil.pl"), cgi + "/link.pl");
    const TCgiFolders folders{cgi, "cgi-bin", "index.php"};

    struct Case {
        const char* Path;
        TCgiTargetKind Kind;
        std::string File; // for scripts
    };
    const std::vector<Case> cases{
        {"/cgi-bin/t.pl", TCgiTargetKind::Script, cgi + "/t.pl"},
        {"/cgi-bin/my%20script.pl", TCgiTargetKind::Script, cgi + "/my script.pl"},
        {"/cgi-bin/a\\b.pl", TCgiTargetKind::Script, cgi + "/a\\b.pl"},
        {"/cgi-bin/sub/", TCgiTargetKind::Script, cgi + "/sub/index.php"},
        {"/cgi-bin/./sub//index.php", TCgiTargetKind::Script, cgi + "/sub/index.php"},
        {"/cgi-bin/T.PL", TCgiTargetKind::Leave, ""}, // not a script extension in this case
        {"/CGI-BIN/t.pl", TCgiTargetKind::Leave, ""}, // another folder on this system
        {"/cgi-binx/t.pl", TCgiTargetKind::Leave, ""},
        {"/cgi-bin/../../evil.pl", TCgiTargetKind::Leave, ""},
        {"/cgi-bin/%2e%2e/%2e%2e/evil.pl", TCgiTargetKind::Leave, ""},
        {"/cgi-bin/sub/../../../evil.pl", TCgiTargetKind::Leave, ""},
        {"/cgi-bin/link.pl", TCgiTargetKind::Missing, ""}, // a link leading out
        {"/cgi-bin/none.pl", TCgiTargetKind::Missing, ""},
        {"/cgi-bin/t.pl%00.txt", TCgiTargetKind::Leave, ""},
        {"/index.html", TCgiTargetKind::Leave, ""},
    };
    for (const Case& c : cases) {
        const TCgiTarget target = MapCgiRequest(c.Path, folders);
        EXPECT_EQ(target.Kind, c.Kind) << c.Path;
        if (c.Kind == TCgiTargetKind::Script) {
            EXPECT_EQ(target.File, c.File) << c.Path;
        }
    }
    EXPECT_EQ(MapCgiRequest("/cgi-bin/my%20script.pl", folders).Path, "/cgi-bin/my script.pl");
}

// The first script along the path runs; what follows it is its path information.
TEST(CgiTarget, ThePathAfterAScriptIsItsPathInformation) {
    test::TempDir dir;
    const std::string cgi = dir.File("cgi-bin");
    std::filesystem::create_directories(cgi + "/app");
    std::filesystem::create_directories(cgi + "/plain");
    std::filesystem::create_directories(cgi + "/x.pl");
    for (const char* name : {"t.pl", "app/index.cgi", "app/index.php", "x.pl/inner.pl"})
        test::WriteBytes(cgi + "/" + name, "1;\n");
    test::WriteBytes(cgi + "/plain/index.html", "<p>");
    const TCgiFolders folders{cgi, "cgi-bin", "index.html"};
    struct Case {
        const char* Path;
        TCgiTargetKind Kind;
        std::string ScriptName, PathInfo;
    };
    const std::vector<Case> cases{
        {"/cgi-bin/t.pl/a/b%20c/", TCgiTargetKind::Script, "/cgi-bin/t.pl", "/a/b c/"},
        {"/cgi-bin/t.pl/../t.pl/x", TCgiTargetKind::Script, "/cgi-bin/t.pl", "/x"},
        {"/cgi-bin/x.pl/inner.pl/y", TCgiTargetKind::Script, "/cgi-bin/x.pl/inner.pl", "/y"},
        {"/cgi-bin/app/", TCgiTargetKind::Script, "/cgi-bin/app/index.cgi", ""},
        {"/cgi-bin/app/index.php/p", TCgiTargetKind::Script, "/cgi-bin/app/index.php", "/p"},
        {"/cgi-bin/app", TCgiTargetKind::AddSlash, "", ""},
        {"/cgi-bin/plain", TCgiTargetKind::Leave, "", ""},
        {"/cgi-bin/plain/", TCgiTargetKind::Leave, "", ""},
        {"/cgi-bin/none.pl/x", TCgiTargetKind::Leave, "", ""},
    };
    for (const Case& c : cases) {
        const TCgiTarget target = MapCgiRequest(c.Path, folders);
        EXPECT_EQ(target.Kind, c.Kind) << c.Path;
        EXPECT_EQ(target.ScriptName, c.ScriptName) << c.Path;
        EXPECT_EQ(target.PathInfo, c.PathInfo) << c.Path;
    }
}
