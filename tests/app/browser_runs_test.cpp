// "Run (view Browser)": direct runs whose output becomes the page the browser view shows.
#include "editor/browser_tab.h"
#include "exec/console_controller.h"
#include "real_sites.h"
#include "run_fixture.h"
#include "services/mysql_controller.h"
#include "storage/file_utils.h"
#include "storage/paths.h"
#include "temp_dir.h"
#include "web/web_server.h"
#include "widgets/web_view.h"

#include <filesystem>
#include <memory>

#include <QAction>
#include <QTabWidget>

using namespace korvane;
using BrowserRunsTest = test::RunTest;
using test::WaitFor;

TEST_F(BrowserRunsTest, ARunsOutputWithoutItsCgiHeaderBecomesThePageShown) {
    TEditorPage& page =
        OpenScript("hello.pl", "$| = 1;\nprint \"Content-Type: "
                               "text/html\\n\\n<h1>Hello</h1>\\n\";\nwarn \"careful\\n\";\n");
    ASSERT_TRUE(Form->RunToBrowserAction()->isEnabled());
    Form->RunToBrowserAction()->trigger();

    EXPECT_EQ(page.InnerTabs()->currentWidget(), page.BrowserTab());
    EXPECT_FALSE(page.TextOutOfDate);
    EXPECT_FALSE(page.BrowserOutOfDate);
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }))
        << "the run ends by itself";
    EXPECT_FALSE(Debugger().BrowserRun());

    EXPECT_EQ(test::ReadBytes(page.TempHTMLFileName()), "<h1>Hello</h1>\n");
    EXPECT_GE(RowContaining("careful"), 0) << "errors still go to the message list";
    ASSERT_NE(page.BrowserTab()->View(), nullptr);
    EXPECT_TRUE(WaitFor([&] { return page.BrowserTab()->Showing(page.TempHTMLFileName()); }));
}

TEST_F(BrowserRunsTest, ShowingAnOutOfDateBrowserTabRunsAgainAndAnUpToDateOneDoesNot) {
    TEditorPage& page = OpenScript("count.pl", "print \"first\\n\";\n");
    const int browserTab = page.InnerTabs()->indexOf(page.BrowserTab());
    page.InnerTabs()->setCurrentIndex(browserTab);
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_EQ(test::ReadBytes(page.TempHTMLFileName()), "first\n");

    // Back to the source, unchanged: the output is still good.
    page.InnerTabs()->setCurrentIndex(0);
    test::WriteBytes(page.TempHTMLFileName(), "stale");
    page.InnerTabs()->setCurrentIndex(browserTab);
    EXPECT_EQ(Debugger().RunPage(), nullptr);
    EXPECT_EQ(test::ReadBytes(page.TempHTMLFileName()), "stale");

    // An edit makes it out of date: the next look runs the new text.
    page.InnerTabs()->setCurrentIndex(0);
    Retype(page, "print \"second\\n\";\n");
    page.InnerTabs()->setCurrentIndex(browserTab);
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_EQ(test::ReadBytes(page.TempHTMLFileName()), "second\n");
}

TEST_F(BrowserRunsTest, AnHtmlPageIsLoadedByTheViewWithoutARun) {
    TEditorPage& page = OpenScript("page.html", "<p>static</p>\n");
    Form->RunToBrowserAction()->trigger();
    EXPECT_EQ(Debugger().RunPage(), nullptr);
    EXPECT_EQ(page.InnerTabs()->currentWidget(), page.BrowserTab());
    ASSERT_TRUE(WaitFor([&] { return page.BrowserTab()->Showing(page.FileName()); }));
}

TEST_F(BrowserRunsTest, ABusyConsoleStartsNothing) {
    TEditorPage& endless =
        OpenScript("endless.pl", "$| = 1; while (1) { print \"x\\n\"; sleep 1 }\n");
    Form->RunToTextAction()->trigger();
    ASSERT_EQ(Debugger().RunPage(), static_cast<TRunClient*>(&endless));
    TEditorPage& other = OpenScript("other.pl", "print 1;\n");
    EXPECT_FALSE(other.ExecuteToBrowser());
    EXPECT_TRUE(other.BrowserOutOfDate);
    Form->ProgramResetAction()->trigger();
    EXPECT_TRUE(Debugger().Console().sessionFinished());
}

