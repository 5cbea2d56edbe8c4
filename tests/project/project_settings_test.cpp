#include "project_fixture.h"

#include "platform/program_folder.h"
#include "storage/errors.h"
#include "storage/method_trace.h"
#include "storage/program_log.h"

namespace korvane::test {
namespace {

TEST_F(ProjectTest, NewProjectHasTheDefaultsAndIsNotModified) {
    EXPECT_FALSE(Project->getModified());
    EXPECT_EQ(Project->Version(), "1.0");
    EXPECT_EQ(Project->SavedVersion(), "2.1");
    EXPECT_EQ(Project->SavedBuild(), "0");
    EXPECT_EQ(Project->StartDate(), FixedNow);
    EXPECT_EQ(Project->ModifiedDate(), FixedNow);
    EXPECT_EQ(Project->TempPath(), ProgramFolder() + "temp/");
    EXPECT_EQ(Project->FtpPort(), "ftp");
    EXPECT_EQ(Project->FtpFormWidth(), 450);
    EXPECT_EQ(Project->FtpFormHeight(), 254);
    EXPECT_EQ(Project->PerlWarnings(), 1);
    EXPECT_EQ(Project->MaxBackUps(), 3);
    EXPECT_EQ(Project->TabWidth(), 2);
    EXPECT_TRUE(Project->AutoSetupPhp());
    EXPECT_TRUE(Project->ExternalChangeCheck());
    EXPECT_TRUE(Project->ShowBlocks());
    EXPECT_TRUE(Project->ReplacePrompt());
    EXPECT_EQ(Project->PriorPropertyPage(), "Notes");
    EXPECT_EQ(Project->LogFileName(), ProgramFolder() + "projects/korvane.log");
    EXPECT_FALSE(Project->LogInfoTempDir());
    EXPECT_TRUE(Project->LogWebErrors());
    EXPECT_FALSE(Project->RootURL().empty());
    EXPECT_EQ(Project->FileTypes().Count(), 0) << "the table is filled from the project file";
    // The template file name is settled on the first start.
    EXPECT_EQ(Settings->getCodeTemplateFileName(), ProgramFolder() + "codetmpl.kvt");
}

TEST_F(ProjectTest, TextSettersIgnoreLetterCaseExceptWhereCaseMatters) {
    Project->setTitle("My Site");
    ASSERT_TRUE(Project->getModified());
    Project->setModified(false);

    Project->setTitle("MY SITE");
    EXPECT_EQ(Project->Title(), "My Site");
    EXPECT_FALSE(Project->getModified());

    Project->setFtpPassword("Secret");
    Project->setModified(false);
    Project->setFtpPassword("secret");
    EXPECT_EQ(Project->FtpPassword(), "secret");
    EXPECT_TRUE(Project->getModified());

    Project->setModified(false);
    Project->setRootURL("http://www.Example.com/");
    Project->setModified(false);
    Project->setRootURL("http://www.example.com/");
    EXPECT_TRUE(Project->getModified());
}

TEST_F(ProjectTest, SettersClampAndNormalise) {
    Project->setMaxBackUps(25);
    EXPECT_EQ(Project->MaxBackUps(), 10);
    Project->setBackupPause(-5);
    EXPECT_EQ(Project->BackupPause(), 0);
    Project->setBackupPause(40000);
    EXPECT_EQ(Project->BackupPause(), 32767);

    Project->setTempPath("/srv/tmp");
    EXPECT_EQ(Project->TempPath(), "/srv/tmp/");
    Project->setModified(false);
    Project->setTempPath("/srv/tmp/");
    EXPECT_FALSE(Project->getModified()) << "the same folder";
    // On Linux a folder spelt in other letter case is another folder.
    Project->setTempPath("/SRV/TMP/");
    EXPECT_EQ(Project->TempPath(), "/SRV/TMP/");
    EXPECT_TRUE(Project->getModified());
    Project->setTempPath("");
    EXPECT_EQ(Project->TempPath(), "");
}

TEST_F(ProjectTest, SavedSettersAndModifiedDateDoNotMarkTheProject) {
    Project->setSavedVersion("1.9");
    Project->setSavedBuild("7");
    Project->setSavedFileName("/x/old.kvp");
    Project->setModifiedDate(123.0);
    EXPECT_FALSE(Project->getModified());

    SetClockForTesting([] { return FixedNow + 1; });
    Project->setStartDate(5.0);
    EXPECT_TRUE(Project->getModified());
    EXPECT_EQ(Project->ModifiedDate(), FixedNow + 1) << "becoming modified stamps the date";
}

TEST_F(ProjectTest, ChangedSchemeMakesTheProjectModifiedUntilSaved) {
    Project->Schemes().Perl.SetFontSize(14);
    EXPECT_TRUE(Project->getModified());
    Project->setModified(false);
    EXPECT_FALSE(Project->getModified());
    EXPECT_FALSE(Project->Schemes().Perl.Modified());
}

TEST_F(ProjectTest, ClearRestoresClearDefaultsButKeepsCreateSettings) {
    Project->setTitle("t");
    Project->setFtpHost("h");
    Project->setMaxBackUps(7);
    Project->setShowLHGutter(false);
    Project->setPerlCompilerPath("/opt/perl/bin/perl");
    Project->setSearchMatchCase(true);
    Project->Add("", true);

    Project->Clear();
    EXPECT_EQ(Project->Count(), 0);
    EXPECT_EQ(Project->Title(), "");
    EXPECT_EQ(Project->FtpHost(), "");
    EXPECT_EQ(Project->MaxBackUps(), 3);
    EXPECT_TRUE(Project->ShowLHGutter());
    EXPECT_EQ(Project->PerlCompilerPath(), "/opt/perl/bin/perl");
    EXPECT_TRUE(Project->SearchMatchCase());
    // An editor option that changed back to its default marks the project again.
    EXPECT_TRUE(Project->getModified());
}

TEST_F(ProjectTest, CaptionNamesTheProjectAndMarksChanges) {
    Project->SetFileName("/p/site.kvp");
    Project->setModified(false);
    EXPECT_EQ(Project->Caption(), "Korvane - [site.kvp]");
    EXPECT_EQ(Host.Caption, "Korvane - [site.kvp]");

    Project->setNotes("n");
    EXPECT_EQ(Host.Caption, "Korvane - [*site.kvp]");

    Project->setTitle("Shop");
    Project->setModified(false);
    Project->SetFileName(DefaultProjectFile());
    Project->setModified(false);
    EXPECT_EQ(Project->Caption(), "Korvane - [Shop] - Default Project (AutoLoad)");
    EXPECT_TRUE(Project->IsDefaultProject());

    Project->setCaptionSuffix(" [Paused]");
    EXPECT_EQ(Host.Caption, "Korvane - [Shop] - Default Project (AutoLoad) [Paused]");
}

TEST_F(ProjectTest, KeywordsAreSeparatedWithCommas) {
    const std::pair<const char*, const char*> cases[] = {
        {"perl, cgi,,web", "perl, cgi, web"},
        {"perl cgi", "perl, cgi"},
        {",perl", "perl"},
        {"  perl  ", "perl"},
        {"", ""},
    };
    for (const auto& [keywords, expected] : cases) {
        Project->setKeywords(keywords);
        EXPECT_EQ(Project->SepKeyWords(), expected) << keywords;
    }
}

TEST_F(ProjectTest, DisplaySettersReachTheMainWindow) {
    Project->setShowStatusBar(false);
    EXPECT_FALSE(Host.StatusBarShown);
    Project->setXPMenus(true);
    Project->setXPMenus(true);
    EXPECT_EQ(Host.XPMenuCalls, 1);
}

TEST_F(ProjectTest, HistoryListsMarkTheProjectOnlyWhileTheyAreKept) {
    Project->setSaveFindReplace(false);
    Project->setModified(false);
    Project->setSearchHistory({"foo"});
    EXPECT_FALSE(Project->getModified());
    Project->setSaveFindReplace(true);
    Project->setModified(false);
    Project->setReplaceHistory({"bar"});
    EXPECT_TRUE(Project->getModified());

    Project->setSavePropertyPageHistory(false);
    Project->setModified(false);
    Project->setPropertyPageHistory({"Editor"});
    EXPECT_FALSE(Project->getModified());
}

} // namespace
} // namespace korvane::test

namespace korvane::test {
namespace {

TEST_F(ProjectTest, LoggingSettingsSteerTheSessionLogAndFailedLoadsAreTraced) {
    StartMethodTrace(ProgramFolder());
    Project->setLogFileName(Dir.File("session.log"));
    EXPECT_EQ(LogFile, "") << "logging is off";
    Project->setLoggingIsOn(true);
    EXPECT_EQ(LogFile, Dir.File("session.log"));

    WriteProjectFile(Dir.File("t.kvt"), [](TSectionList& s) { s.WriteStr("Code Template File"); });
    EXPECT_THROW(Project->LoadFromFile(Dir.File("t.kvt")), handledException);
    EXPECT_NE(ReadBytes(Dir.File("session.log"))
                  .find("Error: This is not a Korvane Project File at  >TKorProject:LoadFromFile"),
              std::string::npos)
        << "the file is refused before anything of it is read into the project";

    Project->setLogTransientUpdates(true);
    EXPECT_EQ(ErrorPath->Filter, "");
    Project->setLoggingIsOn(false);
    EXPECT_EQ(LogFile, "");
    StopMethodTrace();
}

} // namespace
} // namespace korvane::test
