#include "project_fixture.h"

#include "platform/program_folder.h"
#include "services/mysql_controller.h"
#include "storage/clock.h"
#include "storage/errors.h"
#include "storage/safe_file_write.h"
#include "web/web_server.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <utility>

namespace fs = std::filesystem;

namespace korvane::test {
namespace {

// Changes every setting the project file holds away from its default.
void ChangeEverything(TKorProject& p, const std::string& folder) {
    p.setTitle("Title");
    p.setNotes("Notes\r\nmore");
    p.setKeywords("perl, cgi");
    p.setCopyright("(c)");
    p.setAuthor("Ann");
    p.setAuthorId("A1");
    p.setContactEmail("ann@example.org");
    p.setContactTelephone("555");
    p.setContactURL("http://example.org");
    p.setContactPostalAddress("1 Road");
    p.setStartDate(40000.25);
    p.setPerlCompilerPath(folder + "/bin/perl");
    p.setPhpCompilerPath("/usr/bin/php");
    p.setTempPath(folder + "/tmp/");
    p.setTaintMode(true);
    p.setPerlWarnings(2);
    p.setAutoSetupPhp(false);
    p.setRootURL("http://www.example.org/~ann/");
    p.setProjectEnvVars({"YA=1", "NB=2"});
    p.setUseExternalEnvVars(true);
    p.setExcludeExternalEnvEquals(false);
    p.setEnvTempFromProject(false);
    p.setKeyEnvVars(false);
    p.setFtpHost("ftp.example.org");
    p.setFtpPort("2121");
    p.setFtpUserName("ann");
    p.setFtpPassword("pw");
    p.setFtpStartDir("/www");
    p.setFtpFormWidth(500);
    p.setFtpFormHeight(300);
    p.setFtpUploadChangedFiles(false);
    p.setFtpKeepOpen(true);
    p.setFtpPassive(!p.FtpPassive());
    p.setFtpProtocol(TFtpProtocol::SFTP);
    p.setSftpKeyFile(folder + "/keys/id_ed25519");
    for (const auto* fields : {&TKorProject::EditorFlagFields(), &TKorProject::LoggingFlagFields()})
        for (const TKorProject::TFlagField& field : *fields)
            (p.*field.Set)(!(p.*field.Get)());
    for (auto setter :
         {&TKorProject::setShowStatusBar, &TKorProject::setShowBlocks,
          &TKorProject::setExternalChangeCheck, &TKorProject::setReplacePrompt,
          &TKorProject::setSavePropertyPageHistory, &TKorProject::setBackgroundSyntaxCheck})
        (p.*setter)(false);
    for (auto setter : {&TKorProject::setHighlightCursorLine, &TKorProject::setSearchMatchCase,
                        &TKorProject::setSearchWholeWords, &TKorProject::setSearchBackwards,
                        &TKorProject::setSearchRegEx, &TKorProject::setReplaceAll,
                        &TKorProject::setSaveWindowSize, &TKorProject::setSaveProjOrgWindowSize,
                        &TKorProject::setSaveProjOrgVisibility, &TKorProject::setFilesInProject,
                        &TKorProject::setLoggingIsOn, &TKorProject::setLogTransientUpdates,
                        &TKorProject::setLogInfoTempDir})
        (p.*setter)(true);
    p.setMultiLineEditorTabs(false);
    p.setTabWidth(8);
    p.setLastSearch("find");
    p.setLastReplace("repl");
    p.setSearchScope(2);
    p.setSearchHistory({"a", "b"});
    p.setReplaceHistory({"c"});
    p.setProjOrgWinLeft(10);
    p.setProjOrgWinTop(20);
    p.setProjOrgWinWidth(300);
    p.setProjOrgWinHeight(400);
    p.setMaxBackUps(9);
    p.setBackupPause(60);
    p.setVersionsPath(folder + "/versions");
    p.setInstallModuleName("DBI");
    p.setLogFileName(folder + "/logs/k.log");
    p.FileTypes().MakeDefault();
    p.FileTypes().Add({"Image", "png,gif", false, false});
    p.Schemes().PHP.SetAttribute(aiKeywords, {0x123456, 0x654321, fsBold | fsUnderline});
    p.Schemes().SQL.SetFontName("Monospace");
    p.Schemes().Batch.SetEditorColor(0xEEEEEE);
    auto named = std::make_unique<TAttribDetails>();
    named->SetName("Dark");
    named->SetEditorColor(0x202020);
    p.SchemeList().Add(std::move(named));
    TMySqlController& sql = p.MySql();
    sql.setBinPath(folder + "/mysql/bin");
    sql.setCheckForDownServer(true);
    sql.setServerDownOnShutdown(true);
    sql.setServerUpOnStartup(true);
    sql.setUserLogin("dbuser");
    sql.setUserPassword("dbpw");
    sql.setRootPassword("rootpw");
    sql.setUseNamedPipe(true);
    sql.setUseService(true);
    sql.setAutoInstallService(true);
    sql.setAutoSetupMySql(false);
    TWebServer& web = p.WebServer();
    web.setRootPath(folder + "/htdocs");
    web.setDefaultDoc("home.html");
    web.setPort("0"); // started below: the system picks a free port
    web.setCgiBinpath(folder + "/cgi");
    web.setLogicalCgiBinPath("/scripts");
    web.setCgiTimeout(12);
    web.setStarted(true);
}

void ExpectSameSettings(const TKorProject& a, const TKorProject& b) {
#define SAME(Name) EXPECT_EQ(a.Name(), b.Name()) << #Name
    SAME(Title);
    SAME(Notes);
    SAME(Keywords);
    SAME(Copyright);
    SAME(Author);
    SAME(AuthorId);
    SAME(ContactEmail);
    SAME(ContactTelephone);
    SAME(ContactURL);
    SAME(ContactPostalAddress);
    SAME(StartDate);
    SAME(PerlCompilerPath);
    SAME(PhpCompilerPath);
    SAME(TempPath);
    SAME(TaintMode);
    SAME(PerlWarnings);
    SAME(AutoSetupPhp);
    SAME(RootURL);
    SAME(ProjectEnvVars);
    SAME(UseExternalEnvVars);
    SAME(ExcludeExternalEnvEquals);
    SAME(EnvTempFromProject);
    SAME(KeyEnvVars);
    SAME(FtpHost);
    SAME(FtpPort);
    SAME(FtpUserName);
    SAME(FtpPassword);
    SAME(FtpStartDir);
    SAME(FtpFormWidth);
    SAME(FtpFormHeight);
    SAME(FtpUploadChangedFiles);
    SAME(FtpKeepOpen);
    SAME(FtpPassive);
    SAME(FtpProtocol);
    SAME(SftpKeyFile);
    SAME(TabWidth);
    SAME(HighlightCursorLine);
    SAME(ShowStatusBar);
    SAME(ShowBlocks);
    SAME(MultiLineEditorTabs);
    SAME(ExternalChangeCheck);
    SAME(BackgroundSyntaxCheck);
    SAME(LastSearch);
    SAME(LastReplace);
    SAME(SearchMatchCase);
    SAME(SearchWholeWords);
    SAME(SearchBackwards);
    SAME(SearchRegEx);
    SAME(SearchScope);
    SAME(ReplacePrompt);
    SAME(ReplaceAll);
    SAME(SaveFindReplace);
    SAME(SearchHistory);
    SAME(ReplaceHistory);
    SAME(SaveWindowSize);
    SAME(SaveProjOrgWindowSize);
    SAME(ProjOrgWinLeft);
    SAME(ProjOrgWinTop);
    SAME(ProjOrgWinWidth);
    SAME(ProjOrgWinHeight);
    SAME(SaveProjOrgVisibility);
    SAME(SavePropertyPageHistory);
    SAME(PriorPropertyPage);
    SAME(PropertyPageHistory);
    SAME(FilesInProject);
    SAME(MaxBackUps);
    SAME(BackupPause);
    SAME(VersionsPath);
    SAME(InstallModuleName);
    SAME(LogInfoTempDir);
    SAME(LoggingIsOn);
    SAME(LogFileName);
    SAME(LogTransientUpdates);
#undef SAME
    for (const auto* fields : {&TKorProject::EditorFlagFields(), &TKorProject::LoggingFlagFields()})
        for (size_t i = 0; i < fields->size(); ++i)
            EXPECT_EQ((a.*(*fields)[i].Get)(), (b.*(*fields)[i].Get)()) << "flag " << i;
    EXPECT_TRUE(a.FileTypes() == b.FileTypes());
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_TRUE(a.Schemes().All()[i]->Equals(*b.Schemes().All()[i])) << "scheme " << i;
        EXPECT_EQ(a.Schemes().All()[i]->Name(), b.Schemes().All()[i]->Name());
    }
    ASSERT_EQ(a.SchemeList().Count(), b.SchemeList().Count());
    ASSERT_NE(b.SchemeList().byName("dark"), nullptr);
    EXPECT_TRUE(b.SchemeList().byName("dark")->Equals(*a.SchemeList().byName("Dark")));
    const TMySqlController &x = a.MySql(), &y = b.MySql();
    EXPECT_EQ(x.BinPath(), y.BinPath());
    EXPECT_EQ(x.UserLogin(), y.UserLogin());
    EXPECT_EQ(x.UserPassword(), y.UserPassword());
    EXPECT_EQ(x.RootPassword(), y.RootPassword());
    for (auto flag : {&TMySqlController::CheckForDownServer,
                      &TMySqlController::ServerDownOnShutdown, &TMySqlController::ServerUpOnStartup,
                      &TMySqlController::UseNamedPipe, &TMySqlController::UseService,
                      &TMySqlController::AutoInstallService, &TMySqlController::AutoSetupMySql})
        EXPECT_EQ((x.*flag)(), (y.*flag)());
    const TWebServer &v = a.WebServer(), &w = b.WebServer();
    EXPECT_EQ(v.getRootPath(), w.getRootPath());
    EXPECT_EQ(v.getDefaultDoc(), w.getDefaultDoc());
    EXPECT_EQ(v.getPort(), w.getPort());
    EXPECT_EQ(v.CgiBinPath(), w.CgiBinPath());
    EXPECT_EQ(v.LogicalCgiBinPath(), w.LogicalCgiBinPath());
    EXPECT_EQ(v.CgiTimeout(), w.CgiTimeout());
    EXPECT_EQ(v.Started(), w.Started());
}

TEST_F(ProjectTest, EverySettingSurvivesSaveAndLoad) {
    const std::string folder = Dir.File("site");
    fs::create_directories(folder + "/tmp"); // a missing temporary folder is replaced on load
    ChangeEverything(*Project, folder);
    Host.Window = {40, 30, 900, 700};
    Project->SaveToFile(folder + "/site.kvp");
    EXPECT_FALSE(Project->getModified());
    EXPECT_EQ(Project->SavedFileName(), folder + "/site.kvp");

    Host.Window = {0, 0, 10, 10};
    auto loaded = NewProject();
    loaded->LoadFromFile(folder + "/site.kvp");
    ExpectSameSettings(*Project, *loaded);
    EXPECT_EQ(loaded->ModifiedDate(), FixedNow) << "the time of writing";
    EXPECT_EQ(loaded->SavedFileName(), folder + "/site.kvp");
    EXPECT_FALSE(loaded->getModified());
    EXPECT_EQ(Host.Window, (TWindowRect{40, 30, 900, 700}));
    // The passwords of the database block are not stored in clear text.
    const std::string raw = ReadBytes(folder + "/site.kvp");
    EXPECT_EQ(raw.find("rootpw"), std::string::npos);
}

TEST_F(ProjectTest, GoldenFileIsWrittenByteForByte) {
    // Fixed settings, a fixed clock and a fixed project folder: any change of the format
    // shows here. Set KORVANE_UPDATE_GOLDEN=1 to rewrite the reference after a deliberate one.
    Project->SetFileName("/golden/site.kvp");
    Project->setTitle("Golden");
    Project->setKeywords("perl, cgi");
    Project->setTempPath("/golden/tmp/");
    Project->setPerlCompilerPath("/golden/perl/bin/perl");
    Project->setPhpCompilerPath("/usr/bin/php");
    Project->setLogFileName("/golden/korvane.log");
    Project->setProjectEnvVars({"YPERL5LIB=/golden/lib"});
    Project->setSearchHistory({"sub ", "my "});
    Project->MySql().setUserPassword("secret");
    Project->WebServer().setRootPath("/golden");
    Project->WebServer().setCgiBinpath("/golden/cgi-bin");
    Project->FileTypes().MakeDefault();
    Project->SchemeList().Add(std::make_unique<TAttribDetails>()).SetName("Plain");
    TMemoryStream bytes;
    {
        TSectionListUse use(SectionList(), bytes, false);
        Project->SaveToStream(SectionList());
    }
    const std::string written(bytes.Bytes().begin(), bytes.Bytes().end());
    const std::string goldenPath =
        std::string(KORVANE_SOURCE_DIR) + "/tests/project/data/golden.kvp";
    if (std::getenv("KORVANE_UPDATE_GOLDEN")) WriteBytes(goldenPath, written);
    ASSERT_TRUE(fs::exists(goldenPath)) << "run once with KORVANE_UPDATE_GOLDEN=1";
    EXPECT_EQ(written, ReadBytes(goldenPath));

    // And the reference reads back into the same settings.
    TMemoryStream reference(std::vector<uint8_t>(written.begin(), written.end()));
    auto loaded = NewProject();
    loaded->SetFileName("/golden/site.kvp");
    {
        TSectionListUse use(SectionList(), reference, true);
        loaded->LoadFromStream(SectionList());
    }
    EXPECT_EQ(loaded->PerlCompilerPath(), "/golden/perl/bin/perl");
    EXPECT_EQ(loaded->MySql().UserPassword(), "secret");
    EXPECT_EQ(loaded->SearchHistory(), Project->SearchHistory());
}

TEST_F(ProjectTest, SavingUnchangedUnderTheSameNameWritesNothing) {
    const std::string file = Dir.File("p.kvp");
    Project->setTitle("x");
    Project->SaveToFile(file);
    WriteBytes(file, "sentinel");

    Project->SaveToFile(file);
    EXPECT_EQ(ReadBytes(file), "sentinel");
    Project->SaveToFile(Dir.File("P.KVP"));
    EXPECT_FALSE(fs::exists(Dir.File("P.KVP"))) << "the name compares without letter case";

    // A new name saves even unchanged, and restarts the project's history there.
    SetClockForTesting([] { return FixedNow + 3; });
    Project->SaveToFile(Dir.File("copy.kvp"));
    EXPECT_TRUE(fs::exists(Dir.File("copy.kvp")));
    EXPECT_EQ(Project->StartDate(), FixedNow + 3);
    EXPECT_EQ(Settings->getLastProjectPath(), Dir.File(""));
}

TEST_F(ProjectTest, PathsAreStoredRelativeToTheProjectFolder) {
    const std::string folder = Dir.File("a/site");
    fs::create_directories(folder + "/bin");
    Project->setPerlCompilerPath(folder + "/bin/perl");
    Project->setPhpCompilerPath("//fileserver/tools/php");
    Project->setVersionsPath("D:\\versions");
    Project->setTempPath("");
    Project->SaveToFile(folder + "/site.kvp");

    fs::rename(Dir.File("a"), Dir.File("moved"));
    auto loaded = NewProject();
    loaded->LoadFromFile(Dir.File("moved/site/site.kvp"));
    EXPECT_EQ(loaded->PerlCompilerPath(), Dir.File("moved/site/bin/perl"));
    EXPECT_EQ(loaded->PhpCompilerPath(), "//fileserver/tools/php");
    EXPECT_EQ(loaded->VersionsPath(), "D:\\versions");
    EXPECT_EQ(loaded->TempPath(), ProgramFolder() + "temp/")
        << "an empty path reads back empty and the load's check repairs it";

    // Also when the program's own temporary folder has gone: it is made again.
    fs::remove_all(ProgramFolder() + "temp");
    auto again = NewProject();
    again->LoadFromFile(Dir.File("moved/site/site.kvp"));
    EXPECT_EQ(again->TempPath(), ProgramFolder() + "temp/");
    EXPECT_TRUE(fs::is_directory(ProgramFolder() + "temp"));
}

TEST_F(ProjectTest, EmptyPathIsStoredAsASingleNoFlag) {
    TMemoryStream bytes;
    {
        TSectionListUse use(SectionList(), bytes, false);
        Project->RelativePathToStream(SectionList(), "   ");
        Project->RelativePathToStream(SectionList(), "");
    }
    EXPECT_EQ(bytes.Bytes(), (std::vector<uint8_t>{'N', 'N'}));
}

TEST_F(ProjectTest, OlderFilesLoadWithTheDefaultsOfWhatTheyLack) {
    const std::string file = Dir.File("old.kvp");
    WriteProjectFile(
        file,
        [](TSectionList& s) {
            s.WriteStr("Project File");
            s.BeginSection("Settings");
            s.BeginSection("Compiler");
            s.WriteFlag(false);
            s.WriteFlag(false);
            s.BeginSection("Env Vars");
            s.WriteStrList({"YX=1"});
            s.EndSection();
            s.WriteFlag(true);
            s.WriteByte(0);
            s.WriteStr("http://old.example/");
            s.EndSection(); // ends after RootURL
            s.BeginSection("Editor");
            for (int i = 0; i < 20; ++i)
                s.WriteFlag(true);
            s.WriteInt(4);
            s.WriteFlag(false); // HighlightCursorLine
            s.WriteFlag(true);  // ShowStatusBar, and the section ends
            s.EndSection();
            s.EndSection();
        },
        "1.9");

    Project->setAutoSetupPhp(false);
    Project->setExternalChangeCheck(false);
    Project->setBackgroundSyntaxCheck(false);
    Project->MySql().setRootPassword("left over");
    Project->WebServer().setPort("9999");
    Project->setFtpProtocol(TFtpProtocol::SFTP);
    Project->setSftpKeyFile("left over");
    Project->LoadFromFile(file);

    EXPECT_TRUE(NewProject()->FtpPassive()) << "new projects open their data connections";
    EXPECT_FALSE(Project->FtpPassive()) << "files from before the choice load as active";
    EXPECT_EQ(Project->FtpProtocol(), TFtpProtocol::FTP) << "files from before SFTP load as FTP";
    EXPECT_EQ(Project->SftpKeyFile(), "");
    EXPECT_EQ(Project->SavedVersion(), "1.9");
    EXPECT_EQ(Project->RootURL(), "http://old.example/");
    EXPECT_TRUE(Project->TaintMode());
    EXPECT_TRUE(Project->AutoSetupPhp());
    EXPECT_TRUE(Project->ExcludeExternalEnvEquals()) << "a missing flag keeps its default";
    EXPECT_TRUE(Project->ShowBlocks());
    EXPECT_TRUE(Project->ExternalChangeCheck());
    EXPECT_TRUE(Project->BackgroundSyntaxCheck()) << "pages are checked as they are typed";
    EXPECT_EQ(Project->TabWidth(), 4);
    EXPECT_EQ(Project->MySql().RootPassword(), "");
    EXPECT_TRUE(Project->MySql().AutoSetupMySql());
    EXPECT_EQ(Project->WebServer().getPort(), "80");
    EXPECT_EQ(Project->FileTypes().Count(), 20) << "no stored table gives the defaults";
    EXPECT_EQ(Project->FileTypes().Find("pl")->Description, "Perl Program Source");
    EXPECT_EQ(Project->PriorPropertyPage(), "Notes");
    EXPECT_EQ(Project->TempPath(), ProgramFolder() + "temp/");
    EXPECT_FALSE(Project->getModified())
        << "the empty temporary folder is repaired while loading, not by the user";
    EXPECT_FALSE(Project->Loading());
}

TEST_F(ProjectTest, UnknownSectionsAndTrailingFieldsOfNewerBuildsAreSkipped) {
    const std::string file = Dir.File("new.kvp");
    WriteProjectFile(
        file,
        [](TSectionList& s) {
            s.WriteStr("Project File");
            s.BeginSection("Header");
            s.WriteStr("/elsewhere/new.kvp");
            s.WriteStr("Newer");
            s.EndSection();
            s.BeginSection("Settings");
            s.BeginSection("Future Block");
            s.WriteStr("whatever");
            s.EndSection();
            s.EndSection();
            s.BeginSection("Modules");
            s.WriteStr("LWP");
            s.WriteStr("a field added later");
            s.EndSection();
            s.BeginSection("Future Section");
            s.WriteInt(7);
            s.EndSection();
        },
        "3.0");
    Project->LoadFromFile(file);
    EXPECT_EQ(Project->Title(), "Newer");
    EXPECT_EQ(Project->SavedFileName(), "/elsewhere/new.kvp");
    EXPECT_EQ(Project->FileName(), file);
    EXPECT_EQ(Project->InstallModuleName(), "LWP");
}

TEST_F(ProjectTest, FilesThatAreNotProjectsFailWithAClearMessage) {
    const std::string file = Dir.File("bad.kvp");
    int failures = 0;
    auto expectFailure = [&](const std::string& expected) {
        const std::string nameBefore = Project->FileName();
        try {
            Project->LoadFromFile(file);
            ADD_FAILURE() << "loaded: " << expected;
        } catch (const handledException& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
        EXPECT_FALSE(Project->Loading());
        // The open project is left as it was, and stays usable: it saves and loads again.
        EXPECT_EQ(Project->FileName(), nameBefore);
        EXPECT_FALSE(Project->getModified());
        Project->setTitle("after failure " + std::to_string(++failures));
        Project->SaveToFile(Dir.File("after.kvp"));
        auto again = NewProject();
        again->LoadFromFile(Dir.File("after.kvp"));
        EXPECT_EQ(again->Title(), "after failure " + std::to_string(failures));
        fs::remove(Dir.File("after.kvp"));
    };

    WriteProjectFile(
        file, [](TSectionList& s) { s.WriteStr("Project File"); }, "2.1", "Someone");
    expectFailure("Incorrect Company Name for this program");

    TMemoryStream bytes;
    {
        TSectionListUse use(SectionList(), bytes, false);
        SectionList().BeginSection("VersionInfo");
        SectionList().WriteStr("Brannoq");
        SectionList().WriteStr("Other");
        SectionList().EndSection();
    }
    WriteBytes(file, std::string(bytes.Bytes().begin(), bytes.Bytes().end()));
    expectFailure("Incorrect Program Name for this program");

    // A code template file carries the same identification, then another root string.
    WriteProjectFile(file, [](TSectionList& s) { s.WriteStr("Code Template File"); });
    expectFailure("This is not a Korvane Project File");

    WriteBytes(file, "print \"hello\\n\";\n");
    expectFailure("Incorrect Company Name for this program");

    fs::remove(file);
    expectFailure(file);
}

TEST_F(ProjectTest, AFailedLoadLeavesTheOpenProjectAsItWasAndTheOtherFileAlone) {
    const std::string folder = Dir.File("site");
    fs::create_directories(folder + "/tmp");
    ChangeEverything(*Project, folder);
    WriteBytes(folder + "/index.pl", "print 1;\n");
    TProjectPage& page = Project->Add(folder + "/index.pl", true);
    const std::string mine = folder + "/site.kvp";
    Project->SaveToFile(mine);
    auto reference = NewProject();
    reference->LoadFromFile(mine);
    Project->setNotes("typed, not saved yet");
    reference->setNotes(Project->Notes());
    const std::string savedName = Project->SavedFileName();

    // A script chosen with the "any file" filter, and a project file cut short.
    const std::string script = folder + "/notes.pl";
    const std::string scriptText = "#!/usr/bin/perl\nprint \"notes\\n\";\n";
    WriteBytes(script, scriptText);
    const std::string cut = folder + "/cut.kvp";
    const std::string cutText = ReadBytes(mine).substr(0, ReadBytes(mine).size() * 2 / 3);
    WriteBytes(cut, cutText);
    for (const std::string& file : {script, cut}) {
        SCOPED_TRACE(file);
        try {
            Project->LoadFromFile(file);
            ADD_FAILURE() << "loaded";
        } catch (const handledException& e) {
            const std::string expected =
                file == script ? "Incorrect Company Name for this program" : " is damaged: ";
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
        EXPECT_EQ(Project->FileName(), mine);
        EXPECT_EQ(Project->SavedFileName(), savedName);
        EXPECT_TRUE(Project->getModified()) << "still holds what was not saved";
        ASSERT_EQ(Project->Count(), 1);
        EXPECT_EQ(&Project->Page(0), &page) << "the same page, with whatever it holds";
        EXPECT_EQ(Project->getCurrentPage(), &page);
        ExpectSameSettings(*reference, *Project);
        EXPECT_NE(Project->WebServer().ListeningPort(), 0) << "its server serves again";
    }

    // Closing with Yes to the save question writes the project's own file only.
    Prompt.QueueAnswer(pbYes);
    EXPECT_EQ(Project->SaveAllCheck(), pbYes);
    EXPECT_EQ(Prompt.Records().back().Text, "Project site.kvp has changed. Save Changes?");
    EXPECT_EQ(ReadBytes(script), scriptText);
    EXPECT_EQ(ReadBytes(cut), cutText);
    auto reread = NewProject();
    reread->LoadFromFile(mine);
    EXPECT_EQ(reread->Notes(), "typed, not saved yet");
}

TEST_F(ProjectTest, ADamagedDefaultProjectIsKeptAsItWasBeforeItIsSavedOver) {
    WriteBytes(Dir.File("index.pl"), "print 1;\n");
    Project->setTitle("Default");
    Project->Add(Dir.File("index.pl"), true);
    Project->SaveToFile(DefaultProjectFile());
    const std::string whole = ReadBytes(DefaultProjectFile());
    const std::string damaged = whole.substr(0, whole.size() - 40);
    WriteBytes(DefaultProjectFile(), damaged);

    auto started = NewProject();
    try {
        started->OpenStartupProject("");
        ADD_FAILURE() << "a damaged file loaded without a word";
    } catch (const handledException& e) {
        EXPECT_NE(std::string(e.what()).find(" is damaged: "), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("kept as " + DefaultProjectFile() + ".damaged"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(started->FileName(), DefaultProjectFile());
    EXPECT_EQ(started->Title(), "Default") << "what could be read is open";
    EXPECT_FALSE(fs::exists(DefaultProjectFile() + ".damaged")) << "nothing saved yet";

    started->SaveDefaultProjectOnClose();
    EXPECT_EQ(ReadBytes(DefaultProjectFile() + ".damaged"), damaged);
    auto again = NewProject();
    again->OpenStartupProject("");
    EXPECT_EQ(again->Title(), "Default") << "the saved project is whole again";
    again->SaveDefaultProjectOnClose();
    EXPECT_EQ(ReadBytes(DefaultProjectFile() + ".damaged"), damaged) << "one copy, kept";
    EXPECT_FALSE(fs::exists(DefaultProjectFile() + ".damaged.1"));

    // A default project that is no project at all is kept the same way.
    WriteBytes(DefaultProjectFile(), "not a project\n");
    auto third = NewProject();
    EXPECT_THROW(third->OpenStartupProject(""), handledException);
    third->SaveDefaultProjectOnClose();
    EXPECT_EQ(ReadBytes(DefaultProjectFile() + ".damaged.1"), "not a project\n");
}

TEST_F(ProjectTest, AStartProjectThatDoesNotLoadGivesWayToTheDefaultProjectAndIsLeftAlone) {
    Project->setTitle("Default");
    Project->SaveToFile(DefaultProjectFile());
    const std::string notes = Dir.File("notes.kvp");
    WriteBytes(notes, "my notes, not a project\n");

    auto started = NewProject();
    try {
        started->OpenStartupProject(notes);
        ADD_FAILURE() << "notes.kvp loaded";
    } catch (const handledException& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Incorrect Company Name for this program\nThe default project is open instead.");
    }
    EXPECT_EQ(started->FileName(), DefaultProjectFile());
    EXPECT_EQ(started->Title(), "Default");
    EXPECT_FALSE(started->getModified());
    started->SaveDefaultProjectOnClose();
    EXPECT_EQ(Prompt.Records().size(), 0u);
    EXPECT_EQ(started->SaveAllCheck(), pbNo) << "nothing to ask";
    EXPECT_EQ(ReadBytes(notes), "my notes, not a project\n");

    // A relative name is the file in the folder the program started in.
    fs::create_directories(Dir.File("work"));
    auto relative = NewProject();
    relative->setTitle("Work");
    relative->SaveToFile(Dir.File("work/p.kvp"));
    const fs::path before = fs::current_path();
    fs::current_path(Dir.File("work"));
    auto named = NewProject();
    named->OpenStartupProject("p.kvp");
    fs::current_path(before);
    EXPECT_EQ(named->FileName(), Dir.File("work/p.kvp"));
    EXPECT_EQ(named->Title(), "Work");
}

TEST_F(ProjectTest, DamagedOrRandomBytesNeverCrashTheLoad) {
    const std::string good = Dir.File("good.kvp");
    ChangeEverything(*Project, Dir.File("g"));
    Project->SaveToFile(good);
    const std::string bytes = ReadBytes(good);
    const std::string file = Dir.File("damaged.kvp");

    // A damaged tool path may make the load offer the install notices again; they are not
    // what this test is about, so each load starts with them switched off.
    const auto load = [&](const std::string& content) {
        WriteBytes(file, content);
        Settings->setPerlCompilerDlgAgain(false);
        Settings->setPhpCompilerDlgAgain(false);
        Settings->setSqlDlgAgain(false);
        auto p = NewProject();
        try {
            p->LoadFromFile(file);
        } catch (const handledException&) {
        }
        EXPECT_FALSE(p->Loading());
    };
    std::mt19937 random(42);
    for (size_t cut = 0; cut < bytes.size(); cut += 1 + bytes.size() / 97)
        load(bytes.substr(0, cut));
    for (int round = 0; round < 40; ++round) {
        std::string damaged = bytes;
        for (int i = 0; i < 8; ++i)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        load(damaged);
    }
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    WriteBytes(file, noise);
    EXPECT_THROW(Project->LoadFromFile(file), handledException);
}

TEST_F(ProjectTest, FailedSaveLeavesThePreviousFileIntact) {
    const std::string file = Dir.File("keep.kvp");
    Project->setTitle("first");
    Project->SaveToFile(file);
    ::chmod(file.c_str(), 0640);
    const std::string before = ReadBytes(file);

    // A file-size limit makes the write fail part-way, as a full disk would. Random notes
    // keep the compressed file larger than the limit.
    std::mt19937 random(7);
    std::string notes(30000, ' ');
    for (char& c : notes)
        c = static_cast<char>('!' + random() % 90);
    Project->setNotes(notes);
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = before.size() + 100;
    ::setrlimit(RLIMIT_FSIZE, &small);
    Project->setTitle("second");
    EXPECT_THROW(Project->SaveToFile(file), handledException);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(ReadBytes(file), before);
    for (const auto& entry : fs::directory_iterator(Dir.Path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("keep.kvp."))
            << "half-written file left behind: " << entry.path();

    // Saving under a name in a missing folder fails and keeps the project's own name.
    EXPECT_THROW(Project->SaveToFile(Dir.File("no/such/folder/p.kvp")), handledException);
    EXPECT_EQ(Project->FileName(), file);
    EXPECT_TRUE(Project->getModified());

    Project->SaveToFile(file);
    struct stat info {};
    ::stat(file.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";
    EXPECT_NE(ReadBytes(file), before);
}

TEST_F(ProjectTest, WindowRectangleIsPulledOntoTheScreen) {
    const std::string file = Dir.File("w.kvp");
    Project->setSaveWindowSize(true);
    Host.Window = {1000, 900, 800, 600};
    Project->SaveToFile(file);
    Project->LoadFromFile(file);
    EXPECT_EQ(Host.Window, (TWindowRect{5, 5, 1270, 974}));

    // Values a damaged file may hold: sums past the int range must not wrap back on screen.
    constexpr int Max = std::numeric_limits<int>::max(), Min = std::numeric_limits<int>::min();
    const std::pair<TWindowRect, TWindowRect> damaged[] = {
        {{Max, Max, 800, 600}, {5, 5, 1270, 974}}, {{100, 100, Max, Max}, {5, 5, 1270, 974}},
        {{Min, Min, Min, Min}, {5, 5, 1270, 974}}, {{100, 100, 0, -1}, {5, 5, 1270, 974}},
        {{-20, -30, 800, 600}, {5, 5, 800, 600}},
    };
    for (const auto& [stored, shown] : damaged) {
        Host.Window = stored;
        Project->setModified(true);
        Project->SaveToFile(file);
        Project->LoadFromFile(file);
        EXPECT_EQ(Host.Window, shown)
            << stored.Left << "," << stored.Top << " " << stored.Width << "x" << stored.Height;
    }

    Project->setSaveWindowSize(false);
    Project->SaveToFile(file);
    Host.Window = {0, 0, 640, 480};
    Project->LoadFromFile(file);
    EXPECT_EQ(Host.Window, (TWindowRect{320, 272, 640, 480})) << "centred when not stored";
}

TEST_F(ProjectTest, StartUpLoadsTheDefaultOrTheNamedProjectAndCloseSavesTheDefault) {
    Project->setTitle("Default");
    Project->SaveToFile(DefaultProjectFile());
    auto other = NewProject();
    other->setTitle("Other");
    other->SaveToFile(Dir.File("other.kvp"));

    auto started = NewProject();
    started->OpenStartupProject("");
    EXPECT_EQ(started->Title(), "Default");
    EXPECT_TRUE(started->IsDefaultProject());
    started->setNotes("typed before closing");
    started->SaveDefaultProjectOnClose();
    auto reread = NewProject();
    reread->LoadFromFile(DefaultProjectFile());
    EXPECT_EQ(reread->Notes(), "typed before closing");

    auto named = NewProject();
    named->OpenStartupProject(Dir.File("other.kvp"));
    EXPECT_EQ(named->Title(), "Other");
    named->setNotes("not saved");
    named->SaveDefaultProjectOnClose();
    auto otherAgain = NewProject();
    otherAgain->LoadFromFile(Dir.File("other.kvp"));
    EXPECT_EQ(otherAgain->Notes(), "");

    // A missing default project fails the load but leaves a usable, titled project.
    fs::remove(DefaultProjectFile());
    auto first = NewProject();
    EXPECT_THROW(first->OpenStartupProject(""), handledException);
    EXPECT_EQ(first->FileName(), DefaultProjectFile());
}

TEST_F(ProjectTest, ReplaceFileContentsWritesThroughASymbolicLink) {
    const std::string real = Dir.File("real.kvp");
    WriteBytes(real, "old");
    fs::create_symlink(real, Dir.File("link.kvp"));
    ReplaceFileContents(Dir.File("link.kvp"), "new", 3);
    EXPECT_TRUE(fs::is_symlink(Dir.File("link.kvp")));
    EXPECT_EQ(ReadBytes(real), "new");
}

} // namespace
} // namespace korvane::test

namespace korvane::test {
namespace {

TEST_F(ProjectTest, FactoryProjectSeedsAWorkingDefaultProject) {
    fs::remove_all(ProgramFolder());
    ASSERT_TRUE(SeedProgramFolder());
    ASSERT_TRUE(fs::exists(DefaultProjectFile())) << "the factory project was not built";
    auto started = NewProject();
    started->OpenStartupProject("");
    EXPECT_EQ(started->TempPath(), ProgramFolder() + "temp/") << "follows the program folder";
    EXPECT_EQ(started->LogFileName(), ProgramFolder() + "projects/korvane.log");
    EXPECT_EQ(started->FileTypes().Count(), 20);
    EXPECT_EQ(started->Title(), "");
    EXPECT_FALSE(started->getModified());
}

#ifdef KORVANE_FACTORY_TOOL
TEST_F(ProjectTest, FactoryProjectIsTheSameBytesFromAnyFolderAndCarriesTheGivenDate) {
    // Two builds in folders of different depth at different moments; the second is a
    // packager's, who fixes the date with SOURCE_DATE_EPOCH.
    const auto make = [&](const std::string& folder, const std::string& environment) {
        const std::string output = Dir.File(folder) + "/data/projects/default_original.kvp";
        const std::string command = "cd '" + Dir.File("") + "' && /usr/bin/env " + environment +
                                    " '" + KORVANE_FACTORY_TOOL + "' '" + output + "' 86400";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return ReadBytes(output);
    };
    const std::string first = make("a", "-u SOURCE_DATE_EPOCH TZ=UTC");
    const std::string second =
        make("build/of/someone/else", "SOURCE_DATE_EPOCH=86400 TZ=America/New_York");
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(first == second) << "the factory project differs between builds";

    WriteBytes(DefaultProjectFile(), first);
    Project->LoadFromFile(DefaultProjectFile());
    EXPECT_DOUBLE_EQ(Project->StartDate(), UnixEpochAsDateTime + 1);
    EXPECT_DOUBLE_EQ(Project->ModifiedDate(), UnixEpochAsDateTime + 1);
    EXPECT_EQ(Project->TempPath(), ProgramFolder() + "temp/");
}
#endif

} // namespace
} // namespace korvane::test