namespace {

// The text the page's browser view shows once its current load is over. The view answers
// later, maybe after this has returned: what it writes to is shared, not on this stack.
QString ShownText(TEditorPage& page) {
    TWebView* view = page.BrowserTab()->View();
    if (!view) return {};
    auto loaded = std::make_shared<bool>(false);
    const QMetaObject::Connection watch =
        QObject::connect(view, &TWebView::loadFinished, view, [loaded](bool ok) { *loaded = ok; });
    // The run's own load may be over already: one more that is surely watched.
    page.BrowserTab()->Reload();
    const bool settled = WaitFor([&] { return *loaded && !page.BrowserTab()->Busy(); }, 15000);
    QObject::disconnect(watch);
    if (!settled) return {};
    // Asked again until it answers: a question put while a load ends may go unanswered.
    auto shown = std::make_shared<QString>();
    WaitFor([&] {
        view->ReadText([shown](const QString& text) { *shown = text; });
        return !shown->isEmpty();
    });
    return *shown;
}

} // namespace

TEST_F(BrowserRunsTest, OutputWithoutACharsetIsReadAsUtf8) {
    TEditorPage& page = OpenScript("greet.pl", "print \"<p>Gr\\xc3\\xbc\\xc3\\x9fe</p>\\n\";\n");
    Form->RunToBrowserAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_EQ(ShownText(page).trimmed(), QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"
                                                           "e"));
}

TEST_F(BrowserRunsTest, PlainTextOutputShowsAsTextNotAsAPage) {
    TEditorPage& page =
        OpenScript("plain.pl", "print \"Content-Type: text/plain\\n\\n<b>one</b>\\ntwo\\n\";\n");
    Form->RunToBrowserAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    const std::string file = ChangeExt(page.TempHTMLFileName(), ".txt");
    EXPECT_EQ(test::ReadBytes(file), "<b>one</b>\ntwo\n");
    ASSERT_TRUE(WaitFor([&] { return page.BrowserTab()->Showing(file); }));
    // As HTML it would read "one two": the tags gone and the lines run together.
    EXPECT_EQ(ShownText(page).trimmed(), QStringLiteral("<b>one</b>\ntwo"));
}

// With the server on, "Run (view Browser)" sends the browser to the script through the server,
// with the Params tab's fields as the posted form.
TEST_F(BrowserRunsTest, WithTheServerOnAScriptRunsThroughItWithThePostedFields) {
    TWebServer& web = Form->Project().WebServer();
    web.setRootPath(Dir.Path().string());
    web.setCgiBinpath(Dir.Path().string());
    web.setLogicalCgiBinPath("/cgi-bin");
    web.setPort("0");
    Form->WebServerAction()->trigger();
    ASSERT_TRUE(web.Started());
    EXPECT_TRUE(Form->WebServerAction()->isChecked());

    TEditorPage& page = OpenScript("form.pl", "my $b = ''; read(STDIN, $b, $ENV{CONTENT_LENGTH});\n"
                                              "print \"Content-Type: text/html\\n\\n\";\n"
                                              "print \"<p>$ENV{REQUEST_METHOD} $b</p>\\n\";\n");
    page.FormFields = {"Yname=ann"};
    page.setFormSendType(3); // the fields go as the posted body
    Form->RunToBrowserAction()->trigger();
    EXPECT_EQ(Debugger().RunPage(), nullptr) << "the server runs it, not a page run";
    // Shared with the view's answers, which may still come after the wait.
    auto shown = std::make_shared<QString>();
    EXPECT_TRUE(WaitFor(
        [&] {
            if (TWebView* view = page.BrowserTab()->View())
                view->ReadText([shown](const QString& text) { *shown = text; });
            return shown->contains(QStringLiteral("POST name=ann"));
        },
        20000))
        << shown->toStdString();

    Form->WebServerAction()->trigger();
    EXPECT_FALSE(web.Started());
    EXPECT_FALSE(Form->WebServerAction()->isChecked());
}

// A browser run whose script found the database down offers to bring it up; the same failure in
// a request the user did not start through a page asks nothing.
TEST_F(BrowserRunsTest, ABrowserRunThatFindsTheDatabaseDownOffersToBringItUp) {
    TMySqlController& sql = Form->Project().MySql();
    sql.setBinPath(Dir.Path().string()); // no client here: the run's own errors decide
    sql.setCheckForDownServer(true);
    const std::string script = Dir.File("db.pl");
    test::WriteBytes(script, "print \"Content-Type: text/plain\\n\\nx\\n\";\n"
                             "warn \"DBI connect failed: Can't connect to MySQL server on "
                             "'localhost'\\n\";\n");
    TWebServer& web = Form->Project().WebServer();
    const TCgiRequest request{script, false, "", "", ""};

    Prompt.ClearRecords();
    web.ExecuteFileName(request);
    EXPECT_TRUE(Prompt.Records().empty()) << "nobody here asked for this request";

    Debugger().BrowserRequest = true;
    Prompt.QueueAnswer(pbNo);
    const TCgiOutput output = web.ExecuteFileName(request);
    EXPECT_NE(output.Output.find('x'), std::string::npos);
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_EQ(Prompt.Records()[0].Text, "MySQL Server down. Attempt to bring it up?");
    EXPECT_FALSE(Debugger().BrowserRequest);
}

