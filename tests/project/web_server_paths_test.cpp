// The folders the local web server looks documents and scripts up in.
#include "project/kor_project.h"
#include "project_fixture.h"
#include "web/web_server.h"

using namespace korvane;
using namespace korvane::test;

TEST_F(ProjectTest, WebServerFoldersFallBackAlongTheirChain) {
    TWebServer& web = Project->WebServer();
    web.setRootPath("/srv/www/");
    web.setCgiBinpath("/srv/cgi/");
    web.setLogicalCgiBinPath("/cgi-bin/");
    EXPECT_EQ(web.DerivedRootPath(), "/srv/www");
    EXPECT_EQ(web.DerivedCgiBinPath(), "/srv/cgi");
    EXPECT_EQ(web.DerivedLogicalCgiBinPath(), "cgi-bin");

    // Empty settings take the next folder of the chain: CGI folder, root folder, and last the
    // project file's folder. The physical paths keep their leading "/".
    web.setCgiBinpath("");
    web.setLogicalCgiBinPath("");
    EXPECT_EQ(web.DerivedCgiBinPath(), "/srv/www");
    EXPECT_EQ(web.DerivedLogicalCgiBinPath(), "srv/www");
    web.setRootPath("");
    Project->SaveToFile(Dir.File("project.kvp"));
    EXPECT_EQ(web.DerivedRootPath(), Dir.Path().string());
    EXPECT_EQ(web.DerivedCgiBinPath(), Dir.Path().string());
}