// A PHP page shown in the browser tab runs as a web host runs it, through php-cgi: its form
// fields fill $_GET and $_POST.
TEST_F(BrowserRunsTest, APhpPagesFormFieldsReachItAsTheRequest) {
    if (!std::filesystem::exists("/usr/bin/php-cgi")) GTEST_SKIP() << "needs php-cgi";
    Form->Project().setPhpCompilerPath("/usr/bin/php");
    TEditorPage& page = OpenScript("form.php", "<?php echo '<p>', $_SERVER['REQUEST_METHOD'], "
                                               "' get=', $_GET['name'] ?? '', ' post=', "
                                               "$_POST['name'] ?? '', '</p>';\n");
    page.FormFields = {"Yname=ann lee"};
    page.setFormSendType(1); // as the query and as the posted body
    Form->RunToBrowserAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_EQ(test::ReadBytes(page.TempHTMLFileName()), "<p>POST get=ann lee post=ann lee</p>");
}

// A program that reads its posted fields to the end of its input ends by itself.
TEST_F(BrowserRunsTest, PostedFieldsAreFollowedByTheEndOfTheInput) {
    TEditorPage& page =
        OpenScript("slurp.pl", "my $in = do { local $/; <STDIN> };\n"
                               "print \"Content-Type: text/html\\n\\n<p>[$in]</p>\\n\";\n");
    page.FormFields = {"Yk=v"};
    page.setFormSendType(3); // posted only
    Form->RunToBrowserAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }))
        << "still waiting for more input";
    EXPECT_EQ(test::ReadBytes(page.TempHTMLFileName()), "<p>[k=v\n]</p>\n");
}

// gitweb and DokuWiki from their Debian packages, run from their pages with the server on: the
// project list, and a login posted from the Params tab's fields that sets a cookie and
// redirects to the page the user is then logged in on.
TEST_F(BrowserRunsTest, RealApplicationsRunFromTheirPagesThroughTheServer) {
    const std::string missing = test::TRealSites::MissingPackages();
    if (!missing.empty()) GTEST_SKIP() << "needs the packages " << missing;
    const test::TRealSites sites(Dir.File("site"));
    TKorProject& project = Form->Project();
    project.setPhpCompilerPath("/usr/bin/php");
    project.setProjectEnvVars(sites.EnvVars);
    TWebServer& web = project.WebServer();
    web.setRootPath(sites.Root);
    web.setCgiBinpath(sites.Cgi);
    web.setCgiTimeout(60);
    web.setPort("0");
    Form->WebServerAction()->trigger();
    ASSERT_TRUE(web.Started());

    const auto open = [&](const std::string& file) -> TEditorPage& {
        Form->OpenFileIntoProject(file);
        return *dynamic_cast<TEditorPage*>(project.getCurrentPage());
    };
    TEditorPage& gitweb = open(sites.Cgi + "/gitweb.cgi");
    Form->RunToBrowserAction()->trigger();
    EXPECT_TRUE(ShownText(gitweb).contains(QStringLiteral("test.git")));

    TEditorPage& wiki = open(sites.Cgi + "/dokuwiki/doku.php");
    wiki.FormFields = {"Yid=start", "Ydo=login", "Ysectok=", std::string("Yu=") + sites.WikiUser,
                       std::string("Yp=") + sites.WikiPassword};
    wiki.setFormSendType(3);
    Form->RunToBrowserAction()->trigger();
    auto shown = std::make_shared<QString>();
    EXPECT_TRUE(WaitFor(
        [&] {
            if (TWebView* view = wiki.BrowserTab()->View())
                view->ReadText([shown](const QString& text) { *shown = text; });
            // Only a request that brings the login's cookie back offers to log out.
            return shown->contains(QStringLiteral("Log Out"));
        },
        30000))
        << shown->toStdString();
    EXPECT_TRUE(wiki.BrowserTab()->View()->Url().path().endsWith("/doku.php/start"))
        << wiki.BrowserTab()->View()->Url().toString().toStdString();
}
